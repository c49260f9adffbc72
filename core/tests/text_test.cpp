#include "core/bytes.h"
#include "core/text.h"

#include <gtest/gtest.h>

namespace zandrel {
namespace {

TEST(Utf, RoundTripsCyrillicSymbolsAndSurrogatePairs) {
  const std::u16string text = u"Ошибка ❌ ✓ ℹ️ \U0001F600 end";
  EXPECT_EQ(FromUtf8(ToUtf8(text)), text);
  EXPECT_EQ(ToUtf8(u"Я"), "\xD0\xAF");
}

TEST(Utf, IllFormedInputBecomesReplacementCharacters) {
  EXPECT_EQ(FromUtf8("a\xFF" "b"), u"a\uFFFDb");
  EXPECT_EQ(FromUtf8("\xE2\x9C"), u"\uFFFD");        // truncated sequence
  EXPECT_EQ(FromUtf8("\xC0\x80"), u"\uFFFD");        // overlong encoding
  EXPECT_EQ(FromUtf8("\xED\xA0\x80"), u"\uFFFD");    // encoded surrogate
  EXPECT_EQ(ToUtf8(std::u16string(1, char16_t(0xD800))), "\xEF\xBF\xBD");
}

TEST(Decimal, FormatsAndParsesStrictly) {
  EXPECT_EQ(ToDecimal(0), u"0");
  EXPECT_EQ(ToDecimal(-2147483648LL), u"-2147483648");
  EXPECT_EQ(ToDecimalUnsigned(4294967295ULL), u"4294967295");
  EXPECT_EQ(ParseDecimalInt32(u"101"), 101);
  EXPECT_EQ(ParseDecimalInt32(u"-2147483648"), INT32_MIN);
  EXPECT_EQ(ParseDecimalInt32(u"+7"), 7);
  for (auto bad : {u"", u"-", u" 1", u"1 ", u"$10", u"0x10", u"2147483648", u"1a", u"MAINICON"})
    EXPECT_FALSE(ParseDecimalInt32(bad).has_value()) << ToUtf8(bad);
}

TEST(Trim, RemovesBlanksAndControlsOnly) {
  EXPECT_EQ(Trim(u" \t key = value \r\n"), u"key = value");
  EXPECT_EQ(TrimLeft(u"  a "), u"a ");
  EXPECT_EQ(TrimRight(u"  a "), u"  a");
  EXPECT_EQ(Trim(u"\u00A0x"), u"\u00A0x");  // a no-break space is not a blank here
}

TEST(Bytes, ReadersRefuseToReachPastTheEnd) {
  const std::uint8_t raw[] = {0x01, 0x02, 0x03, 0x04, 0x05};
  ByteView data(raw);
  EXPECT_EQ(ReadU16LE(data, 0), 0x0201);
  EXPECT_EQ(ReadU32LE(data, 1), 0x05040302u);
  EXPECT_EQ(ReadU32BE(data, 0), 0x01020304u);
  EXPECT_FALSE(ReadU32LE(data, 2));
  EXPECT_FALSE(ReadU16LE(data, SIZE_MAX));
  EXPECT_FALSE(ReadU64LE(data, 0));
  EXPECT_FALSE(Slice(data, 4, 2));
  EXPECT_FALSE(Slice(data, 2, SIZE_MAX));
  EXPECT_EQ(Slice(data, 5, 0)->size(), 0u);
}

}  // namespace
}  // namespace zandrel
