// Several rows at once (save, copy, drag give what "Извлечь все" writes for
// them) and icon locations (copied, taken back as a source, and as the
// command line prints them).

#include <windows.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "core/file_io.h"
#include "core/text.h"
#include "gui/win32/data_transfer.h"
#include "icons/output_names.h"
#include "mainwindow/win32/main_window.h"
#include "platform/handles.h"
#include "platform/wide.h"
#include "tests/support/temp_folder.h"
#include "tests/support/win32/program_output.h"
#include "tests/support/win32/gui_harness.h"
#include "tests/support/win32/program_windows.h"
#include "tests/support/wine_modules.h"

namespace zandrel {
namespace {

using platform::FromWide;
using platform::ToWide;

class RowsTest : public ::testing::Test {
 protected:
  void SetUp() override {
    form.AdoptSource(shell32);
    ASSERT_GT(form.ListViewIcons.item_count(), 100);
  }
  void Select(const std::vector<int>& rows) {
    form.ListViewIcons.SetItemIndex(-1);
    for (const int row : rows)
      ListView_SetItemState(form.ListViewIcons.hwnd(), row, LVIS_SELECTED, LVIS_SELECTED);
    form.ListViewIconsSelectItem();
  }
  std::optional<Bytes> Read(const std::wstring& path) { return ReadFileBytes(FromWide(path)); }

  testing::TempFolder dir;
  std::wstring folder = ToWide(dir.path()) + L"\\";
  testing::ProgramWindows windows;
  TForm1& form = windows.form1();
  const std::wstring shell32 =
      ToWide(testing::WineModulePath(testing::WineArch::kX86_64, u"shell32.dll"));
};

TEST_F(RowsTest, SeveralRowsSaveCopyAndDragWhatExtractAllWritesForThem) {
  form.EditPathExtract.SetTextValue(folder + L"all");
  form.ButtonAllZandrelClick();
  const std::vector<int> rows = {0, 2, 17};
  Select(rows);
  ASSERT_EQ(form.ListViewIcons.selected_rows(), rows);
  {
    testing::PopupWatcher watcher;
    watcher.AnswerFileDialog(folder + L"rows");  // the folder dialog
    CreateDirectoryW((folder + L"rows").c_str(), nullptr);
    form.SaveIconMenuClick();
    EXPECT_EQ(watcher.file_dialogs().size(), 1u);
  }
  std::vector<std::wstring> names;
  for (const int row : rows) {
    names.push_back(
        ToWide(icons::GroupOutputFileName(FromWide(form.ListViewIcons.ItemText(row, 2)))));
    const auto written = Read(folder + L"rows\\" + names.back());
    ASSERT_TRUE(written) << names.back();
    EXPECT_EQ(written, Read(folder + L"all\\" + names.back()));
  }
  // Copy and a drag carry one file a row, with the same bytes.
  form.CopyIconMenuClick();
  const gui::ClipboardNames copied = gui::ReadClipboardNames(form.hwnd());
  ASSERT_EQ(copied.files.size(), rows.size());
  for (std::size_t i = 0; i < rows.size(); ++i)
    EXPECT_EQ(Read(copied.files[i]), Read(folder + L"all\\" + names[i])) << i;
  const std::vector<std::wstring> dragged = form.IconFiles(rows);
  ASSERT_EQ(dragged.size(), rows.size());
  EXPECT_EQ(Read(dragged[2]), Read(folder + L"all\\" + names[2]));
  // Enter keeps saving the one row it is on.
  testing::PopupWatcher watcher;
  form.ListViewIconsItemActivate();
  ASSERT_EQ(watcher.file_dialogs().size(), 1u);
  EXPECT_EQ(watcher.file_dialogs()[0], L"Сохранить иконку...");
}

TEST_F(RowsTest, LocationsRoundTripAndNameMissingGroups) {
  // The command line prints the locations the window copies.
  const std::string listed =
      testing::ProgramOutput(L"\"" ZANDREL_CLI_PATH L"\" list --locations \"" + shell32 + L"\"");
  std::size_t line_start = 0;
  for (int row = 0; row < form.ListViewIcons.item_count(); ++row) {
    const std::size_t end = listed.find('\n', line_start);
    ASSERT_NE(end, std::string::npos) << row;
    std::string line = listed.substr(line_start, end - line_start);
    if (line.ends_with('\r')) line.pop_back();  // the console's line ends
    EXPECT_EQ(line.substr(line.rfind('\t') + 1), ToUtf8(FromWide(form.RowLocation(row)))) << row;
    line_start = end + 1;
  }
  // Every group's location adopts the module and selects that group again.
  const int count = form.ListViewIcons.item_count();
  for (int row = 0; row < count; ++row) {
    const std::wstring location = form.RowLocation(row);
    form.ListViewIcons.SetItemIndex(-1);
    ASSERT_TRUE(form.AdoptLocation(location)) << FromWide(location).size();
    EXPECT_EQ(form.ListViewIcons.item_index(), row) << ToUtf8(FromWide(location));
  }
  // Copied as Windows writes them, one a line.
  Select({0, 1});
  form.CopyLocationMenuClick();
  EXPECT_EQ(gui::ReadClipboardNames(form.hwnd()).text,
            form.RowLocation(0) + L"\r\n" + form.RowLocation(1));
  // Variables and a bare module name resolve as Windows resolves them; a
  // group the module lacks adopts the module and says so.
  ASSERT_TRUE(form.AdoptLocation(L"%SystemRoot%\\notepad.exe,0"));
  EXPECT_EQ(AsciiLower(FromWide(form.EditSorcePath.text())), u"c:\\windows\\notepad.exe");
  EXPECT_EQ(form.ListViewIcons.item_index(), 0);
  ASSERT_TRUE(form.AdoptLocation(L"notepad.exe,-9999"));
  EXPECT_NE(
      form.MemoZandrel.text().find(L"В модуле нет группы с таким расположением: notepad.exe,-9999"),
      std::wstring::npos);
  EXPECT_FALSE(form.AdoptLocation(L"nothing-here.dll,3"));
}

}  // namespace
}  // namespace zandrel
