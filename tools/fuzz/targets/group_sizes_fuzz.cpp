// The sizes text and PNG headers of a group directory and its images, without
// the PE layer in between: input = count of images, then group bytes, then
// each image.
#include "fuzz_input.h"
#include "icons/group_sizes.h"
#include "tests/support/memory_resource_module.h"

using namespace zandrel;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  fuzz::Input in(data, size);
  testing::MemoryResourceModule module;
  const int images = in.Byte() % 8;
  const std::size_t group_size = in.U16() % 4096;
  const ByteView group = in.Take(group_size);
  module.Add(icons::kRtGroupIcon, icons::ResourceName::Id(1), Bytes(group.begin(), group.end()));
  for (int i = 0; i < images && !in.empty(); ++i) {
    const ByteView image = in.Take(in.U16() % 4096);
    module.Add(icons::kRtIcon, icons::ResourceName::Id(in.U16()), Bytes(image.begin(), image.end()));
  }
  icons::DescribeGroupSizes(u"ID:1", module);
  icons::GetGroupImageCount(u"ID:1", module);
  icons::ReadPngHeaderSize(group);
  return 0;
}
