#pragma once
// Icon files for tests: .ico and .cur files laid out as icon editors write
// them (header, records, images in record order), animated cursors (.ani:
// RIFF "ACON" with "anih", "rate", "seq " and a "LIST" "fram" of "icon"
// chunks), and the resources of a cursor group as a module stores them.

#include <cstdint>
#include <vector>

#include "core/bytes.h"
#include "icons/resource_module.h"

namespace zandrel::testing {

// One image of an .ico or .cur file and what its record says.
struct IconFileImage {
  Bytes bytes;
  std::uint8_t width = 32;  // 0 means 256
  std::uint8_t height = 32;
  std::uint16_t bit_count = 32;  // icons
  std::uint16_t hotspot_x = 0;   // cursors
  std::uint16_t hotspot_y = 0;
};

Bytes MakeIconFile(const std::vector<IconFileImage>& images);
Bytes MakeCursorFile(const std::vector<IconFileImage>& images);

struct AniSpec {
  std::vector<Bytes> frames;            // each a whole .ico or .cur file
  std::vector<std::uint32_t> rates;     // per step, in sixtieths of a second; none when empty
  std::vector<std::uint32_t> sequence;  // the frame of each step; none when empty
  std::uint32_t display_rate = 10;
};
Bytes MakeAniFile(const AniSpec& spec);

// A resource a test adds to a module builder.
struct ResourceSpec {
  std::uint16_t type;
  icons::ResourceName name;
  Bytes bytes;
};
// The cursor group `name` of `images` as a module stores it: each image a
// cursor resource (hotspot, then the bitmap) numbered from `first_id`, then
// the group directory.
std::vector<ResourceSpec> CursorGroupResources(const icons::ResourceName& name,
                                               const std::vector<IconFileImage>& images,
                                               std::uint16_t first_id);

}  // namespace zandrel::testing
