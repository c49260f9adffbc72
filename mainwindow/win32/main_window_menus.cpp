// The main window's general menu.
#include "gui/win32/application.h"
#include "mainwindow/win32/main_window.h"

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
    PopupMenu_General.Popup(corner.x, corner.y);
  } else {
    SpeedButton_GeneralMenu.allow_all_up = true;
    EndMenu();
    app.ProcessMessages();
  }
}

bool TForm1::PreviewKey(const MSG& msg) {
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

// The themes come with the visual styles.
void TForm1::ThemeAutoClick() {
  ResetGeneralMenuFlag();
}
void TForm1::ThemeLightClick() {
  ResetGeneralMenuFlag();
}
void TForm1::ThemeDarkClick() {
  ResetGeneralMenuFlag();
}

void TForm1::CheckUpdateMenuClick() {
  ResetGeneralMenuFlag();
  if (links_.show_update) links_.show_update();
}

void TForm1::AboutMenuClick() {
  ResetGeneralMenuFlag();
  if (links_.show_about) links_.show_about();
}

}  // namespace zandrel
