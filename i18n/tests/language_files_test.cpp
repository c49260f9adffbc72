#include "i18n/language_files.h"

#include <gtest/gtest.h>

#include <map>
#include <set>
#include <string>

#include "core/casefold.h"
#include "settings/ansi_codec.h"

namespace zandrel::i18n {
namespace {

settings::IniDocument Document(const std::string& text) {
  return settings::IniDocument::FromBytes(
      ByteView(reinterpret_cast<const std::uint8_t*>(text.data()), text.size()),
      settings::Windows1252Codec());
}

std::string Text(const settings::IniDocument& doc) {
  const Bytes bytes = doc.ToBytes(settings::IniLayout::kEntriesOnly);
  return std::string(bytes.begin(), bytes.end());
}

// Form1 with ButtonBrowse and ListViewIcons, Form8 with Button1.
class Directory : public ComponentDirectory {
 public:
  bool HasWindow(std::u16string_view window) const override {
    return components_.contains(UpperCase(window));
  }
  bool HasComponent(std::u16string_view window, std::u16string_view component) const override {
    const auto it = components_.find(UpperCase(window));
    return it != components_.end() && it->second.contains(UpperCase(component));
  }

 private:
  std::map<std::u16string, std::set<std::u16string>> components_{
      {u"FORM1", {u"BUTTONBROWSE", u"LISTVIEWICONS"}}, {u"FORM8", {u"BUTTON1"}}};
};

TEST(LanguageCleanup, RemovesStaleBareRepeatedKeysAndEmptySections) {
  settings::IniDocument doc = Document(
      "; comment\r\n"
      "[Zandrel]\r\n"
      "Form1.ButtonBrowse.Caption = Browse\r\n"
      "Form1.Gone.Caption=stale component\r\n"
      "Form9.Caption=stale window\r\n"
      "NoDot=x\r\n"
      "bare line\r\n"
      "form1.buttonbrowse.caption=Browse again\r\n"
      "Form8.Caption=About\r\n"
      "FORM8.BUTTON1.Caption=Ok\r\n"
      "Form1.ListViewIcons.Columns[0].Caption=Icon\r\n"
      "[Empty]\r\n"
      "; only a comment\r\n"
      "[Stale]\r\n"
      "Form5.X.Caption=1\r\n"
      "[Language information]\r\n"
      "LANGNAME=English\r\n"
      "NoDot=kept\r\n"
      "[DestDir]\r\n"
      "Anything=kept\r\n");
  EXPECT_TRUE(CleanLanguageDocument(doc, Directory()));
  EXPECT_EQ(Text(doc),
            "[Zandrel]\r\n"
            "form1.buttonbrowse.caption=Browse again\r\n"
            "Form8.Caption=About\r\n"
            "FORM8.BUTTON1.Caption=Ok\r\n"
            "Form1.ListViewIcons.Columns[0].Caption=Icon\r\n"
            "\r\n"
            "[Language information]\r\n"
            "LANGNAME=English\r\n"
            "NoDot=kept\r\n"
            "\r\n"
            "[DestDir]\r\n"
            "Anything=kept\r\n"
            "\r\n");
  // Clean now: nothing more to remove.
  EXPECT_FALSE(CleanLanguageDocument(doc, Directory()));
}

TEST(LanguageCleanup, RepeatedHeadersGoWithTheirSection) {
  settings::IniDocument doc = Document("[A]\r\nForm9.X=1\r\n[B]\r\nForm8.Caption=x\r\n[a]\r\nForm1.ButtonBrowse.Caption=y\r\n");
  EXPECT_TRUE(CleanLanguageDocument(doc, Directory()));
  EXPECT_EQ(Text(doc), "[B]\r\nForm8.Caption=x\r\n\r\n");
}

TEST(LanguageMenuRules, CaptionsMarkingAndSorting) {
  EXPECT_EQ(LanguageItemCaption(u"English", u"English"), u"English\t\tEnglish");
  EXPECT_EQ(BaseNameFromCaption(u"Deutsch\t\tDeutsch (Deutschland)"), u"Deutsch");
  EXPECT_EQ(BaseNameFromCaption(u"No tab"), u"");

  EXPECT_TRUE(MarksLanguage(u"English", u"english"));
  EXPECT_TRUE(MarksLanguage(u"English", u"English.ini"));
  EXPECT_FALSE(MarksLanguage(u"English", u"english.ini"));
  EXPECT_FALSE(MarksLanguage(u"Русский", u"русский"));  // ASCII letters only
  EXPECT_FALSE(MarksLanguage(u"English", u""));

  std::vector<std::u16string> names{u"Russian.ini", u"english.ini", u"Deutsch.ini", u"zulu.ini",
                                    u"Armenian.ini"};
  SortLanguageFileNames(names);
  EXPECT_EQ(names, (std::vector<std::u16string>{u"Armenian.ini", u"Deutsch.ini", u"english.ini",
                                                u"Russian.ini", u"zulu.ini"}));

  EXPECT_EQ(LanguageDisplayName(Document("\xEF\xBB\xBF[language INFORMATION]\nlangname = Русский\n"), u"R"),
            u"Русский");
  EXPECT_EQ(LanguageDisplayName(Document("[Zandrel]\n"), u"Base"), u"Base");
}

}  // namespace
}  // namespace zandrel::i18n
