// The settings file as the windows read and write it: the first-run file,
// the stored choices coming back, the window's size and place, encodings
// kept, and a failed save reported.

#include <windows.h>

#include <gtest/gtest.h>

#include <string>

#include "core/file_io.h"
#include "core/text.h"
#include "gui/win32/application.h"
#include "gui/win32/style.h"
#include "mainwindow/win32/main_window.h"
#include "platform/wide.h"
#include "theme/win32/windows_dark_mode.h"
#include "tests/support/win32/gui_harness.h"
#include "tests/support/win32/program_windows.h"
#include "update/win32/update_window.h"

namespace zandrel {
namespace {

using platform::FromWide;
using platform::ToWide;

std::wstring SettingsFile() {
  return testing::TestSettingsFile();
}

std::string ReadSettings() {
  const auto bytes = ReadFileBytes(FromWide(SettingsFile()));
  return bytes ? std::string(bytes->begin(), bytes->end()) : std::string("<missing>");
}

void WriteSettings(const std::string& content) {
  CreateDirectoryW((testing::TestProgramFolder() + L"Config").c_str(), nullptr);
  SetFileAttributesW(SettingsFile().c_str(), FILE_ATTRIBUTE_NORMAL);
  WriteFileAtomically(
      FromWide(SettingsFile()),
      ByteView(reinterpret_cast<const std::uint8_t*>(content.data()), content.size()));
}

class SettingsTest : public ::testing::Test {
 protected:
  void SetUp() override {
    testing::RemoveTestSettings();
    RemoveDirectoryW((testing::TestProgramFolder() + L"Config").c_str());
  }
  void TearDown() override { SetUp(); }
};

TEST_F(SettingsTest, FirstRunWritesTheDefaultsInTheirOrder) {
  testing::ProgramWindows windows;
  // The folder exists from the start, even before anything is saved.
  EXPECT_TRUE(DirectoryExists(FromWide(testing::TestProgramFolder() + L"Config")));
  EXPECT_EQ(windows.form1().PortablePath(), SettingsFile());
  EXPECT_FALSE(windows.form1().ThemeAuto.checked());  // no stored keys: nothing ticked
  EXPECT_TRUE(gui::Application::Instance().style().plain());
  EXPECT_TRUE(windows.form10().CheckBoxAutoCheck.checked());
  windows.form1().FormClose();
  // The window's place follows in a section of its own.
  EXPECT_TRUE(
      ReadSettings().starts_with("[Option]\r\n"
                                 "CheckBoxQuickUpdate=1\r\n"
                                 "CheckBoxNoChangePath=0\r\n"
                                 "CheckBoxSavePath=0\r\n"
                                 "EditPathExtract=\r\n"
                                 "ThemeAuto=0\r\n"
                                 "ThemeLight=0\r\n"
                                 "ThemeDark=0\r\n"
                                 "\r\n[MainWindow]\r\nLeft="))
      << ReadSettings();
}

TEST_F(SettingsTest, StoredChoicesComeBackAndRunTheirHandlers) {
  WriteSettings(
      "[option]\r\n"
      "themeauto=1\r\n"
      "ThemeDark = 1\r\n"
      "CheckBoxNoChangePath=1\r\n"
      "CheckBoxSavePath=1\r\n"
      "EditPathExtract=C:\\Saved Icons\r\n");
  testing::ProgramWindows windows;
  TForm1& form = windows.form1();
  // Both stored themes ran their handlers in menu order; the last one wins.
  EXPECT_FALSE(form.ThemeAuto.checked());
  EXPECT_FALSE(form.ThemeLight.checked());
  EXPECT_TRUE(form.ThemeDark.checked());
  EXPECT_EQ(gui::Application::Instance().style().palette().name, theme::kModernDark);
  EXPECT_TRUE(form.CheckBoxNoChangePath.checked());
  EXPECT_FALSE(form.ButtonBrowseFolder.enabled());  // the box's click handler ran
  EXPECT_TRUE(form.CheckBoxSavePath.checked());
  EXPECT_EQ(form.EditPathExtract.text(), L"C:\\Saved Icons");

  // Unticking the save box stores an empty folder; the next start shows the
  // default folder below My Pictures.
  form.CheckBoxSavePath.SetChecked(false);
  form.FormClose();
  EXPECT_NE(ReadSettings().find("EditPathExtract=\r\n"), std::string::npos) << ReadSettings();
  testing::ProgramWindows again;
  const std::wstring folder = again.form1().EditPathExtract.text();
  EXPECT_TRUE(folder.ends_with(L"\\Zandrel")) << folder;
  EXPECT_GT(folder.size(), 8u);
}

// The window resizes from its design size up: the list takes the height,
// the paths and the sizes column the width, the log keeps its height; its
// size, place and maximised state come back at the next start, on a monitor.
TEST_F(SettingsTest, TheWindowResizesAndComesBackAsItWasLeft) {
  RECT list{}, log{}, edit{}, browse{};
  int sizes = 0;
  {
    testing::ProgramWindows windows;
    TForm1& form = windows.form1();
    const auto measure = [&] {
      GetWindowRect(form.ListViewIcons.hwnd(), &list);
      GetWindowRect(form.MemoZandrel.hwnd(), &log);
      GetWindowRect(form.EditSorcePath.hwnd(), &edit);
      GetWindowRect(form.ButtonBrowse.hwnd(), &browse);
      sizes = form.ListViewIcons.column_width(4);
    };
    measure();
    const RECT list0 = list, log0 = log, edit0 = edit, browse0 = browse;
    const int sizes0 = sizes;
    RECT frame{};
    GetWindowRect(form.hwnd(), &frame);
    MINMAXINFO limits{};
    SendMessageW(form.hwnd(), WM_GETMINMAXINFO, 0, reinterpret_cast<LPARAM>(&limits));
    EXPECT_EQ(limits.ptMinTrackSize.x, frame.right - frame.left);  // the design size
    EXPECT_EQ(limits.ptMinTrackSize.y, frame.bottom - frame.top);
    SetWindowPos(form.hwnd(), nullptr, 40, 30, frame.right - frame.left + 300,
                 frame.bottom - frame.top + 200, SWP_NOZORDER | SWP_NOACTIVATE);
    measure();
    EXPECT_EQ(list.bottom - list.top, list0.bottom - list0.top + 200);
    EXPECT_EQ(log.bottom - log.top, log0.bottom - log0.top);
    EXPECT_EQ(edit.right - edit.left, edit0.right - edit0.left + 300);
    EXPECT_EQ(browse.left - edit.left, browse0.left - edit0.left + 300);
    EXPECT_EQ(sizes, sizes0 + 300);
    windows.form1().FormClose();
  }
  const std::string stored = ReadSettings();
  EXPECT_NE(stored.find("[MainWindow]\r\nLeft=40\r\nTop=30\r\n"), std::string::npos) << stored;
  {
    testing::ProgramWindows windows;
    TForm1& form = windows.form1();
    const RECT normal = form.placement().normal;
    EXPECT_EQ(normal.left, 40);
    EXPECT_EQ(normal.top, 30);
    EXPECT_EQ(form.ListViewIcons.column_width(4), sizes);
    ShowWindow(form.hwnd(), SW_MAXIMIZE);
    form.FormClose();
  }
  {
    testing::ProgramWindows windows;
    TForm1& form = windows.form1();
    form.Show();
    EXPECT_TRUE(IsZoomed(form.hwnd()));
    form.Hide();
  }
  // A place no monitor shows any more: the window comes back on one.
  WriteSettings("[MainWindow]\r\nLeft=90000\r\nTop=-90000\r\nWidth=800\r\nHeight=600\r\n");
  testing::ProgramWindows windows;
  RECT now{};
  GetWindowRect(windows.form1().hwnd(), &now);
  EXPECT_NE(MonitorFromRect(&now, MONITOR_DEFAULTTONULL), nullptr);
  EXPECT_EQ(now.right - now.left, 800);
}

TEST_F(SettingsTest, AutoCheckReadsAnyNonZeroNumberAsTicked) {
  const std::pair<const char*, bool> cases[] = {{"yes", true}, {"0", false},  {"2", true},
                                                {"", true},    {"$10", true}, {" 0", false}};
  for (const auto& [value, ticked] : cases) {
    WriteSettings(std::string("[Option]\r\nCheckBoxAutoCheck=") + value + "\r\n");
    testing::ProgramWindows windows;
    EXPECT_EQ(windows.form10().CheckBoxAutoCheck.checked(), ticked) << value;
  }
  // The update window stores its box when it closes.
  WriteSettings("[Option]\r\nCheckBoxAutoCheck=2\r\n");
  testing::ProgramWindows windows;
  windows.form10().CheckBoxAutoCheck.SetChecked(false);
  windows.form10().FormClose();
  EXPECT_NE(ReadSettings().find("CheckBoxAutoCheck=0\r\n"), std::string::npos) << ReadSettings();
}

TEST_F(SettingsTest, AUtf16FileKeepsItsEncodingAndTheUsersNotes) {
  const std::u16string text =
      u"; мои настройки\r\n[Option]\r\nCheckBoxSavePath=1\r\n"
      u"EditPathExtract=D:\\Иконки\r\n";
  std::string bytes = "\xFF\xFE";
  for (char16_t c : text) {
    bytes.push_back(static_cast<char>(c & 0xFF));
    bytes.push_back(static_cast<char>(c >> 8));
  }
  WriteSettings(bytes);
  testing::ProgramWindows windows;
  EXPECT_EQ(windows.form1().EditPathExtract.text(), L"D:\\Иконки");
  windows.form1().FormClose();
  const std::string saved = ReadSettings();
  ASSERT_GE(saved.size(), 2u);
  EXPECT_EQ(saved.substr(0, 2), "\xFF\xFE");
  std::u16string decoded;
  for (std::size_t i = 2; i + 1 < saved.size(); i += 2)
    decoded.push_back(static_cast<char16_t>(static_cast<unsigned char>(saved[i]) |
                                            (static_cast<unsigned char>(saved[i + 1]) << 8)));
  EXPECT_NE(decoded.find(u"; мои настройки"), std::u16string::npos);
  EXPECT_NE(decoded.find(u"EditPathExtract=D:\\Иконки"), std::u16string::npos);
  EXPECT_NE(decoded.find(u"ThemeDark=0"), std::u16string::npos);
}

TEST_F(SettingsTest, AFailedSaveIsReportedAndLosesNothing) {
  WriteSettings("[Option]\r\nCheckBoxSavePath=1\r\nEditPathExtract=C:\\Kept\r\n");
  const std::string before = ReadSettings();
  testing::ProgramWindows windows;
  // Another program holds the file open without sharing: it cannot be replaced.
  HANDLE held =
      CreateFileW(SettingsFile().c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
  ASSERT_NE(held, INVALID_HANDLE_VALUE);
  testing::PopupWatcher watcher;
  // The close handler saves; its error reaches the default handler, as when
  // the window's close event runs it.
  gui::Application::Instance().Invoke([&] { windows.form1().FormClose(); });
  CloseHandle(held);
  ASSERT_EQ(watcher.message_boxes().size(), 1u);
  EXPECT_FALSE(watcher.message_boxes()[0].empty());
  EXPECT_EQ(ReadSettings(), before);
}

}  // namespace
}  // namespace zandrel
