// Crafted modules that once took seconds to minutes or gigabytes: each is
// now read, listed and extracted in time and memory in line with its size,
// and a crafted window definition cannot exhaust the stack. The benchmark
// (tools/bench/hostile_bench.cpp) prints the time and memory of each.

#include <gtest/gtest.h>

#include <algorithm>
#include <set>

#include "core/file_io.h"
#include "gui/definition.h"
#include "icons/extract_all.h"
#include "icons/group_names.h"
#include "icons/group_sizes.h"
#include "icons/ico_writer.h"
#include "icons/output_names.h"
#include "icons/pe_reader.h"
#include "icons/tests/fake_host.h"
#include "tests/support/hostile_modules.h"
#include "tests/support/temp_folder.h"

namespace zandrel::icons {
namespace {

using zandrel::testing::HostileModule;

std::unique_ptr<PeResourceModule> Open(const HostileModule& m) {
  auto module = PeResourceModule::FromBytes(m.bytes);
  EXPECT_TRUE(module) << m.name;
  return module;
}

// Lists every group as the window does: name, count, sizes text.
std::vector<std::u16string> SizesTexts(const ResourceModule& module) {
  std::vector<std::u16string> texts;
  for (const auto& name : CollectGroupNames(module)) {
    GetGroupImageCount(name, module);
    texts.push_back(DescribeGroupSizes(name, module));
  }
  return texts;
}

class Extracted : public ::testing::Test {
 protected:
  // Runs extract all on the module and answers the files it wrote.
  std::set<std::u16string> Extract(const HostileModule& m) {
    const std::u16string exe = dir.path() + u"\\" + FromUtf8(m.name) + u".dll";
    WriteFileAtomically(exe, m.bytes);
    const std::u16string out = dir.path() + u"\\out";
    ExtractAllIconsWithProgress(exe, out, progress, log, host, catalogue);
    return zandrel::testing::EntryNames(out);
  }
  bool Logged(std::u16string_view line) const {
    return std::find(log.lines.begin(), log.lines.end(), line) != log.lines.end();
  }

