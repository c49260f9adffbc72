#pragma once
// The version of the system this process runs on.

#include "core/os_version.h"

namespace zandrel::platform {

// The version the system reports to this process, read once before the
// program entry runs (see os_version.cpp).
const OsVersion& ReportedOsVersion();

}  // namespace zandrel::platform
