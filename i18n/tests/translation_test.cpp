#include "i18n/translation.h"

#include <gtest/gtest.h>

#include <string>

#include "core/file_io.h"
#include "core/text.h"
#include "i18n/tests/fake_window.h"
#include "settings/ansi_codec.h"
#include "tests/support/temp_folder.h"

namespace zandrel::i18n {
namespace {

using testing::FakeWindow;

TranslationEnvironment Environment(std::u16string folder = u"", std::u16string setting = u"") {
  TranslationEnvironment env;
  env.program_folder = std::move(folder);
  env.language_setting = [setting] { return setting; };
  env.codec = &settings::Windows1251Codec();
  env.application_title = u"Zandrel";
  env.main_window = u"Form1";
  env.update_window = u"Form10";
  env.excluded = {u"Form1.EditPathExtract", u"Form8.LabelCopyright"};
  return env;
}

Bytes Utf8File(const std::string& utf8) {
  const std::string bytes = "\xEF\xBB\xBF" + utf8;
  return Bytes(bytes.begin(), bytes.end());
}

struct Pass {
  TranslationEnvironment env = Environment();
  TTranslation t{env};
  std::vector<std::u16string> Run(FakeWindow& window, const std::string& file,
                                  std::vector<std::u16string> logged = {}) {
    t.SectionName = u"Zandrel";
    TranslateWindow(t, window,
                    settings::IniDocument::FromBytes(Utf8File(file), settings::Windows1251Codec()),
                    std::move(logged));
    return t.MissingKeys;
  }
};

TEST(Translation, FileRulesCaseBlanksQuotesRepeatsAndValuesWithEquals) {
  FakeWindow window(u"Form1", u"Zandrel");
  window.Add(u"ButtonBrowse", u"Caption", u"Обзор...");
  window.Add(u"LabelA", u"Caption", u"А");
  window.Add(u"LabelB", u"Caption", u"Б");
  window.Add(u"LabelC", u"Caption", u"В");
  window.Add(u"LabelD", u"Caption", u"Г");
  window.Add(u"LabelE", u"Caption", u"Д");
  window.Add(u"LabelF", u"Caption", u"Е");
  window.Add(u"LabelG", u"Caption", u" ✓ Успешно");
  Pass pass;
  const auto missing = pass.Run(window,
                                "[zandrel]\n"
                                "form1.buttonbrowse.caption   =   Browse...   \n"
                                "Form1.LabelA.Caption=a=b = c\n"
                                "Form1.LabelB.Caption=first\n"
                                "Form1.LabelB.Caption=second\n"
                                "Form1.LabelD.Caption=\n"
                                "Form1.LabelE.Caption = \"  found: \"  \n"
                                "Form1.LabelF.Caption=\"half \n"
                                "[Other]\nForm1.LabelC.Caption=wrong section\n"
                                "[ZANDREL]\nForm1.LabelC.Caption=repeated header\n");
  EXPECT_EQ(window.At(0).texts[u"Caption"], u"Browse...");
  EXPECT_EQ(window.At(1).texts[u"Caption"], u"a=b = c");
  EXPECT_EQ(window.At(2).texts[u"Caption"], u"first");
  EXPECT_EQ(window.At(3).texts[u"Caption"], u"В");
  // An empty value leaves the text, and is not missing.
  EXPECT_EQ(window.At(4).texts[u"Caption"], u"Г");
  // Quotes keep the blanks inside them; a lone quote is text.
  EXPECT_EQ(window.At(5).texts[u"Caption"], u"  found: ");
  EXPECT_EQ(window.At(6).texts[u"Caption"], u"\"half");
  // The log quotes a text the same way, so its line can be pasted in.
  EXPECT_EQ(missing, (std::vector<std::u16string>{u"Form1.LabelC.Caption=В",
                                                  u"Form1.LabelG.Caption=\" ✓ Успешно\""}));
}

TEST(Translation, SeparatorsNumbersAndEmptyTextsAreNeverLookedUp) {
  FakeWindow window(u"Form1", u"Zandrel");
  for (const char16_t* text : {u"-", u"", u"42", u"  -7", u"$1F", u"x10", u"0xff", u"+3"})
    window.Add(u"Item", u"Caption", text);
  window.Add(u"NotNumber", u"Caption", u"12a");
  window.Add(u"TooBig", u"Caption", u"99999999999");
  Pass pass;
  const auto missing =
      pass.Run(window, "[Zandrel]\nForm1.Item.Caption=replaced\nForm1.NotNumber.Caption=N\n");
  for (std::size_t i = 0; i < 8; ++i) EXPECT_NE(window.At(i).texts[u"Caption"], u"replaced");
  EXPECT_EQ(window.At(8).texts[u"Caption"], u"N");
  EXPECT_EQ(missing, std::vector<std::u16string>{u"Form1.TooBig.Caption=99999999999"});
}

TEST(Translation, EveryTextPropertyColumnsAndTabsInOrder) {
  FakeWindow window(u"Form1", u"Zandrel");
  auto& edit = window.Add(u"EditSorcePath", u"Text", u"путь");
  edit.texts[u"TextHint"] = u"подсказка";
  edit.texts[u"Hint"] = u"";
  auto& dialog = window.Add(u"FileOpenDialogSorce", u"Title", u"Открыть");
  auto& list = window.Add(u"ListViewIcons", u"Hint", u"");
  list.columns = {u"Иконка", u"Индекс", u"-"};
  auto& tabs = window.Add(u"TabControlTitle", u"", u"");
  tabs.tab_control = true;
  tabs.tabs = {u"Первая", u"7", u"Третья"};
  window.Add(u"EditPathExtract", u"Text", u"C:\\Out");
  Pass pass;
  const auto missing = pass.Run(window,
                                "[Zandrel]\n"
                                "Form1.EditSorcePath.Text=path\n"
                                "Form1.FileOpenDialogSorce.Title=Open\n"
                                "Form1.ListViewIcons.Columns[1].Caption=Index\n"
                                "Form1.TabControlTitle.Tabs [2]=Third\n"
                                "Form1.EditPathExtract.Text=never\n");
  EXPECT_EQ(edit.texts[u"Text"], u"path");
  EXPECT_EQ(dialog.texts[u"Title"], u"Open");
  EXPECT_EQ(list.columns, (std::vector<std::u16string>{u"Иконка", u"Index", u"-"}));
  EXPECT_EQ(tabs.tabs, (std::vector<std::u16string>{u"Первая", u"7", u"Third"}));
  EXPECT_EQ(window.At(4).texts[u"Text"], u"C:\\Out");
  EXPECT_EQ(missing, (std::vector<std::u16string>{u"Form1.EditSorcePath.TextHint=подсказка",
                                                  u"Form1.ListViewIcons.Columns[0].Caption=Иконка",
                                                  u"Form1.TabControlTitle.Tabs [0]=Первая"}));
}

TEST(Translation, WindowCaptions) {
  Pass pass;
  const std::string file =
      "[Zandrel]\nForm1.Caption=Main\nForm8.Caption=About\nForm10.Caption=Update\n";
  FakeWindow main(u"Form1", u"Zandrel");
  EXPECT_TRUE(pass.Run(main, file).empty());
  EXPECT_EQ(main.Caption(), u"Zandrel");

  FakeWindow about(u"Form8", u"О программе");
  pass.Run(about, file);
  EXPECT_EQ(about.Caption(), u"About");

  FakeWindow update(u"Form10", u"Обновление");
  pass.Run(update, file);
  EXPECT_EQ(update.Caption(), u"Update Zandrel");
  pass.Run(update, file);
  EXPECT_EQ(update.Caption(), u"Update Zandrel");
  // A file without the caption leaves it, with no second tail.
  EXPECT_EQ(pass.Run(update, "[Zandrel]\n"),
            std::vector<std::u16string>{u"Form10.Caption=Update Zandrel"});
  EXPECT_EQ(update.Caption(), u"Update Zandrel");

  // The caption is looked up even when empty, and an empty value empties it.
  FakeWindow empty(u"Form8", u"");
  EXPECT_EQ(pass.Run(empty, "[Zandrel]\n"), std::vector<std::u16string>{u"Form8.Caption="});
  pass.Run(about, "[Zandrel]\nForm8.Caption=\n");
  EXPECT_EQ(about.Caption(), u"");
}

TEST(Translation, EachLineServesOneLookupAndMissingKeysFollowTheLog) {
  FakeWindow window(u"Form1", u"Zandrel");
  window.Add(u"Same", u"Caption", u"один");
  window.Add(u"Same", u"Caption", u"два");
  window.Add(u"Same", u"Caption", u"три");
  Pass pass;
  const auto missing = pass.Run(
      window, "[Zandrel]\nForm1.Same.Caption=one\nForm1.Same.Caption=two\n", {u"old=line"});
  EXPECT_EQ(window.At(0).texts[u"Caption"], u"one");
  EXPECT_EQ(window.At(1).texts[u"Caption"], u"two");
  EXPECT_EQ(window.At(2).texts[u"Caption"], u"три");
  EXPECT_EQ(missing, (std::vector<std::u16string>{u"old=line", u"Form1.Same.Caption=три"}));
}

TEST(Translation, SectionLinesKeepFileOrderPerKey) {
  SectionLines lines;
  lines.Add(u"A=1");
  lines.Add(u"b=2");
  lines.Add(u"a=3");
  lines.Add(u"noequals");
  EXPECT_EQ(lines.Find(u"A"), 0);
  lines.Remove(0);
  EXPECT_EQ(lines.Find(u"a"), 2);
  EXPECT_EQ(lines.Find(u"NOEQUALS"), 3);
  lines.Remove(2);
  lines.Remove(2);
  EXPECT_EQ(lines.Find(u"a"), -1);
  EXPECT_EQ(lines.size(), 2u);
}

TEST(TranslationPaths, LanguageFileAndMissingKeyLog) {
  EXPECT_EQ(LanguageFilePath(u"C:\\Tools\\Zandrel\\", u"English"),
            u"C:\\Tools\\Zandrel\\Language\\English.ini");
  EXPECT_EQ(MissingKeyLogPath(u"C:\\Tools\\Zandrel\\", u"Zandrel"), u"C:\\Tools\\Zandrel.log");
  EXPECT_EQ(MissingKeyLogPath(u"C:\\", u"Zandrel"), u"C:\\Zandrel.log");
}

// --- with files -------------------------------------------------------------

class TranslationFiles : public ::testing::Test {
 protected:
  void SetUp() override {
    program_ = folder_.path() + u"\\Program\\";
    ASSERT_TRUE(ForceDirectories(program_ + u"Language"));
    log_ = folder_.path() + u"\\Zandrel.log";
  }
  void WriteLanguage(const std::string& utf8) {
    WriteFileAtomically(program_ + u"Language\\English.ini", Utf8File(utf8));
  }
  void Translate(FakeWindow& window, const std::u16string& setting = u"English") {
    const TranslationEnvironment env = Environment(program_, setting);
    TTranslation t(env);
    TranslateForm(t, window, u"Zandrel");
  }
  std::u16string LogText() {
    const auto bytes = ReadFileBytes(log_);
    if (!bytes || bytes->size() < 2) return u"<none>";
    EXPECT_EQ((*bytes)[0], 0xFF);
    EXPECT_EQ((*bytes)[1], 0xFE);
    return settings::DecodeIniText(*bytes, settings::Windows1251Codec());
  }

