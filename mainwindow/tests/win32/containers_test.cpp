// Files the system loader refuses, read by the window itself: a 16-bit
// module and an .icl library list and extract as the PE module of the same
// resources does, an .ico file is one row named after it and "Извлечь все"
// writes it back, an .ani file is one row a frame; the log says which reader
// read them. Animations a module holds are listed when asked for.

#include <windows.h>
#include <commctrl.h>

#include <gtest/gtest.h>

#include <filesystem>
#include <map>
#include <string>
#include <vector>

#include "core/file_io.h"
#include "mainwindow/win32/main_window.h"
#include "platform/wide.h"
#include "tests/support/icon_files.h"
#include "tests/support/ne_builder.h"
#include "tests/support/pe_builder.h"
#include "tests/support/temp_folder.h"
#include "tests/support/win32/program_windows.h"

namespace zandrel {
namespace {

namespace fs = std::filesystem;
using icons::ResourceName;
using platform::FromWide;
using platform::ToWide;

template <typename Builder>
void AddGroups(Builder& builder) {
  builder.AddIconGroup(ResourceName::Id(5), {{testing::MakeDibIconImage(16, 16, 1), 16, 16, 32},
                                             {testing::MakeBmpIconImage(32, 8, 2), 32, 32, 8}});
  builder.AddIconGroup(ResourceName::Text(u"MAIN"),
                       {{testing::MakeBmpIconImage(48, 4, 3), 48, 48, 4}});
  builder.AddIconGroup(ResourceName::Id(2), {{testing::MakeDibIconImage(24, 24, 4), 24, 24, 32}});
}

class ContainersTest : public ::testing::Test {
 protected:
  // Each row's index, name, count and sizes, and whether it has a preview.
  std::vector<std::wstring> Rows() {
    std::vector<std::wstring> rows;
    for (int row = 0; row < form.ListViewIcons.item_count(); ++row) {
      LVITEMW item{};
      item.mask = LVIF_IMAGE;
      item.iItem = row;
      ListView_GetItem(form.ListViewIcons.hwnd(), &item);
      std::wstring text = item.iImage >= 0 ? L"preview" : L"none";
      for (int column = 1; column <= 4; ++column)
        text += L" | " + form.ListViewIcons.ItemText(row, column);
      rows.push_back(text);
    }
    return rows;
  }
  std::map<std::wstring, Bytes> ExtractAll(const std::wstring& into) {
    form.EditPathExtract.SetTextValue(folder + into);
    form.ButtonAllZandrelClick();
    std::map<std::wstring, Bytes> files;
    for (const auto& entry : fs::directory_iterator(fs::path(folder + into)))
      files[entry.path().filename().wstring()] =
          ReadFileBytes(FromWide(entry.path().wstring())).value_or(Bytes{});
    return files;
  }
  bool LogSaysOwnReader() const {
    return form.MemoZandrel.text().find(form.Lang(L"LangOwnReader")) != std::wstring::npos;
  }

