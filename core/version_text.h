#pragma once
// The text rules of reading a version-information resource: which string
// table to read, how a FileVersion string is tidied up, and how the fixed
// version numbers are written. Kept apart from the Win32 calls so the rules
// can be tested on their own.

#include <cstdint>
#include <string>
#include <string_view>

#include "core/bytes.h"

namespace zandrel {

// U.S. English, Windows Latin-1: the table read when a file names none.
inline constexpr std::u16string_view kFallbackTranslationKey = u"040904E4";

// Language and code page as eight upper-case hex digits ("%.4x%.4x");
// "00000000" becomes the fallback key.
std::u16string FormatTranslationKey(std::uint16_t language, std::uint16_t code_page);

// The key of the first entry of a "\VarFileInfo\Translation" value, given its
// bytes; fewer than 4 bytes give the fallback key.
std::u16string TranslationKeyFromValue(ByteView value);

// "\StringFileInfo\<key>\<name>", the query path of one string value.
std::u16string StringValuePath(std::u16string_view key, std::u16string_view name);

// Tidies a FileVersion text: digits are kept, a run of '.' and ',' becomes
// one '.', spaces are skipped, and any other character (a letter, a bracket,
// the terminating null) ends the scan. A leading separator is dropped and
// one trailing '.' removed. Empty when nothing usable came before the stop.
std::u16string NormalizeFileVersion(std::u16string_view text);

// "%d.%d.%d.%d" of the four 16-bit words of the two 32-bit version numbers,
// most significant first.
std::u16string FormatFixedVersion(std::uint32_t version_ms, std::uint32_t version_ls);

// The file version of a VS_FIXEDFILEINFO given as bytes (the root value of a
// version resource); empty when the bytes are too short to hold it.
std::u16string FixedVersionFromRoot(ByteView root);

// The characters of a string value up to its first null; all of them when
// there is none.
std::u16string_view TextUpToNull(std::u16string_view value);

}  // namespace zandrel
