#include "icons/image_set.h"

#include <algorithm>

#include "icons/group_directory.h"
#include "icons/icon_image.h"

namespace zandrel::icons {

namespace {

constexpr std::uint64_t kFileRecordSize = 16;
constexpr std::uint32_t kLastId = 0xFFFF;

void PutU16(Bytes& out, std::size_t at, std::uint16_t value) {
  out[at] = static_cast<std::uint8_t>(value);
  out[at + 1] = static_cast<std::uint8_t>(value >> 8);
}

Bytes GroupHeader(std::uint16_t type) {
  Bytes header;
  AppendU16LE(header, 0);
  AppendU16LE(header, type);
  AppendU16LE(header, 0);  // the count, set when the entries are in
  return header;
}

// The bit count an image's own header gives: 32 for a PNG stream, the
// bitmap header's otherwise; 0 when the bytes say neither.
std::uint16_t ImageBitCount(const Bounded& set, std::uint64_t offset, std::uint32_t size) {
  const auto head = set.Copy(offset, std::min<std::uint32_t>(size, 16));
  if (!head) return 0;
  if (IsPngImage(*head)) return 32;
  return ReadU16LE(*head, 14).value_or(0);
}

}  // namespace

bool LooksLikeImageSet(ByteView head) {
  const auto reserved = ReadU16LE(head, 0);
  const auto type = ReadU16LE(head, 2);
  return reserved == 0 && (type == kIconFileType || type == kCursorFileType) &&
         ReadU16LE(head, 4).has_value();
}

std::uint16_t ImageSetModule::AddImageSet(const Bounded& set, const ResourceName& name) {
  const auto head = set.Copy(0, kGroupHeaderSize);
  if (!head || !LooksLikeImageSet(*head)) {
    Add(kRtGroupIcon, name, GroupHeader(kIconFileType));
    return 0;
  }
  const std::uint16_t type = *ReadU16LE(*head, 2);
  const bool cursor = type == kCursorFileType;
  // Only the records the bytes hold: a count of 65,535 in a short file
  // costs what the file holds.
  const std::uint64_t present = std::min<std::uint64_t>(
      *ReadU16LE(*head, 4), (set.size() - kGroupHeaderSize) / kFileRecordSize);
  Bytes icons = GroupHeader(kIconFileType);
  Bytes cursors = GroupHeader(kCursorFileType);
  std::uint16_t count = 0;
  for (std::uint64_t i = 0; i < present && next_id_ <= kLastId; ++i) {
    const auto record = set.Copy(kGroupHeaderSize + kFileRecordSize * i, kFileRecordSize);
    if (!record) break;
    const auto id = static_cast<std::uint16_t>(next_id_++);
    const std::uint32_t size = *ReadU32LE(*record, 8);
    const std::uint32_t offset = *ReadU32LE(*record, 12);
    const StoredResource stored = set.Holds(offset, size)
                                      ? StoredResource::At(set.base() + offset, size)
                                      : StoredResource::NotLoadable();
    // The icon entry: a cursor's record holds its hotspot where an icon's
    // holds planes and bit count, which come from the image then.
    const std::size_t entry = icons.size();
    icons.insert(icons.end(), record->begin(), record->begin() + 8);
    if (cursor) {
      PutU16(icons, entry + 4, 1);
      PutU16(icons, entry + 6, ImageBitCount(set, offset, size));
    }
    AppendU32LE(icons, size);
    AppendU16LE(icons, id);
    Add(kRtIcon, ResourceName::Id(id), stored);
    if (cursor) {
      // A cursor group entry counts the mask rows in its height and the
      // hotspot in its size.
      const std::uint16_t width = (*record)[0] ? (*record)[0] : 256;
      const std::uint16_t height = (*record)[1] ? (*record)[1] : 256;
      AppendU16LE(cursors, width);
      AppendU16LE(cursors, static_cast<std::uint16_t>(height * 2));
      AppendU16LE(cursors, 1);
      AppendU16LE(cursors, *ReadU16LE(icons, entry + 6));
      AppendU32LE(cursors, size <= 0xFFFFFFFBu ? size + 4 : size);
      AppendU16LE(cursors, id);
      StoredResource with_hotspot = stored;
      if (with_hotspot.status == ResourceData::Status::kFound)
        with_hotspot.hotspot = *ReadU32LE(*record, 4);
      Add(kRtCursor, ResourceName::Id(id), with_hotspot);
    }
    ++count;
  }
  PutU16(icons, 4, count);
  Add(kRtGroupIcon, name, std::move(icons));
  if (cursor) {
    PutU16(cursors, 4, count);
    Add(kRtGroupCursor, name, std::move(cursors));
  }
  return type;
}

}  // namespace zandrel::icons
