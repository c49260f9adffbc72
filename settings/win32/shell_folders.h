#pragma once
// The user's shell folders the settings and output rules start from.

#include <string>

namespace zandrel::settings {

// The user's roaming application-data folder, without a trailing separator;
// empty when the system cannot tell.
std::wstring RoamingAppDataFolder();
// The user's My Pictures folder (at most 260 characters), without a trailing
// separator; empty when the system cannot tell.
std::wstring MyPicturesFolder();

}  // namespace zandrel::settings
