#pragma once
// What the search list shows and filters by for one group, read from its
// directory and the first bytes of its images.

#include <string>

#include "icons/resource_module.h"
#include "search/icon_search.h"

namespace zandrel::search {

// The group's name, kind, image count, sizes text, largest edge and whether
// any image is a PNG; `module` and `position` are left for the caller.
FoundGroup DescribeFoundGroup(const icons::ResourceModule& module, const std::u16string& name,
                              bool cursor);

// The group's directory: a cursor group's when `cursor`, an icon group's otherwise.
icons::ResourceData GroupDirectory(const icons::ResourceModule& module, const std::u16string& name,
                                   bool cursor);

}  // namespace zandrel::search
