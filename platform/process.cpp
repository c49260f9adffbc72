#include "platform/process.h"

#include <windows.h>
#include <shellapi.h>

#include "platform/handles.h"
#include "platform/wide.h"

namespace zandrel::platform {

std::wstring ExecutablePath() {
  std::wstring buffer(MAX_PATH, L'\0');
  for (;;) {
    const DWORD n = GetModuleFileNameW(nullptr, buffer.data(), static_cast<DWORD>(buffer.size()));
    if (n == 0) return std::wstring();
    if (n < buffer.size()) {
      buffer.resize(n);
      return buffer;
    }
    buffer.resize(buffer.size() * 2);
  }
}

std::wstring ExecutableFolder() {
  std::wstring path = ExecutablePath();
  const std::size_t sep = path.find_last_of(L"\\/");
  return sep == std::wstring::npos ? std::wstring() : path.substr(0, sep + 1);
}

std::wstring FirstCommandLineArgument(bool* present) {
  int argc = 0;
  LPWSTR* argv = CommandLineToArgvW(GetCommandLineW(), &argc);
  const UniqueLocalMemory owned(argv);
  std::wstring first;
  if (present) *present = argv && argc >= 2;
  if (argv && argc >= 2) first = argv[1];
  return first;
}

std::optional<std::wstring> EnvironmentVariable(const std::wstring& name) {
  DWORD size = GetEnvironmentVariableW(name.c_str(), nullptr, 0);
  // The value may change between the two calls; ask again until it fits.
  while (size > 0) {
    std::wstring value(size, L'\0');
    const DWORD got = GetEnvironmentVariableW(name.c_str(), value.data(), size);
    if (got == 0) break;
    if (got < size) {
      value.resize(got);
      return value;
    }
    size = got;
  }
  return std::nullopt;
}

std::optional<std::u16string> EnvironmentText(std::u16string_view name) {
  const auto value = EnvironmentVariable(ToWide(name));
  if (!value) return std::nullopt;
  return FromWide(*value);
}

}  // namespace zandrel::platform
