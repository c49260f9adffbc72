// The owning registry key against the real registry, below a key of this
// test run in HKEY_CURRENT_USER that is removed afterwards.

#include "platform/registry.h"

#include <gtest/gtest.h>

#include "platform/errors.h"

namespace zandrel::platform {
namespace {

class RegistryTest : public ::testing::Test {
 protected:
  const std::wstring root =
      L"Software\\ZandrelTests\\registry-" + std::to_wstring(GetCurrentProcessId());
  void TearDown() override { RegistryKey::DeleteTree(HKEY_CURRENT_USER, root); }
};

TEST_F(RegistryTest, ValuesRoundTripAndMissingOnesAreNothing) {
  {
    RegistryKey key = RegistryKey::Create(HKEY_CURRENT_USER, root + L"\\shell\\verb");
    key.WriteString(L"", L"default value");
    key.WriteString(L"Icon", L"\"C:\\Program Files\\Zandrel\\Zandrel.exe\",0");
    key.WriteString(L"Long", std::wstring(3000, L'ж'));
    key.WriteDword(L"Count", 42);
  }
  const RegistryKey key = RegistryKey::Open(HKEY_CURRENT_USER, root + L"\\shell\\verb");
  EXPECT_EQ(key.ReadString(L""), L"default value");
  EXPECT_EQ(key.ReadString(L"Icon"), L"\"C:\\Program Files\\Zandrel\\Zandrel.exe\",0");
  EXPECT_EQ(key.ReadString(L"Long"), std::wstring(3000, L'ж'));
  EXPECT_EQ(key.ReadDword(L"Count"), 42u);
  // Another type, or no value at all, reads as nothing.
  EXPECT_EQ(key.ReadString(L"Count"), std::nullopt);
  EXPECT_EQ(key.ReadDword(L"Icon"), std::nullopt);
  EXPECT_EQ(key.ReadString(L"Missing"), std::nullopt);
}

TEST_F(RegistryTest, DeletingValuesAndTreesIsQuietAboutWhatIsAlreadyGone) {
  {
    RegistryKey key = RegistryKey::Create(HKEY_CURRENT_USER, root + L"\\a\\b");
    key.WriteString(L"v", L"1");
    key.DeleteValue(L"v");
    key.DeleteValue(L"v");  // twice: no error
    EXPECT_EQ(key.ReadString(L"v"), std::nullopt);
  }
  EXPECT_TRUE(RegistryKey::Exists(HKEY_CURRENT_USER, root + L"\\a\\b"));
  RegistryKey::DeleteTree(HKEY_CURRENT_USER, root + L"\\a");
  EXPECT_FALSE(RegistryKey::Exists(HKEY_CURRENT_USER, root + L"\\a\\b"));
  EXPECT_FALSE(RegistryKey::Exists(HKEY_CURRENT_USER, root + L"\\a"));
  EXPECT_NO_THROW(RegistryKey::DeleteTree(HKEY_CURRENT_USER, root + L"\\a"));
}

TEST_F(RegistryTest, OpeningAMissingKeyThrowsWithTheSystemsReasonOrGivesNothing) {
  EXPECT_FALSE(RegistryKey::TryOpen(HKEY_CURRENT_USER, root + L"\\missing").has_value());
  try {
    RegistryKey::Open(HKEY_CURRENT_USER, root + L"\\missing");
    FAIL() << "no error";
  } catch (const Win32Error& e) {
    EXPECT_EQ(e.code(), static_cast<DWORD>(ERROR_FILE_NOT_FOUND));
    EXPECT_NE(e.text().find(L"missing"), std::wstring::npos);
  }
}

TEST_F(RegistryTest, AMovedKeyIsClosedOnceByItsLastOwner) {
  RegistryKey first = RegistryKey::Create(HKEY_CURRENT_USER, root);
  const HKEY raw = first.get();
  RegistryKey second(std::move(first));
  EXPECT_FALSE(first);
  EXPECT_EQ(second.get(), raw);
  second.WriteString(L"still", L"open");
  EXPECT_EQ(second.ReadString(L"still"), L"open");
}

}  // namespace
}  // namespace zandrel::platform
