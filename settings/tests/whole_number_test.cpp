#include <gtest/gtest.h>

#include <cstdint>
#include <string>

#include "core/text.h"

namespace zandrel {
namespace {

TEST(WholeNumber, AcceptsDecimalWithSignAndLeadingSpaces) {
  EXPECT_EQ(ParseWholeNumber(u"0"), 0);
  EXPECT_EQ(ParseWholeNumber(u"2"), 2);
  EXPECT_EQ(ParseWholeNumber(u"-17"), -17);
  EXPECT_EQ(ParseWholeNumber(u"+17"), 17);
  EXPECT_EQ(ParseWholeNumber(u"   42"), 42);
  EXPECT_EQ(ParseWholeNumber(u"  -0"), 0);
  EXPECT_EQ(ParseWholeNumber(u"007"), 7);
  EXPECT_EQ(ParseWholeNumber(std::u16string(1000, u'0') + u"5"), 5);  // long runs of zeros
}

TEST(WholeNumber, AcceptsHexAfterEachPrefix) {
  EXPECT_EQ(ParseWholeNumber(u"$1F"), 31);
  EXPECT_EQ(ParseWholeNumber(u"$1f"), 31);
  EXPECT_EQ(ParseWholeNumber(u"x10"), 16);
  EXPECT_EQ(ParseWholeNumber(u"X10"), 16);
  EXPECT_EQ(ParseWholeNumber(u"0x10"), 16);
  EXPECT_EQ(ParseWholeNumber(u"0XaB"), 171);
  EXPECT_EQ(ParseWholeNumber(u" -$10"), -16);
  EXPECT_EQ(ParseWholeNumber(u"+0x0"), 0);
}

TEST(WholeNumber, RangeIsThatOfASigned32BitInteger) {
  EXPECT_EQ(ParseWholeNumber(u"2147483647"), INT32_MAX);
  EXPECT_EQ(ParseWholeNumber(u"-2147483648"), INT32_MIN);
  EXPECT_EQ(ParseWholeNumber(u"$7FFFFFFF"), INT32_MAX);
  EXPECT_EQ(ParseWholeNumber(u"-0x80000000"), INT32_MIN);
  for (auto text : {u"2147483648", u"-2147483649", u"$80000000", u"0xFFFFFFFF",
                    u"99999999999999999999999", u"-$100000000"})
    EXPECT_FALSE(ParseWholeNumber(text).has_value()) << ToUtf8(text);
}

TEST(WholeNumber, RejectsEverythingElse) {
  for (auto text : {u"",     u" ",   u"-",   u"+",   u"$",   u"x",   u"0x",     u"-$",  u"yes",
                    u"true", u"1 ",  u"1\t", u"\t1", u"1.0", u"1e3", u"12a",    u"ab",  u"$1G",
                    u"0x 1", u"$-1", u"- 1", u"--1", u"1-",  u"0b1", u"\uFF11", u"１２"})
    EXPECT_FALSE(ParseWholeNumber(text).has_value()) << ToUtf8(text);
}

}  // namespace
}  // namespace zandrel
