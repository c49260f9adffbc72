// "Extract all" through the main window: the narrated log, the written files
// and the progress bar.

#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <set>
#include <vector>

#include "core/file_io.h"
#include "gui/win32/application.h"
#include "gui/win32/controls.h"
#include "icons/extract_all.h"
#include "icons/ico_writer.h"
#include "icons/output_names.h"
#include "mainwindow/win32/main_window.h"
#include "mainwindow/win32/window_host.h"
#include "platform/wide.h"
#include "tests/support/pe_builder.h"
#include "tests/support/temp_folder.h"
#include "tests/support/win32/gui_harness.h"
#include "tests/support/win32/program_windows.h"
#include "tests/support/wine_modules.h"

namespace zandrel {
namespace {

using platform::FromWide;
using platform::ToWide;

std::wstring Join(const std::vector<std::wstring>& lines) {
  std::wstring text;
  for (std::size_t i = 0; i < lines.size(); ++i) text += (i ? L"\r\n" : L"") + lines[i];
  return text;
}

class ExtractAllTest : public ::testing::Test {
 protected:
  testing::TempFolder dir;
  std::wstring folder = ToWide(dir.path()) + L"\\";
  testing::ProgramWindows windows;
  TForm1& form = windows.form1();
  const std::wstring shell32 =
      ToWide(testing::WineModulePath(testing::WineArch::kI386, u"shell32.dll"));
};

TEST_F(ExtractAllTest, NarratesEveryStepAsInTheExampleLog) {
  testing::PeBuilder pe;
  pe.AddIconGroup(icons::ResourceName::Text(u"MAINICON"),
                  {{testing::MakeDibIconImage(32, 32), 32, 32, 32}});
  pe.AddIconGroup(icons::ResourceName::Id(101), {{testing::MakeDibIconImage(16, 16), 16, 16, 32}});
  const std::wstring tool = folder + L"tool.exe";
  pe.WriteTo(FromWide(tool));
  form.AdoptSource(tool);
  ASSERT_EQ(form.EditPathExtract.text(), folder + L"Extracted Icons");
  form.ButtonAllZandrelClick();

  const std::wstring out = folder + L"Extracted Icons\\";
  EXPECT_EQ(form.MemoZandrel.text(), Join({L"Начало извлечения иконок...",
                                           L"Файл: " + tool,
                                           L"Папка для сохранения: " + out,
                                           L"✓ Папка создана",
                                           L"Загрузка файла...",
                                           L"✓ Файл загружен успешно",
                                           L"Поиск групп иконок...",
                                           L"✓ Поиск завершен",
                                           L"Найдено групп иконок:  2",
                                           L"  [0] MAINICON",
                                           L"  [1] ID:101",
                                           L"",
                                           L"Начато извлечение...",
                                           L"Извлечение 1/2: MAINICON",
                                           L"Сохраняем как: icon_MAINICON.ico",
                                           L"Сохранено: icon_MAINICON",
                                           L" ✓ Успешно",
                                           L"",
                                           L"Извлечение 2/2: ID:101",
                                           L"Сохраняем как: icon_101.ico",
                                           L"Сохранено: icon_101",
                                           L" ✓ Успешно",
                                           L"",
                                           L"════════════════════════════════════",
                                           L"ИЗВЛЕЧЕНИЕ ЗАВЕРШЕНО",
                                           L"Найдено иконок: 2",
                                           L"Успешно извлечено: 2",
                                           L"Папка: " + out,
                                           L"",
                                           L"Готово!",
                                           L"Открыть папку с иконками можно командой меню "
                                           L"«Открыть папку»"}));
  EXPECT_TRUE(FileExists(FromWide(out + L"icon_MAINICON.ico")));
  EXPECT_TRUE(FileExists(FromWide(out + L"icon_101.ico")));
  EXPECT_FALSE(form.ProgressBarZandrel.visible());
  EXPECT_EQ(form.ProgressBarZandrel.position(), 0);
}

// A folder that cannot be made (here: below a file) does not end in "Готово!"
// alone: a box says so, Yes picks another folder, and the run can be made
// again there. "Открыть папку" opens only a folder that exists.
TEST_F(ExtractAllTest, AFolderThatCannotBeWrittenBringsABoxOfferingAnother) {
  testing::PeBuilder pe;
  pe.AddIconGroup(icons::ResourceName::Id(101), {{testing::MakeDibIconImage(16, 16), 16, 16, 32}});
  const std::wstring tool = folder + L"tool.exe";
  pe.WriteTo(FromWide(tool));
  form.AdoptSource(tool);
  const std::wstring blocked = tool + L"\\icons";
  form.EditPathExtract.SetTextValue(blocked);
  form.PopupMenuPopup();
  EXPECT_FALSE(form.OpenFolderMenu.enabled());
  {
    testing::PopupWatcher watcher;
    watcher.AnswerMessageBoxesWith(IDYES);
    watcher.AnswerFileDialog(folder.substr(0, folder.size() - 1));
    form.ButtonAllZandrelClick();
    ASSERT_EQ(watcher.message_boxes().size(), 1u);
    EXPECT_EQ(watcher.message_boxes()[0], L"Не удалось записать иконки в папку:\r\n" + blocked +
                                              L"\\\r\n\r\nВыбрать другую папку?");
    EXPECT_EQ(watcher.file_dialogs().size(), 1u);  // the folder dialog
  }
  EXPECT_NE(form.MemoZandrel.text().find(L"❌ Не удалось создать папку!"), std::wstring::npos);
  ASSERT_NE(form.EditPathExtract.text(), blocked);
  testing::PopupWatcher watcher;
  form.ButtonAllZandrelClick();
  EXPECT_TRUE(watcher.message_boxes().empty());
  EXPECT_TRUE(FileExists(FromWide(form.EditPathExtract.text() + L"\\icon_101.ico")));
  form.PopupMenuPopup();
  EXPECT_TRUE(form.OpenFolderMenu.enabled() && form.OpenFolderMenuIcons.enabled());
}

TEST_F(ExtractAllTest, WritesWhatSaveSelectedWritesForEveryGroupOfShell32) {
  form.AdoptSource(shell32);
  const int groups = form.ListViewIcons.item_count();
  ASSERT_GT(groups, 100);
  const std::wstring out = folder + L"all";
  form.EditPathExtract.SetTextValue(out);
  form.ButtonAllZandrelClick();

  const std::wstring log = form.MemoZandrel.text();
  EXPECT_NE(log.find(L"Найдено иконок: " + std::to_wstring(groups)), std::wstring::npos);
  EXPECT_NE(log.find(L"Успешно извлечено: " + std::to_wstring(groups)), std::wstring::npos);
  EXPECT_EQ(log.find(L"Не удалось извлечь:"), std::wstring::npos);
  EXPECT_TRUE(
      log.ends_with(L"Готово!\r\nОткрыть папку с иконками можно командой меню «Открыть папку»"));

  MainWindowHost host(form);
  for (int i = 0; i < groups; ++i) {
    const std::wstring name = form.ListViewIcons.ItemText(i, 2);
    const std::wstring written = out + L"\\" + ToWide(icons::GroupOutputFileName(FromWide(name)));
    const std::wstring saved = folder + L"saved_" + std::to_wstring(i) + L".ico";
    icons::ExtractIconByIndex(FromWide(shell32), FromWide(saved), i, host, host);
    const auto a = ReadFileBytes(FromWide(written));
    const auto b = ReadFileBytes(FromWide(saved));
    ASSERT_TRUE(a && b) << name;
    EXPECT_EQ(*a, *b) << name;
  }
}

// The window's host, noting at each message point how many lines the log
// control itself holds, and taking its time there so that the run spans
// several of the log's batches.
class WatchingHost : public MainWindowHost {
 public:
  explicit WatchingHost(TForm1& form) : MainWindowHost(form), form_(form) {}
  void ProcessMessages() override {
    MainWindowHost::ProcessMessages();
    held.push_back(SendMessageW(form_.MemoZandrel.hwnd(), EM_GETLINECOUNT, 0, 0));
    ::Sleep(static_cast<DWORD>(gui::Memo::kBatchIntervalMs / 5));
  }
  std::vector<LRESULT> held;

