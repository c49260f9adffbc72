#include "tests/support/win32/program_windows.h"

#include <optional>

#include "app/program.h"
#include "core/file_io.h"
#include "core/text.h"
#include "tests/support/win32/http_server.h"
#include "gui/win32/application.h"
#include "mainwindow/win32/main_window.h"
#include "platform/wide.h"
#include "tests/support/win32/gui_harness.h"

namespace zandrel::testing {

std::wstring TestSettingsFile() {
  return TestProgramFolder() + L"Config\\Option.ini";
}

void RemoveTestSettings() {
  SetFileAttributesW(TestSettingsFile().c_str(), FILE_ATTRIBUTE_NORMAL);
  DeleteFileW(TestSettingsFile().c_str());
}

app::ProgramOptions ProgramWindows::TestOptions() {
  app::ProgramOptions options;
  const std::u16string closed =
      u"http://127.0.0.1:" + FromUtf8(std::to_string(ClosedLoopbackPort())) + u"/download/";
  options.update.servers = {closed, closed};
  // Nothing a test did not ask for leaves the process.
  options.update.ask_to_update = [](const std::wstring&) { return false; };
  options.update.open = [](const std::wstring&, const std::wstring&, int) {};
  options.update.end_process = [] {};
  options.update.quit = [] {};
  return options;
}

ProgramWindows::ProgramWindows(app::ProgramOptions options) {
  gui::Application& app = gui::Application::Instance();
  if (app.owner_window() == nullptr) app.Initialize(L"Zandrel");
  // Settings beside the test program, never in the user's profile.
  WriteFileAtomically(platform::FromWide(TestProgramFolder() + L"portable.ini"), {});
  program_ = std::make_unique<app::Program>(std::move(options));
  form1().command_line_argument = [] { return std::optional<std::wstring>(); };
}

ProgramWindows::~ProgramWindows() {
  // A style the windows applied does not reach the next test's windows.
  program_.reset();
  gui::Application::Instance().ApplyStyle(gui::StylePalette{});
}

TForm1& ProgramWindows::form1() {
  return program_->form1();
}
TForm3& ProgramWindows::form3() {
  return program_->form3();
}

TForm5& ProgramWindows::form5() {
  return program_->form5();
}

TForm8& ProgramWindows::form8() {
  return program_->form8();
}
TForm10& ProgramWindows::form10() {
  return program_->form10();
}

}  // namespace zandrel::testing
