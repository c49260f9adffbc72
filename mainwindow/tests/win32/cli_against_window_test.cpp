// zandrel-cli.exe of this tree against the real main window on Wine's own
// modules: the rows `list --json` prints are the rows the window shows, and
// the files `extract` writes are the files "Извлечь все" writes, byte for byte.

#include <windows.h>

#include <gtest/gtest.h>

#include <nlohmann/json.hpp>

#include <filesystem>
#include <set>
#include <string>

#include "core/file_io.h"
#include "core/text.h"
#include "mainwindow/win32/main_window.h"
#include "platform/wide.h"
#include "tests/support/temp_folder.h"
#include "tests/support/win32/program_output.h"
#include "tests/support/win32/program_windows.h"
#include "tests/support/wine_modules.h"

namespace zandrel {
namespace {

namespace fs = std::filesystem;
using platform::FromWide;
using platform::ToWide;

std::set<std::wstring> FilesIn(const std::wstring& folder) {
  std::set<std::wstring> files;
  std::error_code ec;
  for (const auto& entry : fs::directory_iterator(fs::path(folder), ec))
    files.insert(entry.path().filename().wstring());
  return files;
}

TEST(CliAgainstWindow, RowsAndFilesOfWinesModulesAreTheWindows) {
  testing::TempFolder dir;
  const std::wstring folder = ToWide(dir.path()) + L"\\";
  testing::ProgramWindows windows;
  TForm1& form = windows.form1();
  const struct {
    testing::WineArch arch;
    const char16_t* name;
  } modules[] = {{testing::WineArch::kI386, u"shell32.dll"},
                 {testing::WineArch::kX86_64, u"shell32.dll"},
                 {testing::WineArch::kX86_64, u"comdlg32.dll"},
                 {testing::WineArch::kX86_64, u"user32.dll"}};
  int case_number = 0;
  for (const auto& m : modules) {
    const std::wstring path = ToWide(testing::WineModulePath(m.arch, m.name));
    const std::string what = ToUtf8(FromWide(path));
    form.AdoptSource(path);
    const int rows = form.ListViewIcons.item_count();
    ASSERT_GT(rows, 0) << what;

    const std::string listed =
        testing::ProgramOutput(L"\"" ZANDREL_CLI_PATH L"\" list --json \"" + path + L"\"");
    const nlohmann::json parsed = nlohmann::json::parse(listed, nullptr, false);
    ASSERT_TRUE(parsed.is_array()) << what << ": " << listed;
    ASSERT_EQ(parsed.size(), static_cast<std::size_t>(rows)) << what;
    for (int row = 0; row < rows; ++row) {
      const nlohmann::json& item = parsed[static_cast<std::size_t>(row)];
      const std::string printed =
          std::to_string(item["index"].get<int>()) + " " + item["name"].get<std::string>() + " " +
          std::to_string(item["images"].get<int>()) + " " + item["sizes"].get<std::string>();
      std::string shown;
      for (int column = 1; column <= 4; ++column)
        shown +=
            (column > 1 ? " " : "") + ToUtf8(FromWide(form.ListViewIcons.ItemText(row, column)));
      EXPECT_EQ(printed, shown) << what << " row " << row;
    }

    const std::wstring by_window = folder + L"window" + std::to_wstring(case_number);
    const std::wstring by_cli = folder + L"cli" + std::to_wstring(case_number++);
    form.EditPathExtract.SetTextValue(by_window);
    form.ButtonAllZandrelClick();
    testing::ProgramOutput(L"\"" ZANDREL_CLI_PATH L"\" extract \"" + path + L"\" -o \"" + by_cli +
                           L"\"");
    const std::set<std::wstring> files = FilesIn(by_window);
    ASSERT_EQ(files.size(), static_cast<std::size_t>(rows)) << what;
    EXPECT_EQ(FilesIn(by_cli), files) << what;
    for (const std::wstring& file : files)
      EXPECT_TRUE(ReadFileBytes(FromWide(by_cli + L"\\" + file)) ==
                  ReadFileBytes(FromWide(by_window + L"\\" + file)))
          << what << " " << ToUtf8(FromWide(file)) << " differs";
  }
}

}  // namespace
}  // namespace zandrel
