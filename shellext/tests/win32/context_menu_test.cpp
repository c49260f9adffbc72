// The Explorer verb against the real registry of the test prefix: the user's
// exefile and dllfile classes. Each test leaves the classes as it found them.

#include "shellext/win32/context_menu.h"

#include <gtest/gtest.h>

#include "platform/errors.h"

namespace zandrel::shellext {
namespace {

using platform::RegistryKey;

const std::wstring kClasses = L"Software\\Classes\\";
const std::wstring kExe = L"D:\\Tools\\app.exe";

std::wstring Verb(const wchar_t* file_class) {
  return kClasses + file_class + L"\\shell\\Zandrel";
}
std::wstring Command(const wchar_t* file_class) {
  return Verb(file_class) + L"\\command";
}
bool Exists(const std::wstring& path) {
  return RegistryKey::Exists(HKEY_CURRENT_USER, path);
}
std::optional<std::wstring> Value(const std::wstring& path, const std::wstring& name) {
  const auto key = RegistryKey::TryOpen(HKEY_CURRENT_USER, path);
  return key ? key->ReadString(name) : std::nullopt;
}

class ContextMenuVerbTest : public ::testing::Test {
 protected:
  void SetUp() override {
    for (int i = 0; i < 2; ++i) had_class_[i] = Exists(kClasses + kFileClasses[i]);
  }
  void TearDown() override {
    for (int i = 0; i < 2; ++i) {
      RegistryKey::DeleteTree(HKEY_CURRENT_USER, Verb(kFileClasses[i]));
      if (!had_class_[i]) RegistryKey::DeleteTree(HKEY_CURRENT_USER, kClasses + kFileClasses[i]);
    }
  }
  static constexpr const wchar_t* kFileClasses[] = {L"exefile", L"dllfile"};
  bool had_class_[2] = {};
  ContextMenuVerb verb_;
};

TEST_F(ContextMenuVerbTest, RegisterWritesBothClassesAndRewritesThemWhenCalledAgain) {
  EXPECT_EQ(VerbCommandLine(kExe), L"\"D:\\Tools\\app.exe\" \"%1\"");
  EXPECT_EQ(VerbCommandLine(kExe).size(), 23u);
  verb_.Register(L"Open in Zandrel", kExe);
  verb_.Register(L"Ресурсы", kExe);
  for (const wchar_t* file_class : kFileClasses) {
    SCOPED_TRACE(file_class);
    EXPECT_EQ(Value(Verb(file_class), L""), L"Ресурсы");
    EXPECT_EQ(Value(Verb(file_class), L"Icon"), kExe);
    EXPECT_EQ(Value(Command(file_class), L""), L"\"D:\\Tools\\app.exe\" \"%1\"");
  }
  EXPECT_TRUE(verb_.Registered());
}

TEST_F(ContextMenuVerbTest, UnregisterRemovesTheFourKeysAndLeavesTheClasses) {
  verb_.Register(L"Zandrel", kExe);
  verb_.Unregister();
  for (const wchar_t* file_class : kFileClasses) {
    SCOPED_TRACE(file_class);
    EXPECT_FALSE(Exists(Command(file_class)));
    EXPECT_FALSE(Exists(Verb(file_class)));
    EXPECT_TRUE(Exists(kClasses + file_class + L"\\shell"));
  }
  EXPECT_FALSE(verb_.Registered());
}

TEST_F(ContextMenuVerbTest, EitherVerbKeyCountsAsRegistered) {
  EXPECT_FALSE(verb_.Registered());
  RegistryKey::Create(HKEY_CURRENT_USER, Verb(L"dllfile"));
  EXPECT_TRUE(verb_.Registered());
}

TEST_F(ContextMenuVerbTest, UnregisterPassesOverAVerbKeyHoldingSomeoneElsesSubkey) {
  verb_.Register(L"Zandrel", kExe);
  RegistryKey::Create(HKEY_CURRENT_USER, Verb(L"exefile") + L"\\theirs");
  EXPECT_NO_THROW(verb_.Unregister());
  EXPECT_TRUE(Exists(Verb(L"exefile") + L"\\theirs"));
  EXPECT_FALSE(Exists(Command(L"exefile")));
  EXPECT_FALSE(Exists(Verb(L"dllfile")));
}

class FailingIconWrite : public ContextMenuVerb {
 protected:
  void WriteValue(RegistryKey& key, const std::wstring& name, const std::wstring& data) override {
    if (name == L"Icon") throw platform::Win32Error(L"Icon", ERROR_ACCESS_DENIED);
    ContextMenuVerb::WriteValue(key, name, data);
  }
};

TEST_F(ContextMenuVerbTest, AFailedWriteEndsTheRegistrationThere) {
  FailingIconWrite failing;
  EXPECT_THROW(failing.Register(L"Zandrel", kExe), platform::Win32Error);
  EXPECT_EQ(Value(Verb(L"exefile"), L""), L"Zandrel");
  EXPECT_FALSE(Exists(Command(L"exefile")));
  EXPECT_FALSE(Exists(Verb(L"dllfile")));
}

}  // namespace
}  // namespace zandrel::shellext
