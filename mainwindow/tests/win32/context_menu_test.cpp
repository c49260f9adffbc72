// The Explorer verb through the main window: the menu item, the registry
// keys behind it, a language switch, and a registry that refuses a write
// while the window closes.

#include <windows.h>

#include <gtest/gtest.h>

#include <string>

#include "core/file_io.h"
#include "core/text.h"
#include "mainwindow/win32/main_window.h"
#include "platform/errors.h"
#include "platform/registry.h"
#include "platform/wide.h"
#include "tests/support/temp_folder.h"
#include "tests/support/win32/gui_harness.h"
#include "tests/support/win32/program_windows.h"

namespace zandrel {
namespace {

using platform::FromWide;
using platform::RegistryKey;
using platform::ToWide;

const wchar_t kExeVerb[] = L"Software\\Classes\\exefile\\shell\\Zandrel";
const wchar_t kDllVerb[] = L"Software\\Classes\\dllfile\\shell\\Zandrel";

std::wstring Caption(const wchar_t* verb) {
  auto key = RegistryKey::TryOpen(HKEY_CURRENT_USER, verb);
  return key ? key->ReadString(L"").value_or(L"<none>") : L"<no key>";
}

void RemoveVerbs() {
  for (const wchar_t* verb : {kExeVerb, kDllVerb}) RegistryKey::DeleteTree(HKEY_CURRENT_USER, verb);
}

std::wstring SettingsFile() {
  return testing::TestProgramFolder() + L"Config\\Option.ini";
}

// A registry that refuses the "Icon" value.
class RefusingVerb : public shellext::ContextMenuVerb {
 protected:
  void WriteValue(RegistryKey& key, const std::wstring& name, const std::wstring& data) override {
    if (name == L"Icon") throw platform::Win32Error(L"Registry value Icon", ERROR_ACCESS_DENIED);
    ContextMenuVerb::WriteValue(key, name, data);
  }
};

class ContextMenuTest : public ::testing::Test {
 protected:
  void SetUp() override {
    RemoveVerbs();
    DeleteFileW(SettingsFile().c_str());
  }
  void TearDown() override {
    RemoveVerbs();
    DeleteFileW(SettingsFile().c_str());
  }
};

TEST_F(ContextMenuTest, TheItemFollowsTheKeysAndWritesThemWhenClicked) {
  {
    testing::ProgramWindows windows;
    EXPECT_FALSE(windows.form1().EmbedFolderMenu.checked());
  }
  // Only the DLL verb left behind: the option counts as on.
  RegistryKey::Create(HKEY_CURRENT_USER, kDllVerb);
  testing::ProgramWindows windows;
  TForm1& form = windows.form1();
  EXPECT_TRUE(form.EmbedFolderMenu.checked());

  form.EmbedFolderMenu.Click();  // off
  EXPECT_FALSE(RegistryKey::Exists(HKEY_CURRENT_USER, kDllVerb));
  EXPECT_TRUE(RegistryKey::Exists(HKEY_CURRENT_USER, L"Software\\Classes\\dllfile\\shell"));
  form.EmbedFolderMenu.Click();  // on
  EXPECT_EQ(Caption(kExeVerb), L"Открыть в Zandrel");
  EXPECT_EQ(Caption(kDllVerb), L"Открыть в Zandrel");
  auto command = RegistryKey::Open(HKEY_CURRENT_USER, std::wstring(kExeVerb) + L"\\command");
  const std::wstring text = command.ReadString(L"").value_or(L"");
  EXPECT_TRUE(text.starts_with(L"\"") && text.ends_with(L".exe\" \"%1\"")) << ToUtf8(FromWide(text));
  // Nothing left to do at close: the keys already match the item.
  form.FormClose();
  EXPECT_TRUE(RegistryKey::Exists(HKEY_CURRENT_USER, kExeVerb));
}

TEST_F(ContextMenuTest, ALanguageSwitchRewritesBothCaptions) {
  testing::TempFolder folder;
  const std::wstring program = ToWide(folder.path()) + L"\\";
  ASSERT_TRUE(ForceDirectories(FromWide(program + L"Language")));
  const std::string file = "[Zandrel]\r\nForm1.LangOpenInZandrel.Caption=Open in Zandrel\r\n";
  WriteFileAtomically(FromWide(program + L"Language\\English.ini"), Bytes(file.begin(), file.end()));

  testing::ProgramWindows windows;
  TForm1& form = windows.form1();
  form.program_folder = program;
  form.EmbedFolderMenu.Click();
  form.LoadLanguage();
  ASSERT_EQ(form.LanguageMenu.items().size(), 1u);
  form.LanguageItemClick(*form.LanguageMenu.items()[0]);
  EXPECT_EQ(Caption(kExeVerb), L"Open in Zandrel");
  EXPECT_EQ(Caption(kDllVerb), L"Open in Zandrel");
}

TEST_F(ContextMenuTest, ARefusedWriteAtCloseIsReportedAndTheSettingsAreStillSaved) {
  testing::ProgramWindows windows;
  TForm1& form = windows.form1();
  form.UseContextMenuVerb(std::make_unique<RefusingVerb>());
  form.EmbedFolderMenu.SetChecked(true);  // ticked, not yet applied
  form.CheckBoxSavePath.SetChecked(true);
  {
    testing::PopupWatcher watcher;
    form.FormClose();
    ASSERT_EQ(watcher.message_boxes().size(), 1u);
    EXPECT_NE(watcher.message_boxes()[0].find(L"Icon"), std::wstring::npos);
  }
  const auto saved = ReadFileBytes(FromWide(SettingsFile()));
  ASSERT_TRUE(saved);
  EXPECT_NE(std::string(saved->begin(), saved->end()).find("CheckBoxSavePath=1"), std::string::npos);
}

}  // namespace
}  // namespace zandrel
