// The keyboard as a new user tries it: Enter and Esc in the secondary
// windows, Tab through the log, Enter and a double-click on a row.

#include <windows.h>
#include <commctrl.h>

#include <gtest/gtest.h>

#include <functional>
#include <vector>
#include <string>

#include "about/win32/about_window.h"
#include "gui/win32/application.h"
#include "mainwindow/win32/main_window.h"
#include "platform/wide.h"
#include "tests/support/pe_builder.h"
#include "tests/support/temp_folder.h"
#include "tests/support/win32/gui_harness.h"
#include "tests/support/win32/program_windows.h"
#include "update/win32/update_window.h"

namespace zandrel {
namespace {

// Runs a step from inside a modal loop, with a way out if the step does not
// end the loop.
class ModalProbe {
 public:
  ModalProbe(gui::Form& window, std::function<void()> step) : window_(window) {
    instance_ = this;
    step_ = std::move(step);
    step_timer_ = SetTimer(nullptr, 0, 150, &ModalProbe::Step);
    rescue_timer_ = SetTimer(nullptr, 0, 5000, &ModalProbe::Rescue);
  }
  ~ModalProbe() {
    KillTimer(nullptr, step_timer_);
    KillTimer(nullptr, rescue_timer_);
    instance_ = nullptr;
  }
  bool rescued() const { return rescued_; }
  HWND focus_at_step() const { return focus_; }

 private:
  static void CALLBACK Step(HWND, UINT, UINT_PTR id, DWORD) {
    KillTimer(nullptr, id);
    if (!instance_ || !instance_->step_) return;
    // The step waits for the window to be the active one: under load the
    // activation can come a while after the showing.
    if (GetActiveWindow() != instance_->window_.hwnd() && ++instance_->waits_ < 20) {
      instance_->step_timer_ = SetTimer(nullptr, 0, 150, &ModalProbe::Step);
      return;
    }
    instance_->focus_ = GetFocus();
    std::exchange(instance_->step_, nullptr)();
  }
  static void CALLBACK Rescue(HWND, UINT, UINT_PTR id, DWORD) {
    KillTimer(nullptr, id);
    if (!instance_) return;
    instance_->rescued_ = true;
    instance_->window_.Close();
  }
  static inline ModalProbe* instance_ = nullptr;
  gui::Form& window_;
  std::function<void()> step_;
  UINT_PTR step_timer_ = 0, rescue_timer_ = 0;
  bool rescued_ = false;
  int waits_ = 0;
  HWND focus_ = nullptr;
};

void PressKey(UINT key) {
  MSG msg{GetFocus(), WM_KEYDOWN, key, 0, 0, {}};
  gui::Application::Instance().DispatchOne(msg);
}

class KeyboardTest : public ::testing::Test {
 protected:
  // Shows the main window listing a module of one group ("Extract all" on).
  void ShowWithOneGroup() {
    testing::PeBuilder pe;
    pe.AddIconGroup(icons::ResourceName::Id(7), {{testing::MakeDibIconImage(32, 32), 32, 32, 32}});
    const std::u16string module = dir.path() + u"\\one.dll";
    pe.WriteTo(module);
    form.Show();
    form.AdoptSource(platform::ToWide(module));
  }

