#include "core/casefold.h"

namespace zandrel {

namespace {

// Blocks where lower and upper case alternate. In most the upper case sits at
// the even code point; in a few at the odd one.
char16_t UpperAtEven(char16_t c) { return (c & 1) ? static_cast<char16_t>(c - 1) : c; }
char16_t UpperAtOdd(char16_t c) { return (c & 1) ? c : static_cast<char16_t>(c - 1); }

}  // namespace

char16_t UpperCaseUnit(char16_t c) {
  if (c < 0x80) return (c >= u'a' && c <= u'z') ? static_cast<char16_t>(c - 0x20) : c;
  if (c >= 0xE0 && c <= 0xFE && c != 0xF7) return static_cast<char16_t>(c - 0x20);
  if (c == 0xFF) return 0x178;
  if (c >= 0x100 && c <= 0x137) return UpperAtEven(c);
  if (c >= 0x139 && c <= 0x148) return UpperAtOdd(c);
  if (c >= 0x14A && c <= 0x177) return UpperAtEven(c);
  if (c >= 0x179 && c <= 0x17E) return UpperAtOdd(c);
  // Greek
  if (c >= 0x3B1 && c <= 0x3CB && c != 0x3C2) return static_cast<char16_t>(c - 0x20);
  if (c == 0x3C2) return 0x3A3;
  if (c == 0x3AC) return 0x386;
  if (c >= 0x3AD && c <= 0x3AF) return static_cast<char16_t>(c - 0x25);
  if (c == 0x3CC) return 0x38C;
  if (c == 0x3CD || c == 0x3CE) return static_cast<char16_t>(c - 0x3F);
  // Cyrillic
  if (c >= 0x430 && c <= 0x44F) return static_cast<char16_t>(c - 0x20);
  if (c >= 0x450 && c <= 0x45F) return static_cast<char16_t>(c - 0x50);
  if ((c >= 0x460 && c <= 0x481) || (c >= 0x48A && c <= 0x4BF) || (c >= 0x4D0 && c <= 0x52F))
    return UpperAtEven(c);
  if (c >= 0x4C1 && c <= 0x4CE) return UpperAtOdd(c);
  if (c == 0x4CF) return 0x4C0;
  // Armenian
  if (c >= 0x561 && c <= 0x586) return static_cast<char16_t>(c - 0x30);
  // Latin Extended Additional
  if ((c >= 0x1E00 && c <= 0x1E95) || (c >= 0x1EA0 && c <= 0x1EFF)) return UpperAtEven(c);
  // Full-width Latin
  if (c >= 0xFF41 && c <= 0xFF5A) return static_cast<char16_t>(c - 0x20);
  return c;
}

std::u16string UpperCase(std::u16string_view text) {
  std::u16string out(text);
  for (auto& c : out) c = UpperCaseUnit(c);
  return out;
}

int CompareIgnoreCase(std::u16string_view a, std::u16string_view b) {
  const std::size_t n = a.size() < b.size() ? a.size() : b.size();
  for (std::size_t i = 0; i < n; ++i) {
    const char16_t x = UpperCaseUnit(a[i]);
    const char16_t y = UpperCaseUnit(b[i]);
    if (x != y) return x < y ? -1 : 1;
  }
  if (a.size() == b.size()) return 0;
  return a.size() < b.size() ? -1 : 1;
}

bool EqualsIgnoreCase(std::u16string_view a, std::u16string_view b) {
  return a.size() == b.size() && CompareIgnoreCase(a, b) == 0;
}

}  // namespace zandrel
