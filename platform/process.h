#pragma once
// Facts about the running process.

#include <string>

namespace zandrel::platform {

// Full path of the running executable.
std::wstring ExecutablePath();
// Its folder, with a trailing backslash.
std::wstring ExecutableFolder();
// The command-line arguments after the program name, as the C runtime splits them.
std::wstring FirstCommandLineArgument(bool* present);

}  // namespace zandrel::platform
