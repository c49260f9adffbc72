#pragma once
// What zandrel-cli is asked to read: files, folders standing for the
// modules and icon files in them, and icon locations naming one group.

#include <cstddef>
#include <cstdint>
#include <iosfwd>
#include <optional>
#include <string>
#include <vector>

namespace zandrel::cli {

// One file to read, and the one group an icon location named in it.
struct Input {
  std::u16string path;
  std::optional<std::int32_t> location;
};

// The files named on the command line; a folder stands for the modules and
// icon files in it and below it, in name order; an icon location
// ("shell32.dll,-8") for its module, narrowed to that group.
std::vector<Input> ExpandInputs(const std::vector<std::string>& inputs);

// The group an input's location names; reported on `err` when there is none.
std::optional<std::size_t> LocatedGroup(const Input& input,
                                        const std::vector<std::u16string>& groups,
                                        std::ostream& err);

// A group's location as Windows writes it, the module's path absolute and
// written with the environment folder it lies in.
std::u16string LocationOf(const std::u16string& module, const std::u16string& group,
                          std::size_t position);

}  // namespace zandrel::cli
