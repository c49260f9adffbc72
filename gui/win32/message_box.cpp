#include "gui/win32/message_box.h"

#include "gui/win32/application.h"

namespace zandrel::gui {

int ShowMessageBox(HWND owner, const std::wstring& text, const std::wstring& caption, UINT flags) {
  Application& app = Application::Instance();
  app.FlushPending();
  const std::wstring& title = caption.empty() ? app.title() : caption;
  return MessageBoxW(owner, text.c_str(), title.c_str(), flags);
}

}  // namespace zandrel::gui
