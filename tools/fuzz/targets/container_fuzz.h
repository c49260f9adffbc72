#pragma once
// What the container fuzz targets share: the input read as a file on
// demand, and everything the program does with an opened container's groups
// (names, counts, sizes text, .ico and .cur assembly, output names), with a
// check that the file and the bytes in memory give the same answers.

#include <cstdlib>
#include <cstring>
#include <memory>

#include "core/file_io.h"
#include "icons/cursor_file.h"
#include "icons/group_names.h"
#include "icons/group_sizes.h"
#include "icons/ico_writer.h"
#include "icons/output_names.h"
#include "icons/resource_module.h"

namespace zandrel::fuzz {

// The input as a file, read in the pieces the reader asks for.
class InputFile : public RandomAccessFile {
 public:
  InputFile(const std::uint8_t* data, std::size_t size) : data_(data), size_(size) {}
  std::uint64_t size() const override { return size_; }
  bool ReadAt(std::uint64_t offset, std::uint8_t* out, std::size_t count) const override {
    if (offset > size_ || count > size_ - offset) return false;
    if (count > 0) std::memcpy(out, data_ + offset, count);
    return true;
  }

 private:
  const std::uint8_t* data_;
  std::size_t size_;
};

inline void ExpectSame(const icons::ResourceData& a, const icons::ResourceData& b) {
  if (a.status != b.status || a.bytes.size() != b.bytes.size() ||
      (!a.bytes.empty() && std::memcmp(a.bytes.data(), b.bytes.data(), a.bytes.size()) != 0))
    std::abort();
}

// `module` read from the bytes, `file` from the same bytes as a file.
inline void ExerciseContainer(const icons::ResourceModule& module,
                              const icons::ResourceModule& file, std::size_t size) {
  for (const std::uint16_t type :
       {icons::kRtIcon, icons::kRtGroupIcon, icons::kRtCursor, icons::kRtGroupCursor}) {
    const auto names = module.EnumerateNames(type);
    if (names != file.EnumerateNames(type)) std::abort();
    for (const auto& name : names) ExpectSame(module.Lookup(type, name), file.Lookup(type, name));
  }
  icons::RunOutputNames output_names;
  auto budget = icons::OutputBudget::ForModuleOfSize(size);
  for (const auto& name : icons::CollectGroupNames(module)) {
    icons::GetGroupImageCount(name, module);
    icons::DescribeGroupSizes(name, module);
    const auto id = icons::ResourceIdForWriting(name);
    if (!id) continue;
    icons::AssembleIconFile(module.Lookup(icons::kRtGroupIcon, *id).bytes, module, {}, nullptr,
                            &budget);
    output_names.MarkWritten(output_names.Choose(icons::GroupOutputFileName(name)));
  }
  for (const auto& name : module.EnumerateNames(icons::kRtGroupCursor)) {
    const auto group = module.Lookup(icons::kRtGroupCursor, name);
    icons::DescribeCursorGroup(group.bytes, module);
    icons::AssembleCursorFile(group.bytes, module, {}, &budget);
  }
}

}  // namespace zandrel::fuzz