  testing::TempFolder dir;
  testing::ProgramWindows windows;
  TForm1& form = windows.form1();
};

TEST_F(KeyboardTest, SecondaryWindowsOpenOnTheirDefaultButtonEnterPressesItEscCloses) {
  form.Show();
  testing::PumpMessages(100);
  TForm8& about = windows.form8();
  {
    ModalProbe probe(about, [] { PressKey(VK_RETURN); });
    about.ShowModal();
    EXPECT_FALSE(probe.rescued()) << "Enter did not press OK";
    EXPECT_EQ(probe.focus_at_step(), about.Button1.hwnd());
  }
  {
    ModalProbe probe(about, [] { PressKey(VK_ESCAPE); });
    about.ShowModal();
    EXPECT_FALSE(probe.rescued()) << "Esc did not close the About window";
  }
  TForm10& update = windows.form10();
  {
    ModalProbe probe(update, [] { PressKey(VK_ESCAPE); });
    update.ShowModal();
    EXPECT_FALSE(probe.rescued()) << "Esc did not close the update window";
    // The download button has the focus until the showing's check disables
    // it (no newer version here); then the close button has it.
    EXPECT_TRUE(probe.focus_at_step() == update.ButtonDownload.hwnd() ||
                probe.focus_at_step() == update.ButtonClose.hwnd());
  }
  // Esc in the main window closes nothing.
  SetFocus(form.ButtonBrowse.hwnd());
  PressKey(VK_ESCAPE);
  testing::PumpMessages(50);
  EXPECT_TRUE(IsWindowVisible(form.hwnd()));
  form.Hide();
}

TEST_F(KeyboardTest, TabLeavesTheLog) {
  form.Show();
  testing::PumpMessages(100);
  SetFocus(form.MemoZandrel.hwnd());
  ASSERT_EQ(GetFocus(), form.MemoZandrel.hwnd());
  PressKey(VK_TAB);
  EXPECT_NE(GetFocus(), form.MemoZandrel.hwnd());
  EXPECT_TRUE(form.MemoZandrel.text().find(L'\t') == std::wstring::npos);
  form.Hide();
}

TEST_F(KeyboardTest, EnterAndADoubleClickOnARowSaveItNeverExtractAll) {
  ShowWithOneGroup();
  form.ListViewIcons.SetItemIndex(0);
  testing::PumpMessages(100);

  testing::PopupWatcher watcher;  // cancels the save dialogs
  SetFocus(form.ListViewIcons.hwnd());
  PressKey(VK_RETURN);
  testing::PumpMessages(300);
  ASSERT_EQ(watcher.file_dialogs().size(), 1u);
  EXPECT_EQ(watcher.file_dialogs()[0], L"Сохранить иконку...");
  // Back from the dialog the list has the focus and its row: Enter saves
  // the row again, it never reaches "Извлечь все".
  EXPECT_EQ(GetFocus(), form.ListViewIcons.hwnd());
  EXPECT_EQ(form.ListViewIcons.item_index(), 0);
  PressKey(VK_RETURN);
  testing::PumpMessages(300);
  ASSERT_EQ(watcher.file_dialogs().size(), 2u);
  EXPECT_EQ(GetFocus(), form.ListViewIcons.hwnd());

  RECT row{};
  ASSERT_TRUE(ListView_GetItemRect(form.ListViewIcons.hwnd(), 0, &row, LVIR_LABEL));
  const LPARAM at = MAKELPARAM(row.left + 4, (row.top + row.bottom) / 2);
  SendMessageW(form.ListViewIcons.hwnd(), WM_LBUTTONDBLCLK, MK_LBUTTON, at);
  SendMessageW(form.ListViewIcons.hwnd(), WM_LBUTTONUP, 0, at);
  testing::PumpMessages(300);
  EXPECT_EQ(watcher.file_dialogs().size(), 3u);
  // "Extract all" never ran: its first log line is missing.
  EXPECT_EQ(form.MemoZandrel.text().find(L"Начало извлечения"), std::wstring::npos);
  form.Hide();
}


TEST_F(KeyboardTest, F10AndTheFocusedMenuButtonOpenTheGeneralMenu) {
  form.Show();
  testing::PumpMessages(100);
  testing::PopupWatcher watcher;  // closes the menus
  SetFocus(form.ButtonBrowse.hwnd());
  MSG f10{GetFocus(), WM_SYSKEYDOWN, VK_F10, 0, 0, {}};
  gui::Application::Instance().DispatchOne(f10);
  EXPECT_EQ(watcher.menus_closed(), 1);
  EXPECT_EQ(GetFocus(), form.SpeedButton_GeneralMenu.hwnd());
  // Again at once from the button: the keyboard never meets the mouse's flag.
  PressKey(VK_RETURN);
  PressKey(VK_SPACE);
  EXPECT_EQ(watcher.menus_closed(), 3);
  EXPECT_EQ(form.MemoZandrel.text().find(L"Начало извлечения"), std::wstring::npos);
  form.Hide();
}

TEST_F(KeyboardTest, AClickOnTheMainWindowBringsTheModalWindowForward) {
  form.Show();
  testing::PumpMessages(100);
  TForm8& about = windows.form8();
  HWND brought = nullptr;
  ModalProbe probe(about, [&] {
    // Something else in front, then a click on the disabled main window.
    HWND other = CreateWindowExW(0, L"STATIC", L"other", WS_POPUP | WS_VISIBLE, 0, 0, 50, 50,
                                 nullptr, nullptr, nullptr, nullptr);
    SetForegroundWindow(other);
    testing::PumpMessages(50);
    SendMessageW(form.hwnd(), WM_SETCURSOR, reinterpret_cast<WPARAM>(form.hwnd()),
                 MAKELPARAM(HTERROR, WM_LBUTTONDOWN));
    brought = GetForegroundWindow();
    DestroyWindow(other);
    about.Close();
  });
  about.ShowModal();
  EXPECT_FALSE(probe.rescued());
  EXPECT_EQ(brought, about.hwnd());
  form.Hide();
}


TEST_F(KeyboardTest, TabAndShiftTabVisitEveryControlInLayoutOrder) {
  ShowWithOneGroup();
  testing::PumpMessages(100);

  const std::vector<HWND> expected{
      form.SpeedButton_GeneralMenu.hwnd(), form.EditSorcePath.hwnd(),
      form.ButtonBrowse.hwnd(),            form.EditPathExtract.hwnd(),
      form.ButtonBrowseFolder.hwnd(),      form.CheckBoxNoChangePath.hwnd(),
      form.CheckBoxSavePath.hwnd(),        form.ButtonAllZandrel.hwnd(),
      form.ListViewIcons.hwnd(),           form.MemoZandrel.hwnd()};
  SetFocus(expected.front());
  std::vector<HWND> forward{GetFocus()};
  for (std::size_t i = 1; i < expected.size(); ++i) {
    PressKey(VK_TAB);
    forward.push_back(GetFocus());
  }
  EXPECT_EQ(forward, expected);
  PressKey(VK_TAB);
  EXPECT_EQ(GetFocus(), expected.front());  // round again

  // Shift+Tab walks back.
  BYTE keys[256] = {};
  GetKeyboardState(keys);
  keys[VK_SHIFT] = 0x80;
  SetKeyboardState(keys);
  std::vector<HWND> backward;
  for (std::size_t i = 0; i < expected.size(); ++i) {
    PressKey(VK_TAB);
    backward.push_back(GetFocus());
  }
  keys[VK_SHIFT] = 0;
  SetKeyboardState(keys);
  EXPECT_EQ(backward, std::vector<HWND>(expected.rbegin(), expected.rend()));
  form.Hide();
}

}  // namespace
}  // namespace zandrel
