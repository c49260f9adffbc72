#include "platform/file_info_utils.h"

#include <cstdint>
#include <optional>
#include <vector>

#include <windows.h>

#include "core/version_text.h"
#include "platform/wide.h"

namespace zandrel::platform {

namespace {


// One file's version-information block, copied into a zero-filled buffer
// that the vector releases on every path.
class VersionBlock {
 public:
  static std::optional<VersionBlock> Load(const std::wstring& file_name) {
    DWORD ignored = 0;
    const DWORD size = GetFileVersionInfoSizeW(file_name.c_str(), &ignored);
    if (size == 0) return std::nullopt;
    VersionBlock block;
    block.data_.assign(size, 0);
    if (!GetFileVersionInfoW(file_name.c_str(), 0, size, block.data_.data())) return std::nullopt;
    return block;
  }

  // The bytes of a queried value, cut to what lies inside the buffer: the
  // length the block reports is not trusted. nullopt when the query fails;
  // an empty view when it succeeds without a usable pointer. `unit` is the
  // size of one counted element (the length of a string value counts
  // characters, that of other values bytes).
  std::optional<ByteView> Query(const std::wstring& path, std::size_t unit) const {
    void* pointer = nullptr;
    UINT length = 0;
    if (!VerQueryValueW(data_.data(), path.c_str(), &pointer, &length)) return std::nullopt;
    const auto begin = reinterpret_cast<std::uintptr_t>(data_.data());
    const auto end = begin + data_.size();
    const auto value = reinterpret_cast<std::uintptr_t>(pointer);
    if (pointer == nullptr || value < begin || value >= end) return ByteView();
    const std::size_t available = end - value;
    const std::size_t wanted = static_cast<std::size_t>(length) * unit;
    return ByteView(data_.data() + (value - begin), wanted < available ? wanted : available);
  }

  std::optional<std::u16string> QueryText(const std::wstring& path) const {
    auto bytes = Query(path, sizeof(char16_t));
    if (!bytes) return std::nullopt;
    std::u16string text(bytes->size() / sizeof(char16_t), u'\0');
    // Copy rather than reinterpret: a value need not be aligned.
    for (std::size_t i = 0; i < text.size(); ++i) text[i] = *ReadU16LE(*bytes, i * 2);
    return text;
  }

  std::u16string TranslationKey() const {
    auto value = Query(L"\\VarFileInfo\\Translation", 1);
    return value ? TranslationKeyFromValue(*value) : std::u16string(kFallbackTranslationKey);
  }

  std::wstring StringPath(std::u16string_view name) const {
    return ToWide(StringValuePath(TranslationKey(), name));
  }

 private:
  VersionBlock() = default;
  std::vector<std::uint8_t> data_;
};

}  // namespace

std::wstring GetVersionInfoString(const std::wstring& file_name, const std::wstring& name) {
  auto block = VersionBlock::Load(file_name);
  if (!block) return {};
  auto text = block->QueryText(block->StringPath(FromWide(name)));
  if (!text || text->empty()) return {};
  return ToWide(TextUpToNull(*text));
}

std::wstring GetFileVersion(const std::wstring& file_name) {
  auto block = VersionBlock::Load(file_name);
  if (!block) return {};
  if (auto text = block->QueryText(block->StringPath(u"FileVersion")); text && !text->empty()) {
    std::u16string version = NormalizeFileVersion(*text);
    if (!version.empty()) return ToWide(version);
  }
  auto root = block->Query(L"\\", 1);
  return root ? ToWide(FixedVersionFromRoot(*root)) : std::wstring();
}

std::wstring GetCompanyName(const std::wstring& file_name) {
  return GetVersionInfoString(file_name, L"CompanyName");
}

std::wstring GetLegalCopyright(const std::wstring& file_name) {
  return GetVersionInfoString(file_name, L"LegalCopyright");
}

}  // namespace zandrel::platform
