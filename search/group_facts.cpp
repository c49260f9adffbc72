#include "search/group_facts.h"

#include <algorithm>

#include "icons/cursor_file.h"
#include "icons/group_directory.h"
#include "icons/group_names.h"
#include "icons/group_sizes.h"
#include "icons/icon_image.h"
#include "icons/lookup_memo.h"

namespace zandrel::search {

namespace {

struct ImageFacts {
  std::uint32_t edge = 0;
  bool png = false;
};

// An entry's size as its image says it (a PNG's header, a bitmap's header
// without the mask rows), or as the entry says when the image has neither.
ImageFacts FactsOf(const icons::ResourceModule& module, ByteView entry, bool cursor) {
  ImageFacts facts;
  std::uint32_t width = 0, height = 0;
  if (cursor) {
    width = ReadU16LE(entry, 0).value_or(0);
    height = ReadU16LE(entry, 2).value_or(0) / 2;
  } else {
    width = entry[0] == 0 ? 256 : entry[0];
    height = entry[1] == 0 ? 256 : entry[1];
  }
  const icons::ResourceData image =
      module.Lookup(cursor ? icons::kRtCursor : icons::kRtIcon,
                    icons::ResourceName::Id(icons::GroupEntryImageId(entry)));
  if (image.found()) {
    // A cursor image starts with its hotspot.
    const ByteView bytes =
        cursor ? image.bytes.subspan(std::min<std::size_t>(4, image.bytes.size())) : image.bytes;
    if (const auto png = icons::ReadPngHeaderSize(bytes)) {
      facts.png = true;
      width = png->width;
      height = png->height;
    } else if (const auto w = ReadU32LE(bytes, 4), h = ReadU32LE(bytes, 8);
               ReadU32LE(bytes, 0) == 40u && w && h) {
      width = *w;
      height = *h / 2;
    }
  }
  facts.edge = std::min<std::uint32_t>(std::max(width, height), 0x10000);
  return facts;
}

}  // namespace

icons::ResourceData GroupDirectory(const icons::ResourceModule& module, const std::u16string& name,
                                   bool cursor) {
  const icons::ResourceName id = icons::ResourceIdFromGroupName(name);
  if (id.is_id && id.id > 0xFFFF) return {};
  return module.Lookup(cursor ? icons::kRtGroupCursor : icons::kRtGroupIcon, id);
}

FoundGroup DescribeFoundGroup(const icons::ResourceModule& module, const std::u16string& name,
                              bool cursor) {
  const icons::LookupMemo memo(module);
  FoundGroup group;
  group.name = name;
  group.cursor = cursor;
  const icons::ResourceData directory = GroupDirectory(memo, name, cursor);
  if (!directory.found()) return group;
  if (cursor) {
    group.image_count = icons::CursorImageCount(directory.bytes, memo);
    group.sizes = icons::DescribeCursorGroup(directory.bytes, memo);
  } else {
    group.image_count = icons::GetGroupImageCount(name, memo);
    group.sizes = icons::DescribeGroupSizes(name, memo);
  }
  const std::size_t count = std::min<std::size_t>(
      icons::GroupEntryCount(directory.bytes).value_or(0), icons::kMaxDescribedEntries);
  for (std::size_t k = 0; k < count; ++k) {
    const auto entry = icons::GroupEntry(directory.bytes, k);
    if (!entry) break;
    const ImageFacts facts = FactsOf(memo, *entry, cursor);
    group.largest = std::max(group.largest, facts.edge);
    group.has_png = group.has_png || facts.png;
  }
  return group;
}

}  // namespace zandrel::search
