#include "tests/support/win32/linux_programs.h"

#include <stdexcept>

#include "core/file_io.h"
#include "core/text.h"
#include "platform/handles.h"
#include "platform/wide.h"
#include "platform/wine.h"
#include "tests/support/temp_folder.h"

namespace zandrel::testing {

namespace {

// The command line Wine splits back into the program's arguments.
std::wstring CommandLine(const std::vector<std::string>& command) {
  std::wstring line;
  for (const std::string& text : command) {
    const std::wstring arg = platform::ToWide(FromUtf8(text));
    if (!line.empty()) line += L' ';
    line += L'"';
    for (const wchar_t c : arg) {
      if (c == L'"') line += L'\\';
      line += c;
    }
    line += L'"';
  }
  return line;
}

void Start(const std::vector<std::string>& command) {
  std::wstring line = CommandLine(command);
  STARTUPINFOW startup{};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION process{};
  if (!CreateProcessW(nullptr, line.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup,
                      &process))
    throw std::runtime_error("cannot start /bin/sh");
  const platform::UniqueHandle thread(process.hThread), handle(process.hProcess);
}

std::optional<std::string> Read(const std::u16string& path) {
  const auto bytes = ReadFileBytes(path);
  if (!bytes) return std::nullopt;
  return std::string(bytes->begin(), bytes->end());
}

}  // namespace

LinuxRun RunLinuxProgram(const std::vector<std::string>& command, DWORD timeout_ms) {
  TempFolder dir;
  const std::string folder = platform::WineHostPath(platform::ToWide(dir.path()));
  // The status file appears whole, once the program has ended.
  std::vector<std::string> shell = {
      "Z:\\bin\\sh",
      "-c",
      "out=$1; status=$2; shift 2; \"$@\" >\"$out\" 2>&1 </dev/null; echo $? >\"$status.part\"; "
      "mv \"$status.part\" \"$status\"",
      "sh",
      folder + "/output",
      folder + "/status"};
  shell.insert(shell.end(), command.begin(), command.end());
  Start(shell);
  LinuxRun run;
  for (DWORD waited = 0; waited < timeout_ms; waited += 20) {
    if (const auto status = Read(dir.path() + u"\\status")) {
      run.exit_code = std::stoi(*status);
      break;
    }
    Sleep(20);
  }
  run.output = Read(dir.path() + u"\\output").value_or("");
  return run;
}

void StartLinuxShell(const std::string& command_line) {
  Start({"Z:\\bin\\sh", "-c", command_line});
}

}  // namespace zandrel::testing
