// The folder scan of the icon search on modules and files the test makes:
// what each row says, what cannot be read, filters, order, the files a
// selection is saved as, and the exported list.

#include <gtest/gtest.h>

#include <atomic>
#include <string>

#include "core/file_io.h"
#include "core/paths.h"
#include "core/text.h"
#include "icons/ico_writer.h"
#include "icons/resource_container.h"
#include "search/icon_search.h"
#include "tests/support/icon_files.h"
#include "tests/support/memory_resource_module.h"
#include "tests/support/pe_builder.h"
#include "tests/support/temp_folder.h"

namespace zandrel::search {
namespace {

using icons::ResourceName;

class SearchCoreTest : public ::testing::Test {
 protected:
  void SetUp() override {
    testing::PeBuilder pe;
    pe.AddIconGroup(ResourceName::Id(5), {{testing::MakeDibIconImage(16, 16, 1), 16, 16, 32},
                                          {testing::MakePngImage(256, 256), 0, 0, 32}});
    pe.AddIconGroup(ResourceName::Text(u"A<B>\"C\",D"),
                    {{testing::MakeBmpIconImage(48, 4, 3), 48, 48, 4}});
    for (const auto& r : testing::CursorGroupResources(
             ResourceName::Id(7), {{testing::MakeDibIconImage(32, 32, 5), 32, 32, 32, 4, 4}}, 40))
      pe.Add(r.type, r.name, r.bytes);
    pe.WriteTo(Path(u"app.dll"));
    WriteFileAtomically(
        Path(u"pair.ico"),
        testing::MakeIconFile({{testing::MakeDibIconImage(32, 32, 1), 32, 32, 32}}));
    WriteFileAtomically(Path(u"notes.dll"), Bytes{'h', 'e', 'l', 'l', 'o'});
    Bytes cut = pe.Build();
    cut.resize(300);
    WriteFileAtomically(Path(u"cut.exe"), cut);
    WriteFileAtomically(Path(u"skipped.txt"), cut);
  }
  std::u16string Path(std::u16string_view name) const {
    return dir.path() + u"/" + std::u16string(name);
  }
  ScanResults Scan(bool stopped = false) {
    ScanResults results;
    std::atomic<bool> stop{stopped};
    SearchOptions options{dir.path(), false, SearchableExtensions()};
    bool finished = false;
    ScanFolder(options, stop, [&](ScanBatch&& batch) {
      EXPECT_FALSE(finished);
      finished = batch.finished;
      results.Add(std::move(batch));
    });
    EXPECT_TRUE(finished);
    return results;
  }
  std::vector<std::u16string> Names(const ScanResults& results,
                                    const std::vector<std::size_t>& rows) {
    std::vector<std::u16string> names;
    for (std::size_t row : rows)
      names.push_back(results.modules[results.groups[row].module].file_name + u":" +
                      results.groups[row].name);
    return names;
  }

  testing::TempFolder dir;
};

TEST_F(SearchCoreTest, RowsSayWhatEachGroupHoldsAndUnreadableFilesAreCounted) {
  const ScanResults results = Scan();
  EXPECT_EQ(results.files_total, 4u);  // not the .txt
  EXPECT_EQ(results.files_scanned, 4u);
  ASSERT_EQ(results.modules.size(), 2u);
  EXPECT_EQ(results.modules[0].file_name, u"app.dll");
  ASSERT_EQ(results.unreadable.size(), 2u);
  EXPECT_EQ(ExtractFileName(results.unreadable[0].path), u"cut.exe");
  EXPECT_EQ(results.unreadable[1].reason, u"not a module or icon file");

  ASSERT_EQ(results.groups.size(), 4u);
  const FoundGroup& named = results.groups[0];  // string names come first
  EXPECT_EQ(named.name, u"A<B>\"C\",D");
  EXPECT_EQ(named.largest, 48u);
  const FoundGroup& id5 = results.groups[1];
  EXPECT_EQ(id5.name, u"ID:5");
  EXPECT_EQ(id5.position, 1u);
  EXPECT_EQ(id5.image_count, 2u);
  EXPECT_EQ(id5.largest, 256u);
  EXPECT_TRUE(id5.has_png);
  EXPECT_EQ(id5.sizes, u"16x16 (32-bit), 256x256 (PNG)");
  const FoundGroup& cursor = results.groups[2];
  EXPECT_TRUE(cursor.cursor);
  EXPECT_EQ(cursor.position, 0u);
  EXPECT_EQ(results.groups[3].name, u"pair.ico");

  // Filters, and an order that numbers sort by.
  SearchFilter filter;
  filter.text = u"pair";
  EXPECT_EQ(Names(results, FilterRows(results, filter)),
            std::vector<std::u16string>{u"pair.ico:pair.ico"});
  filter = {};
  filter.needs_png = true;
  EXPECT_EQ(FilterRows(results, filter), std::vector<std::size_t>{1});
  filter = {};
  filter.at_least = 40;
  filter.cursors = false;
  std::vector<std::size_t> rows = FilterRows(results, filter);
  SortRows(rows, results, SearchColumn::kLargest, false);
  EXPECT_EQ(rows, (std::vector<std::size_t>{1, 0}));

  // A saved group is the file extract-all assembles, under a name that stays in its folder.
  const auto opened = icons::OpenResourceContainer(Path(u"app.dll"));
  EXPECT_EQ(
      GroupFileBytes(results.modules[0], id5),
      icons::AssembleIconFile(opened.module->Lookup(icons::kRtGroupIcon, ResourceName::Id(5)).bytes,
                              *opened.module));
  EXPECT_EQ(SavedGroupFileName(results.modules[0], named), u"app_A_B__C_,D.ico");
  FoundGroup hostile = named;
  hostile.name = u"..\\..\\x:y/. ";
  EXPECT_EQ(SavedGroupFileName(results.modules[0], hostile), u"app_.._.._x_y_.ico");
  EXPECT_FALSE(LargestImagePng(results.modules[0], id5).empty());

  // The exports name every row, with their texts escaped.
  const std::string csv = ExportCsv(results, {0, 1});
  EXPECT_NE(csv.find("app.dll,"), std::string::npos);
  EXPECT_NE(csv.find(",\"A<B>\"\"C\"\",D\",icon,1,"), std::string::npos);
  const std::string html = ExportHtml(
      results, {0, 1},
      [&](std::size_t row) { return LargestImagePng(results.modules[0], results.groups[row]); },
      u"<Icons>");
  EXPECT_NE(html.find("A&lt;B&gt;&quot;C&quot;,D"), std::string::npos);
  EXPECT_EQ(html.find("<Icons>"), std::string::npos);
  EXPECT_NE(html.find("data:image/png;base64,iVBORw0KGgo"), std::string::npos);
}

TEST_F(SearchCoreTest, AStoppedScanEndsWithItsLastBatch) {
  const ScanResults results = Scan(true);
  EXPECT_EQ(results.files_scanned, 0u);
  EXPECT_TRUE(results.groups.empty());
}

}  // namespace
}  // namespace zandrel::search
