// Prints how long the search window takes over a folder, from the click on
// "Искать" until the first rows are on screen and until the last one is,
// with the process's peak working set. One folder a run, so each peak is
// its own:
//   search_window_bench <folder>

#include <windows.h>

#include <chrono>
#include <cstdio>
#include <string>

#include "core/text.h"
#include "platform/wide.h"
#include "search/win32/search_window.h"
#include "tests/support/win32/gui_harness.h"
#include "tests/support/win32/program_windows.h"
#include "process_memory.h"

using namespace zandrel;

namespace {

double PeakMiB() {
  return bench::MiB(bench::MemoryCounters().PeakWorkingSetSize);
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  if (argc < 2) {
    std::fprintf(stderr, "usage: search_window_bench <folder>\n");
    return 2;
  }
  testing::ProgramWindows windows;
  TForm5& form = windows.form5();
  form.ShowSearch();
  form.EditSearchFolder.SetTextValue(argv[1]);
  testing::PumpMessages(100);
  const double before = PeakMiB();
  const auto start = std::chrono::steady_clock::now();
  const auto since = [&] {
    return std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start)
        .count();
  };
  form.ButtonSearchClick();
  // On screen: the list has rows and has painted them.
  testing::PumpUntil([&] { return form.ListViewFound.item_count() > 0 || !form.scanning(); },
                     600000);
  UpdateWindow(form.ListViewFound.hwnd());
  const double first = since();
  testing::PumpUntil([&] { return !form.scanning(); }, 3600000);
  UpdateWindow(form.ListViewFound.hwnd());
  const double total = since();
  const auto& results = form.results();
  std::printf(
      "%-40s files %5zu  modules with icons %5zu  groups %6zu  unreadable %4zu  first rows %8.1f ms"
      "  total %9.1f ms  peak %6.1f MiB (%.1f before)\n",
      ToUtf8(platform::FromWide(argv[1])).c_str(), results.files_scanned,
      results.modules_with_groups(), results.groups.size(), results.unreadable.size(), first, total,
      PeakMiB(), before);
  form.Close();
  return 0;
}
