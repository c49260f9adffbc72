#include "tests/support/hostile_modules.h"

#include "core/text.h"
#include "icons/resource_module.h"
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

std::string DeeplyNestedDefinition(std::size_t depth) {
  std::string text;
  for (std::size_t i = 0; i < depth; ++i) text += "Component C" + std::to_string(i) + " { ";
  text += std::string(depth, '}');
  return text;
}

}  // namespace zandrel::testing
