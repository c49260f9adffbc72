#include "icons/system_resources.h"

#include <filesystem>
#include <system_error>

#include "core/casefold.h"
#include "core/fs_path.h"

namespace zandrel::icons {

namespace fs = std::filesystem;

std::u16string SystemResourcesFile(const std::u16string& module_path) {
  return SystemResourcesFiles().Find(module_path);
}

std::u16string SystemResourcesFiles::Find(const std::u16string& module_path) {
  const fs::path module = PathOf(module_path);
  const fs::path windows = module.parent_path().parent_path();
  if (windows.empty() || windows == module.parent_path()) return {};
  if (!listed_ || TextOf(windows) != windows_) {
    listed_ = true;
    windows_ = TextOf(windows);
    files_.clear();
    // The folder in any letter case: a mounted Windows volume on a file
    // system that tells letter case apart.
    std::error_code ec;
    for (auto it = fs::directory_iterator(windows, ec); !ec && it != fs::directory_iterator();
         it.increment(ec)) {
      if (UpperCase(TextOf(it->path().filename())) != u"SYSTEMRESOURCES" || !it->is_directory(ec))
        continue;
      std::error_code inner_ec;
      for (auto inner = fs::directory_iterator(it->path(), inner_ec);
           !inner_ec && inner != fs::directory_iterator(); inner.increment(inner_ec))
        if (inner->is_regular_file(inner_ec))
          files_.emplace(UpperCase(TextOf(inner->path().filename())), TextOf(inner->path()));
    }
  }
  const auto found = files_.find(UpperCase(TextOf(module.filename()) + u".mun"));
  return found == files_.end() ? std::u16string() : found->second;
}

}  // namespace zandrel::icons
