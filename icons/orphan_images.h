#pragma once
// Icon images that no icon group names: left behind by resource editors, or
// kept on purpose. The view shows each as an icon group of its own, named by
// the image's identifier, with one entry made from the image's own header,
// so that listing, .ico assembly and PNG export work on them unchanged.

#include <cstdint>
#include <unordered_set>
#include <vector>

#include "icons/resource_module.h"

namespace zandrel::icons {

class OrphanImagesView : public ResourceModule {
 public:
  // Reads every icon group of `module`, which must outlive the view.
  explicit OrphanImagesView(const ResourceModule& module);

  // Icon groups: the orphaned images, in the module's order. Every other
  // type is the module's.
  std::vector<ResourceName> EnumerateNames(std::uint16_t type) const override;
  // An orphan's group: a one-entry directory; kNotFound for any other name.
  // Images and every other type: the module's.
  ResourceData Lookup(std::uint16_t type, const ResourceName& name) const override;

  // False when the groups held more entries than are read: then no image is
  // known to be an orphan, and none is listed.
  bool complete() const { return complete_; }
  static constexpr std::uint64_t kMaxGroupEntriesRead = std::uint64_t{1} << 20;

 private:
  const ResourceModule& module_;
  std::vector<ResourceName> orphans_;
  std::unordered_set<std::uint16_t> orphan_ids_;
  bool complete_ = true;
};

// The 14-byte group entry of an image as its own header describes it
// (width and height, 0 for 256 and more; colours; bit count; its size),
// naming identifier `id`.
Bytes GroupEntryForImage(ByteView image, std::uint16_t id);

}  // namespace zandrel::icons
