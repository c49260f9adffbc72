#pragma once
// Letter case without regard to locale, the way Windows compares file and
// resource names: each UTF-16 unit is mapped to its simple upper case.

#include <string>
#include <string_view>

namespace zandrel {

char16_t UpperCaseUnit(char16_t c);
std::u16string UpperCase(std::u16string_view text);
bool EqualsIgnoreCase(std::u16string_view a, std::u16string_view b);
// <0, 0, >0 like strcmp, comparing upper-cased units.
int CompareIgnoreCase(std::u16string_view a, std::u16string_view b);

}  // namespace zandrel
