// Prints how long the portable reader takes to open a module and produce
// every row's name, image count and sizes text (no window involved).

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "icons/group_names.h"
#include "icons/group_sizes.h"
#include "icons/pe_reader.h"
#include "tests/support/pe_builder.h"
#include "tests/support/temp_folder.h"
#include "tests/support/wine_modules.h"

using namespace zandrel;

namespace {

void Report(const char* what, const std::u16string& path, int runs) {
  double best = 1e30, total = 0;
  std::size_t rows = 0;
  for (int i = 0; i < runs; ++i) {
    const auto start = std::chrono::steady_clock::now();
    auto module = icons::PeResourceModule::FromFile(path);
    rows = 0;
    std::size_t chars = 0;
    if (module) {
      for (const auto& name : icons::CollectGroupNames(*module)) {
        chars += icons::DescribeGroupSizes(name, *module).size();
        chars += icons::GetGroupImageCount(name, *module);
        ++rows;
      }
    }
    const double ms =
        std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
    best = ms < best ? ms : best;
    total += ms;
    if (chars == 0 && rows > 0) std::printf("(no text)\n");
  }
  std::printf("%-44s rows %5zu   best %8.2f ms   mean %8.2f ms   (%d runs)\n", what, rows, best,
              total / runs, runs);
}

// A module far larger than any of its groups: a few 256 x 256 icons beside
// a large block of other data, for measuring what extracting it costs in memory.
int WriteLargeModule(const char* path, long megabytes) {
  testing::PeBuilder pe;
  for (int i = 0; i < 8; ++i)
    pe.AddIconGroup(icons::ResourceName::Id(static_cast<std::uint32_t>(i + 1)),
                    {{testing::MakeDibIconImage(256, 256, i), 0, 0, 32},
                     {testing::MakeDibIconImage(48, 48, i), 48, 48, 32}});
  pe.Add(10, icons::ResourceName::Id(1),  // RT_RCDATA
         Bytes(static_cast<std::size_t>(megabytes) << 20, 0x5A));
  std::u16string target;
  for (const char* c = path; *c; ++c) target.push_back(static_cast<char16_t>(*c));
  pe.WriteTo(target);
  std::printf("wrote %s: 8 groups of about 260 KB beside %ld MB of other data\n", path, megabytes);
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc == 4 && std::string(argv[1]) == "--write-large")
    return WriteLargeModule(argv[2], std::strtol(argv[3], nullptr, 10));
  testing::TempFolder dir;
  testing::PeBuilder pe;
  for (int i = 0; i < 2000; ++i)
    pe.AddIconGroup(icons::ResourceName::Id(static_cast<std::uint32_t>(i + 1)),
                    {{testing::MakeDibIconImage(16, 16, i), 16, 16, 32},
                     {testing::MakeDibIconImage(32, 32, i), 32, 32, 32}});
  const std::u16string fixture = dir.path() + u"\\groups2000.dll";
  pe.WriteTo(fixture);
  Report("2,000-group fixture (portable reader)", fixture, 20);
  Report("Wine shell32.dll, 32-bit (portable reader)",
         testing::WineModulePath(testing::WineArch::kI386, u"shell32.dll"), 20);
  Report("Wine shell32.dll, 64-bit (portable reader)",
         testing::WineModulePath(testing::WineArch::kX86_64, u"shell32.dll"), 20);
  return 0;
}
