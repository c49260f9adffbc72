#pragma once
// Writes small PE modules for tests: a DLL image (PE32 for i386 or PE32+ for
// x86-64) whose only section, ".rsrc", holds the resources a test chooses. The
// images are complete enough for the system loader to open them as data files
// and enumerate and find their resources.

#include <cstddef>
#include <cstdint>
#include <map>
#include <string>
#include <vector>

#include "core/bytes.h"
#include "icons/resource_module.h"

namespace zandrel::testing {

enum class PeMachine { kI386, kAmd64 };  // PE32, PE32+

// Where one resource landed in a built image, for tests that damage it.
struct PeResourcePlacement {
  std::uint16_t type;
  icons::ResourceName name;
  std::uint16_t language;
  std::size_t data_entry_offset;  // file offset of its 16-byte data entry (RVA, size, ...)
  std::size_t data_offset;        // file offset of its bytes
};

struct PeLayout {
  std::size_t section_header_offset;  // file offset of the ".rsrc" section header
  std::size_t resource_offset;        // file offset of the root resource directory
  std::uint32_t resource_rva;
  std::vector<PeResourcePlacement> resources;  // in the order of their data entries
};

// One image of an icon group: the RT_ICON bytes and what the group entry says.
struct IconImageSpec {
  Bytes bytes;
  std::uint8_t width = 32;  // 0 means 256
  std::uint8_t height = 32;
  std::uint16_t bit_count = 32;
};

class PeBuilder {
 public:
  explicit PeBuilder(PeMachine machine = PeMachine::kI386) : machine_(machine) {}

  // Adds one resource; the same type, name and language again replaces the bytes.
  // Identifiers must fit 16 bits.
  PeBuilder& Add(std::uint16_t type, const icons::ResourceName& name, Bytes bytes,
                 std::uint16_t language = 0);

  // Stores each image as an RT_ICON under the next unused identifier, and an
  // RT_GROUP_ICON `name` that lists them in order. Answers the identifiers.
  std::vector<std::uint16_t> AddIconGroup(const icons::ResourceName& name,
                                          const std::vector<IconImageSpec>& images,
                                          std::uint16_t language = 0);

  // The module's bytes. Directories are sorted as resource compilers sort them:
  // types by identifier; names with strings first (ascending by UTF-16 unit),
  // then identifiers ascending; languages ascending.
  Bytes Build(PeLayout* layout = nullptr) const;
  // Builds and writes the module as the whole content of the file.
  void WriteTo(const std::u16string& path) const;

 private:
  struct NameOrder {
    bool operator()(const icons::ResourceName& a, const icons::ResourceName& b) const;
  };
  using Languages = std::map<std::uint16_t, Bytes>;
  using Names = std::map<icons::ResourceName, Languages, NameOrder>;

  PeMachine machine_;
  std::map<std::uint16_t, Names> types_;
  std::uint16_t next_icon_id_ = 1;
};

// Little-endian access to a built image, for tests that damage it.
std::uint32_t GetU32(const Bytes& image, std::size_t at);
void PutU16(Bytes& image, std::size_t at, std::uint16_t v);
void PutU32(Bytes& image, std::size_t at, std::uint32_t v);
// File offset of the root directory's entry of `type`; 0 when there is none.
std::size_t FindTypeEntry(const Bytes& image, const PeLayout& layout, std::uint16_t type);

// A 32-bit icon image in bitmap form (BITMAPINFOHEADER, BGRA pixels, AND mask).
// The pixels derive from `seed`, so images of one size still differ.
Bytes MakeDibIconImage(std::uint32_t width, std::uint32_t height, std::uint32_t seed = 0);
// A square icon image in bitmap form of any depth (1, 4, 8, 24 or 32 bits),
// with a made-up palette, pixels and an AND mask; at 32 bits half the pixels
// carry alpha of their own.
Bytes MakeBmpIconImage(std::uint32_t side, std::uint16_t bits, std::uint32_t seed);

}  // namespace zandrel::testing
