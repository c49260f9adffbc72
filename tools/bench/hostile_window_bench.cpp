// Prints how long the main window takes to list and to "extract all" each
// crafted hostile module and container, with the process's peak memory. One module a run,
// so that each peak is its own:
//   hostile_window_bench                    the modules' names
//   hostile_window_bench <name> <folder>    list and extract that one

#include <windows.h>

#include <chrono>
#include <cstdio>
#include <string>

#include "core/file_io.h"
#include "core/text.h"
#include "mainwindow/win32/main_window.h"
#include "platform/wide.h"
#include "tests/support/hostile_modules.h"
#include "tests/support/win32/gui_harness.h"
#include "tests/support/win32/program_windows.h"
#include "process_memory.h"

using namespace zandrel;

namespace {

double PeakMiB() {
  return bench::MiB(bench::MemoryCounters().PeakPagefileUsage);
}

template <typename F>
double Milliseconds(F&& f) {
  const auto start = std::chrono::steady_clock::now();
  f();
  return std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start)
      .count();
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  auto modules = testing::AllHostileModules();
  for (auto& container : testing::HostileContainers()) modules.push_back(std::move(container));
  if (argc < 3) {
    for (const auto& m : modules) std::printf("%s\n", m.name.c_str());
    return 0;
  }
  const std::string wanted = ToUtf8(platform::FromWide(argv[1]));
  const std::wstring folder = argv[2];
  for (const auto& m : modules) {
    if (m.name != wanted) continue;
    const std::wstring file = folder + L"\\" + platform::ToWide(FromUtf8(m.name + m.extension));
    WriteFileAtomically(platform::FromWide(file), m.bytes);
    testing::ProgramWindows windows;
    TForm1& form = windows.form1();
    form.Show();
    testing::PumpMessages(100);
    const double before = PeakMiB();
    const double listing = Milliseconds([&] { form.AdoptSource(file); });
    const double after_listing = PeakMiB();
    form.EditPathExtract.SetTextValue(folder + L"\\" + platform::ToWide(FromUtf8(m.name)));
    const double extracting = Milliseconds([&] { form.ButtonAllZandrelClick(); });
    std::printf(
        "%-30s %6.1f KiB  rows %5d  list %8.1f ms  extract all %8.1f ms  "
        "peak %6.1f MiB (%.1f before, %.1f after listing)\n",
        m.name.c_str(), static_cast<double>(m.bytes.size()) / 1024.0,
        form.ListViewIcons.item_count(), listing, extracting, PeakMiB(), before, after_listing);
    form.Hide();
    return 0;
  }
  std::fprintf(stderr, "no module named %s\n", wanted.c_str());
  return 2;
}
