#pragma once
// The headers of a PE module as the resource reader needs them: whether it
// is PE32+, where its resource directory lies, and its sections. Every field
// is read through a bounded window on the file.

#include <cstdint>
#include <optional>
#include <vector>

#include "icons/byte_source.h"
#include "icons/pe_reader.h"

namespace zandrel::icons::pe {

struct Section {
  std::uint32_t virtual_address;
  std::uint32_t raw_size;
  std::uint32_t raw_pointer;
};

struct Headers {
  bool pe32_plus = false;
  std::uint32_t resource_rva = 0;  // 0: the module has no resource directory
  std::vector<Section> sections;
};

// nullopt, with the reason in `error`, for a file that is no PE module or
// whose headers are cut short or of an unknown kind.
std::optional<Headers> ReadHeaders(const Bounded& file, PeOpenError& error);

// The section whose raw data holds the RVA. Like the system loader with modules
// opened as data files, only the part of a section present in the file counts.
const Section* SectionOf(const std::vector<Section>& sections, std::uint32_t rva);

}  // namespace zandrel::icons::pe
