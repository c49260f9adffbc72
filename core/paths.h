#pragma once
// Windows path text rules, applied to text only (no file system access).
// Separators are "\" and "/"; a drive colon also ends the folder part.

#include <string>
#include <string_view>

namespace zandrel {

bool IsPathDelimiter(char16_t c);

// "C:\Apps\tool.exe" -> "tool.exe"
std::u16string ExtractFileName(std::u16string_view path);
// "C:\Apps\tool.exe" -> "C:\Apps\" (with its trailing separator); "" when none.
std::u16string ExtractFilePath(std::u16string_view path);
// "setup.old.exe" -> ".exe"; "" when the file name has no dot.
std::u16string ExtractFileExt(std::u16string_view path);
// The file name without folder and without its last extension.
std::u16string FileNameWithoutExt(std::u16string_view path);
// The path with its last extension removed (folder kept).
std::u16string RemoveFileExt(std::u16string_view path);
// Appends "\" unless the text already ends in "\" or "/".
std::u16string WithTrailingSeparator(std::u16string_view path);

}  // namespace zandrel
