// FileInfoUtils against real modules: small resource-only DLLs compiled from
// the .rc files in fixtures/, one per case, read through the system's
// version API.

#include <fstream>
#include <string>
#include <thread>
#include <vector>

#include <gtest/gtest.h>
#include <windows.h>

#include "platform/file_info_utils.h"

namespace zandrel::platform {
namespace {

std::wstring Fixture(const wchar_t* name) {
  std::wstring path;
  for (const char* p = ZANDREL_VERSION_FIXTURES_DIR; *p; ++p)
    path.push_back(*p == '/' ? L'\\' : *p);
  return path + L"\\" + name + L".dll";
}

TEST(FileInfoUtils, FixturesAreBuilt) {
  // Guards the other cases: an empty answer must come from the file's
  // contents, not from a fixture that is missing.
  for (const wchar_t* name :
       {L"normal", L"russian_table", L"zero_translation", L"no_translation", L"letter_version",
        L"empty_version", L"fixed_only", L"spaces", L"no_version"}) {
    EXPECT_NE(GetFileAttributesW(Fixture(name).c_str()), INVALID_FILE_ATTRIBUTES) << name;
  }
}

TEST(FileInfoUtils, ReadsNormalModule) {
  const std::wstring file = Fixture(L"normal");
  EXPECT_EQ(GetFileVersion(file), L"1.4.0.12");
  EXPECT_EQ(GetCompanyName(file), L"Fixture Company");
  EXPECT_EQ(GetLegalCopyright(file), L"\u00A9 2026 Fixture Company");
  EXPECT_EQ(GetVersionInfoString(file, L"FileVersion"), L"1.4.0.12");
  EXPECT_EQ(GetVersionInfoString(file, L"ProductName"), L"");  // not stored
}

TEST(FileInfoUtils, ReadsTheTableTheTranslationNames) {
  // 0419/04E3 is written "041904E3": upper-case hex digits.
  const std::wstring file = Fixture(L"russian_table");
  EXPECT_EQ(GetFileVersion(file), L"2.5.17.300");
  EXPECT_EQ(GetCompanyName(file),
            L"\u041E\u041E\u041E \u00AB\u041E\u0431\u0440\u0430\u0437\u0435\u0446\u00BB");
  EXPECT_EQ(GetLegalCopyright(file), L"\u00A9 2026 \u041E\u0431\u0440\u0430\u0437\u0435\u0446");
}

TEST(FileInfoUtils, NeutralOrMissingTranslationReadsUsEnglishTable) {
  const std::wstring zero = Fixture(L"zero_translation");
  EXPECT_EQ(GetCompanyName(zero), L"Neutral Fallback");
  EXPECT_EQ(GetFileVersion(zero), L"3.2.1");

  const std::wstring missing = Fixture(L"no_translation");
  EXPECT_EQ(GetCompanyName(missing), L"Missing Translation");
  EXPECT_EQ(GetFileVersion(missing), L"5.0");
}

TEST(FileInfoUtils, UnusableVersionTextFallsBackToFixedVersion) {
  EXPECT_EQ(GetFileVersion(Fixture(L"letter_version")), L"1.2.0.0");
  // The raw string is still there for whoever asks for it.
  EXPECT_EQ(GetVersionInfoString(Fixture(L"letter_version"), L"FileVersion"), L"Version 3.4");

  const std::wstring empty = Fixture(L"empty_version");
  EXPECT_EQ(GetFileVersion(empty), L"3.0.65535.7");
  EXPECT_EQ(GetCompanyName(empty), L"");

  const std::wstring fixed_only = Fixture(L"fixed_only");
  EXPECT_EQ(GetFileVersion(fixed_only), L"6.1.2.3");
  EXPECT_EQ(GetCompanyName(fixed_only), L"");
  EXPECT_EQ(GetLegalCopyright(fixed_only), L"");
}

TEST(FileInfoUtils, ValuesKeepTheirSpacesAndVersionTextIsTidied) {
  const std::wstring file = Fixture(L"spaces");
  EXPECT_EQ(GetCompanyName(file), L"  Spaced Company  ");
  EXPECT_EQ(GetLegalCopyright(file), L" \u00A9 ");
  EXPECT_EQ(GetFileVersion(file), L"4.3.2.1");
}

TEST(FileInfoUtils, FilesWithoutVersionInformationGiveEmptyResults) {
  std::vector<std::wstring> files = {Fixture(L"no_version"), Fixture(L"does_not_exist"), L""};
  // A text file is not a module at all.
  const std::string text_path = "not_a_module.txt";
  std::ofstream(text_path) << "MZ but not really a module\n";
  wchar_t full[MAX_PATH];
  ASSERT_NE(GetFullPathNameW(L"not_a_module.txt", MAX_PATH, full, nullptr), 0u);
  files.emplace_back(full);
  for (const std::wstring& file : files) {
    SCOPED_TRACE(std::string(file.begin(), file.end()));
    EXPECT_EQ(GetFileVersion(file), L"");
    EXPECT_EQ(GetCompanyName(file), L"");
    EXPECT_EQ(GetLegalCopyright(file), L"");
    EXPECT_EQ(GetVersionInfoString(file, L"FileVersion"), L"");
  }
  DeleteFileW(full);
}

TEST(FileInfoUtils, CallsFromSeveralThreadsAgree) {
  // The update check reads the version on worker threads while the GUI
  // thread may read it too.
  const std::wstring file = Fixture(L"russian_table");
  const std::wstring expected_version = GetFileVersion(file);
  const std::wstring expected_company = GetCompanyName(file);
  ASSERT_FALSE(expected_version.empty());
  std::vector<int> mismatches(4, 0);
  std::vector<std::thread> threads;
  for (std::size_t t = 0; t < mismatches.size(); ++t) {
    threads.emplace_back([&, t] {
      for (int i = 0; i < 20; ++i) {
        if (GetFileVersion(file) != expected_version) ++mismatches[t];
        if (GetCompanyName(file) != expected_company) ++mismatches[t];
      }
    });
  }
  for (std::thread& thread : threads) thread.join();
  for (int count : mismatches) EXPECT_EQ(count, 0);
}

}  // namespace
}  // namespace zandrel::platform
