// The program entry: single instance, locale, the three windows in order,
// language, the Windows 10/11 gate, then the message loop.

#include <windows.h>

#include <exception>

#include "about/win32/about_window.h"
#include "app/single_instance.h"
#include "gui/win32/application.h"
#include "mainwindow/win32/main_window.h"
#include "update/win32/update_window.h"

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
  using namespace zandrel;
  if (app::AnotherCopyRunning()) ExitProcess(0);
  SetThreadLocale(1049);  // Russian (Russia)

  gui::Application& application = gui::Application::Instance();
  application.Initialize(L"Zandrel");
  try {
    TForm1 form1;
    TForm8 form8;
    TForm10 form10;
    form1.LoadLanguage();
    form1.CleanTranslationsLikeGlobload();
    form1.Globload();
    if (form1.IsWindows10Or11()) {
      application.Run();
    } else {
      const std::wstring text = form1.Lang(L"LangOnlyWindows");
      const std::wstring caption = form1.Lang(L"LangError");
      MessageBoxW(nullptr, text.c_str(), caption.c_str(), MB_ICONERROR);
    }
  } catch (...) {
    application.HandleException(std::current_exception());
  }
  application.Shutdown();
  ExitProcess(0);
}
