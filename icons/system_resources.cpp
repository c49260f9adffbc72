#include "icons/system_resources.h"

#include <filesystem>
#include <system_error>

#include "core/casefold.h"
#include "core/fs_path.h"

namespace zandrel::icons {

namespace fs = std::filesystem;

std::u16string SystemResourcesFile(const std::u16string& module_path) {
  const fs::path module = PathOf(module_path);
  const fs::path windows = module.parent_path().parent_path();
  if (windows.empty() || windows == module.parent_path()) return {};
  std::error_code ec;
  const fs::path wanted =
      windows / "SystemResources" / (module.filename().native() + PathOf(u".mun").native());
  if (fs::is_regular_file(wanted, ec)) return TextOf(wanted);
  // A mounted Windows volume on a file system that tells letter case apart.
  const std::u16string folder_upper = u"SYSTEMRESOURCES";
  const std::u16string file_upper = UpperCase(TextOf(module.filename()) + u".mun");
  for (auto it = fs::directory_iterator(windows, ec); !ec && it != fs::directory_iterator();
       it.increment(ec)) {
    if (UpperCase(TextOf(it->path().filename())) != folder_upper || !it->is_directory(ec)) continue;
    for (auto inner = fs::directory_iterator(it->path(), ec);
         !ec && inner != fs::directory_iterator(); inner.increment(ec))
      if (UpperCase(TextOf(inner->path().filename())) == file_upper && inner->is_regular_file(ec))
        return TextOf(inner->path());
  }
  return {};
}

}  // namespace zandrel::icons
