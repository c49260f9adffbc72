#include "icons/ico_writer.h"

#include <gtest/gtest.h>

#include <algorithm>

#include "core/file_io.h"
#include "icons/tests/fake_host.h"
#include "tests/support/memory_resource_module.h"
#include "tests/support/pe_builder.h"
#include "tests/support/temp_folder.h"

namespace zandrel::icons {
namespace {

using testing::MakeGroupDirectory;
using testing::MakeGroupEntry;

// Bytes 0..n-1 shifted by `seed`, so images are told apart by content.
Bytes Image(std::size_t size, std::uint8_t seed) {
  Bytes b(size);
  for (std::size_t i = 0; i < size; ++i) b[i] = static_cast<std::uint8_t>(i + seed);
  return b;
}

struct IcoRecord {
  ByteView copied;  // width .. bit count
  std::uint32_t size;
  std::uint32_t offset;
};

// Reads an .ico back and checks what every reader of the format relies on:
// records in bounds, images back to back after the directory, file ends there.
std::vector<IcoRecord> ReadIco(const Bytes& ico) {
  std::vector<IcoRecord> records;
  EXPECT_EQ(ReadU16LE(ico, 0), 0);
  EXPECT_EQ(ReadU16LE(ico, 2), 1);
  const std::uint16_t count = ReadU16LE(ico, 4).value_or(0);
  std::uint64_t expected_offset = 6 + 16 * count;
  for (std::size_t i = 0; i < count; ++i) {
    const auto record = Slice(ico, 6 + 16 * i, 16);
    if (!record) {
      ADD_FAILURE() << "record " << i << " cut";
      break;
    }
    records.push_back({record->first(8), *ReadU32LE(*record, 8), *ReadU32LE(*record, 12)});
    EXPECT_EQ(records.back().offset, expected_offset) << "record " << i;
    expected_offset += records.back().size;
  }
  EXPECT_EQ(expected_offset, ico.size());
  return records;
}

ByteView ImageOf(const Bytes& ico, const IcoRecord& r) {
  return *Slice(ico, r.offset, r.size);
}

bool Same(ByteView a, ByteView b) {
  return std::equal(a.begin(), a.end(), b.begin(), b.end());
}

TEST(IcoAssembly, WellFormedGroupGivesTheClassicLayout) {
  testing::MemoryResourceModule module;
  const Bytes a = Image(744, 1), b = Image(2216, 2), c = Image(9640, 3);
  module.Add(kRtIcon, ResourceName::Id(11), a);
  module.Add(kRtIcon, ResourceName::Id(12), b);
  module.Add(kRtIcon, ResourceName::Id(13), c);
  const Bytes group = MakeGroupDirectory({MakeGroupEntry(16, 16, 8, 744, 11, 16, 1),
                                          MakeGroupEntry(32, 32, 24, 2216, 12, 0, 3),
                                          MakeGroupEntry(0, 0, 32, 9640, 13)});
  const auto ico = AssembleIconFile(group, module);
  ASSERT_TRUE(ico);
  const auto records = ReadIco(*ico);
  ASSERT_EQ(records.size(), 3u);
  EXPECT_EQ(records[0].offset, 54u);
  EXPECT_EQ(records[1].offset, 798u);
  EXPECT_EQ(records[2].offset, 3014u);
  EXPECT_EQ(ico->size(), 3014u + 9640u);
  // Records copy 12 bytes of the entry: the first 8 and the declared size,
  // which is the real size here.
  for (std::size_t i = 0; i < 3; ++i) {
    EXPECT_TRUE(Same(*Slice(*ico, 6 + 16 * i, 12), *Slice(group, 6 + 14 * i, 12))) << i;
  }
  EXPECT_TRUE(Same(ImageOf(*ico, records[0]), a));
  EXPECT_TRUE(Same(ImageOf(*ico, records[1]), b));
  EXPECT_TRUE(Same(ImageOf(*ico, records[2]), c));
}

TEST(IcoAssembly, DirectoryDescribesTheBytesActuallyWritten) {
  testing::MemoryResourceModule module;
  module.Add(kRtIcon, ResourceName::Id(1), Image(100, 1));  // declared 500
  module.Add(kRtIcon, ResourceName::Id(2), Image(300, 2));  // declared 20
  module.Add(kRtIcon, ResourceName::Id(4), Image(50, 4));
  module.MarkNotLoadable(kRtIcon, ResourceName::Id(4));
  module.Add(kRtIcon, ResourceName::Id(5), {});  // empty
  module.Add(kRtIcon, ResourceName::Id(6), Image(70, 6));
  const Bytes group =
      MakeGroupDirectory({MakeGroupEntry(16, 16, 32, 500, 1), MakeGroupEntry(24, 24, 32, 20, 2),
                          MakeGroupEntry(32, 32, 32, 60, 3), MakeGroupEntry(40, 40, 32, 50, 4),
                          MakeGroupEntry(48, 48, 32, 10, 5), MakeGroupEntry(64, 64, 4, 70, 6)});

  std::vector<std::pair<ImageProblem::Kind, std::uint16_t>> problems;
  const auto ico = AssembleIconFile(
      group, module, [&](const ImageProblem& p) { problems.emplace_back(p.kind, p.image_id); });
  ASSERT_TRUE(ico);
  const auto records = ReadIco(*ico);
  ASSERT_EQ(records.size(), 3u);
  EXPECT_EQ(records[0].size, 100u);
  EXPECT_EQ(records[1].size, 300u);
  EXPECT_EQ(records[2].copied[0], 64);  // the record of image 6 follows image 2
  EXPECT_TRUE(Same(ImageOf(*ico, records[2]), Image(70, 6)));
  EXPECT_EQ(problems,
            (std::vector<std::pair<ImageProblem::Kind, std::uint16_t>>{
                {ImageProblem::Kind::kNotFound, 3}, {ImageProblem::Kind::kNotLoadable, 4}}));
}

TEST(IcoAssembly, ShortAndEmptyGroups) {
  testing::MemoryResourceModule module;
  module.Add(kRtIcon, ResourceName::Id(1), Image(10, 1));
  EXPECT_EQ(AssembleIconFile(MakeGroupDirectory({}), module), (Bytes{0, 0, 1, 0, 0, 0}));
  EXPECT_FALSE(AssembleIconFile(Bytes{0, 0, 1, 0, 1}, module));
  // Count 3 with only one whole entry: the entries present are written.
  Bytes group = MakeGroupDirectory({MakeGroupEntry(16, 16, 32, 10, 1)});
  group[4] = 3;
  group.insert(group.end(), {32, 32, 0, 0, 1});
  const auto ico = AssembleIconFile(group, module);
  ASSERT_TRUE(ico);
  EXPECT_EQ(ReadIco(*ico).size(), 1u);
}

class WriteIconGroup : public ::testing::Test {
 protected:
  WriteIconGroup() {
    module.Add(kRtIcon, ResourceName::Id(1), Image(40, 1));
    module.Add(
        kRtGroupIcon, ResourceName::Id(1),
        MakeGroupDirectory({MakeGroupEntry(16, 16, 32, 40, 1), MakeGroupEntry(8, 8, 1, 9, 77)}));
    module.Add(kRtGroupIcon, ResourceName::Id(2), MakeGroupDirectory({}));
    module.Add(kRtGroupIcon, ResourceName::Id(3), Bytes{0, 0, 1, 0, 0});
    module.Add(kRtGroupIcon, ResourceName::Id(4), MakeGroupDirectory({}));
    module.MarkNotLoadable(kRtGroupIcon, ResourceName::Id(4));
    module.Add(kRtGroupIcon, ResourceName::Text(u"ID:x"), MakeGroupDirectory({}));
    out = dir.path() + u"\\icon_1.ico";
  }

