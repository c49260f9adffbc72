// Where the settings live: beside a portable copy, or in the roaming profile
// below the company and the title; the folder is made on every request.

#include "settings/win32/settings_location.h"

#include <gtest/gtest.h>

#include "core/bytes.h"
#include "core/file_io.h"
#include "platform/handles.h"
#include "platform/wide.h"
#include "settings/win32/shell_folders.h"
#include "settings/tests/test_bytes.h"
#include "tests/support/temp_folder.h"

namespace zandrel::settings {
namespace {

using platform::FromWide;
using platform::ToWide;

TEST(SettingsLocation, APortableMarkerKeepsTheSettingsBesideTheProgram) {
  zandrel::testing::TempFolder folder;
  const std::wstring dir = ToWide(folder.path());
  WriteFileAtomically(FromWide(dir + L"\\portable.ini"), {});
  const SettingsLocation location(dir + L"\\Zandrel.exe", L"Company", L"Zandrel");
  EXPECT_TRUE(location.portable());
  EXPECT_EQ(location.PortablePath(), dir + L"\\Config\\Option.ini");
  EXPECT_TRUE(DirectoryExists(FromWide(dir + L"\\Config")));
}

TEST(SettingsLocation, WithoutAMarkerTheRoamingProfileHoldsThem) {
  zandrel::testing::TempFolder folder;
  const std::wstring dir = ToWide(folder.path());
  const std::wstring company = L"ZandrelTest-" + std::to_wstring(GetCurrentProcessId());
  const SettingsLocation location(dir + L"\\Zandrel.exe", company, L"Zandrel");
  EXPECT_FALSE(location.portable());
  const std::wstring expected_dir = RoamingAppDataFolder() + L"\\" + company + L"\\Zandrel\\Config";
  EXPECT_EQ(location.PortablePath(), expected_dir + L"\\Option.ini");
  EXPECT_TRUE(DirectoryExists(FromWide(expected_dir)));
  RemoveDirectoryW(expected_dir.c_str());
  RemoveDirectoryW((RoamingAppDataFolder() + L"\\" + company + L"\\Zandrel").c_str());
  RemoveDirectoryW((RoamingAppDataFolder() + L"\\" + company).c_str());
}

TEST(SettingsLocation, AFileThatCannotBeReadLoadsAsTheDefaults) {
  zandrel::testing::TempFolder folder;
  const std::wstring path = ToWide(folder.path()) + L"\\Option.ini";
  const std::string text = "[Option]\r\nCheckBoxSavePath=1\r\n";
  WriteFileAtomically(FromWide(path), testing::AsBytes(text));
  EXPECT_EQ(ReadSettingsForLoading(path).SectionNames().size(), 1u);
  // Another program holds the file open for itself.
  const platform::UniqueFile held(
      CreateFileW(path.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr));
  ASSERT_TRUE(held);
  EXPECT_TRUE(ReadSettingsForLoading(path).SectionNames().empty());
}

}  // namespace
}  // namespace zandrel::settings
