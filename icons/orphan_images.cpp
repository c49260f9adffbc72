#include "icons/orphan_images.h"

#include <memory>
#include <unordered_set>

#include "icons/group_directory.h"
#include "icons/group_sizes.h"
#include "icons/icon_image.h"

namespace zandrel::icons {

namespace {

std::uint8_t SideByte(std::uint32_t side) {
  return static_cast<std::uint8_t>(side >= 256 ? 0 : side);
}

}  // namespace

Bytes GroupEntryForImage(ByteView image, std::uint16_t id) {
  std::uint32_t width = 0, height = 0;
  std::uint16_t bits = 0;
  if (IsPngImage(image)) {
    if (const auto size = ReadPngHeaderSize(image)) {
      width = size->width;
      height = size->height;
    }
    bits = 32;
  } else if (const auto w = ReadU32LE(image, 4), h = ReadU32LE(image, 8); w && h) {
    // The bitmap's rows hold the colour image, then its mask.
    width = *w;
    height = *h / 2;
    bits = ReadU16LE(image, 14).value_or(0);
  }
  Bytes entry;
  entry.push_back(SideByte(width));
  entry.push_back(SideByte(height));
  entry.push_back(static_cast<std::uint8_t>(bits > 0 && bits < 8 ? 1u << bits : 0));
  entry.push_back(0);
  AppendU16LE(entry, 1);
  AppendU16LE(entry, bits);
  AppendU32LE(entry, static_cast<std::uint32_t>(image.size()));
  AppendU16LE(entry, id);
  return entry;
}

OrphanImagesView::OrphanImagesView(const ResourceModule& module) : module_(module) {
  std::unordered_set<std::uint16_t> named;
  std::uint64_t entries_left = kMaxGroupEntriesRead;
  for (const ResourceName& group_name : module.EnumerateNames(kRtGroupIcon)) {
    const ResourceData group = module.Lookup(kRtGroupIcon, group_name);
    const auto count = GroupEntryCount(group.bytes);
    for (std::size_t i = 0; count && i < *count; ++i) {
      const auto entry = GroupEntry(group.bytes, i);
      if (!entry) break;
      if (entries_left-- == 0) {
        complete_ = false;
        return;
      }
      named.insert(GroupEntryImageId(*entry));
    }
  }
  // Only images a group could name: those with an identifier.
  for (const ResourceName& image : module.EnumerateNames(kRtIcon))
    if (image.is_id && !named.count(static_cast<std::uint16_t>(image.id))) {
      orphans_.push_back(image);
      orphan_ids_.insert(static_cast<std::uint16_t>(image.id));
    }
}

std::vector<ResourceName> OrphanImagesView::EnumerateNames(std::uint16_t type) const {
  if (type != kRtGroupIcon) return module_.EnumerateNames(type);
  return orphans_;
}

ResourceData OrphanImagesView::Lookup(std::uint16_t type, const ResourceName& name) const {
  if (type != kRtGroupIcon) return module_.Lookup(type, name);
  if (!name.is_id || name.id > 0xFFFF || !orphan_ids_.count(static_cast<std::uint16_t>(name.id)))
    return {};
  const ResourceData image = module_.Lookup(kRtIcon, name);
  if (!image.found()) return {image.status, {}};
  auto group = std::make_shared<Bytes>();
  AppendU16LE(*group, 0);
  AppendU16LE(*group, 1);
  AppendU16LE(*group, 1);
  AppendBytes(*group, GroupEntryForImage(image.bytes, static_cast<std::uint16_t>(name.id)));
  const ByteView bytes(*group);
  return {ResourceData::Status::kFound, bytes, std::move(group)};
}

}  // namespace zandrel::icons
