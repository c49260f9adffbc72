// Prints how long "extract all" takes through the main window (log, progress
// bar, files) for a 2,000-group fixture and Wine's shell32.dll. The fixture is
// left in the given folder so that other tools can be timed on it too.
//   extract_bench <work folder>

#include <windows.h>

#include <chrono>
#include <cstdio>
#include <string>

#include "mainwindow/win32/main_window.h"
#include "platform/wide.h"
#include "tests/support/pe_builder.h"
#include "tests/support/win32/gui_harness.h"
#include "tests/support/win32/program_windows.h"
#include "tests/support/wine_modules.h"

using namespace zandrel;

namespace {

void Report(const char* what, TForm1& form, const std::wstring& module, const std::wstring& out,
            int runs) {
  form.AdoptSource(module);
  form.EditPathExtract.SetTextValue(out);
  double best = 1e30, total = 0;
  for (int i = 0; i < runs; ++i) {
    const auto start = std::chrono::steady_clock::now();
    form.ButtonAllZandrelClick();
    const double ms =
        std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
    best = ms < best ? ms : best;
    total += ms;
  }
  std::printf("%-44s groups %5d   best %8.1f ms   mean %8.1f ms   (%d runs, log %d lines)\n", what,
              form.ListViewIcons.item_count(), best, total / runs, runs,
              form.MemoZandrel.line_count());
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  const std::wstring work = argc > 1 ? argv[1] : L"C:\\zandrel-bench";
  CreateDirectoryW(work.c_str(), nullptr);
  testing::PeBuilder pe;
  for (int i = 0; i < 2000; ++i)
    pe.AddIconGroup(icons::ResourceName::Id(static_cast<std::uint32_t>(i + 1)),
                    {{testing::MakeDibIconImage(16, 16, i), 16, 16, 32},
                     {testing::MakeDibIconImage(32, 32, i), 32, 32, 32}});
  const std::wstring fixture = work + L"\\groups2000.dll";
  pe.WriteTo(platform::FromWide(fixture));

  testing::ProgramWindows windows;
  TForm1& form = windows.form1();
  form.Show();
  testing::PumpMessages(200);
  Report("2,000-group fixture (extract all)", form, fixture, work + L"\\out-fixture", 3);
  Report("Wine shell32.dll, 32-bit (extract all)", form,
         platform::ToWide(testing::WineModulePath(testing::WineArch::kI386, u"shell32.dll")),
         work + L"\\out-shell32", 3);
  form.Hide();
  return 0;
}
