// The theme menu: the system choice follows Windows' app mode while the
// program runs, the explicit choices ignore it, and an unreadable preference
// never changes the style behind the user's back.

#include <windows.h>

#include <gtest/gtest.h>

#include <optional>
#include <string>

#include "gui/win32/application.h"
#include "gui/win32/style.h"
#include "mainwindow/win32/main_window.h"
#include "platform/registry.h"
#include "tests/support/win32/gui_harness.h"
#include "tests/support/win32/program_windows.h"
#include "theme/win32/windows_dark_mode.h"

namespace zandrel {
namespace {

using platform::RegistryKey;

const wchar_t kKey[] = L"Software\\Microsoft\\Windows\\CurrentVersion\\Themes\\Personalize";
const wchar_t kValue[] = L"AppsUseLightTheme";

std::u16string CurrentStyle() {
  return gui::Application::Instance().style().palette().name;
}

class ThemeTest : public ::testing::Test {
 protected:
  ThemeTest() {
    // No stored choice from an earlier test: this start is a first one.
    testing::RemoveTestSettings();
    had_key_ = RegistryKey::Exists(HKEY_CURRENT_USER, kKey);
    if (had_key_) value_ = RegistryKey::Open(HKEY_CURRENT_USER, kKey).ReadDword(kValue);
    windows_.emplace();
  }
  ~ThemeTest() override {
    windows_.reset();
    RegistryKey::DeleteTree(HKEY_CURRENT_USER, kKey);
    if (had_key_) {
      auto key = RegistryKey::Create(HKEY_CURRENT_USER, kKey);
      if (value_) key.WriteDword(kValue, *value_);
    }
  }

  static void SetAppsUseLightTheme(std::uint32_t value) {
    RegistryKey::Create(HKEY_CURRENT_USER, kKey).WriteDword(kValue, value);
  }
  // What Windows sends every top-level window when the app mode changes.
  void SettingChanged() {
    SendMessageW(form().hwnd(), WM_SETTINGCHANGE, 0,
                 reinterpret_cast<LPARAM>(L"ImmersiveColorSet"));
    testing::PumpMessages(20);
  }
  void Choose(gui::MenuItem& item) {
    item.Click();
    testing::PumpMessages(20);
  }
  TForm1& form() { return windows_->form1(); }

  bool had_key_ = false;
  std::optional<std::uint32_t> value_;
  std::optional<testing::ProgramWindows> windows_;
};

TEST_F(ThemeTest, TheSystemChoiceFollowsTheAppModeWithoutARestart) {
  SetAppsUseLightTheme(0);
  Choose(form().ThemeAuto);
  EXPECT_EQ(CurrentStyle(), theme::kModernDark);
  EXPECT_TRUE(form().ThemeAuto.checked());
  EXPECT_FALSE(form().ThemeLight.checked());
  EXPECT_FALSE(form().ThemeDark.checked());

  SetAppsUseLightTheme(1);
  SettingChanged();
  EXPECT_EQ(CurrentStyle(), theme::kModernLight);
  SetAppsUseLightTheme(0);
  SettingChanged();
  EXPECT_EQ(CurrentStyle(), theme::kModernDark);

  // No preference at all: light.
  RegistryKey::DeleteTree(HKEY_CURRENT_USER, kKey);
  SettingChanged();
  EXPECT_EQ(CurrentStyle(), theme::kModernLight);

  // A value that is not a number leaves the style as it is, silently.
  SetAppsUseLightTheme(0);
  SettingChanged();
  testing::PopupWatcher watcher;
  RegistryKey::Create(HKEY_CURRENT_USER, kKey).WriteString(kValue, L"dark");
  SettingChanged();
  testing::PumpMessages(200);
  EXPECT_EQ(CurrentStyle(), theme::kModernDark);
  EXPECT_TRUE(watcher.message_boxes().empty());
}

TEST_F(ThemeTest, AnExplicitChoiceIgnoresTheAppMode) {
  SetAppsUseLightTheme(0);
  Choose(form().ThemeLight);
  EXPECT_EQ(CurrentStyle(), theme::kModernLight);
  SettingChanged();
  EXPECT_EQ(CurrentStyle(), theme::kModernLight);

  SetAppsUseLightTheme(1);
  Choose(form().ThemeDark);
  EXPECT_EQ(CurrentStyle(), theme::kModernDark);
  EXPECT_FALSE(form().ThemeLight.checked());
  EXPECT_TRUE(form().ThemeDark.checked());
  SettingChanged();
  EXPECT_EQ(CurrentStyle(), theme::kModernDark);
}

TEST_F(ThemeTest, ChoosingTheSystemWithAnUnreadableAppModeReportsItAndKeepsTheStyle) {
  Choose(form().ThemeDark);
  RegistryKey::Create(HKEY_CURRENT_USER, kKey).WriteString(kValue, L"dark");
  testing::PopupWatcher watcher;
  Choose(form().ThemeAuto);
  testing::PumpUntil([&] { return !watcher.message_boxes().empty(); }, 3000);
  EXPECT_EQ(watcher.message_boxes().size(), 1u);
  EXPECT_EQ(CurrentStyle(), theme::kModernDark);
  EXPECT_TRUE(form().ThemeAuto.checked());  // marked before the preference was read
}

TEST_F(ThemeTest, AFirstStartKeepsThePlainLookAndFollowsNothing) {
  EXPECT_TRUE(gui::Application::Instance().style().plain());
  SetAppsUseLightTheme(0);
  SettingChanged();
  EXPECT_TRUE(gui::Application::Instance().style().plain());
}

}  // namespace
}  // namespace zandrel
