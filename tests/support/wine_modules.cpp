#include "tests/support/wine_modules.h"

namespace zandrel::testing {

std::u16string WineModulePath(WineArch arch, std::u16string_view file_name) {
  std::u16string path = arch == WineArch::kI386 ? u"/usr/lib/i386-linux-gnu/wine/i386-windows/"
                                                : u"/usr/lib/x86_64-linux-gnu/wine/x86_64-windows/";
  path += file_name;
#ifdef _WIN32
  for (auto& c : path)
    if (c == u'/') c = u'\\';
  path.insert(0, u"Z:");
#endif
  return path;
}

}  // namespace zandrel::testing