 private:
  TForm1& form_;
};

TEST_F(ExtractAllTest, TheLogFollowsTheRunInBatchesAndIsWholeWhenItEnds) {
  form.AdoptSource(shell32);
  const int groups = form.ListViewIcons.item_count();
  ASSERT_GT(groups, 100);
  WatchingHost host(form);
  icons::ExtractAllIconsWithProgress(FromWide(shell32), FromWide(folder + L"all"), host, host, host,
                                     host);
  // The first message point already shows the search and the group list.
  ASSERT_FALSE(host.held.empty());
  EXPECT_GE(host.held.front(), groups + 9);
  std::set<LRESULT> distinct(host.held.begin(), host.held.end());
  EXPECT_GE(distinct.size(), 4u);
  EXPECT_TRUE(std::is_sorted(host.held.begin(), host.held.end()));
  // What the message loop hands over before it waits completes the log.
  gui::Application::Instance().FlushPending();
  const HWND edit = form.MemoZandrel.hwnd();
  const LRESULT lines = SendMessageW(edit, EM_GETLINECOUNT, 0, 0);
  EXPECT_GT(lines, host.held.back());
  EXPECT_EQ(lines, form.MemoZandrel.line_count());
  EXPECT_TRUE(form.MemoZandrel.text().ends_with(L"Готово!"));
}

}  // namespace
}  // namespace zandrel
