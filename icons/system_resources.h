#pragma once
// Where Windows 10 and later keep the icons of a system module: for
// ...\Windows\System32\shell32.dll, ...\Windows\SystemResources\shell32.dll.mun
// (the folder's letter case as found on disk). Empty when there is none.

#include <string>

namespace zandrel::icons {

std::u16string SystemResourcesFile(const std::u16string& module_path);

}  // namespace zandrel::icons
