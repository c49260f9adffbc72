#include "core/paths.h"

#include <gtest/gtest.h>

namespace zandrel {
namespace {

TEST(Paths, SplitsFolderNameAndLastExtension) {
  EXPECT_EQ(ExtractFileName(u"C:\\Apps\\tool.exe"), u"tool.exe");
  EXPECT_EQ(ExtractFilePath(u"C:\\Apps\\tool.exe"), u"C:\\Apps\\");
  EXPECT_EQ(ExtractFilePath(u"C:tool.exe"), u"C:");
  EXPECT_EQ(ExtractFilePath(u"tool.exe"), u"");
  EXPECT_EQ(ExtractFileName(u"D:/x/y.dll"), u"y.dll");
  EXPECT_EQ(ExtractFileExt(u"C:\\a\\setup.old.exe"), u".exe");
  EXPECT_EQ(ExtractFileExt(u"C:\\a.b\\noext"), u"");
  EXPECT_EQ(FileNameWithoutExt(u"C:\\a\\setup.old.exe"), u"setup.old");
  EXPECT_EQ(FileNameWithoutExt(u"C:\\Out\\icon_1.ico"), u"icon_1");
  EXPECT_EQ(RemoveFileExt(u"C:\\a.b\\c"), u"C:\\a.b\\c");
}

TEST(Paths, TrailingSeparatorIsAddedOnce) {
  EXPECT_EQ(WithTrailingSeparator(u"C:\\Out"), u"C:\\Out\\");
  EXPECT_EQ(WithTrailingSeparator(u"C:\\Out\\"), u"C:\\Out\\");
  EXPECT_EQ(WithTrailingSeparator(u"C:/Out/"), u"C:/Out/");
  EXPECT_EQ(WithTrailingSeparator(u""), u"\\");
}

}  // namespace
}  // namespace zandrel
