// The program entry: single instance, locale, the application object, then
// the program's windows (app/program.h) until the main window closes.

#include <windows.h>

#include <exception>

#include "app/program.h"
#include "app/single_instance.h"
#include "gui/win32/application.h"

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
  using namespace zandrel;
  if (app::AnotherCopyRunning()) {
    app::HandOverToRunningCopy();
    ExitProcess(0);
  }
  SetThreadLocale(1049);  // Russian (Russia)

  gui::Application& application = gui::Application::Instance();
  application.Initialize(L"Zandrel");
  try {
    app::Program program;
    program.Run();
  } catch (...) {
    application.HandleException(std::current_exception());
  }
  application.Shutdown();
  ExitProcess(0);
}
