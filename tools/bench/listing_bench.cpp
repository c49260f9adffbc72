// Prints how long the main window takes to list a module: a 2,000-group
// fixture and Wine's shell32.dll. Runs under Wine with a display.

#include <windows.h>

#include <chrono>
#include <cstdio>

#include "gui/win32/application.h"
#include "mainwindow/win32/main_window.h"
#include "platform/wide.h"
#include "tests/support/pe_builder.h"
#include "tests/support/temp_folder.h"
#include "tests/support/win32/gui_harness.h"
#include "tests/support/win32/program_windows.h"
#include "tests/support/wine_modules.h"

using namespace zandrel;

namespace {

double ListOnce(TForm1& form, const std::wstring& path) {
  const auto start = std::chrono::steady_clock::now();
  form.LoadIconsToListView(path);
  return std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start)
      .count();
}

void Report(const char* what, TForm1& form, const std::wstring& path, int runs) {
  double best = 1e30, total = 0;
  for (int i = 0; i < runs; ++i) {
    const double ms = ListOnce(form, path);
    best = ms < best ? ms : best;
    total += ms;
  }
  std::printf("%-44s rows %5d   best %8.1f ms   mean %8.1f ms   (%d runs)\n", what,
              form.ListViewIcons.item_count(), best, total / runs, runs);
}

}  // namespace

int main() {
  testing::TempFolder dir;
  testing::PeBuilder pe;
  for (int i = 0; i < 2000; ++i) {
    pe.AddIconGroup(icons::ResourceName::Id(static_cast<std::uint32_t>(i + 1)),
                    {{testing::MakeDibIconImage(16, 16, i), 16, 16, 32},
                     {testing::MakeDibIconImage(32, 32, i), 32, 32, 32}});
  }
  const std::u16string fixture = dir.path() + u"\\groups2000.dll";
  pe.WriteTo(fixture);

  testing::ProgramWindows windows;
  TForm1& form = windows.form1();
  form.Show();
  testing::PumpMessages(200);
  Report("2,000-group fixture (main window)", form, platform::ToWide(fixture), 3);
  Report("Wine shell32.dll, 32-bit (main window)", form,
         platform::ToWide(testing::WineModulePath(testing::WineArch::kI386, u"shell32.dll")), 5);
  Report("Wine shell32.dll, 64-bit (main window)", form,
         platform::ToWide(testing::WineModulePath(testing::WineArch::kX86_64, u"shell32.dll")), 5);
  form.Hide();
  return 0;
}
