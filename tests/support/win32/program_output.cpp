#include "tests/support/win32/program_output.h"

#include "platform/handles.h"

namespace zandrel::testing {

std::string ProgramOutput(std::wstring command_line, DWORD timeout_ms) {
  SECURITY_ATTRIBUTES inherit{sizeof inherit, nullptr, TRUE};
  HANDLE read = nullptr, write = nullptr;
  if (!CreatePipe(&read, &write, &inherit, 0)) return {};
  const platform::UniqueHandle reader(read);
  SetHandleInformation(read, HANDLE_FLAG_INHERIT, 0);
  STARTUPINFOW si{};
  si.cb = sizeof si;
  si.dwFlags = STARTF_USESTDHANDLES;
  si.hStdOutput = write;
  si.hStdError = GetStdHandle(STD_ERROR_HANDLE);
  PROCESS_INFORMATION pi{};
  const bool started = CreateProcessW(nullptr, command_line.data(), nullptr, nullptr, TRUE,
                                      CREATE_NO_WINDOW, nullptr, nullptr, &si, &pi);
  CloseHandle(write);  // the pipe ends when the program's copy is closed
  if (!started) return {};
  const platform::UniqueHandle process(pi.hProcess), thread(pi.hThread);
  std::string out;
  char buffer[4096];
  DWORD got = 0;
  while (ReadFile(read, buffer, sizeof buffer, &got, nullptr) && got > 0) out.append(buffer, got);
  WaitForSingleObject(pi.hProcess, timeout_ms);
  return out;
}

}  // namespace zandrel::testing
