#pragma once
// Reads text values from the version-information resource of a file. Every
// failure (no such file, no resource, missing value) gives an empty string;
// nothing throws. No shared state, so any thread may call these at any time.

#include <string>

namespace zandrel::platform {

// The string value `name` of the file's string table, exactly as stored up
// to its terminating null character.
std::wstring GetVersionInfoString(const std::wstring& file_name, const std::wstring& name);

// The FileVersion string tidied to digits and single dots; when that leaves
// nothing, the fixed file version as "a.b.c.d".
std::wstring GetFileVersion(const std::wstring& file_name);

std::wstring GetCompanyName(const std::wstring& file_name);
std::wstring GetLegalCopyright(const std::wstring& file_name);

}  // namespace zandrel::platform
