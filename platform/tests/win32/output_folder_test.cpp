// Files written into one folder through OutputFolder land as WriteFileAtomically
// would write them, in any letter case the folder already holds.

#include <gtest/gtest.h>

#include <set>
#include <string>

#include "core/bytes.h"
#include "core/file_io.h"
#include "tests/support/temp_folder.h"

namespace zandrel {
namespace {

Bytes Of(std::string_view text) {
  return Bytes(text.begin(), text.end());
}

TEST(OutputFolder, NewNamesArriveWithTheirBytesAndANameInAnyCaseIsReplaced) {
  testing::TempFolder temp;
  const std::u16string folder = temp.path() + u"\\";
  WriteFileAtomically(folder + u"ICON_1.ICO", Of("old"));

  OutputFolder out(folder);
  out.Write(u"icon_1.ico", Of("replaced"));
  out.Write(u"icon_2.ico", Of("second"));
  out.Write(u"icon_2.ico", Of("second again"));
  out.Write(u"Значок 3 (копия).ico", Of("third"));
  out.Write(u"odd name.", Of("trailing dot"));

  // One file per name in any case: the one that was there keeps its spelling.
  EXPECT_EQ(testing::EntryNames(temp.path()),
            (std::set<std::u16string>{u"ICON_1.ICO", u"icon_2.ico", u"Значок 3 (копия).ico",
                                      u"odd name"}));
  EXPECT_EQ(ReadFileBytes(folder + u"icon_1.ico"), Of("replaced"));
  EXPECT_EQ(ReadFileBytes(folder + u"icon_2.ico"), Of("second again"));
  EXPECT_EQ(ReadFileBytes(folder + u"Значок 3 (копия).ico"), Of("third"));
  EXPECT_EQ(ReadFileBytes(folder + u"odd name"), Of("trailing dot"));
}

}  // namespace
}  // namespace zandrel
