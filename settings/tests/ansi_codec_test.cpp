#include "settings/ansi_codec.h"

#include <gtest/gtest.h>

#include "core/text.h"
#include "settings/tests/test_bytes.h"

namespace zandrel::settings {
namespace {

using testing::AsBytes;

TEST(AnsiCodec, Windows1251HoldsRussianText) {
  const AnsiCodec& codec = Windows1251Codec();
  const Bytes bytes = AsBytes("\xCF\xF0\xE8\xE2\xE5\xF2, \xEC\xE8\xF0! \xA8\xB8 \xB9 \x88");
  EXPECT_EQ(codec.Decode(bytes), u"Привет, мир! Ёё № €");
  EXPECT_EQ(codec.Encode(u"Привет, мир! Ёё № €"), bytes);
  EXPECT_EQ(codec.Decode(AsBytes("\xC0\xDF\xE0\xFF")), u"АЯая");
}

TEST(AnsiCodec, Windows1252HoldsWesternText) {
  const AnsiCodec& codec = Windows1252Codec();
  const Bytes bytes = AsBytes("Caf\xE9 \x80 \x9F \xFF \xD7");
  EXPECT_EQ(codec.Decode(bytes), u"Café € Ÿ ÿ ×");
  EXPECT_EQ(codec.Encode(u"Café € Ÿ ÿ ×"), bytes);
}

TEST(AnsiCodec, EveryByteRoundTripsIncludingUndefinedOnes) {
  for (const AnsiCodec* codec : {&Windows1251Codec(), &Windows1252Codec()}) {
    Bytes all;
    for (int b = 0; b < 256; ++b) all.push_back(static_cast<std::uint8_t>(b));
    const std::u16string text = codec->Decode(all);
    ASSERT_EQ(text.size(), 256u);
    EXPECT_EQ(codec->Encode(text), all);
  }
  // Undefined bytes become the C1 control of the same value, as on Windows.
  EXPECT_EQ(Windows1251Codec().Decode(AsBytes("\x98")), u"\u0098");
  EXPECT_EQ(Windows1252Codec().Decode(AsBytes("\x81\x8D\x8F\x90\x9D")),
            u"\u0081\u008D\u008F\u0090\u009D");
}

TEST(AnsiCodec, ReportsCharactersOutsideTheCodePage) {
  EXPECT_FALSE(Windows1251Codec().Encode(u"Café"));
  EXPECT_FALSE(Windows1252Codec().Encode(u"Язык"));
  for (const AnsiCodec* codec : {&Windows1251Codec(), &Windows1252Codec()}) {
    EXPECT_FALSE(codec->Encode(u"\U0001F600"));
    EXPECT_FALSE(codec->Encode(std::u16string(1, char16_t(0xD800))));
    EXPECT_FALSE(codec->Encode(u"\u4E00"));
    EXPECT_EQ(codec->Encode(u""), Bytes{});
  }
}

}  // namespace
}  // namespace zandrel::settings
