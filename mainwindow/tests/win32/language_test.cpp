// Languages on the real windows: the shipped files, the switch through the
// language menu, the missing-key log, and the cleanup of the files on disk.

#include <windows.h>

#include <gtest/gtest.h>

#include <map>
#include <string>
#include <vector>

#include "about/win32/about_window.h"
#include "core/file_io.h"
#include "core/text.h"
#include "gui/win32/application.h"
#include "gui/win32/controls.h"
#include "gui/win32/list_view.h"
#include "i18n/win32/form_translation.h"
#include "mainwindow/win32/main_window.h"
#include "platform/handles.h"
#include "platform/wide.h"
#include "settings/ansi_codec.h"
#include "settings/ini_document.h"
#include "tests/support/pe_builder.h"
#include "tests/support/temp_folder.h"
#include "tests/support/win32/gui_harness.h"
#include "tests/support/win32/program_windows.h"
#include "update/win32/update_window.h"

namespace zandrel {
namespace {

using platform::FromWide;
using platform::ToWide;

// Every text a window shows, by its language-file key.
using Texts = std::map<std::wstring, std::wstring>;

Texts AllTexts(const gui::Form& form) {
  Texts texts{{form.name() + L".Caption", form.caption()}};
  for (const gui::Component* c : form.components()) {
    if (c->name().empty()) continue;
    const std::wstring prefix = form.name() + L"." + c->name();
    for (const std::wstring_view property : c->TextProperties())
      texts[prefix + L"." + std::wstring(property)] = c->GetText(property);
    if (const auto* list = dynamic_cast<const gui::ListView*>(c))
      for (int i = 0; i < list->column_count(); ++i)
        texts[prefix + L".Columns[" + std::to_wstring(i) + L"].Caption"] = list->column_caption(i);
  }
  return texts;
}

// Group-box captions and list columns show their texts whole.
void ExpectCaptionsFit(const gui::Form& form) {
  for (const gui::Component* c : form.components()) {
    if (const auto* box = dynamic_cast<const gui::GroupBox*>(c)) {
      platform::WindowDC dc(box->hwnd());
      RECT client{};
      GetClientRect(box->hwnd(), &client);
      EXPECT_LT(box->CaptionRect(dc.get()).right, client.right) << ToUtf8(FromWide(box->name()));
    }
    if (const auto* list = dynamic_cast<const gui::ListView*>(c)) {
      for (int i = 0; i < list->column_count(); ++i)
        EXPECT_GE(list->column_width(i), list->FittingWidth(i)) << i;
    }
  }
}

bool HasCyrillic(const std::wstring& text) {
  for (const wchar_t c : text)
    if (c >= 0x0400 && c <= 0x052F) return true;
  return false;
}

BOOL CALLBACK CollectWindow(HWND hwnd, LPARAM windows) {
  reinterpret_cast<std::vector<HWND>*>(windows)->push_back(hwnd);
  return TRUE;
}

// What a window answers to WM_GETTEXT, and so what a screen reader reads.
std::wstring WindowText(HWND hwnd) {
  std::wstring text(static_cast<std::size_t>(SendMessageW(hwnd, WM_GETTEXTLENGTH, 0, 0)) + 1,
                    L'\0');
  text.resize(static_cast<std::size_t>(
      SendMessageW(hwnd, WM_GETTEXT, text.size(), reinterpret_cast<LPARAM>(text.data()))));
  return text;
}

// The blanks of a log line beyond single ones between words: at its start,
// at its end and doubled inside; each run of words is an "x".
std::wstring BlankShape(std::wstring_view line) {
  std::wstring shape;
  std::size_t i = 0;
  while (i < line.size()) {
    const bool blank = line[i] == L' ';
    std::size_t end = i;
    while (end < line.size() && (line[end] == L' ') == blank) ++end;
    if (!blank && !shape.ends_with(L'x')) shape += L'x';
    if (blank && (i == 0 || end == line.size() || end - i > 1)) shape.append(end - i, L' ');
    i = end;
  }
  return shape;
}

std::vector<std::wstring> BlankShapes(const std::wstring& log) {
  std::vector<std::wstring> shapes;
  for (std::size_t start = 0;;) {
    const std::size_t end = log.find(L"\r\n", start);
    shapes.push_back(BlankShape(std::wstring_view(log).substr(start, end - start)));
    if (end == std::wstring::npos) return shapes;
    start = end + 2;
  }
}

Bytes Utf8File(const std::string& utf8) {
  const std::string bytes = "\xEF\xBB\xBF" + utf8;
  return Bytes(bytes.begin(), bytes.end());
}

std::wstring ShippedFile(const wchar_t* name) {
  return ToWide(FromUtf8(ZANDREL_LANGUAGE_SOURCE)) + L"\\" + name;
}

class LanguageTest : public ::testing::Test {
 protected:
  void SetUp() override {
    DeleteFileW(SettingsFile().c_str());
    program_ = ToWide(folder_.path()) + L"\\Program\\";
    language_ = program_ + L"Language\\";
    log_ = ToWide(folder_.path()) + L"\\Zandrel.log";
    ASSERT_TRUE(ForceDirectories(FromWide(language_)));
    windows_ = std::make_unique<testing::ProgramWindows>();
    form1().program_folder = program_;
  }
  void TearDown() override {
    windows_.reset();
    DeleteFileW(SettingsFile().c_str());
  }
  static std::wstring SettingsFile() { return testing::TestProgramFolder() + L"Config\\Option.ini"; }