  bool Write(std::u16string_view name, WriteMode mode = WriteMode::kLog) {
    return WriteIconGroupFile(module, name, out, mode, catalogue, &log);
  }

  testing::MemoryResourceModule module;
  testing::TempFolder dir;
  testing::FakeCatalogue catalogue;
  testing::RecordingLog log;
  std::u16string out;
};

TEST_F(WriteIconGroup, LogModeNarratesProblemsAndTheSavedName) {
  EXPECT_TRUE(Write(u"ID:1"));
  EXPECT_EQ(log.lines,
            (std::vector<std::u16string>{u"Не найдена иконка ID=77", u"Сохранено: icon_1"}));
  const auto written = ReadFileBytes(out);
  ASSERT_TRUE(written);
  EXPECT_EQ(ReadIco(*written).size(), 1u);

  log.lines.clear();
  EXPECT_TRUE(Write(u"ID:2"));
  EXPECT_EQ(ReadFileBytes(out), (Bytes{0, 0, 1, 0, 0, 0}));
  EXPECT_EQ(log.lines, std::vector<std::u16string>{u"Сохранено: icon_1"});
}

TEST_F(WriteIconGroup, FailuresBeforeWritingLeaveAnExistingFileAlone) {
  const Bytes previous{1, 2, 3};
  WriteFileAtomically(out, previous);
  EXPECT_FALSE(Write(u"ID:3"));
  EXPECT_FALSE(Write(u"ID:4"));
  EXPECT_FALSE(Write(u"ID:9"));
  EXPECT_FALSE(Write(u"ID:x"));
  EXPECT_EQ(log.lines, (std::vector<std::u16string>{
                           u"Неверный размер данных: ID:3", u"Ошибка загрузки ресурса: ID:4",
                           u"Не найдена группа: ID:9", u"Ошибка преобразования ID: ID:x"}));
  EXPECT_EQ(ReadFileBytes(out), previous);

  log.lines.clear();
  EXPECT_FALSE(Write(u"ID:3", WriteMode::kSilent));
  EXPECT_FALSE(Write(u"ID:9", WriteMode::kSilent));
  try {
    Write(u"ID:x", WriteMode::kSilent);
    ADD_FAILURE() << "no error raised";
  } catch (const GroupIdConversionError& e) {
    EXPECT_EQ(e.message(), u"Ошибка преобразования ID: ID:x");
  }
  EXPECT_TRUE(log.lines.empty());
  EXPECT_EQ(ReadFileBytes(out), previous);
}

TEST_F(WriteIconGroup, WriteErrorsAreLoggedOrRaised) {
  out = dir.path() + u"\\no such folder\\icon_1.ico";
  EXPECT_FALSE(Write(u"ID:1"));
  ASSERT_EQ(log.lines.size(), 2u);
  EXPECT_TRUE(log.lines[1].starts_with(u"Ошибка при сохранении: ")) << ToUtf8(log.lines[1]);
  EXPECT_GT(log.lines[1].size(), std::u16string_view(u"Ошибка при сохранении: ").size());

  log.lines.clear();
  EXPECT_THROW(Write(u"ID:1", WriteMode::kSilent), FileError);
  EXPECT_TRUE(log.lines.empty());
}

// Save selected, on a module file read by the portable reader.
class ExtractByIndex : public ::testing::Test {
 protected:
  ExtractByIndex() {
    testing::PeBuilder pe;
    pe.AddIconGroup(ResourceName::Text(u"MAINICON"), {{Image(60, 1), 16, 16, 32}});
    pe.AddIconGroup(ResourceName::Text(u"ID:x"), {{Image(30, 2), 16, 16, 32}});
    pe.AddIconGroup(ResourceName::Id(101), {{Image(50, 3), 32, 32, 8}, {Image(80, 4), 48, 48, 32}});
    exe = dir.path() + u"\\tool.exe";
    pe.WriteTo(exe);
    out = dir.path() + u"\\saved.ico";
  }
  void Extract(int index) { ExtractIconByIndex(exe, out, index, host, catalogue); }

