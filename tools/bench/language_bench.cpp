// Prints how long translating the three windows (one Globload) and cleaning
// the language files take: the shipped English file, then files of 10,000
// and 100,000 lines (the shipped lines followed by keys of components the
// windows do not have), so the growth with the file's size shows. Runs
// under Wine with a display; the built Language folder is passed as the
// first argument.

#include <windows.h>

#include <chrono>
#include <cstdio>
#include <functional>
#include <string>

#include "core/file_io.h"
#include "core/text.h"
#include "mainwindow/win32/main_window.h"
#include "platform/wide.h"
#include "tests/support/temp_folder.h"
#include "tests/support/win32/gui_harness.h"
#include "tests/support/win32/program_windows.h"

using namespace zandrel;

namespace {

double BestOf(int runs, const std::function<void()>& prepare, const std::function<void()>& run) {
  double best = 1e30;
  for (int i = 0; i < runs; ++i) {
    prepare();
    const auto start = std::chrono::steady_clock::now();
    run();
    const double ms =
        std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
    best = ms < best ? ms : best;
  }
  return best;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  if (argc < 2) {
    std::fprintf(stderr, "usage: language_bench <folder of the shipped language files>\n");
    return 2;
  }
  const auto shipped = ReadFileBytes(platform::FromWide(std::wstring(argv[1]) + L"\\English.ini"));
  if (!shipped) {
    std::fprintf(stderr, "English.ini not found\n");
    return 1;
  }
  testing::TempFolder dir;
  const std::u16string program = dir.path() + u"\\";
  ForceDirectories(program + u"Language");

  testing::ProgramWindows windows;
  TForm1& form = windows.form1();
  form.program_folder = platform::ToWide(program);
  const std::string setting = "[Language]\r\nLanguage=Bench\r\n";
  WriteFileAtomically(platform::FromWide(form.PortablePath()), Bytes(setting.begin(), setting.end()));

  for (const int extra : {0, 10'000, 100'000}) {
    Bytes file = *shipped;
    for (int i = 0; i < extra; ++i) {
      const std::string line = "Form1.Gone" + std::to_string(i) + ".Caption=x\r\n";
      file.insert(file.end(), line.begin(), line.end());
    }
    const std::u16string path = program + u"Language\\Bench.ini";
    const auto write = [&] { WriteFileAtomically(path, file); };
    const double globload = BestOf(3, write, [&] { form.Globload(); });
    const double cleanup = BestOf(3, write, [&] { form.CleanTranslationsLikeGlobload(); });
    std::printf("English.ini + %6d lines (%5.2f MB)   Globload best %8.1f ms   cleanup best %8.1f ms\n",
                extra, static_cast<double>(file.size()) / (1024.0 * 1024.0), globload, cleanup);
  }
  return 0;
}
