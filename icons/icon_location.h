#pragma once
// Windows' icon locations, as shortcuts, desktop.ini files and the
// registry's DefaultIcon values write them: "module,N" where N >= 0 is a
// position in the module's group list and N < 0 is minus a group's
// identifier ("%SystemRoot%\System32\shell32.dll,-8").

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace zandrel::icons {

struct IconLocation {
  std::u16string module;  // as written: may hold %VARIABLES% or be a bare name
  std::int32_t value = 0;

  bool operator==(const IconLocation&) const = default;
};

// "module,N" split at its last comma; blanks around either part and a pair of
// double quotes around the module (or around the whole text) are dropped.
// None without a comma, an empty module, or an N that is not a 32-bit
// decimal.
std::optional<IconLocation> ParseIconLocation(std::u16string_view text);

// The location of the group at `position` of a module's list: "module,-id"
// for "ID:id", "module,position" for a named group.
std::u16string FormatIconLocation(std::u16string_view module, std::u16string_view group_name,
                                  std::size_t position);

// The position a location's number names in a module's group list: -id the
// group "ID:id", N >= 0 the N-th group. None when there is no such group.
std::optional<std::size_t> GroupOfLocation(const std::vector<std::u16string>& groups,
                                           std::int32_t value);

// A folder the environment names: ("SystemRoot", "C:\Windows").
using EnvironmentFolder = std::pair<std::u16string, std::u16string>;
// The variables whose folders a location is written with, as DefaultIcon
// values do.
const std::vector<std::u16string>& LocationFolderVariables();

// `path` with the longest of `folders` it lies in (letter case ignored, the
// folder ending at a separator) written as %NAME%; the path itself otherwise.
std::u16string PathWithEnvironmentFolder(std::u16string_view path,
                                         const std::vector<EnvironmentFolder>& folders);
// The same with the folders of LocationFolderVariables() as `lookup` gives them.
std::u16string PathWithLocationFolder(
    std::u16string_view path,
    const std::function<std::optional<std::u16string>(std::u16string_view)>& lookup);

// Every %NAME% that `lookup` knows replaced by its value; the rest as it is.
std::u16string ExpandEnvironmentText(
    std::u16string_view text,
    const std::function<std::optional<std::u16string>(std::u16string_view)>& lookup);

// The file a location's module names: variables expanded; a bare file name
// (no folder) is looked for in the system folder, then the Windows folder
// (%SystemRoot%\System32, %SystemRoot%), as Windows resolves icon locations;
// `exists` tells whether a candidate is a file.
std::u16string ResolveLocationModule(
    std::u16string_view module,
    const std::function<std::optional<std::u16string>(std::u16string_view)>& lookup,
    const std::function<bool(const std::u16string&)>& exists);

}  // namespace zandrel::icons
