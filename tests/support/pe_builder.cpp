#include "tests/support/pe_builder.h"

#include <stdexcept>

#include "core/file_io.h"
#include "tests/support/memory_resource_module.h"

namespace zandrel::testing {

namespace {

constexpr std::uint32_t kFileAlignment = 0x200;
constexpr std::uint32_t kSectionAlignment = 0x1000;
constexpr std::uint32_t kResourceRva = 0x1000;
constexpr std::uint32_t kPeHeaderOffset = 0x40;
constexpr std::uint32_t kHighBit = 0x80000000u;

std::uint32_t AlignUp(std::uint32_t value, std::uint32_t alignment) {
  return (value + alignment - 1) / alignment * alignment;
}

// Fixed-position writes into a buffer laid out in advance.
class Writer {
 public:
  explicit Writer(Bytes& bytes) : bytes_(bytes) {}
  void U8(std::size_t at, std::uint8_t v) { bytes_.at(at) = v; }
  void U16(std::size_t at, std::uint16_t v) {
    U8(at, static_cast<std::uint8_t>(v));
    U8(at + 1, static_cast<std::uint8_t>(v >> 8));
  }
  void U32(std::size_t at, std::uint32_t v) {
    U16(at, static_cast<std::uint16_t>(v));
    U16(at + 2, static_cast<std::uint16_t>(v >> 16));
  }
  void U64(std::size_t at, std::uint64_t v) {
    U32(at, static_cast<std::uint32_t>(v));
    U32(at + 4, static_cast<std::uint32_t>(v >> 32));
  }
  void Put(std::size_t at, ByteView data) {
    if (at > bytes_.size() || data.size() > bytes_.size() - at)
      throw std::out_of_range("write past the end of the image");
    std::copy(data.begin(), data.end(), bytes_.begin() + static_cast<std::ptrdiff_t>(at));
  }

