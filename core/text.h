#pragma once
// Text helpers of the portable core. Core text is UTF-16 (std::u16string), so
// resource names and paths round-trip to Windows without loss.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace zandrel {

// UTF-8 <-> UTF-16. Ill-formed input becomes U+FFFD; nothing throws.
std::u16string FromUtf8(std::string_view utf8);
std::string ToUtf8(std::u16string_view text);

// Decimal text of a number, no leading zeros.
std::u16string ToDecimal(std::int64_t value);
std::u16string ToDecimalUnsigned(std::uint64_t value);

// Strict decimal: an optional sign and at least one digit, nothing else; the
// value must fit a signed 32-bit integer.
std::optional<std::int32_t> ParseDecimalInt32(std::u16string_view text);

// A whole number as settings values and translatable texts are judged: optional
// leading spaces, an optional sign, then decimal digits, or hexadecimal digits
// after "$", "x" or "0x" (either letter case); nothing may follow. The value
// must fit a signed 32-bit integer.
std::optional<std::int32_t> ParseWholeNumber(std::u16string_view text);

// ASCII-only letter case; other characters stay as they are.
std::u16string AsciiUpper(std::u16string_view text);
std::u16string AsciiLower(std::u16string_view text);
bool EqualsIgnoreAsciiCase(std::u16string_view a, std::u16string_view b);

bool StartsWith(std::u16string_view text, std::u16string_view prefix);
bool EndsWith(std::u16string_view text, std::u16string_view suffix);

// Removes characters up to U+0020 (blanks and controls) at either or both ends.
std::u16string_view TrimLeft(std::u16string_view text);
std::u16string_view TrimRight(std::u16string_view text);
std::u16string_view Trim(std::u16string_view text);

}  // namespace zandrel
