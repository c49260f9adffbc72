#pragma once
// Facts about the running process.

#include <optional>
#include <string>
#include <string_view>

namespace zandrel::platform {

// Full path of the running executable.
std::wstring ExecutablePath();
// Its folder, with a trailing backslash.
std::wstring ExecutableFolder();
// The command-line arguments after the program name, as the C runtime splits them.
std::wstring FirstCommandLineArgument(bool* present);
// A variable of the process's environment (names are case-blind); none when unset.
std::optional<std::wstring> EnvironmentVariable(const std::wstring& name);
// The same in the portable code's text, as its environment lookups take it.
std::optional<std::u16string> EnvironmentText(std::u16string_view name);

}  // namespace zandrel::platform
