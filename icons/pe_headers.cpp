#include "icons/pe_headers.h"

namespace zandrel::icons::pe {

namespace {

constexpr std::uint16_t kDosMagic = 0x5A4D;         // "MZ"
constexpr std::uint32_t kPeSignature = 0x00004550;  // "PE\0\0"
constexpr std::uint16_t kPe32Magic = 0x10B;
constexpr std::uint16_t kPe32PlusMagic = 0x20B;
constexpr std::uint32_t kResourceDirectoryIndex = 2;
constexpr std::uint64_t kSectionHeaderSize = 40;

}  // namespace

std::optional<Headers> ReadHeaders(const Bounded& file, PeOpenError& error) {
  error = PeOpenError::kNotPe;
  if (file.U16(0) != kDosMagic) return std::nullopt;
  const auto pe_offset = file.U32(0x3C);
  if (!pe_offset || file.U32(*pe_offset) != kPeSignature) return std::nullopt;

  error = PeOpenError::kBadHeaders;
  const std::uint64_t coff = std::uint64_t{*pe_offset} + 4;
  const auto section_count = file.U16(coff + 2);
  const auto optional_size = file.U16(coff + 16);
  const std::uint64_t optional = coff + 20;
  const auto magic = file.U16(optional);
  if (!section_count || !optional_size || !magic) return std::nullopt;

  Headers headers;
  if (*magic == kPe32PlusMagic) {
    headers.pe32_plus = true;
  } else if (*magic != kPe32Magic) {
    return std::nullopt;
  }
  const std::uint64_t rva_count_field = headers.pe32_plus ? 108 : 92;
  const auto rva_count = file.U32(optional + rva_count_field);
  if (!rva_count) return std::nullopt;

  // The resource entry counts only when the header declares it and holds it;
  // beyond the optional header's declared size the section table begins.
  const std::uint64_t resource_entry = rva_count_field + 4 + 8 * kResourceDirectoryIndex;
  if (*rva_count > kResourceDirectoryIndex && resource_entry + 8 <= *optional_size)
    headers.resource_rva = file.U32(optional + resource_entry).value_or(0);

  // Section headers cut off by the end of the file are left out.
  const std::uint64_t table = optional + *optional_size;
  for (std::uint64_t i = 0; i < *section_count; ++i) {
    const auto entry = file.Copy(table + kSectionHeaderSize * i, kSectionHeaderSize);
    if (!entry) break;
    headers.sections.push_back(
        {*ReadU32LE(*entry, 12), *ReadU32LE(*entry, 16), *ReadU32LE(*entry, 20)});
  }
  error = PeOpenError::kNone;
  return headers;
}

const Section* SectionOf(const std::vector<Section>& sections, std::uint32_t rva) {
  for (const auto& s : sections)
    if (rva >= s.virtual_address && rva - s.virtual_address < s.raw_size) return &s;
  return nullptr;
}

}  // namespace zandrel::icons::pe
