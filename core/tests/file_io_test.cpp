#include "core/casefold.h"
#include "core/file_io.h"

#include <gtest/gtest.h>

#include <set>
#include <string>

#include "core/text.h"
#include "tests/support/temp_folder.h"

namespace zandrel {
namespace {

TEST(CaseFold, MatchesNamesTheWayWindowsDoes) {
  EXPECT_TRUE(EqualsIgnoreCase(u"icon_A_B.ico", u"ICON_a_b.ICO"));
  EXPECT_TRUE(EqualsIgnoreCase(u"Иконка Ёж", u"иконка ёЖ"));
  EXPECT_TRUE(EqualsIgnoreCase(u"Ελλάδα", u"ΕΛΛΆΔΑ"));
  EXPECT_FALSE(EqualsIgnoreCase(u"icon_A_B", u"icon_A_B_2"));
  EXPECT_LT(CompareIgnoreCase(u"abc", u"ABD"), 0);
  EXPECT_EQ(UpperCase(u"łódź"), u"ŁÓDŹ");
}

TEST(FileIo, WritesWholeFilesAndReplacesExistingOnes) {
  testing::TempFolder dir;
  const std::u16string sub = dir.path() + u"\\a\\b c\\Иконки";
  EXPECT_FALSE(DirectoryExists(sub));
  EXPECT_TRUE(ForceDirectories(sub));
  EXPECT_TRUE(ForceDirectories(sub + u"\\"));  // trailing separator, already there

  const std::u16string file = sub + u"\\icon.ico";
  const Bytes first{1, 2, 3};
  const Bytes second{9};
  WriteFileAtomically(file, first);
  EXPECT_TRUE(FileExists(file));
  EXPECT_FALSE(FileExists(sub));
  EXPECT_EQ(*ReadFileBytes(file), first);
  WriteFileAtomically(file, second);
  EXPECT_EQ(*ReadFileBytes(file), second);
  EXPECT_EQ(ReadFileBytes(file, 0)->size(), 0u);
  WriteFileAtomically(file, {});
  EXPECT_EQ(ReadFileBytes(file)->size(), 0u);
  // Neither a new file nor a replaced one leaves anything else behind.
  WriteFileAtomically(sub + u"\\second.ico", first);
  EXPECT_EQ(*ReadFileBytes(sub + u"\\second.ico"), first);
  EXPECT_EQ(testing::EntryNames(sub), (std::set<std::u16string>{u"icon.ico", u"second.ico"}));
}

TEST(FileIo, FailuresAreReportedNotHidden) {
  testing::TempFolder dir;
  EXPECT_FALSE(ReadFileBytes(dir.path() + u"\\missing.bin"));
  EXPECT_FALSE(FileExists(u""));
  const Bytes data{1};
  EXPECT_THROW(WriteFileAtomically(dir.path() + u"\\no such folder\\x.ico", data), FileError);
  // A folder in the way of the file.
  ASSERT_TRUE(ForceDirectories(dir.path() + u"\\taken.ico"));
  EXPECT_THROW(WriteFileAtomically(dir.path() + u"\\taken.ico", data), FileError);
}

}  // namespace
}  // namespace zandrel
