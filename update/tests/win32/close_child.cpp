// The program for the closing test of update_window_test.cpp: composed as
// the program is, with the test's release key, then its main window closed
// as a user closes it. Given a server, every kind of update worker runs
// against it first; without one, none does (the start-up check fails at
// once). It writes to LOG what was running and when it closed the window,
// and when its message loop ended.
//   update_close_child LOG PUBLIC_KEY [SERVER_URL PACKAGE_URL]

#include <windows.h>

#include <cstdio>
#include <optional>
#include <string>

#include "app/program.h"
#include "gui/win32/application.h"
#include "mainwindow/win32/main_window.h"
#include "platform/wide.h"
#include "tests/support/win32/program_windows.h"

namespace {

zandrel::TForm10* g_form = nullptr;
HWND g_main = nullptr;
std::FILE* g_log = nullptr;
bool g_workers = false;
int g_ticks = 0;

unsigned long long Now() {
  FILETIME now;
  GetSystemTimePreciseAsFileTime(&now);
  return (static_cast<unsigned long long>(now.dwHighDateTime) << 32) | now.dwLowDateTime;
}

// Closes the main window once the download's transfer runs (or after ten
// seconds without it, which the test reports).
void CALLBACK CloseWhenAllRun(HWND, UINT, UINT_PTR id, DWORD) {
  const bool downloading = g_form->IdHTTP1.running();
  if (g_workers && !downloading && ++g_ticks < 200) return;
  KillTimer(nullptr, id);
  std::fprintf(g_log, "checks running: %d, download running: %s\nclosing at %llu\n",
               g_form->running_checks(), downloading ? "yes" : "no", Now());
  std::fflush(g_log);
  PostMessageW(g_main, WM_CLOSE, 0, 0);
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  using namespace zandrel;
  if ((argc != 3 && argc != 5) || !(g_log = _wfopen(argv[1], L"w"))) return 2;
  g_workers = argc == 5;
  gui::Application& application = gui::Application::Instance();
  application.Initialize(L"Zandrel");
  {
    app::ProgramOptions options = testing::ProgramWindows::TestOptions();
    options.update.release_public_key = platform::FromWide(argv[2]);
    if (g_workers)
      options.update.servers = {platform::FromWide(argv[3]), platform::FromWide(argv[3])};
    // Its settings are the defaults: the start-up check starts here.
    app::Program program(std::move(options));
    // The arguments are the test's, not a source file for the main window.
    program.form1().command_line_argument = [] { return std::optional<std::wstring>(); };
    TForm10& form = program.form10();
    if (g_workers) {
      form.FormShow();  // a showing's check
      form.BackgroundDownloadUrl = platform::FromWide(argv[4]);
      form.QuickStartUpdate();  // the quick-start worker, which starts the download
    }
    g_form = &form;
    g_main = program.form1().hwnd();
    SetTimer(nullptr, 0, 50, &CloseWhenAllRun);
    program.Run();
    std::fprintf(g_log, "loop ended at %llu\n", Now());
  }
  application.Shutdown();
  std::fclose(g_log);
  ExitProcess(0);
}
