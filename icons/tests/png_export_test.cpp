// The picture a group hands on (its largest image that decodes) and the PNG
// decoder's limits on hostile headers.

#include "icons/png_export.h"

#include <gtest/gtest.h>

#include "tests/support/memory_resource_module.h"
#include "tests/support/pe_builder.h"

namespace zandrel::icons {
namespace {

using testing::MakeDibIconImage;
using testing::MakeGroupDirectory;
using testing::MakeGroupEntry;
using testing::MakePngImage;

// A module whose group 1 lists the images with identifiers 1, 2, ... in order.
testing::MemoryResourceModule GroupOf(const std::vector<Bytes>& images, Bytes* group) {
  testing::MemoryResourceModule module;
  std::vector<std::vector<std::uint8_t>> entries;
  for (std::size_t i = 0; i < images.size(); ++i) {
    const auto id = static_cast<std::uint16_t>(i + 1);
    entries.push_back(MakeGroupEntry(32, 32, 32, static_cast<std::uint32_t>(images[i].size()), id));
    if (!images[i].empty()) module.Add(kRtIcon, ResourceName::Id(id), images[i]);
  }
  *group = MakeGroupDirectory(entries);
  return module;
}

TEST(LargestGroupImage, MostPixelsWinTheFirstOfEqualsAndMissingImagesAreSkipped) {
  const Bytes first_large = MakeDibIconImage(48, 48, 2);
  Bytes group;
  const auto module = GroupOf({MakeDibIconImage(16, 16, 1), Bytes{}, first_large,
                               MakeDibIconImage(48, 48, 3), MakeDibIconImage(32, 32, 4)},
                              &group);
  const auto picture = LargestGroupImage(group, module);
  ASSERT_TRUE(picture);
  EXPECT_EQ(picture->pixels.pixels, DecodeIconBitmap(first_large)->pixels);
  EXPECT_EQ(DecodePng(picture->png)->pixels, picture->pixels.pixels);
}

TEST(LargestGroupImage, AStoredPngThatDoesNotDecodeLeavesTheNextImage) {
  // The header says 256 x 256, the data is missing.
  const Bytes bitmap = MakeDibIconImage(32, 32, 5);
  Bytes group;
  auto module = GroupOf({MakePngImage(256, 256), bitmap}, &group);
  const auto picture = LargestGroupImage(group, module);
  ASSERT_TRUE(picture);
  EXPECT_EQ(picture->pixels.width, 32u);
  EXPECT_EQ(picture->pixels.pixels, DecodeIconBitmap(bitmap)->pixels);

  // Nothing readable at all, and a directory cut short.
  module = GroupOf({MakePngImage(256, 256), Bytes{1, 2, 3}}, &group);
  EXPECT_FALSE(LargestGroupImage(group, module));
  EXPECT_FALSE(LargestGroupImage(Bytes{0, 0, 1}, module));
}

TEST(GroupPngImages, ADirectoryNamingOneImageInEveryEntryIsDecodedOnceOrUpToTheLimit) {
  testing::MemoryResourceModule module;
  const Bytes image = MakeDibIconImage(256, 256, 9);
  module.Add(kRtIcon, ResourceName::Id(1), image);
  const std::vector<std::vector<std::uint8_t>> entries(
      65535, MakeGroupEntry(0, 0, 32, static_cast<std::uint32_t>(image.size()), 1));
  const Bytes group = MakeGroupDirectory(entries);

  const auto picture = LargestGroupImage(group, module);
  ASSERT_TRUE(picture);
  EXPECT_EQ(picture->pixels.width, 256u);

  bool limited = false;
  const auto images = GroupPngImages(group, module, 0, nullptr, 1 << 20, &limited);
  EXPECT_TRUE(limited);
  ASSERT_FALSE(images.empty());
  std::uint64_t total = 0;
  for (const PngImage& png : images) total += png.png.size();
  EXPECT_LE(total, std::uint64_t{1} << 20);
}

TEST(DecodePng, HeadersClaimingHugeSidesAreRefusedBeforeAnyPixelIsRead) {
  for (const auto& [width, height] : {std::pair{60000u, 1u}, {1u, 60000u}, {0x7FFFFFFFu, 2u}})
    EXPECT_FALSE(DecodePng(MakePngImage(width, height))) << width << "x" << height;
  EXPECT_FALSE(DecodePng(Bytes{}));
  const std::vector<std::uint8_t> pixels = {1, 2, 3, 4, 5, 6, 7, 8};
  const auto round_trip = DecodePng(EncodePng(2, 1, pixels));
  ASSERT_TRUE(round_trip);
  EXPECT_EQ(round_trip->pixels, pixels);
}

}  // namespace
}  // namespace zandrel::icons
