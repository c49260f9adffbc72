// The icon search window over copies of Wine's modules: the rows against
// what wrestool lists of each module, the unreadable files, the
// filters, saving a selection against the main window's extract-all, the
// HTML export, opening a row in the main window, and stopping a scan.

#include "search/win32/search_window.h"

#include <windows.h>
#include <wincrypt.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <map>
#include <sstream>

#include "core/file_io.h"
#include "core/paths.h"
#include "core/text.h"
#include "icons/group_names.h"
#include "icons/output_names.h"
#include "icons/pe_reader.h"
#include "icons/png_export.h"
#include "mainwindow/win32/main_window.h"
#include "platform/wide.h"
#include "platform/wine.h"
#include "tests/support/temp_folder.h"
#include "tests/support/win32/gui_harness.h"
#include "tests/support/win32/linux_programs.h"
#include "tests/support/win32/program_windows.h"
#include "tests/support/wine_modules.h"

namespace zandrel {
namespace {

using platform::FromWide;
using platform::ToWide;

const char16_t* const kModules[] = {u"shell32.dll", u"comdlg32.dll", u"user32.dll"};

std::u16string WineModule(std::u16string_view name) {
  return testing::WineModulePath(testing::WineArch::kX86_64, name);
}

// The groups of one type as Debian's wrestool lists them, named as the
// window names them: "ID:5" for --name=5, the text for --name='TEXT'.
std::vector<std::u16string> WrestoolGroups(const std::u16string& module, int type) {
  const testing::LinuxRun run =
      testing::RunLinuxProgram({"/usr/bin/wrestool", "-l", "-t" + std::to_string(type),
                                platform::WineHostPath(ToWide(module))});
  EXPECT_EQ(run.exit_code, 0) << run.output;
  std::vector<std::u16string> names;
  std::istringstream lines(run.output);
  for (std::string line; std::getline(lines, line);) {
    const std::size_t at = line.find("--name=");
    const std::size_t end = line.find(" --language");
    if (at == std::string::npos || end == std::string::npos || end < at + 7) continue;
    const std::string name = line.substr(at + 7, end - at - 7);
    names.push_back(name.size() >= 2 && name.front() == '\''
                        ? FromUtf8(name.substr(1, name.size() - 2))
                        : u"ID:" + FromUtf8(name));
  }
  return names;
}

class SearchWindowTest : public ::testing::Test {
 protected:
  void SetUp() override {
    testing::RemoveTestSettings();
    for (const char16_t* name : kModules) {
      const auto bytes = ReadFileBytes(WineModule(name));
      ASSERT_TRUE(bytes);
      WriteFileAtomically(folder + name, *bytes);
    }
    // A module cut short and a text file under a picked-up kind's name.
    const auto shell32 = ReadFileBytes(WineModule(u"shell32.dll"));
    WriteFileAtomically(folder + u"broken.dll", ByteView(shell32->data(), 300));
    const std::string text = "not a module\r\n";
    WriteFileAtomically(folder + u"notes.exe",
                        ByteView(reinterpret_cast<const std::uint8_t*>(text.data()), text.size()));
    form.ShowSearch();
  }

  void Scan(const std::u16string& where) {
    form.EditSearchFolder.SetTextValue(ToWide(where));
    form.ButtonSearchClick();
    ASSERT_TRUE(testing::PumpUntil([&] { return !form.scanning(); }, 120000));
  }
  // The rows' groups that pass a test.
  std::size_t Count(const std::function<bool(const search::FoundGroup&)>& pass) const {
    std::size_t n = 0;
    for (const auto& group : form.results().groups) n += pass(group) ? 1 : 0;
    return n;
  }
  const search::FoundModule& ModuleOf(std::size_t group) const {
    return form.results().modules[form.results().groups[group].module];
  }

