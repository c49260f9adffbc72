#include "tests/support/memory_resource_module.h"

namespace zandrel::testing {

void MemoryResourceModule::Add(std::uint16_t type, icons::ResourceName name, Bytes bytes) {
  entries_.push_back({type, std::move(name), std::move(bytes)});
}

void MemoryResourceModule::MarkNotLoadable(std::uint16_t type, const icons::ResourceName& name) {
  for (auto& e : entries_)
    if (e.type == type && e.name == name) e.loadable = false;
}

std::vector<icons::ResourceName> MemoryResourceModule::EnumerateNames(std::uint16_t type) const {
  std::vector<icons::ResourceName> names;
  for (const auto& e : entries_)
    if (e.type == type) names.push_back(e.name);
  return names;
}

icons::ResourceData MemoryResourceModule::Lookup(std::uint16_t type,
                                                 const icons::ResourceName& name) const {
  for (const auto& e : entries_) {
    if (e.type != type || !(e.name == name)) continue;
    if (!e.loadable) return {icons::ResourceData::Status::kNotLoadable, {}};
    return {icons::ResourceData::Status::kFound, ByteView(e.bytes)};
  }
  return {};
}

Bytes MakeGroupDirectory(const std::vector<std::vector<std::uint8_t>>& entries14) {
  Bytes out;
  AppendU16LE(out, 0);
  AppendU16LE(out, 1);
  AppendU16LE(out, static_cast<std::uint16_t>(entries14.size()));
  for (const auto& e : entries14) out.insert(out.end(), e.begin(), e.end());
  return out;
}

std::vector<std::uint8_t> MakeGroupEntry(std::uint8_t width, std::uint8_t height,
                                         std::uint16_t bit_count, std::uint32_t bytes_in_res,
                                         std::uint16_t image_id, std::uint8_t colours,
                                         std::uint16_t planes) {
  Bytes e{width, height, colours, 0};
  AppendU16LE(e, planes);
  AppendU16LE(e, bit_count);
  AppendU32LE(e, bytes_in_res);
  AppendU16LE(e, image_id);
  return e;
}

Bytes MakePngImage(std::uint32_t width, std::uint32_t height) {
  Bytes png{0x89, 'P', 'N', 'G', 0x0D, 0x0A, 0x1A, 0x0A};
  auto be32 = [&png](std::uint32_t v) {
    for (int shift = 24; shift >= 0; shift -= 8) png.push_back(static_cast<std::uint8_t>(v >> shift));
  };
  be32(13);
  png.insert(png.end(), {'I', 'H', 'D', 'R'});
  be32(width);
  be32(height);
  png.insert(png.end(), {8, 6, 0, 0, 0});
  be32(0);  // CRC is not checked by the readers
  be32(0);
  png.insert(png.end(), {'I', 'E', 'N', 'D'});
  be32(0xAE426082);
  return png;
}

}  // namespace zandrel::testing