  testing::TempFolder dir;
  testing::FakeCatalogue catalogue;
  testing::FakeHost host;
  std::u16string exe, out;
};

TEST_F(ExtractByIndex, WritesTheGroupAtThatListPosition) {
  Extract(2);  // string names come first: ID:x, MAINICON, then ID:101
  const auto written = ReadFileBytes(out);
  ASSERT_TRUE(written);
  const auto records = ReadIco(*written);
  ASSERT_EQ(records.size(), 2u);
  EXPECT_TRUE(Same(ImageOf(*written, records[1]), Image(80, 4)));
  EXPECT_TRUE(host.messages.empty());
}

TEST_F(ExtractByIndex, OutsideTheListOrWithoutAModuleNothingHappens) {
  for (int index : {-1, 3}) Extract(index);
  EXPECT_FALSE(FileExists(out));
  EXPECT_TRUE(host.messages.empty());

  WriteFileAtomically(exe, Bytes(300, 'x'));  // not a module any more
  Extract(0);
  EXPECT_FALSE(FileExists(out));
  EXPECT_TRUE(host.messages.empty());

  exe = dir.path() + u"\\gone.exe";
  Extract(0);
  EXPECT_EQ(host.messages, std::vector<std::u16string>{u"❌ ОШИБКА: Файл не найден! " + exe});
  EXPECT_FALSE(FileExists(out));
}

TEST_F(ExtractByIndex, UnconvertibleIdNameIsRaised) {
  EXPECT_THROW(Extract(0), GroupIdConversionError);
  EXPECT_FALSE(FileExists(out));
}

}  // namespace
}  // namespace zandrel::icons
