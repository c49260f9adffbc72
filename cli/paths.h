#pragma once
// Paths and the environment as zandrel-cli meets them: UTF-16 texts on one
// side, the standard library's paths (wide on Windows, UTF-8 elsewhere) on
// the other.

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

#include "core/fs_path.h"

namespace zandrel::cli {

using zandrel::PathOf;
using zandrel::TextOf;

// A variable of the environment (names are case-blind on Windows).
std::optional<std::u16string> EnvironmentValue(std::u16string_view name);

// True when `name` is one plain file name: no folder part, no root or drive,
// not "." or "..". Joined to the output folder it stays in that folder
// whatever the resource name held; writing then replaces a link of that name
// rather than following it.
bool PlainFileName(const std::filesystem::path& name);

}  // namespace zandrel::cli
