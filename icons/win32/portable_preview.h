#pragma once
// A preview of a group the portable reader reads: the image the system
// would choose from the group's directory for the size, made into an icon
// from its bytes as the loader would.

#include <windows.h>

#include "core/bytes.h"
#include "icons/resource_module.h"

namespace zandrel::icons {

// `directory` is the group's (a cursor group's when `cursor`); null when no
// image can be chosen or made. The caller owns the icon.
HICON MakePortablePreview(const ResourceModule& module, ByteView directory, bool cursor, int size);

}  // namespace zandrel::icons
