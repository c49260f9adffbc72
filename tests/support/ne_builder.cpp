#include "tests/support/ne_builder.h"

#include <algorithm>
#include <stdexcept>

#include "core/file_io.h"
#include "tests/support/memory_resource_module.h"

namespace zandrel::testing {

namespace {

constexpr std::size_t kHeaderOffset = 0x40;
constexpr std::size_t kHeaderSize = 0x40;

void Put16(Bytes& out, std::size_t at, std::uint16_t v) {
  out.at(at) = static_cast<std::uint8_t>(v);
  out.at(at + 1) = static_cast<std::uint8_t>(v >> 8);
}

}  // namespace

NeBuilder& NeBuilder::Add(std::uint16_t type, const icons::ResourceName& name, Bytes bytes) {
  if (name.is_id && name.id > 0x7FFF) throw std::invalid_argument("NE ids have 15 bits");
  for (Resource& r : resources_)
    if (r.type == type && r.name == name) {
      r.bytes = std::move(bytes);
      return *this;
    }
  resources_.push_back({type, name, std::move(bytes)});
  return *this;
}

std::vector<std::uint16_t> NeBuilder::AddIconGroup(const icons::ResourceName& name,
                                                   const std::vector<IconImageSpec>& images) {
  std::vector<std::uint16_t> ids;
  std::vector<std::vector<std::uint8_t>> entries;
  for (const auto& image : images) {
    const auto taken = [&](std::uint16_t id) {
      return std::any_of(resources_.begin(), resources_.end(), [&](const Resource& r) {
        return r.type == icons::kRtIcon && r.name == icons::ResourceName::Id(id);
      });
    };
    while (taken(next_icon_id_)) ++next_icon_id_;
    const std::uint16_t id = next_icon_id_;
    Add(icons::kRtIcon, icons::ResourceName::Id(id), image.bytes);
    entries.push_back(MakeGroupEntry(image.width, image.height, image.bit_count,
                                     static_cast<std::uint32_t>(image.bytes.size()), id));
    ids.push_back(id);
  }
  Add(icons::kRtGroupIcon, name, MakeGroupDirectory(entries));
  return ids;
}

Bytes NeBuilder::Build(NeLayout* layout) const {
  std::vector<std::uint16_t> types;
  for (const Resource& r : resources_)
    if (std::find(types.begin(), types.end(), r.type) == types.end()) types.push_back(r.type);

  // The resource table: the shift, type records with their name records, a
  // zero type, the names, a zero length.
  const std::size_t table = kHeaderOffset + kHeaderSize;
  std::size_t strings = table + 2 + 8 * types.size() + 12 * resources_.size() + 2;
  Bytes names;
  std::vector<std::uint16_t> name_ids;
  for (const Resource& r : resources_) {
    if (r.name.is_id) {
      name_ids.push_back(static_cast<std::uint16_t>(0x8000 | r.name.id));
      continue;
    }
    name_ids.push_back(static_cast<std::uint16_t>(strings + names.size() - table));
    names.push_back(static_cast<std::uint8_t>(r.name.text.size()));
    for (const char16_t c : r.name.text) names.push_back(static_cast<std::uint8_t>(c));
  }
  names.push_back(0);
  // The resident names (the module's name, ordinal 0), an empty entry table.
  const std::size_t resident = strings + names.size();
  const Bytes resident_names = {4, 'T', 'E', 'S', 'T', 0, 0, 0};
  const std::size_t entry_table = resident + resident_names.size();
  const std::size_t unit = std::size_t{1} << shift_;
  std::size_t data = (entry_table + 2 + unit - 1) / unit * unit;

  Bytes out(data, 0);
  out[0] = 'M';
  out[1] = 'Z';
  Put16(out, 0x3C, kHeaderOffset);
  out[kHeaderOffset] = 'N';
  out[kHeaderOffset + 1] = 'E';
  out[kHeaderOffset + 2] = 5;  // linker version
  Put16(out, kHeaderOffset + 0x04, static_cast<std::uint16_t>(entry_table - kHeaderOffset));
  Put16(out, kHeaderOffset + 0x06, 2);
  Put16(out, kHeaderOffset + 0x0C, 0x8000);  // a library
  Put16(out, kHeaderOffset + 0x22, static_cast<std::uint16_t>(table - kHeaderOffset));
  Put16(out, kHeaderOffset + 0x24, static_cast<std::uint16_t>(table - kHeaderOffset));
  Put16(out, kHeaderOffset + 0x26, static_cast<std::uint16_t>(resident - kHeaderOffset));
  Put16(out, kHeaderOffset + 0x28, static_cast<std::uint16_t>(entry_table - kHeaderOffset));
  Put16(out, kHeaderOffset + 0x2A, static_cast<std::uint16_t>(entry_table - kHeaderOffset));
  Put16(out, kHeaderOffset + 0x32, shift_);
  Put16(out, kHeaderOffset + 0x34, static_cast<std::uint16_t>(resources_.size()));
  out[kHeaderOffset + 0x36] = 2;  // Windows
  Put16(out, kHeaderOffset + 0x3E, 0x030A);
  Put16(out, table, shift_);
  std::copy(names.begin(), names.end(), out.begin() + static_cast<std::ptrdiff_t>(strings));
  std::copy(resident_names.begin(), resident_names.end(),
            out.begin() + static_cast<std::ptrdiff_t>(resident));

  if (layout) *layout = {kHeaderOffset, table, std::vector<std::size_t>(resources_.size())};
  std::size_t at = table + 2;
  for (const std::uint16_t type : types) {
    std::uint16_t count = 0;
    for (const Resource& r : resources_) count += r.type == type;
    Put16(out, at, static_cast<std::uint16_t>(0x8000 | type));
    Put16(out, at + 2, count);
    at += 8;
    for (std::size_t i = 0; i < resources_.size(); ++i) {
      const Resource& r = resources_[i];
      if (r.type != type) continue;
      const std::size_t units = (r.bytes.size() + unit - 1) / unit;
      Put16(out, at, static_cast<std::uint16_t>(data / unit));
      Put16(out, at + 2, static_cast<std::uint16_t>(units));
      Put16(out, at + 4, 0x0030);  // movable, shared
      Put16(out, at + 6, name_ids[i]);
      if (layout) layout->name_records[i] = at;
      at += 12;
      out.resize(data + units * unit, 0);
      std::copy(r.bytes.begin(), r.bytes.end(), out.begin() + static_cast<std::ptrdiff_t>(data));
      data += units * unit;
    }
  }
  return out;
}

void NeBuilder::WriteTo(const std::u16string& path) const {
  WriteFileAtomically(path, Build());
}

}  // namespace zandrel::testing
