#pragma once
// Every image of one icon group, as the inspector shows it: its place in the
// group's directory, size and depth as the image itself says, whether it is
// stored as PNG, its bytes, and its pixels when they decode (the reason when
// they do not). A chosen subset of the group's images becomes a directory of
// its own, so that a new .ico of just those is laid out like the group's.

#include <cstddef>
#include <cstdint>
#include <memory>
#include <vector>

#include "core/bytes.h"
#include "icons/icon_image.h"
#include "icons/resource_module.h"

namespace zandrel::icons {

struct GroupImage {
  enum class Problem { kNone, kMissing, kUndecodable };

  std::size_t position = 0;  // the entry's place in the group's directory
  std::uint16_t image_id = 0;
  std::uint32_t width = 0;  // the image's own, or the entry's when it does not decode
  std::uint32_t height = 0;
  std::uint16_t bits = 0;  // bits per pixel; 32 for a PNG
  bool png = false;
  std::size_t bytes = 0;                    // the image's stored size
  std::shared_ptr<const RgbaImage> pixels;  // null when they do not decode
  Problem problem = Problem::kNone;
};

// The images the directory `group` names, largest first (most pixels, then
// the deepest, then directory order); images that are missing or do not
// decode keep their place by the entry's size, with the reason. At most
// `limit` entries are read.
std::vector<GroupImage> DescribeGroupImages(ByteView group, const ResourceModule& module,
                                            std::size_t limit = 4096);

// A group directory holding only the entries at `positions` (directory
// order kept), for AssembleIconFile. Positions past the directory are left out.
Bytes SubsetGroupDirectory(ByteView group, const std::vector<std::size_t>& positions);

}  // namespace zandrel::icons
