#pragma once
// What the icon list shows about a group besides its name: the image count and
// the sizes text ("16x16 (32-bit), 256x256 (PNG)").

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "core/bytes.h"
#include "icons/resource_module.h"

namespace zandrel::icons {

struct PngSize {
  std::uint32_t width = 0;
  std::uint32_t height = 0;
  bool operator==(const PngSize&) const = default;
};

// The image count stored in the group directory; 0 when the group cannot be
// found, loaded or is too short to hold a count.
std::uint16_t GetGroupImageCount(std::u16string_view group_name, const ResourceModule& module);

// One "WxH" item per directory entry, ", " between them; empty on any failure.
// Only entries wholly inside the group data are described, so a count that
// runs past the end lists the entries that are present. Past
// kMaxDescribedEntries entries the text ends in ", …": real groups hold a
// dozen or two, and many rows may share one crafted directory of thousands.
inline constexpr std::size_t kMaxDescribedEntries = 256;
std::u16string DescribeGroupSizes(std::u16string_view group_name, const ResourceModule& module);

// The size of the icon image with this identifier when it is a PNG stream.
std::optional<PngSize> GetIconPngSize(const ResourceModule& module, std::uint32_t image_id);

// The size from the IHDR chunk of PNG bytes, which the format puts first;
// nullopt when the signature is missing, the first chunk is not IHDR, or its
// width and height lie past the end.
std::optional<PngSize> ReadPngHeaderSize(ByteView bytes);

}  // namespace zandrel::icons
