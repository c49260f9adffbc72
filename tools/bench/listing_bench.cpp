// Prints how long the main window takes to list a module: a 2,000-group
// fixture and Wine's shell32.dll. Runs under Wine with a display.

#include <windows.h>

#include <chrono>
#include <cstdio>
#include <string>
#include <vector>

#include <commctrl.h>

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

BOOL CALLBACK KeepName(HMODULE, LPCWSTR, LPWSTR name, LONG_PTR param) {
  auto* names = reinterpret_cast<std::vector<std::wstring>*>(param);
  names->push_back(IS_INTRESOURCE(name) ? L"#" + std::to_wstring(reinterpret_cast<ULONG_PTR>(name))
                                        : std::wstring(name));
  return TRUE;
}

// The least a program can do to show the same list: the loader's
// enumeration, each group's directory read, and one preview a group made by
// the system and put in an image list, with no list view. Best of `runs`.
double BareLoop(const std::wstring& path, int runs) {
  double best = 1e30;
  for (int i = 0; i < runs; ++i) {
    const auto start = std::chrono::steady_clock::now();
    HMODULE module = LoadLibraryExW(path.c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
    std::vector<std::wstring> names;
    EnumResourceNamesW(module, RT_GROUP_ICON, KeepName, reinterpret_cast<LONG_PTR>(&names));
    HIMAGELIST list = ImageList_Create(32, 32, ILC_COLOR32 | ILC_MASK, 16, 16);
    std::size_t bytes = 0;
    for (const std::wstring& name : names) {
      const LPCWSTR id = name[0] == L'#' ? MAKEINTRESOURCEW(std::stoi(name.substr(1))) : name.c_str();
      if (HRSRC found = FindResourceW(module, id, RT_GROUP_ICON)) bytes += SizeofResource(module, found);
      HICON icon = static_cast<HICON>(LoadImageW(module, id, IMAGE_ICON, 32, 32, LR_DEFAULTCOLOR));
      ImageList_ReplaceIcon(list, -1, icon);
      DestroyIcon(icon);
    }
    ImageList_Destroy(list);
    FreeLibrary(module);
    const double ms =
        std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
    best = ms < best ? ms : best;
    if (bytes == 0 && !names.empty()) std::printf("(no directories read)\n");
  }
  return best;
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
  const double bare = BareLoop(path, runs);
  std::printf("%-44s            bare loop %8.1f ms   window / bare %.2f\n", "", bare, best / bare);
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
