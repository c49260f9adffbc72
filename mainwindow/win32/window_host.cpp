#include "mainwindow/win32/window_host.h"

#include <windows.h>

#include "gui/win32/application.h"
#include "gui/win32/message_box.h"
#include "icons/win32/loader_module.h"
#include "mainwindow/win32/main_window.h"
#include "platform/wide.h"

namespace zandrel {

using platform::FromWide;
using platform::ToWide;

std::u16string MainWindowHost::Text(std::u16string_view entry) const {
  return FromWide(form_.Lang(ToWide(entry)));
}

void MainWindowHost::Clear() {
  form_.MemoZandrel.Clear();
}

void MainWindowHost::AppendLine(std::u16string_view line) {
  form_.MemoZandrel.AppendLine(ToWide(line));
}

void MainWindowHost::ScrollToEnd() {
  form_.MemoZandrel.ScrollToEnd();
}

void MainWindowHost::SetRange(int minimum, int maximum) {
  form_.ProgressBarZandrel.SetRange(minimum, maximum);
}

void MainWindowHost::SetPosition(int position) {
  form_.ProgressBarZandrel.SetPosition(position);
}

void MainWindowHost::ShowInFront() {
  form_.ProgressBarZandrel.SetVisible(true);
  form_.ProgressBarZandrel.BringToFront();
}

void MainWindowHost::HideAndReset() {
  form_.ProgressBarZandrel.SetVisible(false);
  form_.ProgressBarZandrel.SetPosition(0);
  form_.ProgressBarZandrel.Repaint();
}

// The bar takes its new position when that shows (see gui::ProgressBar),
// which invalidates it, and is painted once as the window is updated:
// invalidating it again or repainting it first would draw the same pixels
// twice, and each paint of the bar costs milliseconds under Wine.
void MainWindowHost::Refresh() {
  form_.ProgressBarZandrel.FlushPending(gui::FlushKind::kWhenDue);
  if (form_.hwnd()) UpdateWindow(form_.hwnd());
}

void MainWindowHost::ProcessMessages() {
  gui::Application::Instance().ProcessMessages();
}

void MainWindowHost::Sleep(unsigned milliseconds) {
  ::Sleep(milliseconds);
}

icons::OpenedModule MainWindowHost::OpenModule(std::u16string_view path) {
  icons::WindowModule module = icons::OpenModuleForWindow(ToWide(path));
  icons::OpenedModule opened;
  opened.module = std::move(module.module);
  opened.error_code = module.error;
  return opened;
}

void MainWindowHost::ShowMessage(std::u16string_view text) {
  gui::ShowMessageBox(form_.hwnd(), ToWide(text));
}

}  // namespace zandrel
