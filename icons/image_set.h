#pragma once
// The image set of an .ico or .cur file (also each frame of an .ani file) as
// the resources a module would hold for it: one icon group whose images are
// icon resources, and for a cursor file also one cursor group whose images
// carry their hotspots before the bitmap, as cursor resources do. Listing,
// sizes text, PNG export and .ico or .cur assembly then read it unchanged.

#include <cstdint>

#include "icons/byte_source.h"
#include "icons/resource_store.h"

namespace zandrel::icons {

inline constexpr std::uint16_t kIconFileType = 1;
inline constexpr std::uint16_t kCursorFileType = 2;

// True for bytes that start like an .ico or .cur file: reserved 0, then type
// 1 or 2. The count is not checked: a cut or lying directory still opens.
bool LooksLikeImageSet(ByteView head);

class ImageSetModule : public IndexedResourceModule {
 protected:
  using IndexedResourceModule::IndexedResourceModule;

  // Adds the image set lying in `set` (an .ico or .cur file's bytes) as the
  // group `name`. Each image gets the next free identifier, and one past
  // 65,535 there are none: a set past that keeps the images numbered so
  // far. Images whose bytes lie outside `set` are listed but cannot be
  // loaded. A set that is no .ico or .cur file gives an empty icon group.
  // Answers the file's type (1 or 2), or 0 for one that is none.
  std::uint16_t AddImageSet(const Bounded& set, const ResourceName& name);

 private:
  std::uint32_t next_id_ = 1;
};

}  // namespace zandrel::icons
