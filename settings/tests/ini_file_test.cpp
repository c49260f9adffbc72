#include <gtest/gtest.h>

#include <string>

#include "core/file_io.h"
#include "settings/ansi_codec.h"
#include "settings/ini_document.h"
#include "settings/tests/test_bytes.h"
#include "tests/support/temp_folder.h"

namespace zandrel::settings {
namespace {

using testing::AsBytes;
using testing::AsString;

TEST(IniFile, MissingFileIsAnEmptyAnsiDocument) {
  zandrel::testing::TempFolder dir;
  const IniDocument doc = LoadIniFile(dir.path() + u"\\Config\\Option.ini", Windows1251Codec());
  EXPECT_EQ(doc.encoding(), IniEncoding::kAnsi);
  EXPECT_TRUE(doc.SectionNames().empty());
  EXPECT_TRUE(doc.ReadBool(u"Option", u"CheckBoxAutoCheck", true));
}

TEST(IniFile, EachWriterLoadsAfreshAndKeepsTheOthersKeys) {
  zandrel::testing::TempFolder dir;
  ASSERT_TRUE(ForceDirectories(dir.path() + u"\\Config"));
  const std::u16string path = dir.path() + u"\\Config\\Option.ini";

  IniDocument main_window = LoadIniFile(path, Windows1251Codec());
  main_window.WriteBool(u"Option", u"CheckBoxSavePath", true);
  main_window.WriteString(u"Option", u"EditPathExtract", u"D:\\Иконки");
  SaveIniFile(path, main_window);

  IniDocument language = LoadIniFile(path, Windows1251Codec());
  language.WriteString(u"Language", u"Language", u"English");
  SaveIniFile(path, language);

  IniDocument update_window = LoadIniFile(path, Windows1251Codec());
  update_window.WriteBool(u"Option", u"CheckBoxAutoCheck", false);
  SaveIniFile(path, update_window);

  EXPECT_EQ(AsString(*ReadFileBytes(path)),
            "[Option]\r\nCheckBoxSavePath=1\r\nEditPathExtract=D:\\\xC8\xEA\xEE\xED\xEA\xE8\r\n"
            "CheckBoxAutoCheck=0\r\n\r\n[Language]\r\nLanguage=English\r\n");
}

TEST(IniFile, FailuresToSaveAreReported) {
  zandrel::testing::TempFolder dir;
  IniDocument doc(Windows1252Codec());
  doc.WriteBool(u"Option", u"ThemeDark", true);
  EXPECT_THROW(SaveIniFile(dir.path() + u"\\missing folder\\Option.ini", doc), FileError);
  // A folder where the file should be: nothing to read, and nothing can be written.
  ASSERT_TRUE(ForceDirectories(dir.path() + u"\\Option.ini"));
  EXPECT_TRUE(LoadIniFile(dir.path() + u"\\Option.ini", Windows1252Codec()).SectionNames().empty());
  EXPECT_THROW(SaveIniFile(dir.path() + u"\\Option.ini", doc), FileError);
}

TEST(IniFile, OversizedFilesAreRefusedNotTakenAsEmpty) {
  zandrel::testing::TempFolder dir;
  const std::u16string path = dir.path() + u"\\Option.ini";
  Bytes content = AsBytes("[Option]\r\nThemeDark=1\r\n");
  content.resize(kMaxIniFileBytes, ';');
  WriteFileAtomically(path, content);
  EXPECT_TRUE(LoadIniFile(path, Windows1252Codec()).ReadBool(u"Option", u"ThemeDark", false));
  content.push_back(';');
  WriteFileAtomically(path, content);
  EXPECT_THROW(LoadIniFile(path, Windows1252Codec()), FileError);
}

TEST(IniFile, EntriesOnlyLayoutIsWrittenInTheFilesEncoding) {
  zandrel::testing::TempFolder dir;
  const std::u16string path = dir.path() + u"\\English.ini";
  WriteFileAtomically(path,
                      AsBytes("\xEF\xBB\xBF; translator notes\n[Zandrel]\nForm1.Caption = x\n"));
  SaveIniFile(path, LoadIniFile(path, Windows1252Codec()), IniLayout::kEntriesOnly);
  EXPECT_EQ(AsString(*ReadFileBytes(path)), "\xEF\xBB\xBF[Zandrel]\r\nForm1.Caption=x\r\n\r\n");
}

}  // namespace
}  // namespace zandrel::settings
