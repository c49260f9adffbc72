// Icon locations as Windows writes and reads them.

#include "icons/icon_location.h"

#include <gtest/gtest.h>

#include <map>

#include "core/text.h"

namespace zandrel::icons {
namespace {

TEST(IconLocation, ParsesWhatWindowsWritesAndRefusesTheRest) {
  EXPECT_EQ(ParseIconLocation(u"%SystemRoot%\\System32\\shell32.dll,-8"),
            (IconLocation{u"%SystemRoot%\\System32\\shell32.dll", -8}));
  EXPECT_EQ(ParseIconLocation(u" \"C:\\My Apps\\a,b.exe\" , 3 "),
            (IconLocation{u"C:\\My Apps\\a,b.exe", 3}));
  EXPECT_EQ(ParseIconLocation(u"\"shell32.dll,0\""), (IconLocation{u"shell32.dll", 0}));
  for (const char16_t* bad : {u"shell32.dll", u",3", u"a.dll,", u"a.dll,x", u"a.dll,99999999999"})
    EXPECT_EQ(ParseIconLocation(bad), std::nullopt) << ToUtf8(bad);
}

TEST(IconLocation, RoundTripsThroughAGroupList) {
  const std::vector<std::u16string> groups = {u"MAINICON", u"ID:3", u"ID:101"};
  for (std::size_t i = 0; i < groups.size(); ++i) {
    const auto location = ParseIconLocation(FormatIconLocation(u"C:\\x.dll", groups[i], i));
    ASSERT_TRUE(location);
    EXPECT_EQ(GroupOfLocation(groups, location->value), i);
  }
  EXPECT_EQ(FormatIconLocation(u"C:\\x.dll", u"ID:101", 2), u"C:\\x.dll,-101");
  EXPECT_EQ(FormatIconLocation(u"C:\\x.dll", u"MAINICON", 0), u"C:\\x.dll,0");
  EXPECT_EQ(GroupOfLocation(groups, -7), std::nullopt);
  EXPECT_EQ(GroupOfLocation(groups, 3), std::nullopt);
}

TEST(IconLocation, FoldersOfTheEnvironmentBothWays) {
  const std::vector<EnvironmentFolder> folders = {
      {u"SystemRoot", u"C:\\Windows"},
      {u"USERPROFILE", u"C:\\Users\\me"},
      {u"LOCALAPPDATA", u"C:\\Users\\me\\AppData\\Local\\"}};
  EXPECT_EQ(PathWithEnvironmentFolder(u"c:\\windows\\System32\\shell32.dll", folders),
            u"%SystemRoot%\\System32\\shell32.dll");
  EXPECT_EQ(PathWithEnvironmentFolder(u"C:\\Users\\me\\AppData\\Local\\a.exe", folders),
            u"%LOCALAPPDATA%\\a.exe");  // the longest folder wins
  EXPECT_EQ(PathWithEnvironmentFolder(u"C:\\WindowsApps\\a.exe", folders),
            u"C:\\WindowsApps\\a.exe");

  const std::map<std::u16string, std::u16string> env = {{u"SystemRoot", u"C:\\Windows"}};
  const auto lookup = [&](std::u16string_view name) -> std::optional<std::u16string> {
    const auto it = env.find(std::u16string(name));
    if (it == env.end()) return std::nullopt;
    return it->second;
  };
  EXPECT_EQ(ExpandEnvironmentText(u"%SystemRoot%\\a%%b%NOPE%", lookup), u"C:\\Windows\\a%%b%NOPE%");
  const auto in_windows = [](const std::u16string& path) {
    return path == u"C:\\Windows\\notepad.exe";
  };
  EXPECT_EQ(ResolveLocationModule(u"notepad.exe", lookup, in_windows), u"C:\\Windows\\notepad.exe");
  EXPECT_EQ(ResolveLocationModule(u"%SystemRoot%\\x.dll", lookup, in_windows),
            u"C:\\Windows\\x.dll");
  EXPECT_EQ(ResolveLocationModule(u"gone.dll", lookup, in_windows), u"gone.dll");
}

}  // namespace
}  // namespace zandrel::icons
