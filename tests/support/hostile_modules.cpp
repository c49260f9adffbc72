#include "tests/support/hostile_modules.h"

#include "core/text.h"
#include "icons/resource_module.h"
#include "tests/support/icon_files.h"
#include "tests/support/memory_resource_module.h"
#include "tests/support/pe_builder.h"

namespace zandrel::testing {

namespace {

using icons::kRtGroupIcon;
using icons::kRtIcon;
using icons::ResourceName;

constexpr std::uint32_t kHighBit = 0x80000000u;
constexpr std::uint16_t kRtRcData = 10;

// Directory offset (relative to the root) of the names directory of `type`.
std::uint32_t NamesDirectory(const Bytes& image, const PeLayout& layout, std::uint16_t type) {
  return GetU32(image, FindTypeEntry(image, layout, type) + 4) & ~kHighBit;
}

Bytes GroupOf(std::size_t entries, std::uint16_t image_id, std::uint8_t size) {
  std::vector<std::vector<std::uint8_t>> rows;
  for (std::size_t i = 0; i < entries; ++i) rows.push_back(MakeGroupEntry(size, size, 32, 0, image_id));
  return MakeGroupDirectory(rows);
}

// A PNG stream whose IHDR follows a long text chunk.
Bytes PngBehindLongChunk(std::size_t chunk_bytes) {
  const Bytes plain = MakePngImage(64, 64);  // signature, IHDR, IEND
  Bytes out(plain.begin(), plain.begin() + 8);
  const auto length = static_cast<std::uint32_t>(chunk_bytes);
  for (int shift = 24; shift >= 0; shift -= 8) out.push_back(std::uint8_t(length >> shift));
  out.insert(out.end(), {'t', 'E', 'X', 't'});
  out.insert(out.end(), chunk_bytes, 'a');
  out.insert(out.end(), 4, 0);  // CRC
  out.insert(out.end(), plain.begin() + 8, plain.end());
  return out;
}

}  // namespace

HostileModule SharedNamesDirectory(std::size_t types) {
  PeBuilder builder;
  for (std::size_t i = 0; i < types; ++i) {
    builder.Add(kRtGroupIcon, ResourceName::Id(static_cast<std::uint16_t>(i + 1)),
                GroupOf(1, 1, 32));
    // One resource of every other type id, so the root has as many entries.
    const auto type = static_cast<std::uint16_t>(100 + i);
    builder.Add(type, ResourceName::Id(1), Bytes(4, 0));
  }
  builder.Add(kRtIcon, ResourceName::Id(1), MakeDibIconImage(32, 32));
  PeLayout layout;
  Bytes image = builder.Build(&layout);
  const std::uint32_t names = NamesDirectory(image, layout, kRtGroupIcon);
  const std::size_t root = layout.resource_offset;
  const std::size_t count = *ReadU16LE(image, root + 12) + *ReadU16LE(image, root + 14);
  for (std::size_t i = 0; i < count; ++i) {
    const std::uint32_t type = GetU32(image, root + 16 + 8 * i);
    if (type != kRtIcon) PutU32(image, root + 16 + 8 * i + 4, kHighBit | names);
  }
  return {"shared-names-directory", "type entries sharing one names directory", std::move(image)};
}

HostileModule OverlappingLanguageDirectories(std::size_t groups) {
  PeBuilder builder;
  for (std::size_t i = 0; i < groups; ++i)
    builder.Add(kRtGroupIcon, ResourceName::Id(static_cast<std::uint16_t>(i + 1)),
                GroupOf(1, 1, 32));
  builder.Add(kRtIcon, ResourceName::Id(1), MakeDibIconImage(32, 32));
  // A block of 0xFF bytes: read as a directory, it claims 131,070 entries.
  builder.Add(kRtRcData, ResourceName::Id(1), Bytes(groups * 8 + 65536, 0xFF));
  PeLayout layout;
  Bytes image = builder.Build(&layout);
  std::size_t block = 0;
  for (const auto& r : layout.resources)
    if (r.type == kRtRcData) block = r.data_offset;
  const std::size_t names = layout.resource_offset + NamesDirectory(image, layout, kRtGroupIcon);
  for (std::size_t i = 0; i < groups; ++i) {
    const auto target = static_cast<std::uint32_t>(block + 8 * i - layout.resource_offset);
    PutU32(image, names + 16 + 8 * i + 4, kHighBit | target);
  }
  return {"overlapping-language-directories", "language directories overlapping one huge count",
          std::move(image)};
}

HostileModule SharedPngDirectory(std::size_t groups, std::size_t entries) {
  PeBuilder builder;
  for (std::size_t i = 0; i < groups; ++i)
    builder.Add(kRtGroupIcon, ResourceName::Id(static_cast<std::uint16_t>(i + 1)),
                i == 0 ? GroupOf(entries, 1, 0) : Bytes(6, 0));
  builder.Add(kRtIcon, ResourceName::Id(1), PngBehindLongChunk(20000));
  PeLayout layout;
  Bytes image = builder.Build(&layout);
  // Every group's data entry takes the first group's bytes.
  std::size_t first_entry = 0;
  for (const auto& r : layout.resources)
    if (r.type == kRtGroupIcon && r.name == ResourceName::Id(1)) first_entry = r.data_entry_offset;
  for (const auto& r : layout.resources)
    if (r.type == kRtGroupIcon) {
      PutU32(image, r.data_entry_offset, GetU32(image, first_entry));
      PutU32(image, r.data_entry_offset + 4, GetU32(image, first_entry + 4));
    }
  return {"shared-png-directory", "groups sharing one directory of PNG entries",
          std::move(image)};
}

HostileModule RepeatedLargeImage(std::size_t entries, std::size_t image_bytes) {
  PeBuilder builder;
  builder.Add(kRtGroupIcon, ResourceName::Id(1), GroupOf(entries, 1, 32));
  Bytes big = MakeDibIconImage(32, 32);
  big.resize(image_bytes, 0x55);
  builder.Add(kRtIcon, ResourceName::Id(1), std::move(big));
  return {"repeated-large-image", "one large image in every entry of a group", builder.Build()};
}

HostileModule SameOutputName(std::size_t groups) {
  PeBuilder builder;
  // Five characters, each one of the nine replaced by "_": up to 59,049
  // distinct names that all become icon______.ico.
  const char16_t forbidden[] = u"\"*/:<>?\\|";
  for (std::size_t i = 0; i < groups; ++i) {
    std::u16string name;
    for (std::size_t digit = 0, rest = i; digit < 5; ++digit, rest /= 9) name += forbidden[rest % 9];
    builder.Add(kRtGroupIcon, ResourceName::Text(name), GroupOf(1, 1, 16));
  }
  builder.Add(kRtIcon, ResourceName::Id(1), MakeDibIconImage(16, 16));
  return {"same-output-name", "groups whose file names collide", builder.Build()};
}

std::vector<HostileModule> AllHostileModules() {
  std::vector<HostileModule> all;
  all.push_back(SharedNamesDirectory());
  all.push_back(OverlappingLanguageDirectories());
  all.push_back(SharedPngDirectory());
  all.push_back(RepeatedLargeImage());
  all.push_back(SameOutputName());
  return all;
}

HostileModule AniFrameClaiming4Gb(std::size_t frames) {
  AniSpec spec;
  for (std::size_t i = 0; i <= frames; ++i)
    spec.frames.push_back(MakeIconFile(
        {{MakeDibIconImage(32, 32, static_cast<std::uint32_t>(i)), 32, 32, 32, 0, 0}}));
  Bytes bytes = MakeAniFile(spec);
  // The last chunk of the file is the last frame (its bytes are even).
  const std::size_t last = bytes.size() - 8 - spec.frames.back().size();
  PutU32(bytes, last + 4, 0xFFFFFFFFu);
  PutU32(bytes, 4, 0xFFFFFFFFu);            // RIFF
  PutU32(bytes, 12 + 8 + 36 + 4, 0xFFFFFFFFu);  // LIST, after "anih"
  return {"ani-frame-claiming-4gb", "a frame chunk claiming 4 GB", std::move(bytes), ".ani"};
}

HostileModule LoopingNeTable(std::size_t records, std::size_t names, std::size_t entries,
                             std::size_t image_bytes) {
  constexpr std::size_t kTable = 0x80;
  constexpr std::uint16_t kShift = 5;
  const auto units = [](std::size_t bytes) {
    return static_cast<std::uint16_t>((bytes + (1u << kShift) - 1) >> kShift);
  };
  Bytes out(kTable, 0);
  out[0] = 'M';
  out[1] = 'Z';
  PutU16(out, 0x3C, 0x40);
  out[0x40] = 'N';
  out[0x41] = 'E';
  PutU16(out, 0x40 + 0x24, kTable - 0x40);
  PutU16(out, 0x40 + 0x26, 0xFFFF);  // the table runs past where 16 bits reach
  out[0x40 + 0x36] = 2;
  AppendU16LE(out, kShift);
  const std::size_t table_end = out.size() + 20 + records * (8 + 12 * names) + 2;
  const std::size_t directory = (table_end + 31) / 32 * 32;
  const std::size_t image = (directory + 6 + 14 * entries + 31) / 32 * 32;
  const auto record = [&](std::size_t at, std::size_t size, std::uint16_t id) {
    AppendU16LE(out, static_cast<std::uint16_t>(at >> kShift));
    AppendU16LE(out, units(size));
    AppendU16LE(out, 0x30);
    AppendU16LE(out, id);
    AppendU32LE(out, 0);
  };
  AppendU16LE(out, 0x8003);
  AppendU16LE(out, 1);
  AppendU32LE(out, 0);
  record(image, image_bytes, 0x8001);
  for (std::size_t r = 0; r < records; ++r) {
    AppendU16LE(out, 0x800E);
    AppendU16LE(out, static_cast<std::uint16_t>(names));
    AppendU32LE(out, 0);
    for (std::size_t n = 0; n < names; ++n)
      record(directory, 6 + 14 * entries, static_cast<std::uint16_t>(0x8000 | (n + 1)));
  }
  AppendU16LE(out, 0);
  out.resize(directory, 0);
  AppendBytes(out, GroupOf(entries, 1, 32));
  out.resize(image, 0);
  Bytes big = MakeDibIconImage(32, 32);
  big.resize(image_bytes, 0x55);
  AppendBytes(out, big);
  return {"ne-looping-table", "a 16-bit resource table coming back to one group type",
          std::move(out), ".exe"};
}

HostileModule IcoClaiming65535Images(std::size_t image_bytes) {
  constexpr std::size_t kCount = 65535;
  Bytes out;
  AppendU16LE(out, 0);
  AppendU16LE(out, 1);
  AppendU16LE(out, kCount);
  for (std::size_t i = 0; i < kCount; ++i) {
    AppendBytes(out, MakeGroupEntry(32, 32, 32, static_cast<std::uint32_t>(image_bytes), 0));
    out.pop_back();  // a file record ends in the image's offset, not an identifier
    out.pop_back();
    AppendU32LE(out, static_cast<std::uint32_t>(6 + 16 * kCount));
  }
  Bytes big = MakeDibIconImage(32, 32);
  big.resize(image_bytes, 0x55);
  AppendBytes(out, big);
  return {"ico-claiming-65535-images", "an .ico directory of 65,535 records naming one image",
          std::move(out), ".ico"};
}

std::vector<HostileModule> HostileContainers() {
  std::vector<HostileModule> all;
  all.push_back(AniFrameClaiming4Gb());
  all.push_back(LoopingNeTable());
  all.push_back(IcoClaiming65535Images());
  return all;
}

std::string DeeplyNestedDefinition(std::size_t depth) {
  std::string text;
  for (std::size_t i = 0; i < depth; ++i) text += "Component C" + std::to_string(i) + " { ";
  text += std::string(depth, '}');
  return text;
}

}  // namespace zandrel::testing
