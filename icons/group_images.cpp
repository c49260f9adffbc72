#include "icons/group_images.h"

#include <algorithm>

#include "icons/group_directory.h"
#include "icons/png_export.h"

namespace zandrel::icons {

namespace {

// The size an entry claims: 0 stands for 256.
std::uint32_t EntrySide(std::uint8_t stored) {
  return stored == 0 ? 256 : stored;
}

}  // namespace

std::vector<GroupImage> DescribeGroupImages(ByteView group, const ResourceModule& module,
                                            std::size_t limit) {
  std::vector<GroupImage> images;
  const auto count = GroupEntryCount(group);
  if (!count) return images;
  for (std::size_t k = 0; k < *count && k < limit; ++k) {
    const auto entry = GroupEntry(group, k);
    if (!entry) break;
    GroupImage image;
    image.position = k;
    image.image_id = GroupEntryImageId(*entry);
    image.width = EntrySide((*entry)[0]);
    image.height = EntrySide((*entry)[1]);
    image.bits = ReadU16LE(*entry, 6).value_or(0);
    const ResourceData data = module.Lookup(kRtIcon, ResourceName::Id(image.image_id));
    if (!data.found()) {
      image.problem = GroupImage::Problem::kMissing;
      images.push_back(std::move(image));
      continue;
    }
    image.bytes = data.bytes.size();
    image.png = IsPngImage(data.bytes);
    std::optional<RgbaImage> decoded;
    if (image.png) {
      decoded = DecodePng(data.bytes);
      image.bits = 32;
    } else {
      decoded = DecodeIconBitmap(data.bytes);
      if (const auto depth = ReadU16LE(data.bytes, 14)) image.bits = *depth;
    }
    if (decoded) image.pixels = std::make_shared<const RgbaImage>(std::move(*decoded));
    if (image.pixels) {
      image.width = image.pixels->width;
      image.height = image.pixels->height;
    } else {
      image.problem = GroupImage::Problem::kUndecodable;
    }
    images.push_back(std::move(image));
  }
  std::stable_sort(images.begin(), images.end(), [](const GroupImage& a, const GroupImage& b) {
    const std::uint64_t pa = std::uint64_t{a.width} * a.height;
    const std::uint64_t pb = std::uint64_t{b.width} * b.height;
    if (pa != pb) return pa > pb;
    return a.bits > b.bits;
  });
  return images;
}

Bytes SubsetGroupDirectory(ByteView group, const std::vector<std::size_t>& positions) {
  std::vector<std::size_t> chosen = positions;
  std::sort(chosen.begin(), chosen.end());
  chosen.erase(std::unique(chosen.begin(), chosen.end()), chosen.end());
  Bytes out(group.begin(), group.begin() + std::min(group.size(), kGroupHeaderSize));
  out.resize(kGroupHeaderSize, 0);
  std::uint16_t kept = 0;
  for (const std::size_t position : chosen) {
    const auto entry = GroupEntry(group, position);
    if (!entry) continue;
    out.insert(out.end(), entry->begin(), entry->end());
    ++kept;
  }
  out[4] = static_cast<std::uint8_t>(kept & 0xFF);
  out[5] = static_cast<std::uint8_t>(kept >> 8);
  return out;
}

}  // namespace zandrel::icons
