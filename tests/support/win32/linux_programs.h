#pragma once
// Linux programs started from a test under Wine: given a Linux executable,
// CreateProcess runs it as a Linux process. Tests use Debian's openssl this
// way, for keys, signatures and a TLS server. Neither the process handle nor
// the standard handles Wine gives such a process are a reliable measure of
// it, so each program runs under /bin/sh with its output and its end written
// to files.

#include <windows.h>

#include <string>
#include <vector>

namespace zandrel::testing {

struct LinuxRun {
  int exit_code = -1;  // -1 when it did not end in time
  std::string output;  // standard output and error together
};

// Runs a program (its Linux path, then its arguments) and waits for it.
LinuxRun RunLinuxProgram(const std::vector<std::string>& command, DWORD timeout_ms = 60000);

// Starts a shell command line in the background; it looks after its own
// output and end.
void StartLinuxShell(const std::string& command_line);

}  // namespace zandrel::testing
