#include <gtest/gtest.h>

#include <stdexcept>
#include <string>

#include "settings/ansi_codec.h"
#include "settings/ini_document.h"
#include "settings/tests/test_bytes.h"

namespace zandrel::settings {
namespace {

using testing::AsBytes;
using testing::AsString;

IniDocument Parse(std::string_view text) {
  return IniDocument::FromBytes(AsBytes(text), Windows1252Codec());
}

// What the main window's close writes, in its order.
void WriteMainWindowSettings(IniDocument& doc, bool quick_update, const std::u16string& folder) {
  doc.WriteBool(u"Option", u"CheckBoxQuickUpdate", quick_update);
  doc.WriteBool(u"Option", u"CheckBoxNoChangePath", false);
  doc.WriteBool(u"Option", u"CheckBoxSavePath", !folder.empty());
  doc.WriteString(u"Option", u"EditPathExtract", folder);
  doc.WriteBool(u"Option", u"ThemeAuto", false);
  doc.WriteBool(u"Option", u"ThemeLight", false);
  doc.WriteBool(u"Option", u"ThemeDark", false);
}

TEST(IniWriting, FirstRunProducesTheDocumentedFile) {
  IniDocument doc(Windows1252Codec());
  WriteMainWindowSettings(doc, true, u"");
  EXPECT_EQ(AsString(doc.ToBytes()),
            "[Option]\r\n"
            "CheckBoxQuickUpdate=1\r\n"
            "CheckBoxNoChangePath=0\r\n"
            "CheckBoxSavePath=0\r\n"
            "EditPathExtract=\r\n"
            "ThemeAuto=0\r\n"
            "ThemeLight=0\r\n"
            "ThemeDark=0\r\n");
}

TEST(IniWriting, UserNotesSurviveARewrite) {
  IniDocument doc = Parse(
      "; Zandrel settings, edited by hand\r\n"
      "Owner=me\r\n"
      "\r\n"
      "[Option]\r\n"
      "; keep the dark theme\r\n"
      "  ThemeDark = 1  \r\n"
      "my own note without equals\r\n"
      "themelight=0\r\n"
      "\r\n"
      "; language below\r\n"
      "[Language]\r\n"
      "Language = English\r\n"
      "[option]\r\n"
      "ThemeAuto=1\r\n");
  doc.WriteBool(u"Option", u"ThemeDark", true);   // same value: line untouched
  doc.WriteBool(u"Option", u"ThemeLight", true);  // changed in place, file's spelling kept
  doc.WriteBool(u"Option", u"ThemeAuto", false);  // new: the repeated header does not count
  doc.WriteString(u"Option", u"EditPathExtract", u"C:\\Out");
  doc.WriteString(u"language", u"LANGUAGE", u"Deutsch");
  doc.WriteString(u"Extra", u"Key", u"a = b");
  EXPECT_EQ(AsString(doc.ToBytes()),
            "; Zandrel settings, edited by hand\r\n"
            "Owner=me\r\n"
            "\r\n"
            "[Option]\r\n"
            "; keep the dark theme\r\n"
            "  ThemeDark = 1  \r\n"
            "my own note without equals\r\n"
            "themelight=1\r\n"
            "ThemeAuto=0\r\n"
            "EditPathExtract=C:\\Out\r\n"
            "\r\n"
            "; language below\r\n"
            "[Language]\r\n"
            "Language=Deutsch\r\n"
            "[option]\r\n"
            "ThemeAuto=1\r\n"
            "\r\n"
            "[Extra]\r\n"
            "Key=a = b\r\n");
  const IniDocument reread = IniDocument::FromBytes(doc.ToBytes(), Windows1252Codec());
  EXPECT_FALSE(reread.ReadBool(u"Option", u"ThemeAuto", true));
  EXPECT_EQ(reread.ReadString(u"Extra", u"Key", u""), u"a = b");
}

TEST(IniWriting, NewKeysGoAfterTheLastEntryOfTheirSection) {
  IniDocument doc = Parse("[A]\r\n; about a\r\n[B]\r\nb=1\r\n\r\n; trailing note\r\n");
  doc.WriteString(u"A", u"a", u"1");
  doc.WriteString(u"B", u"c", u"2");
  EXPECT_EQ(AsString(doc.ToBytes()),
            "[A]\r\na=1\r\n; about a\r\n[B]\r\nb=1\r\nc=2\r\n\r\n; trailing note\r\n");
}

TEST(IniWriting, DocumentWithOnlyAPrologueGetsASeparatedSection) {
  IniDocument doc = Parse("; notes only");
  doc.WriteString(u"Option", u"ThemeAuto", u"1");
  EXPECT_EQ(AsString(doc.ToBytes()), "; notes only\r\n\r\n[Option]\r\nThemeAuto=1\r\n");
}

TEST(IniWriting, RejectsTextThatWouldNotReadBackAsWritten) {
  IniDocument doc = Parse("[S]\r\nk=v\r\n");
  const Bytes before = doc.ToBytes();
  EXPECT_THROW(doc.WriteString(u"S", u"k", u"line\r\n[Injected]"), std::invalid_argument);
  EXPECT_THROW(doc.WriteString(u"S", u"k", u"a\rb"), std::invalid_argument);
  for (auto key : {u"", u"a=b", u" a", u"a ", u"a\nb", u";a", u"[a"})
    EXPECT_THROW(doc.WriteString(u"S", key, u"v"), std::invalid_argument);
  for (auto section : {u" S", u"S\t", u"S\r\nT"})
    EXPECT_THROW(doc.WriteString(section, u"k", u"v"), std::invalid_argument);
  EXPECT_EQ(doc.ToBytes(), before);
}

TEST(IniWriting, DeleteKeyRemovesTheFirstMatchingLine) {
  IniDocument doc = Parse("[Z]\r\nForm1.A=1\r\n; c\r\nform1.a=2\r\nForm1.Stray\r\n");
  EXPECT_TRUE(doc.DeleteKey(u"z", u"FORM1.A"));
  EXPECT_EQ(doc.ReadString(u"Z", u"Form1.A", u""), u"2");
  EXPECT_TRUE(doc.DeleteKey(u"Z", u"form1.stray"));
  EXPECT_FALSE(doc.DeleteKey(u"Z", u"Form1.Stray"));
  EXPECT_FALSE(doc.DeleteKey(u"Missing", u"Form1.A"));
  EXPECT_EQ(AsString(doc.ToBytes()), "[Z]\r\n; c\r\nform1.a=2\r\n");
}

TEST(IniWriting, DeleteSectionTakesRepeatedHeadersWithIt) {
  IniDocument doc = Parse("[A]\r\na=1\r\n[B]\r\nb=1\r\n[a]\r\na=2\r\n");
  EXPECT_TRUE(doc.DeleteSection(u"A"));
  EXPECT_FALSE(doc.DeleteSection(u"A"));
  EXPECT_EQ(AsString(doc.ToBytes()), "[B]\r\nb=1\r\n");
  const IniDocument reread = IniDocument::FromBytes(doc.ToBytes(), Windows1252Codec());
  EXPECT_FALSE(reread.HasSection(u"A"));
}

TEST(IniWriting, EntriesOnlyLayoutKeepsSectionsAndTheirLines) {
  const IniDocument doc = Parse(
      "; header comment\r\n"
      "Orphan=1\r\n"
      "[Language information]\r\n"
      "LANGNAME = English\r\n"
      "; comment\r\n"
      "\r\n"
      "[Zandrel]\r\n"
      "  Form1.A.Caption =  Browse  \r\n"
      "Form1.Stray\r\n"
      "[DestDir]\r\n"
      "[zandrel]\r\n"
      "Form1.B.Caption=ignored\r\n");
  EXPECT_EQ(AsString(doc.ToBytes(IniLayout::kEntriesOnly)),
            "[Language information]\r\n"
            "LANGNAME=English\r\n"
            "\r\n"
            "[Zandrel]\r\n"
            "Form1.A.Caption=Browse\r\n"
            "Form1.Stray\r\n"
            "\r\n"
            "[DestDir]\r\n"
            "\r\n");
}

}  // namespace
}  // namespace zandrel::settings