  zandrel::testing::TempFolder folder_;
  std::u16string program_, log_;
};

TEST_F(TranslationFiles, TheLogIsKeptOnlyWhenItExistsAndAccumulates) {
  WriteLanguage("[Zandrel]\nForm1.A.Caption=A\n");
  FakeWindow window(u"Form1", u"Zandrel");
  window.Add(u"A", u"Caption", u"а");
  window.Add(u"B", u"Caption", u"б\r\nвторая");
  Translate(window);
  EXPECT_EQ(window.At(0).texts[u"Caption"], u"A");
  EXPECT_FALSE(FileExists(log_));

  WriteFileAtomically(log_, {});
  Translate(window);
  Translate(window);
  EXPECT_EQ(LogText(), u"Form1.B.Caption=б\r\nвторая\r\nForm1.B.Caption=б\r\nвторая\r\n");
}

TEST_F(TranslationFiles, NoLanguageFileNoChangeAndACompleteFileLeavesAnEmptyLog) {
  WriteFileAtomically(log_, {});
  FakeWindow window(u"Form8", u"О программе");
  window.Add(u"Label", u"Caption", u"Метка");
  Translate(window, u"Missing");
  Translate(window, u"");
  EXPECT_EQ(window.Caption(), u"О программе");
  EXPECT_EQ(FileSize(log_), 0u);

  WriteLanguage("[Zandrel]\nForm8.Caption=About\nForm8.Label.Caption=Label\n");
  Translate(window);
  EXPECT_EQ(window.Caption(), u"About");
  EXPECT_EQ(FileSize(log_), 0u);
}

TEST_F(TranslationFiles, AnUnreadableLanguageFileEndsThePassQuietly) {
  // Larger than any INI file may be.
  const std::string big(settings::kMaxIniFileBytes + 10, 'a');
  WriteLanguage("[Zandrel]\nForm8.Caption=About\n" + big);
  WriteFileAtomically(log_, {});
  FakeWindow window(u"Form8", u"О программе");
  Translate(window);
  EXPECT_EQ(window.Caption(), u"О программе");
  EXPECT_EQ(FileSize(log_), 0u);
}

}  // namespace
}  // namespace zandrel::i18n