  testing::TempFolder dir;
  std::wstring folder = ToWide(dir.path()) + L"\\";
  testing::ProgramWindows windows;
  TForm1& form = windows.form1();
};

TEST_F(ContainersTest, SixteenBitModulesListAndExtractAsThePeModuleOfTheSameResources) {
  testing::PeBuilder pe;
  AddGroups(pe);
  pe.WriteTo(FromWide(folder + L"new.dll"));
  testing::NeBuilder ne(5);
  AddGroups(ne);
  ne.WriteTo(FromWide(folder + L"old.exe"));
  ne.WriteTo(FromWide(folder + L"lib.icl"));

  form.AdoptSource(folder + L"new.dll");
  const std::vector<std::wstring> rows = Rows();
  ASSERT_EQ(rows.size(), 3u);
  EXPECT_FALSE(LogSaysOwnReader());
  const auto files = ExtractAll(L"pe");
  ASSERT_EQ(files.size(), 3u);
  for (const wchar_t* name : {L"old.exe", L"lib.icl"}) {
    form.AdoptSource(folder + name);
    EXPECT_EQ(Rows(), rows) << FromWide(name).size();
    EXPECT_TRUE(LogSaysOwnReader());
    EXPECT_EQ(ExtractAll(std::wstring(name) + L"-out"), files);
  }
}

TEST_F(ContainersTest, IcoAndCurFilesAreOneRowAndAnAniFileOneRowAFrame) {
  const Bytes ico = testing::MakeIconFile({{testing::MakeDibIconImage(32, 32, 1), 32, 32, 32},
                                           {testing::MakeBmpIconImage(16, 8, 2), 16, 16, 8}});
  WriteFileAtomically(FromWide(folder + L"pair.ico"), ico);
  form.AdoptSource(folder + L"pair.ico");
  ASSERT_EQ(
      Rows(),
      (std::vector<std::wstring>{L"preview | 0 | pair.ico | 2 | 32x32 (32-bit), 16x16 (8-bit)"}));
  EXPECT_TRUE(LogSaysOwnReader());
  const auto written = ExtractAll(L"ico");
  ASSERT_EQ(written.size(), 1u);
  EXPECT_EQ(written.begin()->second, ico);

  const Bytes cur =
      testing::MakeCursorFile({{testing::MakeDibIconImage(32, 32, 5), 32, 32, 32, 4, 4}});
  WriteFileAtomically(FromWide(folder + L"hand.cur"), cur);
  form.AdoptSource(folder + L"hand.cur");
  EXPECT_EQ(Rows(), (std::vector<std::wstring>{L"preview | 0 | hand.cur | 1 | 32x32 (32-bit)"}));

  testing::AniSpec spec;
  for (std::uint8_t seed = 1; seed <= 3; ++seed)
    spec.frames.push_back(
        testing::MakeCursorFile({{testing::MakeDibIconImage(32, 32, seed), 32, 32, 32, 4, 4}}));
  WriteFileAtomically(FromWide(folder + L"busy.ani"), testing::MakeAniFile(spec));
  form.AdoptSource(folder + L"busy.ani");
  const std::vector<std::wstring> frames = Rows();
  ASSERT_EQ(frames.size(), 3u);
  EXPECT_EQ(frames[2], L"preview | 2 | frame 2 | 1 | 32x32 (32-bit)");
  // "Save" on a frame writes the .ani file as it is.
  form.FileSaveDialogAni.chooser = [&](const gui::FileDialog& d) {
    EXPECT_EQ(d.file_name, L"busy.ani");
    return std::optional<std::wstring>(folder + L"copy.ani");
  };
  form.ListViewIcons.SetItemIndex(1);
  form.SaveIconMenuClick();
  form.FileSaveDialogAni.chooser = nullptr;
  EXPECT_EQ(ReadFileBytes(FromWide(folder + L"copy.ani")), testing::MakeAniFile(spec));
}

TEST_F(ContainersTest, AnimationsInAModuleAreListedAfterTheGroupsWhenAskedFor) {
  testing::AniSpec spec;
  for (std::uint8_t seed = 1; seed <= 3; ++seed)
    spec.frames.push_back(
        testing::MakeCursorFile({{testing::MakeDibIconImage(32, 32, seed), 32, 32, 32, 4, 4}}));
  const Bytes ani = testing::MakeAniFile(spec);
  testing::PeBuilder pe;
  pe.AddIconGroup(ResourceName::Id(5), {{testing::MakeDibIconImage(16, 16, 1), 16, 16, 32}});
  pe.Add(icons::kRtAniCursor, ResourceName::Id(3), ani);
  pe.Add(icons::kRtAniCursor, ResourceName::Text(u"WAIT"), ani);
  pe.Add(icons::kRtAniIcon, ResourceName::Id(9), ani);
  pe.WriteTo(FromWide(folder + L"anim.dll"));

  form.AdoptSource(folder + L"anim.dll");
  ASSERT_FALSE(form.AllKindsMenu.checked());
  EXPECT_EQ(Rows(), (std::vector<std::wstring>{L"preview | 0 | ID:5 | 1 | 16x16 (32-bit)"}));
  form.AllKindsMenu.Click();
  const std::wstring cursor = form.Lang(L"LangAniCursor") + L": 32x32 (32-bit)";
  EXPECT_EQ(Rows(), (std::vector<std::wstring>{L"preview | 0 | ID:5 | 1 | 16x16 (32-bit)",
                                               L"preview | 1 | WAIT | 3 | " + cursor,
                                               L"preview | 2 | ID:3 | 3 | " + cursor,
                                               L"preview | 3 | ID:9 | 3 | " +
                                                   form.Lang(L"LangAniIcon") +
                                                   L": 32x32 (32-bit)"}));
  // An animation is saved byte for byte; the icon group commands leave it be.
  form.ListViewIcons.SetItemIndex(2);
  form.ListViewIconsSelectItem();
  EXPECT_FALSE(form.PropertiesMenu.enabled());
  form.FileSaveDialogAni.chooser = [&](const gui::FileDialog&) {
    return std::optional<std::wstring>(folder + L"id3.ani");
  };
  form.SaveIconMenuClick();
  form.FileSaveDialogAni.chooser = nullptr;
  EXPECT_EQ(ReadFileBytes(FromWide(folder + L"id3.ani")), ani);
  // Extract all stays with the icon groups.
  EXPECT_EQ(ExtractAll(L"out").size(), 1u);
  form.AllKindsMenu.Click();
  EXPECT_EQ(Rows().size(), 1u);
}

}  // namespace
}  // namespace zandrel
