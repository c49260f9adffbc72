#pragma once
// Reads the icons and cursors of a 16-bit module (NE: .exe, .dll, .icl, .drv,
// .fon) straight from the file, as the PE reader does for 32- and 64-bit
// ones; the system loader refuses these files since Windows Vista.
//
// The resource table follows the NE header: an alignment shift, then one
// record per type (identifier, count, then that many 12-byte name records:
// offset and length in units of the alignment, flags, identifier or the
// table-relative offset of a length-prefixed name). Names are given in the
// order a PE module's directory keeps them (strings first, ascending, then
// identifiers ascending), so a 16-bit module lists like a PE module built
// from the same resources. Icon and cursor images, whose stored lengths are
// rounded up to the alignment, are cut to the size their group declares
// when that only drops the padding. Every offset and count is checked
// against the file; the walk is one pass over the table within budgets.

#include <cstdint>
#include <memory>

#include "core/bytes.h"
#include "core/file_io.h"
#include "icons/resource_store.h"

namespace zandrel::icons {

// True when the file starts with an MZ header whose new-header offset leads
// to an "NE" signature.
bool LooksLikeNeModule(const Bounded& file);

class NeResourceModule : public IndexedResourceModule {
 public:
  // nullptr when the bytes are no NE module. A module without a resource
  // table opens with no resources.
  static std::unique_ptr<NeResourceModule> FromBytes(Bytes image);
  static std::unique_ptr<NeResourceModule> FromOpenFile(std::unique_ptr<RandomAccessFile> file);

  // Type and name records read in all; real tables hold a few hundred, and a
  // crafted one stops here.
  static constexpr std::uint64_t kMaxTableRecords = std::uint64_t{1} << 20;
  // The UTF-16 units the string names of one type may add up to.
  static constexpr std::uint64_t kMaxNameUnitsPerType = std::uint64_t{1} << 22;
  // Group entries read to cut the padding from images.
  static constexpr std::uint64_t kMaxGroupEntriesRead = std::uint64_t{1} << 20;

 private:
  using IndexedResourceModule::IndexedResourceModule;
  static std::unique_ptr<NeResourceModule> Open(std::unique_ptr<NeResourceModule> module);
  void ReadTable(const Bounded& file, std::uint64_t table);
  void CutPadding(const Bounded& file);

  std::uint16_t shift_ = 0;
};

}  // namespace zandrel::icons
