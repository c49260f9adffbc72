// The main window's general menu.
#include <new>

#include "gui/win32/application.h"
#include "mainwindow/win32/main_window.h"
#include "theme/win32/windows_dark_mode.h"

namespace zandrel {

void TForm1::SpeedButton_GeneralMenuClick() {
  gui::Application& app = gui::Application::Instance();
  if (SpeedButton_GeneralMenu.allow_all_up) {
    SpeedButton_GeneralMenu.allow_all_up = false;
    app.ProcessMessages();
    // Below the button, right edges aligned: the title strip lies at the
    // window's client origin, so the button's place in it is a client point.
    const RECT button = SpeedButton_GeneralMenu.PixelBounds();
    POINT corner{button.right, button.bottom};
    ClientToScreen(hwnd(), &corner);
    // Any command chosen re-arms the button, so the next click opens the
    // menu again; only a menu dismissed without one leaves it to reset.
    if (PopupMenu_General.Popup(corner.x, corner.y)) ResetGeneralMenuFlag();
  } else {
    SpeedButton_GeneralMenu.allow_all_up = true;
    EndMenu();
    app.ProcessMessages();
  }
}

bool TForm1::PreviewKey(const MSG& msg) {
  // Alt+Enter on a row: the group's properties, as in Explorer.
  if (msg.message == WM_SYSKEYDOWN && msg.wParam == VK_RETURN && msg.hwnd == ListViewIcons.hwnd()) {
    PropertiesMenuClick();
    return true;
  }
  // Ctrl+V names a source, except in the log, where it pastes text.
  if (msg.message == WM_KEYDOWN && msg.wParam == 'V' && GetKeyState(VK_CONTROL) < 0 &&
      msg.hwnd != MemoZandrel.hwnd()) {
    PasteSource();
    return true;
  }
  const bool f10 = msg.message == WM_SYSKEYDOWN && msg.wParam == VK_F10 && GetKeyState(VK_SHIFT) >= 0;
  const bool on_button = msg.message == WM_KEYDOWN && msg.hwnd == SpeedButton_GeneralMenu.hwnd() &&
                         (msg.wParam == VK_RETURN || msg.wParam == VK_SPACE);
  if (!f10 && !on_button) return false;
  // From the keyboard the menu always opens; the button's flag is for the mouse.
  ResetGeneralMenuFlag();
  SpeedButton_GeneralMenu.SetFocus();
  SpeedButton_GeneralMenuClick();
  return true;
}

void TForm1::FormMouseMove() {
  ResetGeneralMenuFlag();
}
void TForm1::MemoZandrelMouseMove() {
  ResetGeneralMenuFlag();
}

void TForm1::UnCheckTheme() {
  for (gui::MenuItem* item : ThemeMenu.items()) item->SetChecked(false);
}

// A failure to read the preference is not caught here: the click reports it
// and the style stays as it was.
void TForm1::ThemeAutoClick() {
  ResetGeneralMenuFlag();
  UnCheckTheme();
  ThemeAuto.SetChecked(true);
  FollowSystemTheme();
}

void TForm1::ThemeLightClick() {
  ResetGeneralMenuFlag();
  UnCheckTheme();
  ThemeLight.SetChecked(true);
  theme::ApplyStyle(theme::kModernLight);
  gui::Application::Instance().ProcessMessages();
}

void TForm1::ThemeDarkClick() {
  ResetGeneralMenuFlag();
  UnCheckTheme();
  ThemeDark.SetChecked(true);
  theme::ApplyStyle(theme::kModernDark);
  gui::Application::Instance().ProcessMessages();
}

void TForm1::FollowSystemTheme() {
  // The preference is asked twice, once for each style, as it may change in
  // between; each answer applies its style.
  gui::Application& app = gui::Application::Instance();
  if (theme::IsSystemDarkMode()) {
    theme::ApplyStyle(theme::kModernDark);
    app.ProcessMessages();
  }
  if (!theme::IsSystemDarkMode()) {
    theme::ApplyStyle(theme::kModernLight);
    app.ProcessMessages();
  }
}

void TForm1::WMSettingChange() {
  // Any setting change: the preference is read again while the system choice
  // is marked; a preference that cannot be read leaves the style alone.
  if (ThemeAuto.checked()) {
    try {
      FollowSystemTheme();
    } catch (const std::bad_alloc&) {
      throw;
    } catch (...) {
    }
  }
  gui::Application::Instance().ProcessMessages();
}

void TForm1::CheckUpdateMenuClick() {
  ResetGeneralMenuFlag();
  if (links_.show_update) links_.show_update();
}

void TForm1::SearchIconsMenuClick() {
  ResetGeneralMenuFlag();
  if (links_.show_search) links_.show_search();
}

void TForm1::AboutMenuClick() {
  ResetGeneralMenuFlag();
  if (links_.show_about) links_.show_about();
}

}  // namespace zandrel
