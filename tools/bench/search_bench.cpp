// Prints how long a folder scan takes and what it found: the time to the
// first batch with groups, the whole scan, and the peak memory.
//   search_bench FOLDER [FOLDER...]    each folder without subfolders
#include <sys/resource.h>

#include <atomic>
#include <chrono>
#include <cstdio>

#include "core/text.h"
#include "search/icon_search.h"

int main(int argc, char** argv) {
  using namespace zandrel;
  using Clock = std::chrono::steady_clock;
  const auto ms = [](Clock::duration d) {
    return std::chrono::duration<double, std::milli>(d).count();
  };
  search::ScanResults all;
  const auto start = Clock::now();
  double first = -1;
  for (int i = 1; i < argc; ++i) {
    search::SearchOptions options;
    options.folder = FromUtf8(argv[i]);
    options.subfolders = false;
    options.extensions = search::SearchableExtensions();
    std::atomic<bool> stop{false};
    std::size_t before = all.files_scanned;
    search::ScanFolder(options, stop, [&](search::ScanBatch&& batch) {
      if (first < 0 && !batch.groups.empty()) first = ms(Clock::now() - start);
      all.Add(std::move(batch));
    });
    all.files_scanned += before;
  }
  const double total = ms(Clock::now() - start);
  rusage usage{};
  getrusage(RUSAGE_SELF, &usage);
  std::printf(
      "files %zu  modules with groups %zu  groups %zu  unreadable %zu  first rows %.1f ms  "
      "scan %.1f ms  peak %.1f MiB\n",
      all.files_scanned, all.modules.size(), all.groups.size(), all.unreadable.size(), first, total,
      usage.ru_maxrss / 1024.0);
  return 0;
}
