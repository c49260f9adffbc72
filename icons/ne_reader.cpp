#include "icons/ne_reader.h"

#include <optional>
#include <string>
#include <unordered_set>

#include "icons/group_directory.h"

namespace zandrel::icons {

namespace {

constexpr std::uint16_t kDosMagic = 0x5A4D;  // "MZ"
constexpr std::uint16_t kNeMagic = 0x454E;   // "NE"
constexpr std::uint64_t kResourceTableField = 0x24;
constexpr std::uint64_t kResidentNamesField = 0x26;
constexpr std::uint64_t kTypeRecordSize = 8;
constexpr std::uint64_t kNameRecordSize = 12;
constexpr std::uint16_t kIntegerId = 0x8000;
constexpr std::uint16_t kLargestShift = 24;

bool IsIconType(std::uint16_t type) {
  return type == kRtIcon || type == kRtGroupIcon || type == kRtCursor || type == kRtGroupCursor;
}

// A length byte, then the name's bytes, taken as Latin-1: names are plain
// upper-case ASCII in practice, and the code page they were written in is
// stored nowhere.
std::optional<std::u16string> ReadName(const Bounded& file, std::uint64_t at) {
  const auto length = file.U8(at);
  if (!length) return std::nullopt;
  const auto bytes = file.Copy(at + 1, *length);
  if (!bytes) return std::nullopt;
  return std::u16string(bytes->begin(), bytes->end());
}

}  // namespace

bool LooksLikeNeModule(const Bounded& file) {
  if (file.U16(0) != kDosMagic) return false;
  const auto header = file.U32(0x3C);
  return header && file.U16(*header) == kNeMagic;
}

std::unique_ptr<NeResourceModule> NeResourceModule::FromBytes(Bytes image) {
  return Open(std::unique_ptr<NeResourceModule>(new NeResourceModule(std::move(image), nullptr)));
}

std::unique_ptr<NeResourceModule> NeResourceModule::FromOpenFile(
    std::unique_ptr<RandomAccessFile> file) {
  return Open(std::unique_ptr<NeResourceModule>(new NeResourceModule({}, std::move(file))));
}

std::unique_ptr<NeResourceModule> NeResourceModule::Open(std::unique_ptr<NeResourceModule> module) {
  const auto source = module->loader().OpeningSource();
  const Bounded file(*source);
  if (!LooksLikeNeModule(file)) return nullptr;
  const std::uint64_t header = *file.U32(0x3C);
  const auto table = file.U16(header + kResourceTableField);
  const auto names = file.U16(header + kResidentNamesField);
  // The resident names follow the resource table; where they start at the
  // same place, the table is empty.
  if (table && *table != 0 && names != table) module->ReadTable(file, header + *table);
  module->CutPadding(file);
  module->OrderNamesAsPeDirectory();
  return module;
}

void NeResourceModule::ReadTable(const Bounded& file, std::uint64_t table) {
  const auto shift = file.U16(table);
  if (!shift) return;
  shift_ = *shift;
  // A resource in units of the alignment; the last one of a file may lack
  // the padding to a whole unit.
  auto stored = [&](std::uint16_t offset, std::uint16_t length) {
    if (shift_ > kLargestShift) return StoredResource::NotLoadable();
    const std::uint64_t at = std::uint64_t{offset} << shift_;
    const std::uint64_t size = std::uint64_t{length} << shift_;
    if (size > 0xFFFFFFFFu) return StoredResource::NotLoadable();
    if (file.Holds(at, size)) return StoredResource::At(at, static_cast<std::uint32_t>(size));
    if (at < file.size() && size - (file.size() - at) < (std::uint64_t{1} << shift_))
      return StoredResource::At(at, static_cast<std::uint32_t>(file.size() - at));
    return StoredResource::NotLoadable();
  };

  std::uint64_t records = 0;
  std::unordered_set<std::uint16_t> seen;
  std::uint64_t at = table + 2;
  while (records < kMaxTableRecords) {
    const auto type_id = file.U16(at);
    const auto count = file.U16(at + 2);
    if (!type_id || !count || *type_id == 0) break;
    ++records;
    const std::uint64_t first = at + kTypeRecordSize;
    at = first + kNameRecordSize * *count;
    const auto type = static_cast<std::uint16_t>(*type_id & ~kIntegerId);
    // As in a PE module: string-named types are never asked for, and the
    // first record of a type wins.
    if (!(*type_id & kIntegerId) || !IsIconType(type) || !seen.insert(type).second) continue;
    std::uint64_t units = 0;
    for (std::uint64_t i = 0; i < *count && records < kMaxTableRecords; ++i, ++records) {
      const auto record = file.Copy(first + kNameRecordSize * i, kNameRecordSize);
      if (!record) break;
      const std::uint16_t id = *ReadU16LE(*record, 6);
      ResourceName name = ResourceName::Id(id & ~kIntegerId);
      if (!(id & kIntegerId)) {
        auto text = ReadName(file, table + id);
        if (!text) continue;  // a name outside the file cannot be shown
        units += text->size();
        if (units > kMaxNameUnitsPerType) break;
        name = ResourceName::Text(std::move(*text));
      }
      Add(type, std::move(name), stored(*ReadU16LE(*record, 0), *ReadU16LE(*record, 2)));
    }
  }
}

void NeResourceModule::CutPadding(const Bounded& file) {
  if (shift_ == 0 || shift_ > kLargestShift) return;
  const std::uint64_t unit = std::uint64_t{1} << shift_;
  std::uint64_t entries_left = kMaxGroupEntriesRead;
  for (const auto& [group_type, image_type] :
       {std::pair{kRtGroupIcon, kRtIcon}, std::pair{kRtGroupCursor, kRtCursor}}) {
    std::unordered_set<std::uint16_t> done;
    for (const ResourceName& name : EnumerateNames(group_type)) {
      const StoredResource* group = FindStored(group_type, name);
      if (!group || group->status != ResourceData::Status::kFound) continue;
      const Bounded directory = file.Sub(group->offset, group->size);
      const auto count = directory.U16(4);
      for (std::uint64_t i = 0; count && i < *count && entries_left > 0; ++i, --entries_left) {
        const std::uint64_t entry = kGroupHeaderSize + kGroupEntrySize * i;
        const auto declared = directory.U32(entry + 8);
        const auto id = directory.U16(entry + 12);
        if (!declared || !id) break;
        if (!done.insert(*id).second) continue;
        StoredResource* image = FindStored(image_type, ResourceName::Id(*id));
        if (image && image->status == ResourceData::Status::kFound && *declared < image->size &&
            image->size - *declared < unit)
          image->size = *declared;
      }
    }
  }
}

}  // namespace zandrel::icons
