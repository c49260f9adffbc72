// Prints, for each crafted hostile module and for real modules beside them,
// how long listing (names, counts, sizes text) and extract all take with the
// portable code, and the peak memory of the process that did it. Each case
// runs in a child process of its own, so its peak is its own.
//   hostile_bench --write-containers DIR  writes the crafted containers of
//   the other formats (.ani, 16-bit module, .ico) into DIR instead, for
//   tools/bench/run-benchmarks.sh to measure zandrel-cli on them.

#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <functional>
#include <string>

#include "core/file_io.h"
#include "icons/extract_all.h"
#include "icons/group_names.h"
#include "icons/group_sizes.h"
#include "icons/pe_reader.h"
#include "icons/tests/fake_host.h"
#include "tests/support/hostile_modules.h"
#include "tests/support/temp_folder.h"
#include "tests/support/wine_modules.h"

using namespace zandrel;

namespace {

double Ms(std::chrono::steady_clock::time_point since) {
  return std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - since)
      .count();
}

// Lists and extracts one module file; prints its figures.
void Measure(const std::string& what, const std::u16string& path, const std::u16string& out) {
  const auto start = std::chrono::steady_clock::now();
  std::size_t rows = 0, chars = 0;
  if (auto module = icons::PeResourceModule::FromFile(path)) {
    for (const auto& name : icons::CollectGroupNames(*module)) {
      chars += icons::DescribeGroupSizes(name, *module).size();
      icons::GetGroupImageCount(name, *module);
      ++rows;
    }
  }
  const double list_ms = Ms(start);
  testing::FakeCatalogue catalogue;
  testing::RecordingLog log;
  testing::RecordingProgress progress;
  testing::FakeHost host;
  const auto extract_start = std::chrono::steady_clock::now();
  icons::ExtractAllIconsWithProgress(path, out, progress, log, host, catalogue);
  const double extract_ms = Ms(extract_start);
  std::printf("%-34s %8zu KB  rows %6zu  text %8zu  list %9.1f ms  extract %9.1f ms", what.c_str(),
              static_cast<std::size_t>(ReadFileBytes(path)->size() / 1024), rows, chars, list_ms,
              extract_ms);
  std::fflush(stdout);
}

// Runs fn in a child process and adds the child's peak memory to the line.
void InChild(const std::function<void()>& fn) {
  std::fflush(stdout);
  const pid_t child = fork();
  if (child == 0) {
    fn();
    std::fflush(stdout);
    _exit(0);
  }
  int status = 0;
  rusage usage{};
  wait4(child, &status, 0, &usage);
  std::printf("  peak %7ld KB%s\n", usage.ru_maxrss,
              WIFEXITED(status) && WEXITSTATUS(status) == 0 ? "" : "  (FAILED)");
}

}  // namespace

int main(int argc, char** argv) {
  if (argc == 3 && std::string(argv[1]) == "--write-containers") {
    for (const auto& m : testing::HostileContainers())
      WriteFileAtomically(FromUtf8(std::string(argv[2]) + "/" + m.name + m.extension), m.bytes);
    return 0;
  }
  testing::TempFolder dir;
  std::printf("%-34s %11s  %11s  %13s  %15s  %18s  %s\n", "module", "size", "rows", "text chars",
              "list", "extract all", "peak memory");
  for (const auto& m : testing::AllHostileModules()) {
    const std::u16string path = dir.path() + u"\\" + FromUtf8(m.name) + u".dll";
    WriteFileAtomically(path, m.bytes);
    InChild([&] { Measure(m.name, path, dir.path() + u"\\out-" + FromUtf8(m.name)); });
  }
  // References: real modules measured the same way in the same run.
  for (const auto& [what, arch] :
       {std::pair{"Wine shell32.dll, 32-bit", testing::WineArch::kI386},
        std::pair{"Wine shell32.dll, 64-bit", testing::WineArch::kX86_64}}) {
    const std::u16string path = testing::WineModulePath(arch, u"shell32.dll");
    if (!FileExists(path)) continue;
    InChild([&] { Measure(what, path, dir.path() + u"\\out-shell32"); });
  }
  return 0;
}
