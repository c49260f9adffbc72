// The app-mode preference as Windows keeps it, and switching to a named style.

#include "theme/win32/windows_dark_mode.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <stdexcept>

#include "gui/win32/application.h"
#include "gui/win32/style.h"
#include "platform/registry.h"

namespace zandrel::theme {
namespace {

using platform::RegistryKey;

const wchar_t kKey[] = L"Software\\Microsoft\\Windows\\CurrentVersion\\Themes\\Personalize";

class DarkModeTest : public ::testing::Test {
 protected:
  void SetUp() override {
    gui::Application& app = gui::Application::Instance();
    if (app.owner_window() == nullptr) app.Initialize(L"Zandrel");
    saved_ = RegistryKey::Exists(HKEY_CURRENT_USER, kKey);
    if (saved_) {
      auto key = RegistryKey::Open(HKEY_CURRENT_USER, kKey);
      value_ = key.ReadDword(L"AppsUseLightTheme");
    }
  }
  void TearDown() override {
    RegistryKey::DeleteTree(HKEY_CURRENT_USER, kKey);
    if (saved_) {
      auto key = RegistryKey::Create(HKEY_CURRENT_USER, kKey);
      if (value_) key.WriteDword(L"AppsUseLightTheme", *value_);
    }
    gui::Application::Instance().ApplyStyle(gui::StylePalette{});
  }
  bool saved_ = false;
  std::optional<std::uint32_t> value_;
};

TEST_F(DarkModeTest, ThePreferenceIsReadAsWindowsKeepsIt) {
  RegistryKey::DeleteTree(HKEY_CURRENT_USER, kKey);
  EXPECT_FALSE(IsSystemDarkMode());  // no key: light
  auto key = RegistryKey::Create(HKEY_CURRENT_USER, kKey);
  EXPECT_FALSE(IsSystemDarkMode());  // no value: light
  key.WriteDword(L"AppsUseLightTheme", 0);
  EXPECT_TRUE(IsSystemDarkMode());
  key.WriteDword(L"AppsUseLightTheme", 1);
  EXPECT_FALSE(IsSystemDarkMode());
  key.WriteString(L"AppsUseLightTheme", L"0");
  EXPECT_THROW(IsSystemDarkMode(), std::runtime_error);  // not a number
}

TEST_F(DarkModeTest, NamedStylesSwitchTheProgramAndUnknownNamesChangeNothing) {
  gui::Style& style = gui::Application::Instance().style();
  ApplyStyle(kModernDark);
  EXPECT_EQ(style.palette().name, kModernDark);
  ApplyStyle(u"Windows11 Modern Sepia");
  EXPECT_EQ(style.palette().name, kModernDark);
  ApplyStyle(u"");
  EXPECT_EQ(style.palette().name, kModernDark);
  ApplyStyle(kModernLight);
  EXPECT_EQ(style.palette().name, kModernLight);
  EXPECT_FALSE(style.plain());
}

}  // namespace
}  // namespace zandrel::theme
