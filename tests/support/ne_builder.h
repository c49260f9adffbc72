#pragma once
// Writes small 16-bit (NE) modules for tests: an MZ stub, the NE header with
// its tables, and the resources a test chooses, each stored at a multiple of
// the alignment and its length rounded up to it, as 16-bit linkers store
// them. Types and names keep the order they were added in, as 16-bit
// resource compilers keep them; string names are ASCII.

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "core/bytes.h"
#include "icons/resource_module.h"
#include "tests/support/pe_builder.h"

namespace zandrel::testing {

// Where the parts of a built module landed, for tests that damage it.
struct NeLayout {
  std::size_t header_offset;              // the NE header
  std::size_t resource_table_offset;      // its alignment shift; the type records follow
  std::vector<std::size_t> name_records;  // file offset of each name record, in order added
};

class NeBuilder {
 public:
  explicit NeBuilder(std::uint16_t alignment_shift = 4) : shift_(alignment_shift) {}

  // Adds one resource; the same type and name again replaces the bytes.
  NeBuilder& Add(std::uint16_t type, const icons::ResourceName& name, Bytes bytes);
  // As PeBuilder::AddIconGroup: the images under the next unused identifiers,
  // then the group listing them.
  std::vector<std::uint16_t> AddIconGroup(const icons::ResourceName& name,
                                          const std::vector<IconImageSpec>& images);

  Bytes Build(NeLayout* layout = nullptr) const;
  void WriteTo(const std::u16string& path) const;

 private:
  struct Resource {
    std::uint16_t type;
    icons::ResourceName name;
    Bytes bytes;
  };
  std::uint16_t shift_;
  std::vector<Resource> resources_;
  std::uint16_t next_icon_id_ = 1;
};

}  // namespace zandrel::testing
