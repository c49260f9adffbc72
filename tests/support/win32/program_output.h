#pragma once
// What a Windows program started from a test writes to its standard output
// (zandrel-cli.exe of this tree, say).

#include <windows.h>

#include <string>

namespace zandrel::testing {

// Runs the command line, waits for the program (up to the time-out) and
// answers its standard output; empty when it could not be started.
std::string ProgramOutput(std::wstring command_line, DWORD timeout_ms = 60000);

}  // namespace zandrel::testing