  zandrel::testing::TempFolder dir;
  zandrel::testing::FakeCatalogue catalogue;
  zandrel::testing::RecordingLog log;
  zandrel::testing::RecordingProgress progress;
  zandrel::testing::FakeHost host;
};

TEST_F(Extracted, TypesSharingOneNamesDirectoryAreReadOnceForTheTypesInUse) {
  const HostileModule m = zandrel::testing::SharedNamesDirectory(1500);
  const auto module = Open(m);
  ASSERT_TRUE(module);
  // Every other type pointed at the group names too; none of them is read.
  EXPECT_EQ(module->EnumerateNames(kRtGroupIcon).size(), 1500u);
  EXPECT_TRUE(module->EnumerateNames(100).empty());
  EXPECT_TRUE(module->EnumerateNames(1599).empty());
  EXPECT_EQ(SizesTexts(*module).front(), u"32x32 (32-bit)");
  EXPECT_EQ(Extract(m).size(), 1500u);
}

TEST_F(Extracted, OverlappingLanguageDirectoriesShareOneEntryBudget) {
  const HostileModule m = zandrel::testing::OverlappingLanguageDirectories(3000);
  const auto module = Open(m);
  ASSERT_TRUE(module);
  const auto names = module->EnumerateNames(kRtGroupIcon);
  EXPECT_EQ(names.size(), 3000u);
  // Their languages lead nowhere a resource tree goes: nothing to load.
  EXPECT_FALSE(module->Lookup(kRtGroupIcon, names[0]).found());
  EXPECT_TRUE(Extract(m).empty());
  EXPECT_TRUE(Logged(catalogue.Text(u"LangErrorLoadingResource") + u" ID:1"));
  EXPECT_TRUE(Logged(catalogue.Text(u"LangReady")));
}

TEST_F(Extracted, GroupsSharingOneDirectoryWriteNoMoreThanTheRunsBudget) {
  // 300 groups of 1,000 entries naming one 20 KB image: 6 GB without a bound.
  const HostileModule m = zandrel::testing::SharedPngDirectory(300, 1000);
  const std::set<std::u16string> files = Extract(m);
  std::uint64_t written = 0;
  for (const auto& f : files) written += *FileSize(dir.path() + u"\\out\\" + f);
  EXPECT_LE(written, OutputBudget::ForModuleOfSize(m.bytes.size()).left);
  EXPECT_GT(files.size(), 0u);
  EXPECT_LT(files.size(), 300u);
  EXPECT_TRUE(Logged(catalogue.Text(u"LangGroupTooLarge") + u" ID:300"));
}

TEST_F(Extracted, GroupsSharingALongPngDirectoryAreDescribedUpToTheLimit) {
  const HostileModule m = zandrel::testing::SharedPngDirectory(500, 2000);
  const auto module = Open(m);
  ASSERT_TRUE(module);
  const auto texts = SizesTexts(*module);
  ASSERT_EQ(texts.size(), 500u);
  // The PNG puts a text chunk before IHDR: no PNG, a 256 x 256 entry.
  std::u16string expected;
  for (std::size_t i = 0; i < kMaxDescribedEntries; ++i)
    expected += (i ? u", " : u"") + std::u16string(u"256x256 (32-bit)");
  expected += u", \u2026";
  EXPECT_EQ(texts.front(), expected);
  EXPECT_EQ(texts.back(), expected);
}

TEST_F(Extracted, AGroupTooLargeForAFileIsLoggedAndSkipped) {
  const HostileModule m = zandrel::testing::RepeatedLargeImage(1000, 300000);
  const auto module = Open(m);
  ASSERT_TRUE(module);
  const ResourceData group = module->Lookup(kRtGroupIcon, ResourceName::Id(1));
  AssemblyFailure failure = AssemblyFailure::kNone;
  EXPECT_FALSE(AssembleIconFile(group.bytes, *module, {}, &failure));
  EXPECT_EQ(failure, AssemblyFailure::kTooLarge);

  EXPECT_TRUE(Extract(m).empty());
  EXPECT_TRUE(Logged(catalogue.Text(u"LangGroupTooLarge") + u" ID:1"));
  EXPECT_TRUE(Logged(catalogue.Text(u"LangReady")));

  // Saving it alone says why nothing was written.
  const std::u16string exe = dir.path() + u"\\repeated-large-image.dll";
  EXPECT_THROW(ExtractIconByIndex(exe, dir.path() + u"\\one.ico", 0, host, catalogue),
               GroupTooLargeError);
  EXPECT_FALSE(FileExists(dir.path() + u"\\one.ico"));

  // Just below the limit the file is written whole.
  const HostileModule fits = zandrel::testing::RepeatedLargeImage(100, 300000);
  const auto small = Open(fits);
  const auto ico =
      AssembleIconFile(small->Lookup(kRtGroupIcon, ResourceName::Id(1)).bytes, *small);
  ASSERT_TRUE(ico);
  EXPECT_EQ(ico->size(), 6u + 16 * 100 + 300000u * 100);
}

TEST_F(Extracted, GroupsOfOneFileNameGetTheirSuffixesInTurn) {
  const HostileModule m = zandrel::testing::SameOutputName(1500);
  const auto files = Extract(m);
  EXPECT_EQ(files.size(), 1500u);
  EXPECT_TRUE(files.count(u"icon______.ico"));
  EXPECT_TRUE(files.count(u"icon_______2.ico"));
  EXPECT_TRUE(files.count(u"icon_______1500.ico"));
}

TEST(RunOutputNamesAtScale, ManyCollisionsEachTakeTheNextFreeSuffix) {
  RunOutputNames names;
  names.MarkWritten(u"icon_a_3.ico");  // written under its own name earlier in the run
  std::vector<std::u16string> chosen;
  for (int i = 0; i < 20000; ++i) {
    chosen.push_back(names.Choose(u"icon_a.ico"));
    if (i == 5) {
      // A failed write leaves the name free: the same one comes again.
      EXPECT_EQ(names.Choose(u"icon_a.ico"), chosen.back());
    }
    names.MarkWritten(chosen.back());
  }
  EXPECT_EQ(chosen[0], u"icon_a.ico");
  EXPECT_EQ(chosen[1], u"icon_a_2.ico");
  EXPECT_EQ(chosen[2], u"icon_a_4.ico");
  EXPECT_EQ(chosen.back(), u"icon_a_20001.ico");
  EXPECT_EQ(std::set<std::u16string>(chosen.begin(), chosen.end()).size(), chosen.size());
}

TEST(DefinitionNesting, DeepNestingIsAnErrorNotAStackOverflow) {
  EXPECT_THROW(gui::ParseDefinitions(zandrel::testing::DeeplyNestedDefinition(5000)),
               gui::DefinitionError);
  EXPECT_THROW(gui::ParseDefinitions(zandrel::testing::DeeplyNestedDefinition(65)),
               gui::DefinitionError);
  EXPECT_NO_THROW(gui::ParseDefinitions(zandrel::testing::DeeplyNestedDefinition(64)));
}

}  // namespace
}  // namespace zandrel::icons