  testing::TempFolder dir;
  std::u16string folder = dir.path() + u"\\";
  testing::TempFolder out_dir;
  std::u16string out = out_dir.path() + u"\\";
  testing::ProgramWindows windows;
  TForm5& form = windows.form5();
  testing::PopupWatcher watcher;
};

TEST_F(SearchWindowTest, ListsEveryGroupOfEachModuleAndFiltersAtOnce) {
  Scan(dir.path());
  const search::ScanResults& results = form.results();
  // Each module's icon and cursor groups, in the order wrestool lists them.
  for (const char16_t* name : kModules) {
    std::vector<std::u16string> icons, cursors;
    for (const auto& group : results.groups) {
      if (results.modules[group.module].file_name != name) continue;
      std::vector<std::u16string>& kind = group.cursor ? cursors : icons;
      EXPECT_EQ(group.position, kind.size());
      kind.push_back(group.name);
    }
    EXPECT_EQ(icons, WrestoolGroups(folder + name, 14)) << ToUtf8(name);
    EXPECT_EQ(cursors, WrestoolGroups(folder + name, 12)) << ToUtf8(name);
  }
  std::vector<std::u16string> unreadable;
  for (const auto& file : results.unreadable) unreadable.push_back(ExtractFileName(file.path));
  std::sort(unreadable.begin(), unreadable.end());
  EXPECT_EQ(unreadable, (std::vector<std::u16string>{u"broken.dll", u"notes.exe"}));
  EXPECT_EQ(results.files_scanned, 5u);
  EXPECT_EQ(form.ListViewFound.item_count(), static_cast<int>(results.groups.size()));
  EXPECT_NE(form.LabelSearchStatus.caption().find(L" 2"), std::wstring::npos);
  EXPECT_TRUE(form.ButtonUnreadable.enabled());

  // Every filter narrows the list at once, and the list shows what passes.
  const auto shown = [&] { return static_cast<std::size_t>(form.ListViewFound.item_count()); };
  form.EditFilterText.SetTextValue(L"COMDLG");
  EXPECT_EQ(shown(), Count([&](const auto& g) {
              return results.modules[g.module].file_name == u"comdlg32.dll";
            }));
  EXPECT_EQ(form.ListViewFound.ItemText(0, 1), L"comdlg32.dll");
  form.EditFilterText.SetTextValue(L"");
  form.EditMinSize.SetTextValue(L"48");
  EXPECT_EQ(shown(), Count([](const auto& g) { return g.largest >= 48; }));
  EXPECT_LT(shown(), results.groups.size());
  form.EditMinSize.SetTextValue(L"");
  form.CheckBoxHas256.SetChecked(true);
  EXPECT_EQ(shown(), Count([](const auto& g) { return g.largest >= 256; }));
  form.CheckBoxHas256.SetChecked(false);
  form.CheckBoxHasPng.SetChecked(true);
  EXPECT_EQ(shown(), Count([](const auto& g) { return g.has_png; }));
  form.CheckBoxHasPng.SetChecked(false);
  form.CheckBoxIcons.SetChecked(false);
  EXPECT_EQ(shown(), Count([](const auto& g) { return g.cursor; }));
  EXPECT_GT(shown(), 0u);
  form.CheckBoxIcons.SetChecked(true);
  form.CheckBoxCursors.SetChecked(false);
  EXPECT_EQ(shown(), Count([](const auto& g) { return !g.cursor; }));
  form.CheckBoxCursors.SetChecked(true);
  EXPECT_EQ(shown(), results.groups.size());

  // A header click sorts by the largest image; a second turns the order round.
  form.ListViewFoundColumnClick(7);
  const auto largest = [&](std::size_t row) { return results.groups[form.rows()[row]].largest; };
  EXPECT_LE(largest(0), largest(shown() - 1));
  form.ListViewFoundColumnClick(7);
  EXPECT_GE(largest(0), largest(shown() - 1));
}

TEST_F(SearchWindowTest, HandsSelectedGroupsOnAndStops) {
  Scan(dir.path());
  form.EditFilterText.SetTextValue(L"shell32");
  const int rows = std::min(form.ListViewFound.item_count(), 12);
  ASSERT_GT(rows, 0);
  for (int row = 0; row < rows; ++row)
    ListView_SetItemState(form.ListViewFound.hwnd(), row, LVIS_SELECTED, LVIS_SELECTED);
  ASSERT_TRUE(form.ButtonSaveIco.enabled());

  // Saved as extract-all writes the same groups, byte for byte.
  form.pick_folder = [&](const std::wstring&, const std::wstring&) {
    return std::optional<std::wstring>(ToWide(out));
  };
  form.SaveIcoMenuClick();
  testing::TempFolder extract_dir;
  TForm1& main = windows.form1();
  main.AdoptSource(ToWide(folder + u"shell32.dll"));
  main.EditPathExtract.SetTextValue(ToWide(extract_dir.path()));
  main.ButtonAllZandrelClick();
  for (int row = 0; row < rows; ++row) {
    const std::size_t group = form.rows()[static_cast<std::size_t>(row)];
    const auto& found = form.results().groups[group];
    const auto saved = ReadFileBytes(out + search::SavedGroupFileName(ModuleOf(group), found));
    const auto extracted =
        ReadFileBytes(extract_dir.path() + u"\\" + icons::GroupOutputFileName(found.name));
    ASSERT_TRUE(saved && extracted) << row;
    EXPECT_EQ(*saved, *extracted) << row;
  }

  // Enter's command: the main window lists the module with the group selected.
  ListView_SetItemState(form.ListViewFound.hwnd(), -1, 0, LVIS_SELECTED);
  ListView_SetItemState(form.ListViewFound.hwnd(), 3, LVIS_SELECTED | LVIS_FOCUSED,
                        LVIS_SELECTED | LVIS_FOCUSED);
  form.OpenInMainMenuClick();
  const auto& chosen = form.results().groups[form.rows()[3]];
  EXPECT_EQ(FromWide(main.EditSorcePath.text()), ModuleOf(form.rows()[3]).read_from);
  ASSERT_GE(main.ListViewIcons.item_index(), 0);
  EXPECT_EQ(FromWide(main.ListViewIcons.ItemText(main.ListViewIcons.item_index(), 2)), chosen.name);

  // The HTML export names every row, and each picture decodes.
  form.FileSaveDialogExport.chooser = [&](const gui::FileDialog&) {
    return std::optional<std::wstring>(ToWide(out + u"list.html"));
  };
  form.ButtonExportClick();
  const auto html = ReadFileBytes(out + u"list.html");
  ASSERT_TRUE(html);
  const std::string page(html->begin(), html->end());
  for (const std::size_t group : form.rows()) {
    EXPECT_NE(page.find(ToUtf8(form.results().groups[group].name)), std::string::npos);
  }
  const std::string marker = "data:image/png;base64,";
  std::size_t pictures = 0;
  for (std::size_t at = page.find(marker); at != std::string::npos; at = page.find(marker, at)) {
    at += marker.size();
    const std::size_t end = page.find('"', at);
    ASSERT_NE(end, std::string::npos);
    DWORD size = 0;
    const std::string text = page.substr(at, end - at);
    ASSERT_TRUE(CryptStringToBinaryA(text.c_str(), static_cast<DWORD>(text.size()),
                                     CRYPT_STRING_BASE64, nullptr, &size, nullptr, nullptr));
    Bytes png(size);
    CryptStringToBinaryA(text.c_str(), static_cast<DWORD>(text.size()), CRYPT_STRING_BASE64,
                         png.data(), &size, nullptr, nullptr);
    EXPECT_TRUE(icons::DecodePng(png)) << pictures;
    ++pictures;
  }
  EXPECT_EQ(pictures, form.rows().size());

  // Stop ends a scan at once; closing ends one too. The folder holds 300
  // links to shell32.dll, so the scan outlasts the click on any machine.
  testing::TempFolder links;
  for (int i = 0; i < 300; ++i) {
    const std::wstring link = ToWide(links.path() + u"\\shell32_") + std::to_wstring(i) + L".dll";
    ASSERT_TRUE(CreateHardLinkW(link.c_str(), ToWide(folder + u"shell32.dll").c_str(), nullptr));
  }
  form.EditFilterText.SetTextValue(L"");
  form.EditSearchFolder.SetTextValue(ToWide(links.path()));
  form.ButtonSearchClick();
  testing::PumpUntil([&] { return form.results().files_scanned > 0; }, 30000);
  const auto asked = std::chrono::steady_clock::now();
  form.ButtonStopSearchClick();
  ASSERT_TRUE(testing::PumpUntil([&] { return !form.scanning(); }, 30000));
  const auto took =
      std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - asked);
  std::printf("stop took %.1f ms after %zu of %zu files\n", took.count(),
              form.results().files_scanned, form.results().files_total);
  EXPECT_LT(form.results().files_scanned, form.results().files_total);
  form.ButtonSearchClick();
  testing::PumpMessages(200);
  form.Close();
  EXPECT_FALSE(form.scanning());
}

TEST_F(SearchWindowTest, TheMainMenuOpensItAndTheOtherCommandsWrite) {
  form.Close();
  windows.form1().SearchIconsMenuClick();
  EXPECT_TRUE(IsWindowVisible(form.hwnd()));
  Scan(dir.path());
  form.EditFilterText.SetTextValue(L"comdlg32");
  ASSERT_GT(form.ListViewFound.item_count(), 1);
  ListView_SetItemState(form.ListViewFound.hwnd(), 0, LVIS_SELECTED, LVIS_SELECTED);
  ListView_SetItemState(form.ListViewFound.hwnd(), 1, LVIS_SELECTED, LVIS_SELECTED);
  const auto& first = form.results().groups[form.rows()[0]];

  // PNG: each selected group's largest image.
  form.pick_folder = [&](const std::wstring&, const std::wstring&) {
    return std::optional<std::wstring>(ToWide(out));
  };
  form.SavePngMenuClick();
  const auto png = ReadFileBytes(out + u"comdlg32_" + first.name + u".png");
  ASSERT_TRUE(png);
  EXPECT_TRUE(icons::DecodePng(*png));

  // Locations on the clipboard, one a line, each naming its module and group.
  form.CopyLocationMenuClick();
  ASSERT_TRUE(OpenClipboard(form.hwnd()));
  std::wstring copied;
  if (const HANDLE data = GetClipboardData(CF_UNICODETEXT)) {
    if (const auto* text = static_cast<const wchar_t*>(GlobalLock(data))) copied = text;
    GlobalUnlock(data);
  }
  CloseClipboard();
  EXPECT_NE(copied.find(L"comdlg32.dll,"), std::wstring::npos) << copied;
  EXPECT_NE(copied.find(L"\r\n"), std::wstring::npos) << copied;

  // CSV: a header and one line a row shown.
  form.FileSaveDialogExport.chooser = [&](const gui::FileDialog&) {
    return std::optional<std::wstring>(ToWide(out + u"list.csv"));
  };
  form.ButtonExportClick();
  const auto csv = ReadFileBytes(out + u"list.csv");
  ASSERT_TRUE(csv);
  EXPECT_EQ(static_cast<std::size_t>(std::count(csv->begin(), csv->end(), '\n')),
            form.rows().size() + 1);
}

}  // namespace
}  // namespace zandrel
