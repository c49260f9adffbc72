#include "platform/errors.h"

#include "core/text.h"
#include "platform/handles.h"
#include "platform/wide.h"

namespace zandrel::platform {

namespace {

std::string Narrow(const std::wstring& text) { return ToUtf8(FromWide(text)); }

}  // namespace

Win32Error::Win32Error(const std::wstring& what, DWORD code)
    : std::runtime_error(Narrow(what)), code_(code), text_(what) {}

std::wstring SystemErrorText(DWORD code) {
  wchar_t* buffer = nullptr;
  const DWORD n = FormatMessageW(
      FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
      nullptr, code, 0, reinterpret_cast<wchar_t*>(&buffer), 0, nullptr);
  const UniqueLocalMemory owned(buffer);
  std::wstring text = n ? std::wstring(buffer, n) : std::wstring();
  while (!text.empty() && (text.back() == L'\n' || text.back() == L'\r' || text.back() == L' '))
    text.pop_back();
  if (text.empty()) text = L"System error " + std::to_wstring(code);
  return text;
}

void ThrowLastErrorIf(bool failed, const std::wstring& what) {
  if (!failed) return;
  const DWORD code = GetLastError();
  throw Win32Error(what.empty() ? SystemErrorText(code) : what + L": " + SystemErrorText(code),
                   code);
}

}  // namespace zandrel::platform
