#pragma once
// The meeting point of core text (UTF-16 in std::u16string) and Win32 text
// (UTF-16 in std::wstring): on Windows both are the same code units.

#include <string>
#include <string_view>

namespace zandrel::platform {

static_assert(sizeof(wchar_t) == sizeof(char16_t), "Win32 text is UTF-16");

inline std::wstring ToWide(std::u16string_view text) {
  return std::wstring(reinterpret_cast<const wchar_t*>(text.data()), text.size());
}

inline std::u16string FromWide(std::wstring_view text) {
  return std::u16string(reinterpret_cast<const char16_t*>(text.data()), text.size());
}

}  // namespace zandrel::platform
