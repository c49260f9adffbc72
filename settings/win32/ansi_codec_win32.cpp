#include "settings/win32/ansi_codec_win32.h"

#include <windows.h>

#include <climits>
#include <stdexcept>
#include <string>

#include "platform/errors.h"
#include "platform/wide.h"

namespace zandrel::settings {

namespace {

int CheckedLength(std::size_t size) {
  if (size > static_cast<std::size_t>(INT_MAX)) throw std::length_error("Text too long to convert");
  return static_cast<int>(size);
}

class SystemCodec final : public AnsiCodec {
 public:
  std::u16string Decode(ByteView bytes) const override {
    if (bytes.empty()) return {};
    const auto* src = reinterpret_cast<const char*>(bytes.data());
    const int src_length = CheckedLength(bytes.size());
    const int length = MultiByteToWideChar(CP_ACP, 0, src, src_length, nullptr, 0);
    platform::ThrowLastErrorIf(length <= 0, L"MultiByteToWideChar");
    std::wstring wide(static_cast<std::size_t>(length), L'\0');
    const int written = MultiByteToWideChar(CP_ACP, 0, src, src_length, wide.data(), length);
    platform::ThrowLastErrorIf(written != length, L"MultiByteToWideChar");
    return platform::FromWide(wide);
  }

  std::optional<Bytes> Encode(std::u16string_view text) const override {
    if (text.empty()) return Bytes{};
    const std::wstring wide = platform::ToWide(text);
    const wchar_t* src = wide.c_str();
    const int src_length = CheckedLength(wide.size());
    // With UTF-8 as the ANSI code page the default-character report is not
    // available; invalid input (a lone surrogate) fails the call instead.
    const bool utf8 = GetACP() == CP_UTF8;
    const DWORD flags = utf8 ? WC_ERR_INVALID_CHARS : WC_NO_BEST_FIT_CHARS;
    BOOL used_default = FALSE;
    BOOL* used_default_ptr = utf8 ? nullptr : &used_default;
    const int length =
        WideCharToMultiByte(CP_ACP, flags, src, src_length, nullptr, 0, nullptr, used_default_ptr);
    if (length <= 0 || used_default) return std::nullopt;
    Bytes out(static_cast<std::size_t>(length));
    const int written =
        WideCharToMultiByte(CP_ACP, flags, src, src_length, reinterpret_cast<char*>(out.data()),
                            length, nullptr, used_default_ptr);
    if (written != length || used_default) return std::nullopt;
    return out;
  }
};

}  // namespace

const AnsiCodec& SystemAnsiCodec() {
  static const SystemCodec codec;
  return codec;
}

}  // namespace zandrel::settings
