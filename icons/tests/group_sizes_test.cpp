#include "icons/group_sizes.h"

#include <gtest/gtest.h>

#include "core/text.h"
#include "tests/support/memory_resource_module.h"

namespace zandrel::icons {
namespace {

using testing::MakeGroupDirectory;
using testing::MakeGroupEntry;
using testing::MakePngImage;

TEST(GroupSizes, DescribesEachImageBySizeAndDepthOrPng) {
  testing::MemoryResourceModule module;
  module.Add(kRtIcon, ResourceName::Id(1), Bytes(40, 0));
  module.Add(kRtIcon, ResourceName::Id(2), MakePngImage(256, 256));
  module.Add(kRtIcon, ResourceName::Id(3), MakePngImage(768, 768));
  module.Add(kRtIcon, ResourceName::Id(4), Bytes(40, 0));
  module.Add(
      kRtGroupIcon, ResourceName::Text(u"MAINICON"),
      MakeGroupDirectory({MakeGroupEntry(16, 16, 32, 40, 1), MakeGroupEntry(48, 48, 8, 40, 1),
                          MakeGroupEntry(0, 0, 32, 0, 2), MakeGroupEntry(0, 0, 32, 0, 3),
                          MakeGroupEntry(0, 0, 24, 40, 4), MakeGroupEntry(0, 48, 4, 40, 4),
                          MakeGroupEntry(64, 0, 0, 40, 3), MakeGroupEntry(24, 24, 0, 40, 9)}));
  EXPECT_EQ(GetGroupImageCount(u"MAINICON", module), 8);
  // A PNG only counts as such when the entry says 0 x 0; the PNG's own size
  // then wins. Otherwise the entry is described, with its bit count if any.
  EXPECT_EQ(ToUtf8(DescribeGroupSizes(u"MAINICON", module)),
            "16x16 (32-bit), 48x48 (8-bit), 256x256 (PNG), 768x768 (PNG), 256x256 (24-bit), "
            "256x48 (4-bit), 64x256, 24x24");
}

TEST(GroupSizes, DamagedOrMissingGroupsGiveNothingOrWhatIsPresent) {
  testing::MemoryResourceModule module;
  module.Add(kRtGroupIcon, ResourceName::Id(1), MakeGroupDirectory({}));
  module.Add(kRtGroupIcon, ResourceName::Id(2), Bytes{0, 0, 1, 0, 3});
  Bytes short_group =
      MakeGroupDirectory({MakeGroupEntry(16, 16, 32, 0, 1), MakeGroupEntry(32, 32, 32, 0, 1),
                          MakeGroupEntry(48, 48, 32, 0, 1)});
  short_group.pop_back();  // the third entry is cut
  module.Add(kRtGroupIcon, ResourceName::Id(3), short_group);
  module.Add(kRtGroupIcon, ResourceName::Id(4),
             MakeGroupDirectory({MakeGroupEntry(8, 8, 1, 0, 1)}));
  module.MarkNotLoadable(kRtGroupIcon, ResourceName::Id(4));
  // A string name that looks like an identifier but is not a number.
  module.Add(kRtGroupIcon, ResourceName::Text(u"ID:x"),
             MakeGroupDirectory({MakeGroupEntry(20, 20, 32, 0, 1)}));

  EXPECT_EQ(GetGroupImageCount(u"ID:1", module), 0);
  EXPECT_EQ(DescribeGroupSizes(u"ID:1", module), u"");
  EXPECT_EQ(GetGroupImageCount(u"ID:2", module), 0);
  EXPECT_EQ(DescribeGroupSizes(u"ID:2", module), u"");
  EXPECT_EQ(GetGroupImageCount(u"ID:3", module), 3);
  EXPECT_EQ(DescribeGroupSizes(u"ID:3", module), u"16x16 (32-bit), 32x32 (32-bit)");
  EXPECT_EQ(GetGroupImageCount(u"ID:4", module), 0);
  EXPECT_EQ(DescribeGroupSizes(u"ID:4", module), u"");
  EXPECT_EQ(GetGroupImageCount(u"ID:77", module), 0);
  EXPECT_EQ(DescribeGroupSizes(u"ID:x", module), u"20x20 (32-bit)");
  EXPECT_FALSE(GetIconPngSize(module, 1));
}

// A PNG stream made of a signature and the given chunks.
Bytes Png(std::initializer_list<std::pair<std::string, Bytes>> chunks) {
  Bytes png{0x89, 'P', 'N', 'G', 0x0D, 0x0A, 0x1A, 0x0A};
  for (const auto& [type, data] : chunks) {
    const auto length = static_cast<std::uint32_t>(data.size());
    for (int shift = 24; shift >= 0; shift -= 8) png.push_back(std::uint8_t(length >> shift));
    png.insert(png.end(), type.begin(), type.end());
    png.insert(png.end(), data.begin(), data.end());
    png.insert(png.end(), 4, 0);
  }
  return png;
}

Bytes Ihdr(std::uint32_t w, std::uint32_t h) {
  Bytes d;
  for (std::uint32_t v : {w, h})
    for (int shift = 24; shift >= 0; shift -= 8) d.push_back(std::uint8_t(v >> shift));
  d.insert(d.end(), {8, 6, 0, 0, 0});
  return d;
}

TEST(PngHeader, FindsTheSizeAndRejectsDamagedStreams) {
  EXPECT_EQ(ReadPngHeaderSize(MakePngImage(300, 20)), (PngSize{300, 20}));
  // IHDR comes first in every PNG; a stream that starts with another chunk
  // is not read further.
  EXPECT_FALSE(ReadPngHeaderSize(Png({{"tEXt", Bytes(7, 'a')}, {"IHDR", Ihdr(64, 32)}})));

  EXPECT_FALSE(ReadPngHeaderSize(Bytes{}));
  EXPECT_FALSE(ReadPngHeaderSize(Bytes{0x89, 'P', 'N', 'G'}));
  Bytes not_png = MakePngImage(16, 16);
  not_png[1] = 'p';
  EXPECT_FALSE(ReadPngHeaderSize(not_png));
  EXPECT_FALSE(ReadPngHeaderSize(Png({{"IEND", {}}})));
  EXPECT_FALSE(ReadPngHeaderSize(Png({{"IHDR", Bytes(7, 1)}})));  // too short to hold a size

  // Width and height must lie inside the data, however the stream is cut.
  const Bytes whole = MakePngImage(48, 48);
  for (std::size_t size = 0; size < 24; ++size)
    EXPECT_FALSE(ReadPngHeaderSize(ByteView(whole).first(size))) << size;
  EXPECT_EQ(ReadPngHeaderSize(ByteView(whole).first(24)), (PngSize{48, 48}));

  // Whatever IHDR's stated length beyond the 8 bytes read, and whatever
  // follows it, the size is read from its first bytes.
  for (std::uint32_t length : {13u, 0x100u, 0xFFFFFFF0u, 0xFFFFFFFFu}) {
    Bytes png = Png({{"IHDR", Ihdr(7, 9)}, {"tEXt", Bytes(4, 0)}});
    for (int i = 0; i < 4; ++i) png[8 + i] = std::uint8_t(length >> (24 - 8 * i));
    EXPECT_EQ(ReadPngHeaderSize(png), (PngSize{7, 9})) << length;
  }
}

}  // namespace
}  // namespace zandrel::icons
