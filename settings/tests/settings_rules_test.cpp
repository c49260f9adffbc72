#include "settings/settings_rules.h"

#include <gtest/gtest.h>

#include <string>

#include "core/text.h"
#include "settings/ansi_codec.h"
#include "settings/window_bounds.h"

namespace zandrel::settings {
namespace {

TEST(SettingsPath, PortableCopyKeepsSettingsBesideTheExecutable) {
  EXPECT_EQ(PortableMarkerPath(u"D:\\Tools\\Zandrel\\Zandrel.exe"),
            u"D:\\Tools\\Zandrel\\portable.ini");
  EXPECT_EQ(PortableSettingsPath(u"D:\\Tools\\Zandrel\\Zandrel.exe"),
            u"D:\\Tools\\Zandrel\\Config\\Option.ini");
  EXPECT_EQ(PortableSettingsPath(u"E:\\Zandrel.exe"), u"E:\\Config\\Option.ini");
}

TEST(SettingsPath, InstalledCopyUsesRoamingFolderCompanyAndTitle) {
  EXPECT_EQ(InstalledSettingsPath(u"C:\\Users\\User\\AppData\\Roaming", u"Acme", u"Zandrel"),
            u"C:\\Users\\User\\AppData\\Roaming\\Acme\\Zandrel\\Config\\Option.ini");
  // Separators already present are not doubled.
  EXPECT_EQ(InstalledSettingsPath(u"C:\\Roaming\\", u"Acme\\", u"Zandrel"),
            u"C:\\Roaming\\Acme\\Zandrel\\Config\\Option.ini");
  // The title comes from the caller.
  EXPECT_EQ(InstalledSettingsPath(u"C:\\Roaming", u"Acme", u"Other"),
            u"C:\\Roaming\\Acme\\Other\\Config\\Option.ini");
}

TEST(SettingsPath, EmptyPartsLeaveTheirSeparator) {
  EXPECT_EQ(InstalledSettingsPath(u"C:\\Roaming", u"", u"Zandrel"),
            u"C:\\Roaming\\\\Zandrel\\Config\\Option.ini");
  EXPECT_EQ(InstalledSettingsPath(u"", u"Acme", u"Zandrel"),
            u"\\Acme\\Zandrel\\Config\\Option.ini");
  EXPECT_EQ(InstalledSettingsPath(u"", u"", u"Zandrel"), u"\\\\Zandrel\\Config\\Option.ini");
}

TEST(OutputFolder, DefaultAndStartupFolders) {
  EXPECT_EQ(DefaultOutputFolder(u"C:\\Users\\User\\Pictures", u"Zandrel"),
            u"C:\\Users\\User\\Pictures\\Zandrel");
  EXPECT_EQ(DefaultOutputFolder(u"", u"Zandrel"), u"\\Zandrel");  // My Pictures lookup failed
  EXPECT_EQ(StartupOutputFolder(u"D:\\Saved", u"C:\\Pictures\\Zandrel"), u"D:\\Saved");
  EXPECT_EQ(StartupOutputFolder(u"", u"C:\\Pictures\\Zandrel"), u"C:\\Pictures\\Zandrel");
}

TEST(OutputFolder, NewSourceFollowsTheDefaultFolderBox) {
  const std::u16string base = DefaultOutputFolder(u"C:\\Users\\User\\Pictures", u"Zandrel");
  EXPECT_EQ(NewSourceOutputFolder(u"D:\\Apps\\tool.exe", true, base),
            u"C:\\Users\\User\\Pictures\\Zandrel\\tool");
  EXPECT_EQ(NewSourceOutputFolder(u"D:\\Apps\\tool.exe", false, base),
            u"D:\\Apps\\Extracted Icons");
  EXPECT_EQ(NewSourceOutputFolder(u"C:\\Windows\\notepad.exe", true, base),
            u"C:\\Users\\User\\Pictures\\Zandrel\\notepad");
  EXPECT_EQ(NewSourceOutputFolder(u"C:\\Windows\\notepad.exe", false, base),
            u"C:\\Windows\\Extracted Icons");
  EXPECT_EQ(NewSourceOutputFolder(u"D:\\Setups\\setup.old.exe", true, base),
            u"C:\\Users\\User\\Pictures\\Zandrel\\setup.old");
  EXPECT_EQ(NewSourceOutputFolder(u"D:\\tool.exe", false, base), u"D:\\Extracted Icons");
  EXPECT_EQ(
      NewSourceOutputFolder(u"D:\\Apps\\tool.exe", true, DefaultOutputFolder(u"", u"Zandrel")),
      u"\\Zandrel\\tool");
}

TEST(OutputFolder, DefaultFolderBoxClick) {
  const std::u16string base = u"C:\\Pictures\\Zandrel";
  EXPECT_EQ(NoChangePathOutputFolder(true, u"D:\\Picked", u"", base), base);
  EXPECT_EQ(NoChangePathOutputFolder(true, u"D:\\Picked", u"D:\\Apps\\tool.exe", base),
            u"C:\\Pictures\\Zandrel\\tool");
  EXPECT_EQ(NoChangePathOutputFolder(false, u"D:\\Picked", u"D:\\Apps\\tool.exe", base),
            u"D:\\Picked");
  EXPECT_EQ(NoChangePathOutputFolder(false, base, u"", base), base);  // unticking keeps the text
}

TEST(OutputFolder, FolderNameOfAPath) {
  struct Case {
    const char16_t* path;
    const char16_t* name;
  };
  for (const Case c : {Case{u"D:\\Apps", u"Apps"}, Case{u"D:\\Apps\\", u"Apps"},
                       Case{u"C:\\Out\\Sub", u"Sub"}, Case{u"C:/Out/Sub/", u"Sub"},
                       Case{u"\\\\server\\share", u"share"}, Case{u"C:\\", u""}, Case{u"C:", u""},
                       Case{u"", u""}, Case{u"\\", u""}, Case{u"Apps", u""}, Case{u"\\Apps", u""}})
    EXPECT_EQ(FolderNameOfPath(c.path), c.name) << ToUtf8(c.path);
}

TEST(OutputFolder, PickedFolderGetsASubfolderNamedAfterTheSourceFolder) {
  const std::u16string source = u"D:\\Apps\\Tool\\tool.exe";
  EXPECT_EQ(BrowsedOutputFolder(u"C:\\Out", source), u"C:\\Out\\Tool\\Extracted Icons");
  EXPECT_EQ(BrowsedOutputFolder(u"C:\\Work\\tool", source), u"C:\\Work\\tool\\Extracted Icons");
  EXPECT_EQ(BrowsedOutputFolder(u"E:\\", source), u"E:\\Tool\\Extracted Icons");
  EXPECT_EQ(BrowsedOutputFolder(u"C:\\Out", u""), u"C:\\Out\\Extracted Icons");
  EXPECT_EQ(BrowsedOutputFolder(u"C:\\Out", u"D:\\tool.exe"), u"C:\\Out\\Extracted Icons");
  EXPECT_EQ(BrowsedOutputFolder(u"C:\\Out\\", source), u"C:\\Out\\Tool\\Extracted Icons");
  // Letter case is ignored beyond ASCII too, as Windows does for folder names.
  EXPECT_EQ(BrowsedOutputFolder(u"C:\\ИКОНКИ", u"D:\\Иконки\\a.exe"),
            u"C:\\ИКОНКИ\\Extracted Icons");
}

TEST(WindowBounds, ComeBackAsWrittenAndOnlyWhenSane) {
  IniDocument ini(Windows1252Codec());
  const WindowBounds bounds{-8, 40, 1200, 900, true};
  WriteWindowBounds(ini, kMainWindowSection, bounds);
  EXPECT_EQ(ReadWindowBounds(ini, kMainWindowSection), bounds);
  // A missing, non-numeric, empty or out-of-range value drops them all.
  for (const auto& [key, value] :
       {std::pair{u"Left", u"x"}, std::pair{u"Top", u"100001"}, std::pair{u"Width", u"0"},
        std::pair{u"Height", u"32768"}, std::pair{u"Width", u"99999999999"},
        std::pair{u"Height", u""}}) {
    IniDocument bad = ini;
    bad.WriteString(kMainWindowSection, key, value);
    EXPECT_EQ(ReadWindowBounds(bad, kMainWindowSection), std::nullopt) << ToUtf8(key);
  }
  EXPECT_EQ(ReadWindowBounds(IniDocument(Windows1252Codec()), kMainWindowSection), std::nullopt);
}

}  // namespace
}  // namespace zandrel::settings
