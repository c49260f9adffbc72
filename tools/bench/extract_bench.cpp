// Prints how long "extract all" takes through the main window (log, progress
// bar, files) for a 2,000-group fixture and Wine's shell32.dll. The fixture is
// left in the given folder so that other tools can be timed on it too.
//   extract_bench <work folder>

#include <windows.h>

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <string>

#include "gui/win32/application.h"
#include "icons/extract_all.h"
#include "mainwindow/win32/main_window.h"
#include "mainwindow/win32/window_host.h"
#include "platform/wide.h"
#include "tests/support/pe_builder.h"
#include "tests/support/win32/gui_harness.h"
#include "tests/support/win32/program_windows.h"
#include "tests/support/wine_modules.h"

using namespace zandrel;

namespace {

// Adds the time f takes to `into`.
template <typename F>
auto Timed(double& into, F&& f) {
  struct Clock {
    double& into;
    std::chrono::steady_clock::time_point start = std::chrono::steady_clock::now();
    ~Clock() {
      into += std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start)
                  .count();
    }
  } clock{into};
  return f();
}

// Where one run's time goes: the window's host with a clock around each of
// its operations. What no operation accounts for is the reading of the
// module and the writing of the files.
class TimedHost : public icons::MessageCatalogue,
                  public icons::LogView,
                  public icons::ProgressView,
                  public icons::OperationsHost {
 public:
  explicit TimedHost(TForm1& form) : host_(form) {}

  std::u16string Text(std::u16string_view entry) const override {
    return Timed(texts_, [&] { return host_.Text(entry); });
  }
  void Clear() override { Timed(log_, [&] { host_.Clear(); }); }
  void AppendLine(std::u16string_view line) override {
    Timed(log_, [&] { host_.AppendLine(line); });
  }
  void ScrollToEnd() override { Timed(log_, [&] { host_.ScrollToEnd(); }); }
  void SetRange(int minimum, int maximum) override {
    Timed(bar_, [&] { host_.SetRange(minimum, maximum); });
  }
  void SetPosition(int position) override { Timed(bar_, [&] { host_.SetPosition(position); }); }
  void ShowInFront() override { Timed(bar_, [&] { host_.ShowInFront(); }); }
  void HideAndReset() override { Timed(bar_, [&] { host_.HideAndReset(); }); }
  void Refresh() override { Timed(refresh_, [&] { host_.Refresh(); }); }
  void ProcessMessages() override { Timed(messages_, [&] { host_.ProcessMessages(); }); }
  void Sleep(unsigned milliseconds) override { Timed(sleep_, [&] { host_.Sleep(milliseconds); }); }
  icons::OpenedModule OpenModule(std::u16string_view path) override {
    return Timed(open_, [&] { return host_.OpenModule(path); });
  }
  void ShowMessage(std::u16string_view text) override { host_.ShowMessage(text); }
  // What the message loop hands over before it waits: the last log lines.
  void HandOverLog() {
    Timed(log_, [] { gui::Application::Instance().FlushPending(); });
  }

  void Print(double total) const {
    const double rest = total - texts_ - log_ - bar_ - refresh_ - messages_ - sleep_ - open_;
    std::printf("  where it goes: texts %.1f  log %.1f  bar %.1f  refresh %.1f  messages %.1f"
                "  pause %.1f  open %.1f  reading and writing %.1f ms\n",
                texts_, log_, bar_, refresh_, messages_, sleep_, open_, rest);
  }

 private:
  MainWindowHost host_;
  mutable double texts_ = 0;
  double log_ = 0, bar_ = 0, refresh_ = 0, messages_ = 0, sleep_ = 0, open_ = 0;
};

void Breakdown(TForm1& form) {
  std::error_code ignored;
  std::filesystem::remove_all(std::filesystem::path(form.EditPathExtract.text()), ignored);
  TimedHost host(form);
  const auto start = std::chrono::steady_clock::now();
  icons::ExtractAllIconsWithProgress(platform::FromWide(form.EditSorcePath.text()),
                                     platform::FromWide(form.EditPathExtract.text()), host, host,
                                     host, host);
  host.HandOverLog();
  host.Print(
      std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count());
}

void Report(const char* what, TForm1& form, const std::wstring& module, const std::wstring& out,
            int runs) {
  form.AdoptSource(module);
  form.EditPathExtract.SetTextValue(out);
  double best = 1e30, total = 0;
  for (int i = 0; i < runs; ++i) {
    // Each run writes into an empty folder, as the native tools' runs do.
    std::error_code ignored;
    std::filesystem::remove_all(std::filesystem::path(out), ignored);
    const auto start = std::chrono::steady_clock::now();
    form.ButtonAllZandrelClick();
    // What the message loop hands over before it waits: the last log lines.
    gui::Application::Instance().FlushPending();
    const double ms =
        std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
    best = ms < best ? ms : best;
    total += ms;
  }
  std::printf("%-44s groups %5d   best %8.1f ms   mean %8.1f ms   (%d runs, log %d lines)\n", what,
              form.ListViewIcons.item_count(), best, total / runs, runs,
              form.MemoZandrel.line_count());
  Breakdown(form);
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