  TForm1& form1() { return windows_->form1(); }
  std::vector<gui::Form*> Forms() {
    return {&windows_->form1(), &windows_->form8(), &windows_->form10()};
  }
  void Ship(const wchar_t* name) {
    ASSERT_TRUE(CopyFileW(ShippedFile(name).c_str(), (language_ + name).c_str(), FALSE));
  }
  void WriteLanguage(const std::wstring& name, const std::string& utf8) {
    WriteFileAtomically(FromWide(language_ + name), Utf8File(utf8));
  }
  void SetLanguageSetting(const std::string& value) {
    CreateDirectoryW((testing::TestProgramFolder() + L"Config").c_str(), nullptr);
    WriteFileAtomically(FromWide(SettingsFile()),
                        Utf8File("[Language]\r\nLanguage=" + value + "\r\n"));
  }
  // The start-up sequence of the language.
  void ApplyLanguage() {
    form1().LoadLanguage();
    form1().CleanTranslationsLikeGlobload();
    form1().Globload();
  }
  gui::MenuItem& Item(const std::wstring& base_name) {
    for (gui::MenuItem* item : form1().LanguageMenu.items())
      if (item->caption().starts_with(base_name + L"\t")) return *item;
    ADD_FAILURE() << "no language item " << ToUtf8(FromWide(base_name));
    return *form1().LanguageMenu.items().at(0);
  }
  std::vector<std::wstring> Captions() {
    std::vector<std::wstring> captions;
    for (gui::MenuItem* item : form1().LanguageMenu.items())
      captions.push_back(item->caption() + (item->checked() ? L" *" : L""));
    return captions;
  }
  std::u16string LogText() {
    const auto bytes = ReadFileBytes(FromWide(log_));
    return bytes ? settings::DecodeIniText(*bytes, settings::Windows1252Codec()) : u"<none>";
  }

