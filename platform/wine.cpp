#include "platform/wine.h"

#include <windows.h>

#include "platform/system_function.h"

namespace zandrel::platform {

std::string WineHostPath(const std::wstring& path) {
  // Wine's own export; Windows has no such mapping.
  using UnixFileName = char*(CDECL*)(const wchar_t*);
  static const auto unix_file_name =
      SystemFunction<UnixFileName>(L"kernel32.dll", "wine_get_unix_file_name");
  if (!unix_file_name) return {};
  char* name = unix_file_name(path.c_str());
  if (!name) return {};
  std::string host(name);
  HeapFree(GetProcessHeap(), 0, name);
  return host;
}

}  // namespace zandrel::platform
