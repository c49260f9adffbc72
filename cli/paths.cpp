#include "cli/paths.h"

#include <cstdlib>
#include <filesystem>
#include <system_error>

#include "cli/cli.h"
#include "core/casefold.h"
#include "core/text.h"

namespace zandrel::cli {

namespace fs = std::filesystem;

fs::path PathOf(const std::u16string& text) {
#ifdef _WIN32
  return fs::path(std::wstring(text.begin(), text.end()));
#else
  return fs::path(ToUtf8(text));
#endif
}

std::u16string TextOf(const fs::path& path) {
#ifdef _WIN32
  const std::wstring wide = path.wstring();
  return std::u16string(wide.begin(), wide.end());
#else
  return FromUtf8(path.string());
#endif
}

std::optional<std::u16string> EnvironmentValue(std::u16string_view name) {
#ifdef _WIN32
  const wchar_t* value = _wgetenv(std::wstring(name.begin(), name.end()).c_str());
  if (!value) return std::nullopt;
  const std::wstring wide(value);
  return std::u16string(wide.begin(), wide.end());
#else
  const char* value = std::getenv(ToUtf8(name).c_str());
  if (!value) return std::nullopt;
  return FromUtf8(value);
#endif
}

bool PlainFileName(const fs::path& name) {
  return !name.empty() && std::distance(name.begin(), name.end()) == 1 && !name.has_root_path() &&
         name != "." && name != "..";
}

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

}  // namespace zandrel::cli
