#pragma once
// Group names: the text that addresses one icon group ("ID:" + decimal for a
// numeric resource name, otherwise the stored string), and the way back from a
// name to the resource name that finds the group again.

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "icons/resource_module.h"

namespace zandrel::icons {

// "ID:7" for identifier 7, the string itself for a string name.
std::u16string GroupNameFromResourceName(const ResourceName& name);

// The icon groups (type 14) of a module as group names, in enumeration order.
std::vector<std::u16string> CollectGroupNames(const ResourceModule& module);

// For listing and previews: a name starting with "ID:" (upper case) whose rest
// is a decimal number is that identifier; anything else, including "ID:" with
// a rest that is not a number, is the string name itself.
ResourceName ResourceIdFromGroupName(std::u16string_view group_name);

// For writing: a name starting with "ID:" must convert; nullopt when the rest
// is not a decimal number (the caller reports it, there is no fallback to the
// string). A number outside 0..65535 gives an identifier that is never found.
std::optional<ResourceName> ResourceIdForWriting(std::u16string_view group_name);

// The group that holds the program's own icon: "MAINICON", "#MAINICON" or
// "ID:MAINICON", in any letter case.
bool IsMainIconName(std::u16string_view group_name);

}  // namespace zandrel::icons
