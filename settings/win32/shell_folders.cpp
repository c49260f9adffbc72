#include "settings/win32/shell_folders.h"

#include <windows.h>
#include <shlobj.h>

namespace zandrel::settings {

namespace {

std::wstring ShellFolder(int csidl) {
  wchar_t path[MAX_PATH + 1] = {};
  SetLastError(0);
  if (FAILED(SHGetFolderPathW(nullptr, csidl, nullptr, SHGFP_TYPE_CURRENT, path))) return {};
  std::wstring result(path);
  while (result.size() > 3 && (result.back() == L'\\' || result.back() == L'/')) result.pop_back();
  return result;
}

}  // namespace

std::wstring RoamingAppDataFolder() {
  return ShellFolder(CSIDL_APPDATA);
}
std::wstring MyPicturesFolder() {
  return ShellFolder(CSIDL_MYPICTURES);
}

}  // namespace zandrel::settings
