#pragma once
// What only Wine has: the host path behind a Windows path.

#include <string>

namespace zandrel::platform {

// The host (Linux) path Wine maps a Windows path to, in UTF-8; empty outside
// Wine, where there is none, and when Wine has none for it.
std::string WineHostPath(const std::wstring& path);

}  // namespace zandrel::platform