 private:
  Bytes& bytes_;
};

}  // namespace

bool PeBuilder::NameOrder::operator()(const icons::ResourceName& a,
                                      const icons::ResourceName& b) const {
  if (a.is_id != b.is_id) return !a.is_id;  // strings before identifiers
  return a.is_id ? a.id < b.id : a.text < b.text;
}

PeBuilder& PeBuilder::Add(std::uint16_t type, const icons::ResourceName& name, Bytes bytes,
                          std::uint16_t language) {
  if (name.is_id && name.id > 0xFFFF) throw std::invalid_argument("resource id above 65535");
  if (!name.is_id && name.text.size() > 0xFFFF) throw std::invalid_argument("name too long");
  types_[type][name][language] = std::move(bytes);
  return *this;
}

std::vector<std::uint16_t> PeBuilder::AddIconGroup(const icons::ResourceName& name,
                                                   const std::vector<IconImageSpec>& images,
                                                   std::uint16_t language) {
  std::vector<std::uint16_t> ids;
  std::vector<std::vector<std::uint8_t>> entries;
  const Names& icon_names = types_[icons::kRtIcon];
  for (const auto& image : images) {
    while (icon_names.count(icons::ResourceName::Id(next_icon_id_))) {
      if (next_icon_id_ == 0xFFFF) throw std::length_error("no icon identifiers left");
      ++next_icon_id_;
    }
    const std::uint16_t id = next_icon_id_;
    Add(icons::kRtIcon, icons::ResourceName::Id(id), image.bytes, language);
    entries.push_back(MakeGroupEntry(image.width, image.height, image.bit_count,
                                     static_cast<std::uint32_t>(image.bytes.size()), id));
    ids.push_back(id);
  }
  Add(icons::kRtGroupIcon, name, MakeGroupDirectory(entries), language);
  return ids;
}

Bytes PeBuilder::Build(PeLayout* layout) const {
  // The .rsrc section as resource compilers lay it out: all directories level
  // by level, then the data entries, then the name strings, then the data.
  std::uint32_t pos = 16 + 8 * static_cast<std::uint32_t>(types_.size());
  std::vector<std::uint32_t> name_dirs, language_dirs, data_entries, strings, data;
  for (const auto& [type, names] : types_) {
    name_dirs.push_back(pos);
    pos += 16 + 8 * static_cast<std::uint32_t>(names.size());
  }
  for (const auto& [type, names] : types_)
    for (const auto& [name, languages] : names) {
      language_dirs.push_back(pos);
      pos += 16 + 8 * static_cast<std::uint32_t>(languages.size());
    }
  for (const auto& [type, names] : types_)
    for (const auto& [name, languages] : names)
      for (std::size_t i = 0; i < languages.size(); ++i) {
        data_entries.push_back(pos);
        pos += 16;
      }
  for (const auto& [type, names] : types_)
    for (const auto& [name, languages] : names)
      if (!name.is_id) {
        strings.push_back(pos);
        pos += 2 + 2 * static_cast<std::uint32_t>(name.text.size());
      }
  pos = AlignUp(pos, 8);
  for (const auto& [type, names] : types_)
    for (const auto& [name, languages] : names)
      for (const auto& [language, bytes] : languages) {
        data.push_back(pos);
        pos = AlignUp(pos + static_cast<std::uint32_t>(bytes.size()), 8);
      }
  const std::uint32_t resource_size = pos;

  const bool pe32_plus = machine_ == PeMachine::kAmd64;
  const std::uint32_t optional_size = pe32_plus ? 240 : 224;
  const std::uint32_t optional = kPeHeaderOffset + 4 + 20;
  const std::uint32_t section_header = optional + optional_size;
  const std::uint32_t headers_size = AlignUp(section_header + 40, kFileAlignment);
  const std::uint32_t raw_size = AlignUp(resource_size, kFileAlignment);

  Bytes image(headers_size + raw_size, 0);
  Writer w(image);

  w.U16(0, 0x5A4D);  // "MZ"
  w.U32(0x3C, kPeHeaderOffset);
  w.U32(kPeHeaderOffset, 0x00004550);  // "PE\0\0"
  const std::uint32_t coff = kPeHeaderOffset + 4;
  w.U16(coff, pe32_plus ? 0x8664 : 0x014C);
  w.U16(coff + 2, 1);  // one section
  w.U16(coff + 16, static_cast<std::uint16_t>(optional_size));
  // Executable image, DLL; 32-bit machine or large-address aware.
  w.U16(coff + 18, pe32_plus ? 0x2022 : 0x2102);

  const std::uint32_t image_size = kResourceRva + AlignUp(resource_size, kSectionAlignment);
  w.U16(optional, pe32_plus ? 0x20B : 0x10B);
  w.U8(optional + 2, 14);              // linker version
  w.U32(optional + 8, raw_size);       // size of initialised data
  w.U32(optional + 20, kResourceRva);  // base of code
  if (pe32_plus) {
    w.U64(optional + 24, 0x180000000ull);
  } else {
    w.U32(optional + 24, kResourceRva);  // base of data
    w.U32(optional + 28, 0x10000000u);
  }
  w.U32(optional + 32, kSectionAlignment);
  w.U32(optional + 36, kFileAlignment);
  w.U16(optional + 40, 6);  // operating system version 6.0
  w.U16(optional + 48, 6);  // subsystem version 6.0
  w.U32(optional + 56, image_size);
  w.U32(optional + 60, headers_size);
  w.U16(optional + 68, 2);       // Windows GUI subsystem
  w.U16(optional + 70, 0x0140);  // dynamic base, NX compatible
  const std::uint32_t directories = pe32_plus ? 112 : 96;
  if (pe32_plus) {
    w.U64(optional + 72, 0x100000);
    w.U64(optional + 80, 0x1000);
    w.U64(optional + 88, 0x100000);
    w.U64(optional + 96, 0x1000);
  } else {
    w.U32(optional + 72, 0x100000);
    w.U32(optional + 76, 0x1000);
    w.U32(optional + 80, 0x100000);
    w.U32(optional + 84, 0x1000);
  }
  w.U32(optional + directories - 4, 16);  // number of data directories
  w.U32(optional + directories + 8 * 2, kResourceRva);
  w.U32(optional + directories + 8 * 2 + 4, resource_size);

  const char section_name[8] = {'.', 'r', 's', 'r', 'c', 0, 0, 0};
  for (std::uint32_t i = 0; i < 8; ++i)
    w.U8(section_header + i, static_cast<std::uint8_t>(section_name[i]));
  w.U32(section_header + 8, resource_size);
  w.U32(section_header + 12, kResourceRva);
  w.U32(section_header + 16, raw_size);
  w.U32(section_header + 20, headers_size);
  w.U32(section_header + 36, 0x40000040u);  // initialised data, readable

  const std::uint32_t base = headers_size;
  auto directory = [&](std::uint32_t at, std::size_t named, std::size_t ids) {
    w.U16(base + at + 12, static_cast<std::uint16_t>(named));
    w.U16(base + at + 14, static_cast<std::uint16_t>(ids));
  };
  auto entry = [&](std::uint32_t dir, std::size_t index, std::uint32_t name, std::uint32_t target) {
    const std::uint32_t at = base + dir + 16 + 8 * static_cast<std::uint32_t>(index);
    w.U32(at, name);
    w.U32(at + 4, target);
  };

  if (layout) {
    layout->section_header_offset = section_header;
    layout->resource_offset = base;
    layout->resource_rva = kResourceRva;
    layout->resources.clear();
  }
  directory(0, 0, types_.size());
  std::size_t type_index = 0, name_index = 0, leaf_index = 0, string_index = 0;
  for (const auto& [type, names] : types_) {
    const std::uint32_t name_dir = name_dirs[type_index];
    entry(0, type_index, type, kHighBit | name_dir);
    std::size_t named = 0;
    for (const auto& [name, languages] : names) named += name.is_id ? 0 : 1;
    directory(name_dir, named, names.size() - named);

    std::size_t in_type = 0;
    for (const auto& [name, languages] : names) {
      const std::uint32_t language_dir = language_dirs[name_index++];
      std::uint32_t stored_name = name.id;
      if (!name.is_id) {
        const std::uint32_t at = strings[string_index++];
        stored_name = kHighBit | at;
        w.U16(base + at, static_cast<std::uint16_t>(name.text.size()));
        for (std::size_t i = 0; i < name.text.size(); ++i)
          w.U16(base + at + 2 + 2 * static_cast<std::uint32_t>(i), name.text[i]);
      }
      entry(name_dir, in_type++, stored_name, kHighBit | language_dir);
      directory(language_dir, 0, languages.size());

      std::size_t in_name = 0;
      for (const auto& [language, bytes] : languages) {
        const std::uint32_t data_entry = data_entries[leaf_index];
        const std::uint32_t at = data[leaf_index++];
        entry(language_dir, in_name++, language, data_entry);
        w.U32(base + data_entry, kResourceRva + at);
        w.U32(base + data_entry + 4, static_cast<std::uint32_t>(bytes.size()));
        w.Put(base + at, bytes);
        if (layout)
          layout->resources.push_back({type, name, language, base + data_entry, base + at});
      }
    }
    ++type_index;
  }
  return image;
}

void PeBuilder::WriteTo(const std::u16string& path) const {
  const Bytes image = Build();
  WriteFileAtomically(path, image);
}

Bytes MakeDibIconImage(std::uint32_t width, std::uint32_t height, std::uint32_t seed) {
  if (width == 0 || height == 0 || width > 1024 || height > 1024)
    throw std::invalid_argument("icon image size");
  const std::uint32_t mask_row = (width + 31) / 32 * 4;
  const std::uint32_t pixel_bytes = width * height * 4;
  Bytes out;
  AppendU32LE(out, 40);
  AppendU32LE(out, width);
  AppendU32LE(out, height * 2);  // colour rows plus mask rows
  AppendU16LE(out, 1);
  AppendU16LE(out, 32);
  AppendU32LE(out, 0);  // uncompressed
  AppendU32LE(out, pixel_bytes + mask_row * height);
  for (int i = 0; i < 4; ++i) AppendU32LE(out, 0);
  for (std::uint32_t y = 0; y < height; ++y)
    for (std::uint32_t x = 0; x < width; ++x) {
      const std::uint32_t v = seed * 2654435761u + x * 40503u + y * 9973u;
      out.push_back(static_cast<std::uint8_t>(v));
      out.push_back(static_cast<std::uint8_t>(v >> 8));
      out.push_back(static_cast<std::uint8_t>(v >> 16));
      out.push_back(0xFF);
    }
  out.resize(out.size() + mask_row * height, 0);
  return out;
}

std::uint32_t GetU32(const Bytes& image, std::size_t at) {
  return *ReadU32LE(image, at);
}

void PutU16(Bytes& image, std::size_t at, std::uint16_t v) {
  image.at(at) = static_cast<std::uint8_t>(v);
  image.at(at + 1) = static_cast<std::uint8_t>(v >> 8);
}

void PutU32(Bytes& image, std::size_t at, std::uint32_t v) {
  PutU16(image, at, static_cast<std::uint16_t>(v));
  PutU16(image, at + 2, static_cast<std::uint16_t>(v >> 16));
}

std::size_t FindTypeEntry(const Bytes& image, const PeLayout& layout, std::uint16_t type) {
  const std::size_t root = layout.resource_offset;
  const std::size_t count = *ReadU16LE(image, root + 12) + *ReadU16LE(image, root + 14);
  for (std::size_t i = 0; i < count; ++i)
    if (GetU32(image, root + 16 + 8 * i) == type) return root + 16 + 8 * i;
  return 0;
}

Bytes MakeBmpIconImage(std::uint32_t side, std::uint16_t bits, std::uint32_t seed) {
  const std::uint32_t colors = bits <= 8 ? (1u << bits) : 0;
  const std::uint32_t row = (side * bits + 31) / 32 * 4;
  const std::uint32_t mask_row = (side + 31) / 32 * 4;
  Bytes out;
  AppendU32LE(out, 40);
  AppendU32LE(out, side);
  AppendU32LE(out, side * 2);
  AppendU16LE(out, 1);
  AppendU16LE(out, bits);
  for (int i = 0; i < 6; ++i) AppendU32LE(out, 0);
  std::uint32_t v = seed * 2654435761u + 1;
  const auto next = [&v] { return (v = v * 1103515245u + 12345u) >> 16; };
  for (std::uint32_t i = 0; i < colors; ++i) {
    out.push_back(static_cast<std::uint8_t>(next()));
    out.push_back(static_cast<std::uint8_t>(next()));
    out.push_back(static_cast<std::uint8_t>(next()));
    out.push_back(0);
  }
  for (std::uint32_t i = 0; i < row * side; ++i) out.push_back(static_cast<std::uint8_t>(next()));
  if (bits == 32)  // half the pixels with alpha of their own
    for (std::size_t i = out.size() - row * side + 3; i < out.size(); i += 8) out[i] = 0;
  for (std::uint32_t y = 0; y < side; ++y)
    for (std::uint32_t i = 0; i < mask_row; ++i)
      out.push_back(static_cast<std::uint8_t>(y % 3 == 0 ? 0xF0 : 0x00));
  return out;
}

}  // namespace zandrel::testing
