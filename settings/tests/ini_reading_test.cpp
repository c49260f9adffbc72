#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "core/text.h"
#include "settings/ansi_codec.h"
#include "settings/ini_document.h"
#include "settings/tests/test_bytes.h"

namespace zandrel::settings {
namespace {

using testing::AsBytes;

IniDocument Parse(std::string_view text) {
  return IniDocument::FromBytes(AsBytes(text), Windows1252Codec());
}

TEST(IniReading, NamesCompareWithoutRegardToCase) {
  const IniDocument doc =
      Parse("[option]\r\ncheckboxsavepath=1\r\n[ZANDREL]\r\nForm1.Caption=x\r\n");
  EXPECT_TRUE(doc.HasSection(u"Option"));
  EXPECT_TRUE(doc.ReadBool(u"OPTION", u"CheckBoxSavePath", false));
  EXPECT_EQ(doc.ReadString(u"Zandrel", u"FORM1.caption", u"-"), u"x");
  // Case folding reaches beyond ASCII.
  const IniDocument cyrillic = IniDocument::FromBytes(
      AsBytes("[\xD1\xE5\xEA\xF6\xE8\xFF]\r\n\xCA\xEB\xFE\xF7=1\r\n"), Windows1251Codec());
  EXPECT_EQ(cyrillic.ReadString(u"СЕКЦИЯ", u"ключ", u""), u"1");
}

TEST(IniReading, BlanksAroundTheFirstEqualsSignAreDropped) {
  const IniDocument doc = Parse(
      "[Zandrel]\n"
      "   Form1.ButtonBrowse.Caption   =   Browse...   \n"
      "\tForm1.Tabbed\t=\tvalue\t\n"
      "Form1.Label.Caption = a = b == c\n"
      "Form1.Empty.Caption =   \n"
      "Form1.Inner.Caption=two  words\n");
  EXPECT_EQ(doc.ReadString(u"Zandrel", u"Form1.ButtonBrowse.Caption", u""), u"Browse...");
  EXPECT_EQ(doc.ReadString(u"Zandrel", u"Form1.Tabbed", u""), u"value");
  EXPECT_EQ(doc.ReadString(u"Zandrel", u"Form1.Label.Caption", u""), u"a = b == c");
  EXPECT_EQ(doc.Find(u"Zandrel", u"Form1.Empty.Caption"), u"");
  EXPECT_EQ(doc.ReadString(u"Zandrel", u"Form1.Inner.Caption", u""), u"two  words");
}

TEST(IniReading, HeaderNamesAreTrimmedAndMustBeBracketedWhole) {
  const IniDocument doc = Parse(
      "  [  Language information  ]  \n"
      "LANGNAME=English\n"
      "[Broken\n"
      "key=under broken header\n"
      "[]\n"
      "empty=name\n");
  EXPECT_EQ(doc.ReadString(u"Language information", u"LANGNAME", u""), u"English");
  // "[Broken" is an entry-less line of the section before it, so the next line
  // still belongs to "Language information".
  EXPECT_EQ(doc.ReadString(u"Language information", u"key", u""), u"under broken header");
  EXPECT_FALSE(doc.HasSection(u"Broken"));
  EXPECT_EQ(doc.ReadString(u"", u"empty", u""), u"name");
}

TEST(IniReading, CommentsBareLinesAndThePrologueAreNotEntries) {
  const IniDocument doc = Parse(
      "Before=first header\n"
      "[Option]\n"
      ";ThemeDark=1\n"
      "   ; ThemeLight=1\n"
      "just a note\n"
      "\n"
      "ThemeAuto=1\n");
  EXPECT_FALSE(doc.Find(u"Option", u"ThemeDark"));
  EXPECT_FALSE(doc.Find(u"Option", u"ThemeLight"));
  EXPECT_FALSE(doc.Find(u"Option", u"; ThemeLight"));
  EXPECT_FALSE(doc.Find(u"Option", u"just a note"));
  EXPECT_FALSE(doc.Find(u"Option", u"Before"));
  EXPECT_EQ(doc.SectionNames(), std::vector<std::u16string>{u"Option"});
  ASSERT_EQ(doc.Entries(u"Option").size(), 1u);
  EXPECT_EQ(doc.Entries(u"Option")[0].key, u"ThemeAuto");
}

TEST(IniReading, FirstSectionAndFirstKeyWin) {
  const IniDocument doc = Parse(
      "[Zandrel]\n"
      "Form1.A.Caption=first\n"
      "form1.a.caption=second\n"
      "[Other]\n"
      "x=1\n"
      "[ZANDREL]\n"
      "Form1.A.Caption=third\n"
      "Form1.B.Caption=only under the repeated header\n");
  EXPECT_EQ(doc.ReadString(u"Zandrel", u"Form1.A.Caption", u""), u"first");
  EXPECT_FALSE(doc.Find(u"Zandrel", u"Form1.B.Caption"));
  EXPECT_EQ(doc.SectionNames(), (std::vector<std::u16string>{u"Zandrel", u"Other"}));
  const std::vector<IniEntry> entries = doc.Entries(u"zandrel");
  ASSERT_EQ(entries.size(), 2u);
  EXPECT_EQ(entries[0].value, u"first");
  EXPECT_EQ(entries[1].key, u"form1.a.caption");
  EXPECT_EQ(entries[1].value, u"second");
}

TEST(IniReading, RepeatedHeadersAreRecognisedAmongThousands) {
  std::string text;
  for (int i = 0; i < 20000; ++i) text += "[Section" + std::to_string(i) + "]\nk=first\n";
  for (int i = 0; i < 20000; i += 7) text += "[SECTION" + std::to_string(i) + "]\nk=later\nnew=1\n";
  const IniDocument doc = Parse(text);
  EXPECT_EQ(doc.SectionNames().size(), 20000u);
  EXPECT_EQ(doc.ReadString(u"section7", u"k", u""), u"first");
  EXPECT_FALSE(doc.Find(u"Section14", u"new"));
  EXPECT_EQ(doc.ReadString(u"Section19999", u"k", u""), u"first");
}

TEST(IniReading, KeyNamesCountBareLinesAsKeys) {
  const IniDocument doc =
      Parse("[Zandrel]\nForm1.A.Caption=1\nForm1.Stray\n;c\n\nNoDot=2\nForm1.A.Caption=3\n");
  EXPECT_EQ(doc.KeyNames(u"ZANDREL"),
            (std::vector<std::u16string>{u"Form1.A.Caption", u"Form1.Stray", u"NoDot",
                                         u"Form1.A.Caption"}));
  EXPECT_TRUE(doc.KeyNames(u"Missing").empty());
  EXPECT_TRUE(doc.Entries(u"Missing").empty());
}

TEST(IniReading, LineBreaksMayBeCrLfLfOrCr) {
  for (std::string_view text :
       {"[S]\r\na=1\r\nb=2\r\n", "[S]\na=1\nb=2", "[S]\ra=1\rb=2\r", "[S]\r\na=1\rb=2\n"}) {
    const IniDocument doc = Parse(text);
    EXPECT_EQ(doc.ReadString(u"S", u"a", u""), u"1") << text;
    EXPECT_EQ(doc.ReadString(u"S", u"b", u""), u"2") << text;
    EXPECT_EQ(doc.KeyNames(u"S").size(), 2u) << text;  // CR LF is one break, not two
  }
}

TEST(IniReading, DefaultsForMissingSectionsKeysAndEmptyDocuments) {
  const IniDocument empty = Parse("");
  EXPECT_TRUE(empty.SectionNames().empty());
  EXPECT_EQ(empty.ReadString(u"Language", u"Language", u"fallback"), u"fallback");
  EXPECT_TRUE(empty.ReadBool(u"Option", u"CheckBoxAutoCheck", true));
  EXPECT_FALSE(empty.ReadBool(u"Option", u"ThemeDark", false));
  const IniDocument doc = Parse("[Option]\nThemeDark=1\n");
  EXPECT_EQ(doc.ReadString(u"Option", u"ThemeLight", u"d"), u"d");
  EXPECT_EQ(doc.ReadString(u"Language", u"ThemeDark", u"d"), u"d");
}

TEST(IniReading, BooleansAreWholeNumbers) {
  const IniDocument doc = Parse(
      "[Option]\n"
      "Yes=yes\nZero=0\nTwo=2\nMinus=-1\nHex=$10\nHexZero=0x0\nBlank= 1\nEmpty=\n"
      "Huge=99999999999\nTrue=true\nSpaced=1 0\n");
  struct Case {
    const char16_t* key;
    bool default_value;
    bool expected;
  };
  // "yes", 0 and 2 are the update window's start-up check cases (default true).
  for (const Case c :
       {Case{u"Yes", true, true}, Case{u"Yes", false, false}, Case{u"Zero", true, false},
        Case{u"Two", false, true}, Case{u"Minus", false, true}, Case{u"Hex", false, true},
        Case{u"HexZero", true, false}, Case{u"Blank", false, true}, Case{u"Empty", true, true},
        Case{u"Empty", false, false}, Case{u"Huge", false, false}, Case{u"True", false, false},
        Case{u"Spaced", false, false}, Case{u"Missing", true, true}})
    EXPECT_EQ(doc.ReadBool(u"Option", c.key, c.default_value), c.expected)
        << ToUtf8(c.key) << " default " << c.default_value;
}

}  // namespace
}  // namespace zandrel::settings