  testing::TempFolder folder_;
  std::wstring program_, language_, log_;
  std::unique_ptr<testing::ProgramWindows> windows_;
};

TEST_F(LanguageTest, EnglishLeavesNoRussianTextAndRussianBringsTheBuiltInTextsBack) {
  std::map<std::wstring, Texts> built_in;
  for (gui::Form* form : Forms()) built_in[form->name()] = AllTexts(*form);
  Ship(L"English.ini");
  Ship(L"Russian.ini");
  WriteFileAtomically(FromWide(log_), {});  // an empty log stays empty: both files are complete
  SetLanguageSetting("English");
  ApplyLanguage();

  EXPECT_EQ(Captions(), (std::vector<std::wstring>{L"English\t\tEnglish *",
                                                   L"Russian\t\tРусский"}));
  for (gui::Form* form : Forms()) {
    for (const auto& [key, text] : AllTexts(*form)) {
      if (key == L"Form1.Caption") continue;  // the title bar keeps its text
      EXPECT_FALSE(HasCyrillic(text)) << ToUtf8(FromWide(key));
    }
    // So do the windows themselves, labels that draw their own text included.
    std::vector<HWND> windows{form->hwnd()};
    EnumChildWindows(form->hwnd(), &CollectWindow, reinterpret_cast<LPARAM>(&windows));
    for (const HWND hwnd : windows) {
      const gui::Control* control = gui::Control::FromHandle(hwnd);
      EXPECT_FALSE(HasCyrillic(WindowText(hwnd)))
          << ToUtf8(FromWide(form->name() + L"." + (control ? control->name() : L"")));
    }
  }
  EXPECT_EQ(form1().caption(), built_in[L"Form1"][L"Form1.Caption"]);
  EXPECT_EQ(windows_->form10().caption(), L"Update Zandrel");
  EXPECT_EQ(form1().Lang(L"LangFileNotFound"), L"❌ ERROR: File not found!");
  EXPECT_EQ(form1().FileOpenDialogSorce.GetText(gui::kTitle), L"Open a file that contains icons");
  EXPECT_EQ(form1().ListViewIcons.column_caption(2), L"Name/ID");
  for (gui::Form* form : Forms()) ExpectCaptionsFit(*form);

  form1().LanguageItemClick(Item(L"Russian"));
  EXPECT_EQ(Captions(), (std::vector<std::wstring>{L"English\t\tEnglish",
                                                   L"Russian\t\tРусский *"}));
  for (gui::Form* form : Forms()) {
    for (const auto& [key, text] : AllTexts(*form)) {
      if (key == L"Form10.Caption") {
        EXPECT_EQ(text, L"Обновление Zandrel");
      } else {
        EXPECT_EQ(text, built_in[form->name()][key]) << ToUtf8(FromWide(key));
      }
    }
  }
  EXPECT_EQ(FileSize(FromWide(log_)), 0u);
  for (gui::Form* form : Forms()) ExpectCaptionsFit(*form);
}

TEST_F(LanguageTest, FileRulesOnTheRealWindows) {
  WriteLanguage(L"Test.ini",
                "[zandrel]\r\n"
                "form1.buttonbrowse.caption  =  Browse...\r\n"
                "Form1.Caption=Never\r\n"
                "Form1.CheckBoxSavePath.Caption=a = b = c\r\n"
                "Form1.GroupBoxIcons.Caption=First\r\n"
                "Form1.GroupBoxIcons.Caption=Second\r\n"
                "Form1.N1.Caption=separator\r\n"
                "Form10.Caption=Updates\r\n"
                "[ZANDREL]\r\n"
                "Form1.ButtonBrowseFolder.Caption=Repeated header\r\n");
  const std::wstring main_caption = form1().caption();
  SetLanguageSetting("test");  // the file system ignores case
  // Translated as it stands: the cleanup would keep the last of the
  // repeated keys.
  form1().LoadLanguage();
  form1().Globload();
  EXPECT_TRUE(Item(L"Test").checked());
  EXPECT_EQ(form1().ButtonBrowse.GetText(gui::kCaption), L"Browse...");
  EXPECT_EQ(form1().caption(), main_caption);
  EXPECT_EQ(form1().CheckBoxSavePath.GetText(gui::kCaption), L"a = b = c");
  EXPECT_EQ(form1().Get<gui::GroupBox>(L"GroupBoxIcons").GetText(gui::kCaption), L"First");
  EXPECT_EQ(form1().Get<gui::MenuItem>(L"N1").caption(), L"-");
  EXPECT_EQ(form1().ButtonBrowseFolder.GetText(gui::kCaption), L"Обзор...");
  EXPECT_EQ(windows_->form10().caption(), L"Updates Zandrel");
}

TEST_F(LanguageTest, TheMissingKeyLogCollectsWhatAFileLacksAndAccumulates) {
  Ship(L"English.ini");
  WriteLanguage(L"Partial.ini",
                "[Zandrel]\r\n"
                "Form1.ButtonBrowse.Caption=Pick...\r\n");
  SetLanguageSetting("English");
  ApplyLanguage();
  // A file that lacks keys leaves those texts in the language before it.
  WriteFileAtomically(FromWide(log_), {});
  form1().LanguageItemClick(Item(L"Partial"));
  EXPECT_EQ(form1().ButtonBrowse.GetText(gui::kCaption), L"Pick...");
  EXPECT_EQ(form1().ButtonBrowseFolder.GetText(gui::kCaption), L"Browse...");
  EXPECT_EQ(windows_->form8().caption(), L"About");

  const std::u16string once = LogText();
  // Every text but the one the file has, and never a separator or an
  // excluded component.
  EXPECT_NE(once.find(u"Form1.ButtonBrowseFolder.Caption=Browse...\r\n"), std::u16string::npos);
  EXPECT_NE(once.find(u"Form1.ListViewIcons.Columns[4].Caption=Sizes\r\n"), std::u16string::npos);
  EXPECT_NE(once.find(u"Form8.Caption=About\r\n"), std::u16string::npos);
  EXPECT_NE(once.find(u"Form10.Caption=Update Zandrel\r\n"), std::u16string::npos);
  EXPECT_EQ(once.find(u"Form1.ButtonBrowse.Caption"), std::u16string::npos);
  EXPECT_EQ(once.find(u"Form1.N1."), std::u16string::npos);
  EXPECT_EQ(once.find(u"Form1.EditPathExtract."), std::u16string::npos);
  EXPECT_NE(once.find(u"Form1.LanguageMenu.Caption=Language\r\n"), std::u16string::npos);
  // One line per text the windows hold, less the one translated.
  std::size_t lines = 0;
  for (std::size_t at = once.find(u"\r\n"); at != std::u16string::npos; at = once.find(u"\r\n", at + 2))
    ++lines;
  const auto english = settings::LoadIniFile(FromWide(language_ + L"English.ini"),
                                             settings::Windows1252Codec());
  EXPECT_EQ(lines, english.Entries(u"Zandrel").size() - 1);

  // Every pass appends the same keys again.
  form1().Globload();
  EXPECT_EQ(LogText(), once + once);
}

TEST_F(LanguageTest, MenuListsTheFilesInNameOrderAndMarksTheSetting) {
  WriteLanguage(L"russian.ini", "[Language information]\r\nLANGNAME=Русский\r\n");
  WriteLanguage(L"English.ini", "[Language information]\r\nLANGNAME = English (UK)\r\n");
  WriteLanguage(L"Bare.ini", "[Zandrel]\r\n");
  WriteLanguage(L"arabic.ini", "[Zandrel]\r\n");
  WriteLanguage(L"notes.txt", "[Zandrel]\r\n");
  SetLanguageSetting("ENGLISH");
  form1().LoadLanguage();
  EXPECT_EQ(Captions(), (std::vector<std::wstring>{L"arabic\t\tarabic", L"Bare\t\tBare",
                                                   L"English\t\tEnglish (UK) *",
                                                   L"russian\t\tРусский"}));
  EXPECT_EQ(form1().current_language(), L"ENGLISH");

  // A setting with ".ini" marks its item but names no file.
  WriteLanguage(L"English.ini", "[Zandrel]\r\nForm1.ButtonBrowse.Caption=Browse...\r\n");
  SetLanguageSetting("English.ini");
  ApplyLanguage();
  EXPECT_TRUE(Item(L"English").checked());
  EXPECT_EQ(form1().ButtonBrowse.GetText(gui::kCaption), L"Обзор...");
}

TEST_F(LanguageTest, ChoosingALanguageStoresItAndRunsTheWholeSwitchEvenWhenChosenBefore) {
  WriteLanguage(L"English.ini", "[Zandrel]\r\nForm1.ButtonBrowse.Caption=Browse...\r\n");
  form1().LoadLanguage();
  form1().LanguageItemClick(Item(L"English"));
  EXPECT_EQ(form1().ButtonBrowse.GetText(gui::kCaption), L"Browse...");
  const auto stored = settings::LoadIniFile(FromWide(SettingsFile()), settings::Windows1252Codec());
  EXPECT_EQ(stored.ReadString(u"Language", u"Language", u""), u"English");

  WriteLanguage(L"English.ini", "[Zandrel]\r\nForm1.ButtonBrowse.Caption=Choose...\r\n");
  WriteLanguage(L"Deutsch.ini", "[Zandrel]\r\n");
  form1().LanguageItemClick(Item(L"English"));
  EXPECT_EQ(form1().ButtonBrowse.GetText(gui::kCaption), L"Choose...");
  EXPECT_EQ(Captions(), (std::vector<std::wstring>{L"Deutsch\t\tDeutsch", L"English\t\tEnglish *"}));
}

TEST_F(LanguageTest, ClicksOnItemsOfAMenuBeingRebuiltNeverReachADestroyedItem) {
  WriteLanguage(L"English.ini", "[Zandrel]\r\nForm1.ButtonBrowse.Caption=Browse...\r\n");
  WriteLanguage(L"Russian.ini", "[Zandrel]\r\nForm1.ButtonBrowse.Caption=Обзор...\r\n");
  form1().LoadLanguage();
  const UINT english = Item(L"English").command_id();
  const UINT russian = Item(L"Russian").command_id();
  // Two clicks queued: the second arrives while the first one rebuilds the
  // menu and translates (messages run during a pass).
  PostMessageW(form1().hwnd(), gui::Form::kMenuCommandMessage, english, 0);
  PostMessageW(form1().hwnd(), gui::Form::kMenuCommandMessage, russian, 0);
  testing::PumpMessages(300);
  EXPECT_EQ(gui::MenuItem::FromCommand(english), nullptr);
  EXPECT_EQ(gui::MenuItem::FromCommand(russian), nullptr);
  EXPECT_EQ(Captions(), (std::vector<std::wstring>{L"English\t\tEnglish", L"Russian\t\tRussian *"}));
  EXPECT_EQ(form1().ButtonBrowse.GetText(gui::kCaption), L"Обзор...");
  // A late click for an item that is gone does nothing.
  PostMessageW(form1().hwnd(), gui::Form::kMenuCommandMessage, english, 0);
  testing::PumpMessages(100);
  EXPECT_EQ(form1().current_language(), L"Russian");
}

TEST_F(LanguageTest, MalformedLanguageFilesNeitherCrashNorHang) {
  const auto text = [](const std::string& t) { return Bytes(t.begin(), t.end()); };
  const auto utf16 = [](const std::string& t, bool odd) {
    Bytes b{0xFF, 0xFE};
    for (const char c : t) b.insert(b.end(), {static_cast<std::uint8_t>(c), 0});
    if (odd) b.push_back('Q');
    return b;
  };
  Bytes junk(64 * 1024);
  for (std::size_t i = 0; i < junk.size(); ++i) junk[i] = static_cast<std::uint8_t>(i * 7919 + 13);
  std::string many = "[Zandrel]\r\nForm1.ButtonBrowse.Caption=Many\r\n";
  for (int i = 0; i < 100'000; ++i) many += "Form1.Gone" + std::to_string(i) + ".Caption=x\r\n";
  const std::string long_line =
      "[Zandrel]\r\nForm1.ButtonBrowse.Caption=Long\r\nForm1.LangSaved.Caption=" +
      std::string(4 * 1024 * 1024 - 200, 'x') + "\r\n";
  const std::string too_long = long_line + std::string(300, 'y');

  const struct {
    const char* what;
    Bytes bytes;
    const wchar_t* browse;  // the button's caption afterwards
  } cases[] = {
      {"binary junk", junk, L"Обзор..."},
      {"a line of 4 MB", text(long_line), L"Long"},
      {"a file above 4 MB", text(too_long), L"Обзор..."},
      {"UTF-16 with an odd byte count", utf16("[Zandrel]\r\nForm1.ButtonBrowse.Caption=Odd\r\n", true),
       L"Odd"},
      {"a UTF-8 mark alone", text("\xEF\xBB\xBF"), L"Обзор..."},
      {"a UTF-16 mark alone", text("\xFF\xFE"), L"Обзор..."},
      {"100,000 keys", text(many), L"Many"},
  };
  SetLanguageSetting("Hostile");
  for (const auto& c : cases) {
    form1().ButtonBrowse.SetText(gui::kCaption, L"Обзор...");
    WriteFileAtomically(FromWide(language_ + L"Hostile.ini"), c.bytes);
    ApplyLanguage();
    EXPECT_EQ(form1().ButtonBrowse.GetText(gui::kCaption), c.browse) << c.what;
    ASSERT_EQ(form1().LanguageMenu.items().size(), 1u) << c.what;
  }
  // The cleanup took the 100,000 stale keys out.
  const auto cleaned = ReadFileBytes(FromWide(language_ + L"Hostile.ini"));
  ASSERT_TRUE(cleaned);
  EXPECT_EQ(std::string(cleaned->begin(), cleaned->end()),
            "[Zandrel]\r\nForm1.ButtonBrowse.Caption=Many\r\n\r\n");
}

TEST_F(LanguageTest, TheEnglishLogOfExtractAllIndentsItsLinesAsTheRussianOneDoes) {
  testing::PeBuilder pe;
  pe.AddIconGroup(icons::ResourceName::Text(u"MAINICON"),
                  {{testing::MakeDibIconImage(32, 32), 32, 32, 32}});
  pe.AddIconGroup(icons::ResourceName::Id(101), {{testing::MakeDibIconImage(16, 16), 16, 16, 32}});
  const std::wstring tool = ToWide(folder_.path()) + L"\\tool.exe";
  pe.WriteTo(FromWide(tool));
  form1().AdoptSource(tool);
  const auto extract_all = [this](const wchar_t* into) {
    form1().EditPathExtract.SetTextValue(ToWide(folder_.path()) + into);
    form1().ButtonAllZandrelClick();
    return form1().MemoZandrel.text();
  };
  const std::wstring russian = extract_all(L"\\ru");
  Ship(L"English.ini");
  SetLanguageSetting("English");
  ApplyLanguage();
  const std::wstring english = extract_all(L"\\en");

  ASSERT_NE(english.find(L"✓ Done"), std::wstring::npos) << ToUtf8(FromWide(english));
  EXPECT_EQ(BlankShapes(english), BlankShapes(russian)) << ToUtf8(FromWide(english)) << "\n"
                                                        << ToUtf8(FromWide(russian));
}

// --- the cleanup of the files on disk ---------------------------------------

// Notepad saves UTF-8 without a byte-order mark.
TEST_F(LanguageTest, AUtf8FileWithoutAMarkReadsAsWrittenAndStaysSoAfterTheCleanup) {
  // Narrow literals are UTF-8 here.
  const std::string notepad =
      "[Language information]\r\nLANGNAME=Français\r\n"
      "[Zandrel]\r\nForm1.ButtonBrowse.Caption=Pick…\r\nForm1.Gone.Caption=x\r\n";
  const std::wstring path = language_ + L"Notepad.ini";
  WriteFileAtomically(FromWide(path), Bytes(notepad.begin(), notepad.end()));
  SetLanguageSetting("Notepad");
  ApplyLanguage();

  EXPECT_EQ(Captions(), std::vector<std::wstring>{L"Notepad\t\tFrançais *"});
  EXPECT_EQ(form1().ButtonBrowse.GetText(gui::kCaption), L"Pick…");
  // The stale key made the cleanup write the file: still UTF-8, still no mark.
  const auto cleaned = ReadFileBytes(FromWide(path));
  ASSERT_TRUE(cleaned);
  EXPECT_EQ(std::string(cleaned->begin(), cleaned->end()),
            "[Language information]\r\nLANGNAME=Français\r\n\r\n"
            "[Zandrel]\r\nForm1.ButtonBrowse.Caption=Pick…\r\n\r\n");
}

TEST_F(LanguageTest, CleanupRemovesStaleKeysAndLeavesCleanReadOnlyAndLockedFilesAlone) {
  const std::string stale =
      "[Zandrel]\r\n"
      "Form1.ButtonBrowse.Caption=Browse...\r\n"
      "Form1.Gone.Caption=x\r\n"
      "Form1.buttonbrowse.caption=Browse!\r\n"
      "Form10.LabelUpDate.Caption=Checking...\r\n"
      "[Language information]\r\nLANGNAME=Stale\r\n";
  WriteLanguage(L"Stale.ini", stale);
  WriteLanguage(L"ReadOnly.ini", stale);
  SetFileAttributesW((language_ + L"ReadOnly.ini").c_str(), FILE_ATTRIBUTE_READONLY);
  WriteLanguage(L"Locked.ini", stale);
  const std::string clean = "; my notes\r\n[Zandrel]\r\nForm8.Button1.Caption = OK\r\n";
  WriteLanguage(L"Clean.ini", clean);
  // UTF-16 LE with its mark.
  std::string utf16 = "\xFF\xFE";
  for (const char c : std::string("[Zandrel]\r\nForm9.X.Caption=1\r\nForm8.Caption=About\r\n")) {
    utf16.push_back(c);
    utf16.push_back('\0');
  }
  WriteFileAtomically(FromWide(language_ + L"Wide.ini"), Bytes(utf16.begin(), utf16.end()));

  {
    const platform::UniqueFile lock(CreateFileW((language_ + L"Locked.ini").c_str(), GENERIC_READ,
                                                FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0,
                                                nullptr));
    ASSERT_TRUE(lock);
    EXPECT_FALSE(i18n::IsFileWritable(language_ + L"Locked.ini"));
    EXPECT_FALSE(i18n::IsFileWritable(language_ + L"ReadOnly.ini"));
    EXPECT_TRUE(i18n::IsFileWritable(language_ + L"Stale.ini"));
    EXPECT_FALSE(i18n::IsFileWritable(language_ + L"Missing.ini"));
    form1().CleanTranslationsLikeGlobload();
  }
  const auto read = [this](const wchar_t* name) {
    const auto bytes = ReadFileBytes(FromWide(language_ + name));
    return bytes ? std::string(bytes->begin(), bytes->end()) : std::string("<missing>");
  };
  EXPECT_EQ(read(L"Stale.ini"),
            "\xEF\xBB\xBF[Zandrel]\r\n"
            "Form1.buttonbrowse.caption=Browse!\r\n"
            "Form10.LabelUpDate.Caption=Checking...\r\n"
            "\r\n"
            "[Language information]\r\nLANGNAME=Stale\r\n\r\n");
  EXPECT_EQ(read(L"ReadOnly.ini"), "\xEF\xBB\xBF" + stale);
  EXPECT_EQ(read(L"Locked.ini"), "\xEF\xBB\xBF" + stale);
  EXPECT_EQ(read(L"Clean.ini"), "\xEF\xBB\xBF" + clean);
  std::string wide_expected = "\xFF\xFE";
  for (const char c : std::string("[Zandrel]\r\nForm8.Caption=About\r\n\r\n")) {
    wide_expected.push_back(c);
    wide_expected.push_back('\0');
  }
  EXPECT_EQ(read(L"Wide.ini"), wide_expected);
  SetFileAttributesW((language_ + L"ReadOnly.ini").c_str(), FILE_ATTRIBUTE_NORMAL);
}

}  // namespace
}  // namespace zandrel
