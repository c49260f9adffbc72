// A group's images as the inspector lists them, and a subset of them as a
// directory of its own.

#include "icons/group_images.h"

#include <gtest/gtest.h>

#include "icons/ico_writer.h"
#include "icons/png_export.h"
#include "tests/support/memory_resource_module.h"
#include "tests/support/pe_builder.h"

namespace zandrel::icons {
namespace {

using testing::MakeGroupEntry;

TEST(GroupImages, LargestFirstWithTheirOwnSizesAndTheReasonForWhatFails) {
  testing::MemoryResourceModule module;
  const std::vector<std::uint8_t> rgba(64 * 64 * 4, 0x80);
  module.Add(kRtIcon, ResourceName::Id(1), testing::MakeBmpIconImage(16, 8, 1));
  module.Add(kRtIcon, ResourceName::Id(2), EncodePng(64, 64, rgba));
  module.Add(kRtIcon, ResourceName::Id(3), testing::MakeBmpIconImage(32, 4, 2));
  module.Add(kRtIcon, ResourceName::Id(5), Bytes(40, 0));  // a header of nothing
  const Bytes group = testing::MakeGroupDirectory(
      {MakeGroupEntry(16, 16, 8, 0, 1), MakeGroupEntry(0, 0, 32, 0, 2),
       MakeGroupEntry(32, 32, 4, 0, 3), MakeGroupEntry(48, 48, 32, 0, 4),
       MakeGroupEntry(24, 24, 32, 0, 5)});
  const std::vector<GroupImage> images = DescribeGroupImages(group, module);
  ASSERT_EQ(images.size(), 5u);
  // 64 px PNG (the entry claims 256: the image's own size counts), the
  // missing 48 px by its entry, 32 px, the undecodable 24 px, 16 px.
  EXPECT_EQ(images[0].position, 1u);
  EXPECT_TRUE(images[0].png);
  EXPECT_EQ(images[0].width, 64u);
  EXPECT_EQ(images[0].bits, 32);
  ASSERT_TRUE(images[0].pixels);
  EXPECT_EQ(images[0].pixels->pixels, rgba);
  EXPECT_EQ(images[1].position, 3u);
  EXPECT_EQ(images[1].problem, GroupImage::Problem::kMissing);
  EXPECT_EQ(images[2].bits, 4);
  EXPECT_EQ(images[2].bytes, testing::MakeBmpIconImage(32, 4, 2).size());
  EXPECT_EQ(images[3].problem, GroupImage::Problem::kUndecodable);
  EXPECT_EQ(images[4].width, 16u);

  // Just the 16 and 32 px images, laid out as the group's own file.
  const Bytes subset = SubsetGroupDirectory(group, {2, 0, 9});
  const auto file = AssembleIconFile(subset, module);
  ASSERT_TRUE(file);
  EXPECT_EQ(ReadU16LE(*file, 4), 2);
  const auto whole =
      AssembleIconFile(testing::MakeGroupDirectory(
                           {MakeGroupEntry(16, 16, 8, 0, 1), MakeGroupEntry(32, 32, 4, 0, 3)}),
                       module);
  EXPECT_EQ(file, whole);
}

}  // namespace
}  // namespace zandrel::icons
