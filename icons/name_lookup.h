#pragma once
// Finding a resource by type and name in the per-type indexes the readers
// keep: an identifier directly, a text name by its upper-cased form (as the
// system looks names up).

#include <cstdint>
#include <string>
#include <unordered_map>
#include <vector>

#include "core/casefold.h"
#include "icons/resource_module.h"

namespace zandrel::icons {

// `TypeIndex` holds the items in a vector (`items`) and two maps from an
// identifier and from an upper-cased text to a position in it.
template <typename TypeIndex, typename Item>
const Item* FindByName(const std::unordered_map<std::uint16_t, TypeIndex>& types,
                       std::uint16_t type, const ResourceName& name,
                       std::vector<Item> TypeIndex::*items) {
  const auto found = types.find(type);
  if (found == types.end()) return nullptr;
  const TypeIndex& index = found->second;
  if (name.is_id) {
    if (name.id > 0xFFFF) return nullptr;
    const auto at = index.by_id.find(static_cast<std::uint16_t>(name.id));
    return at == index.by_id.end() ? nullptr : &(index.*items)[at->second];
  }
  const auto at = index.by_upper_text.find(UpperCase(name.text));
  return at == index.by_upper_text.end() ? nullptr : &(index.*items)[at->second];
}

}  // namespace zandrel::icons
