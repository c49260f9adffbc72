#pragma once
// A module that keeps the first lookup of each resource for a short while:
// describing one group (its preview, image count, sizes text, largest image)
// reads the same directory and images several times. Held for one group
// only, so the memory it keeps is one group's, whatever reader is behind it.

#include <cstddef>
#include <cstdint>
#include <vector>

#include "icons/resource_module.h"

namespace zandrel::icons {

class LookupMemo : public ResourceModule {
 public:
  explicit LookupMemo(const ResourceModule& module) : module_(module) {}
  std::vector<ResourceName> EnumerateNames(std::uint16_t type) const override {
    return module_.EnumerateNames(type);
  }
  ResourceData Lookup(std::uint16_t type, const ResourceName& name) const override {
    for (const Kept& kept : kept_)
      if (kept.type == type && kept.name == name) return kept.data;
    ResourceData data = module_.Lookup(type, name);
    // A crafted group may name thousands of images; only the first few are kept.
    if (kept_.size() < kMaxKept) kept_.push_back({type, name, data});
    return data;
  }

 private:
  static constexpr std::size_t kMaxKept = 64;
  struct Kept {
    std::uint16_t type;
    ResourceName name;
    ResourceData data;
  };
  const ResourceModule& module_;
  mutable std::vector<Kept> kept_;
};

}  // namespace zandrel::icons
