// The portable readers of 16-bit modules, .ico and .cur files and .ani files
// on damaged input: what the file holds is read, what it lacks is listed as
// not loadable or left out, and reading a file or its bytes gives the same.

#include <gtest/gtest.h>

#include "core/file_io.h"
#include "icons/resource_container.h"
#include "tests/support/icon_files.h"
#include "tests/support/memory_resource_module.h"
#include "tests/support/ne_builder.h"
#include "tests/support/pe_builder.h"
#include "tests/support/temp_folder.h"

namespace zandrel::icons {
namespace {

using Status = ResourceData::Status;

OpenedContainer Open(Bytes bytes, std::u16string_view name = u"test") {
  return ResourceContainerFromBytes(std::move(bytes), name);
}

Status StatusOf(const OpenedContainer& c, std::uint16_t type, std::uint32_t id) {
  return c.module->Lookup(type, ResourceName::Id(id)).status;
}

TEST(ContainerReaders, SixteenBitModulesKeepWhatTheFileHoldsAndReadAlikeFromAFile) {
  testing::NeBuilder builder(4);
  builder.AddIconGroup(ResourceName::Id(1), {{testing::MakeDibIconImage(16, 16, 1), 16, 16, 32}});
  builder.AddIconGroup(ResourceName::Text(u"LOST"),
                       {{testing::MakeDibIconImage(32, 32, 2), 32, 32, 32}});
  builder.AddIconGroup(ResourceName::Text(u"APP"),
                       {{testing::MakeDibIconImage(8, 8, 3), 8, 8, 32}});
  testing::NeLayout layout;
  const Bytes good = builder.Build(&layout);

  // From the file, read on demand, as from the bytes.
  testing::TempFolder dir;
  const std::u16string path = dir.path() + u"/m.dll";
  WriteFileAtomically(path, good);
  const OpenedContainer from_file = OpenResourceContainer(path);
  ASSERT_TRUE(from_file.module);
  EXPECT_EQ(from_file.kind, ContainerKind::kNeModule);
  const auto names = from_file.module->EnumerateNames(kRtGroupIcon);
  EXPECT_EQ(names, (std::vector<ResourceName>{ResourceName::Text(u"APP"),
                                              ResourceName::Text(u"LOST"), ResourceName::Id(1)}));
  // Images are cut to the size their group declares: the alignment's padding goes.
  const Bytes image = testing::MakeDibIconImage(16, 16, 1);
  const ResourceData read = from_file.module->Lookup(kRtIcon, ResourceName::Id(1));
  EXPECT_EQ(Bytes(read.bytes.begin(), read.bytes.end()), image);

  // Records in the order added: icon 1, group 1, icon 2, LOST, icon 3, APP.
  Bytes damaged = good;
  testing::PutU16(damaged, layout.name_records[2], 0xFFF0);      // image 2 past the end
  testing::PutU16(damaged, layout.name_records[3] + 6, 0x7FF0);  // "LOST" named past the end
  testing::PutU16(damaged, layout.name_records[5] + 6, 0x8001);  // "APP" renamed 1 again
  const OpenedContainer c = Open(damaged);
  ASSERT_TRUE(c.module);
  EXPECT_EQ(StatusOf(c, kRtIcon, 1), Status::kFound);
  EXPECT_EQ(StatusOf(c, kRtIcon, 2), Status::kNotLoadable);
  // A name given twice is listed once and finds the first.
  EXPECT_EQ(c.module->EnumerateNames(kRtGroupIcon), std::vector<ResourceName>{ResourceName::Id(1)});
  EXPECT_EQ(ReadU16LE(c.module->Lookup(kRtGroupIcon, ResourceName::Id(1)).bytes, 6 + 12), 1);

  // A shift no file can use makes every resource unloadable, not a huge read.
  Bytes shifted = good;
  testing::PutU16(shifted, layout.resource_table_offset, 40);
  EXPECT_EQ(StatusOf(Open(shifted), kRtIcon, 1), Status::kNotLoadable);

  // The group type claiming 65,535 names in a table cut after two of them:
  // the one whose name the file still holds is kept, its image unloadable.
  Bytes cut(good.begin(), good.begin() + static_cast<std::ptrdiff_t>(layout.name_records[3] + 12));
  testing::PutU16(cut, layout.name_records[4] + 12 + 2, 0xFFFF);
  const OpenedContainer short_table = Open(cut);
  ASSERT_TRUE(short_table.module);
  EXPECT_EQ(short_table.module->EnumerateNames(kRtGroupIcon),
            std::vector<ResourceName>{ResourceName::Id(1)});
  EXPECT_EQ(StatusOf(short_table, kRtIcon, 1), Status::kNotLoadable);
}

TEST(ContainerReaders, IconFilesListEveryRecordTheyHoldAndLoadOnlyImagesInside) {
  Bytes ico = testing::MakeIconFile({{testing::MakeDibIconImage(16, 16, 1), 16, 16, 32},
                                     {testing::MakeDibIconImage(32, 32, 2), 32, 32, 32}});
  testing::PutU32(ico, 6 + 16 + 12, 0x7FFFFFF0);  // the second image lies past the end
  testing::PutU16(ico, 4, 0xFFFF);                // and the count claims 65,535 records
  const OpenedContainer c = Open(ico, u"C:\\icons\\two.ico");
  ASSERT_TRUE(c.module);
  EXPECT_EQ(c.kind, ContainerKind::kIconFile);
  ASSERT_EQ(c.module->EnumerateNames(kRtGroupIcon),
            std::vector<ResourceName>{ResourceName::Text(u"two.ico")});
  const ResourceData group = c.module->Lookup(kRtGroupIcon, ResourceName::Text(u"two.ico"));
  // Only the records the bytes hold (the images' bytes read as records).
  EXPECT_EQ(ReadU16LE(group.bytes, 4), (ico.size() - 6) / 16);
  EXPECT_EQ(StatusOf(c, kRtIcon, 1), Status::kFound);
  EXPECT_EQ(StatusOf(c, kRtIcon, 2), Status::kNotLoadable);

  // A cursor's images are cursor resources too, their hotspots in front.
  const Bytes bitmap = testing::MakeDibIconImage(16, 16, 3);
  const OpenedContainer cur = Open(testing::MakeCursorFile({{bitmap, 16, 16, 32, 5, 6}}));
  ASSERT_TRUE(cur.module);
  EXPECT_EQ(cur.kind, ContainerKind::kCursorFile);
  const ResourceData cursor = cur.module->Lookup(kRtCursor, ResourceName::Id(1));
  Bytes expected = {5, 0, 6, 0};
  AppendBytes(expected, bitmap);
  EXPECT_EQ(Bytes(cursor.bytes.begin(), cursor.bytes.end()), expected);
}

TEST(ContainerReaders, AniFramesAreReadInOrderPastOddChunksAndOtherChunks) {
  testing::AniSpec spec;
  // An odd-sized frame is padded to an even size; the next frame follows the pad.
  Bytes odd = testing::MakeIconFile({{testing::MakeDibIconImage(16, 16, 1), 16, 16, 32}});
  odd.push_back(0xAB);
  spec.frames = {odd, testing::MakeIconFile({{testing::MakeDibIconImage(32, 32, 2), 32, 32, 32}}),
                 Bytes{'n', 'o', 't', ' ', 'a', 'n', ' ', 'i', 'c', 'o'}};
  spec.sequence = {0, 1, 2};
  const OpenedContainer c = Open(testing::MakeAniFile(spec));
  ASSERT_TRUE(c.module);
  EXPECT_EQ(c.kind, ContainerKind::kAniFile);
  const auto frames = c.module->EnumerateNames(kRtGroupIcon);
  ASSERT_EQ(frames.size(), 3u);
  EXPECT_EQ(frames[1], ResourceName::Text(u"frame 1"));
  const ResourceData second = c.module->Lookup(kRtIcon, ResourceName::Id(2));
  EXPECT_EQ(Bytes(second.bytes.begin(), second.bytes.end()), testing::MakeDibIconImage(32, 32, 2));
  // A frame that is no icon file is an empty group.
  const ResourceData last = c.module->Lookup(kRtGroupIcon, frames[2]);
  EXPECT_EQ(ReadU16LE(last.bytes, 4), 0);
}

}  // namespace
}  // namespace zandrel::icons
