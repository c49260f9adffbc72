#pragma once
// Cursor groups (RT_GROUP_CURSOR) as .cur files. A cursor image resource
// starts with its hotspot (two 16-bit values) before the bitmap; the .cur
// file keeps the hotspot in its directory and the bitmap as the image.

#include <optional>
#include <string>

#include "core/bytes.h"
#include "icons/ico_writer.h"
#include "icons/resource_module.h"

namespace zandrel::icons {

// The .cur bytes for the cursor group directory `group`. Images that are
// missing, or too short to hold a hotspot, are left out (and reported);
// nullopt for a directory shorter than its header, or a file past the
// limits of the budget (as for icons).
std::optional<Bytes> AssembleCursorFile(ByteView group, const ResourceModule& module,
                                        const ImageProblemHandler& on_problem = {},
                                        OutputBudget* budget = nullptr);

// "32x32 (1-bit), 48x48 (PNG)": each image of the group as its directory
// entry describes it (the height without the mask rows).
std::u16string DescribeCursorGroup(ByteView group, const ResourceModule& module);
// The images of the group that can be found.
std::uint16_t CursorImageCount(ByteView group, const ResourceModule& module);

}  // namespace zandrel::icons
