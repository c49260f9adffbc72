#include "theme/win32/windows_dark_mode.h"

#include <windows.h>

#include <optional>
#include <stdexcept>
#include <vector>

#include "gui/win32/application.h"
#include "gui/win32/style.h"
#include "platform/registry.h"

namespace zandrel::theme {

namespace {

constexpr wchar_t kPersonalizeKey[] = L"Software\\Microsoft\\Windows\\CurrentVersion\\Themes\\Personalize";
constexpr wchar_t kAppsUseLightTheme[] = L"AppsUseLightTheme";

// The program's styles, read from its resources once.
const std::vector<gui::StylePalette>& Styles() {
  static const std::vector<gui::StylePalette> styles{
      gui::LoadStyleResource(L"WINDOWSMODERNLIGHT"), gui::LoadStyleResource(L"WINDOWSMODERNDARK")};
  return styles;
}

}  // namespace

void ApplyStyle(std::u16string_view name) {
  for (const gui::StylePalette& style : Styles()) {
    if (style.name == name) {
      gui::Application::Instance().ApplyStyle(style);
      return;
    }
  }
}

bool IsSystemDarkMode() {
  const auto key = platform::RegistryKey::TryOpen(HKEY_CURRENT_USER, kPersonalizeKey, KEY_READ);
  if (!key) return false;
  if (!key->HasValue(kAppsUseLightTheme)) return false;
  const std::optional<std::uint32_t> value = key->ReadDword(kAppsUseLightTheme);
  if (!value) throw std::runtime_error("AppsUseLightTheme is not a number");
  return *value == 0;
}

}  // namespace zandrel::theme
