#pragma once
// Where Windows 10 and later keep the icons of a system module: for
// ...\Windows\System32\shell32.dll, ...\Windows\SystemResources\shell32.dll.mun
// (the folder's letter case as found on disk). Empty when there is none.

#include <string>
#include <unordered_map>

namespace zandrel::icons {

std::u16string SystemResourcesFile(const std::u16string& module_path);

// The same for many modules, as a folder scan asks: each Windows folder's
// SystemResources folder is listed once, not once a module.
class SystemResourcesFiles {
 public:
  std::u16string Find(const std::u16string& module_path);

 private:
  bool listed_ = false;
  std::u16string windows_;  // the Windows folder listed
  std::unordered_map<std::u16string, std::u16string> files_;  // upper-cased file name → path
};

}  // namespace zandrel::icons
