// .ico assembly from a group directory and its images: every record must
// describe the bytes actually written.
#include <cstdlib>

#include "fuzz_input.h"
#include "icons/ico_writer.h"
#include "tests/support/memory_resource_module.h"

using namespace zandrel;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  fuzz::Input in(data, size);
  testing::MemoryResourceModule module;
  const int images = in.Byte() % 8;
  const ByteView group = in.Take(in.U16() % 4096);
  for (int i = 0; i < images && !in.empty(); ++i) {
    const std::uint16_t id = in.U16();
    const ByteView image = in.Take(in.U16() % 4096);
    module.Add(icons::kRtIcon, icons::ResourceName::Id(id), Bytes(image.begin(), image.end()));
  }
  const auto ico = icons::AssembleIconFile(group, module);
  if (!ico) return 0;
  // The layout holds: count records, each offset and size inside the file.
  const std::uint16_t count = *ReadU16LE(*ico, 4);
  std::uint64_t expected = 6 + 16ull * count;
  for (std::size_t i = 0; i < count; ++i) {
    const std::uint32_t bytes = *ReadU32LE(*ico, 6 + 16 * i + 8);
    const std::uint32_t offset = *ReadU32LE(*ico, 6 + 16 * i + 12);
    if (offset != expected) std::abort();
    expected += bytes;
  }
  if (expected != ico->size()) std::abort();
  return 0;
}
