#pragma once
// Wine's own PE modules: real modules that nobody here wrote, against which the
// resource readers are held.

#include <string>
#include <string_view>

namespace zandrel::testing {

enum class WineArch { kI386, kX86_64 };

// The module's path as the running test sees it: a host path in the host tree,
// the same file through drive Z: under Wine.
std::u16string WineModulePath(WineArch arch, std::u16string_view file_name);

}  // namespace zandrel::testing
