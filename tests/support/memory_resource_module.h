#pragma once
// An in-memory resource module for unit tests of code that reads resources.

#include <map>
#include <utility>
#include <vector>

#include "icons/resource_module.h"

namespace zandrel::testing {

class MemoryResourceModule : public icons::ResourceModule {
 public:
  // Adds a resource; names are enumerated in the order they were added.
  void Add(std::uint16_t type, icons::ResourceName name, Bytes bytes);
  // Makes a lookup of this resource report that it cannot be loaded.
  void MarkNotLoadable(std::uint16_t type, const icons::ResourceName& name);

  std::vector<icons::ResourceName> EnumerateNames(std::uint16_t type) const override;
  icons::ResourceData Lookup(std::uint16_t type, const icons::ResourceName& name) const override;

 private:
  struct Entry {
    std::uint16_t type;
    icons::ResourceName name;
    Bytes bytes;
    bool loadable = true;
  };
  std::vector<Entry> entries_;
};

// Helpers that build icon resources.
Bytes MakeGroupDirectory(const std::vector<std::vector<std::uint8_t>>& entries14);
// One 14-byte group entry.
std::vector<std::uint8_t> MakeGroupEntry(std::uint8_t width, std::uint8_t height,
                                         std::uint16_t bit_count, std::uint32_t bytes_in_res,
                                         std::uint16_t image_id, std::uint8_t colours = 0,
                                         std::uint16_t planes = 1);
// A minimal PNG stream (signature, IHDR with the given size, IEND).
Bytes MakePngImage(std::uint32_t width, std::uint32_t height);

}  // namespace zandrel::testing
