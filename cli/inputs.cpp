#include "cli/inputs.h"

#include <algorithm>
#include <filesystem>
#include <ostream>
#include <system_error>

#include "cli/paths.h"
#include "core/casefold.h"
#include "core/file_io.h"
#include "core/text.h"
#include "icons/icon_location.h"

namespace zandrel::cli {

namespace fs = std::filesystem;

namespace {

// The kinds of file a folder is searched for: modules (16-bit ones and icon
// libraries among them) and icon, cursor and animated cursor files.
bool IsPickedUp(const fs::path& path) {
  static const std::u16string kinds[] = {u".EXE", u".DLL", u".MUN", u".CPL", u".OCX",
                                         u".SCR", u".ICL", u".ICO", u".CUR", u".ANI"};
  const std::u16string ext = UpperCase(TextOf(path.extension()));
  return std::find(std::begin(kinds), std::end(kinds), ext) != std::end(kinds);
}

}  // namespace

std::vector<Input> ExpandInputs(const std::vector<std::string>& inputs) {
  std::vector<Input> files;
  for (const std::string& input : inputs) {
    const std::u16string text = FromUtf8(input);
    std::error_code ec;
    if (!fs::exists(PathOf(text), ec)) {
      if (const auto location = icons::ParseIconLocation(text)) {
        const std::u16string module = icons::ResolveLocationModule(
            location->module, &EnvironmentValue,
            [](const std::u16string& path) { return FileExists(path); });
        files.push_back({module, location->value});
        continue;
      }
    }
    if (!fs::is_directory(PathOf(text), ec)) {
      files.push_back({text, std::nullopt});
      continue;
    }
    std::vector<std::u16string> found;
    for (auto it = fs::recursive_directory_iterator(
             PathOf(text), fs::directory_options::skip_permission_denied, ec);
         !ec && it != fs::recursive_directory_iterator(); it.increment(ec)) {
      if (it->is_regular_file(ec) && IsPickedUp(it->path())) found.push_back(TextOf(it->path()));
    }
    std::sort(found.begin(), found.end());
    for (std::u16string& file : found) files.push_back({std::move(file), std::nullopt});
  }
  return files;
}

std::optional<std::size_t> LocatedGroup(const Input& input,
                                        const std::vector<std::u16string>& groups,
                                        std::ostream& err) {
  const auto at = icons::GroupOfLocation(groups, *input.location);
  if (!at)
    err << "error: " << ToUtf8(input.path) << ": no group at location " << *input.location << "\n";
  return at;
}

std::u16string LocationOf(const std::u16string& module, const std::u16string& group,
                          std::size_t position) {
  std::error_code ec;
  const fs::path absolute = fs::absolute(PathOf(module), ec);
  return icons::FormatIconLocation(
      icons::PathWithLocationFolder(ec ? module : TextOf(absolute), &EnvironmentValue), group,
      position);
}

}  // namespace zandrel::cli
