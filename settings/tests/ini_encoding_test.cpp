#include <gtest/gtest.h>

#include <random>
#include <string>

#include "settings/ansi_codec.h"
#include "settings/ini_document.h"
#include "settings/tests/test_bytes.h"

namespace zandrel::settings {
namespace {

using testing::AsBytes;
using testing::AsString;
using testing::Utf16Units;

Bytes WithBom(std::string_view bom, const Bytes& body) {
  Bytes out = AsBytes(bom);
  out.insert(out.end(), body.begin(), body.end());
  return out;
}

struct Utf16Case {
  const char* name;
  bool big_endian;
  std::string_view bom;
  IniEncoding encoding;
};

class IniUtf16 : public ::testing::TestWithParam<Utf16Case> {};

TEST_P(IniUtf16, KeepsEncodingAndMarkAfterAChange) {
  const Utf16Case& c = GetParam();
  const Bytes file = WithBom(
      c.bom,
      Utf16Units(u"[Language]\r\nLanguage=Русский\r\n[Option]\r\nThemeDark=1\r\n", c.big_endian));
  IniDocument doc = IniDocument::FromBytes(file, Windows1252Codec());
  EXPECT_EQ(doc.encoding(), c.encoding);
  EXPECT_EQ(doc.ReadString(u"Language", u"Language", u""), u"Русский");
  EXPECT_TRUE(doc.ReadBool(u"Option", u"ThemeDark", false));

  doc.WriteString(u"Language", u"Language", u"Українська \U0001F600");
  doc.WriteBool(u"Option", u"ThemeDark", false);
  EXPECT_EQ(doc.ToBytes(),
            WithBom(c.bom, Utf16Units(u"[Language]\r\nLanguage=Українська \U0001F600\r\n"
                                      u"[Option]\r\nThemeDark=0\r\n",
                                      c.big_endian)));
}

INSTANTIATE_TEST_SUITE_P(
    ByteOrders, IniUtf16,
    ::testing::Values(Utf16Case{"LittleEndian", false, "\xFF\xFE", IniEncoding::kUtf16LeBom},
                      Utf16Case{"BigEndian", true, "\xFE\xFF", IniEncoding::kUtf16BeBom}),
    [](const ::testing::TestParamInfo<Utf16Case>& param_info) { return param_info.param.name; });

TEST(IniEncoding, Utf8WithMarkIsReadAndWrittenAsUtf8) {
  IniDocument doc = IniDocument::FromBytes(
      AsBytes("\xEF\xBB\xBF[Zandrel]\nForm1.Caption=\xD0\x9E\xD0\xB1\xD0\xB7\xD0\xBE\xD1\x80\n"),
      Windows1252Codec());
  EXPECT_EQ(doc.encoding(), IniEncoding::kUtf8Bom);
  EXPECT_EQ(doc.ReadString(u"Zandrel", u"Form1.Caption", u""), u"Обзор");
  doc.WriteString(u"Zandrel", u"Form1.Hint", u"Ж");
  EXPECT_EQ(AsString(doc.ToBytes()),
            "\xEF\xBB\xBF[Zandrel]\r\nForm1.Caption=\xD0\x9E\xD0\xB1\xD0\xB7\xD0\xBE\xD1\x80\r\n"
            "Form1.Hint=\xD0\x96\r\n");
}

TEST(IniEncoding, AnsiFilesGoThroughTheCodec) {
  const Bytes file = AsBytes("[Language information]\r\nLANGNAME=\xD0\xF3\xF1\xF1\xEA\xE8\xE9\r\n");
  IniDocument doc = IniDocument::FromBytes(file, Windows1251Codec());
  EXPECT_EQ(doc.encoding(), IniEncoding::kAnsi);
  EXPECT_EQ(doc.ReadString(u"Language information", u"LANGNAME", u""), u"Русский");
  EXPECT_EQ(doc.ToBytes(), file);
  doc.WriteString(u"Language information", u"LANGNAME", u"Ёж");
  EXPECT_EQ(AsString(doc.ToBytes()), "[Language information]\r\nLANGNAME=\xA8\xE6\r\n");
}

// Notepad saves UTF-8 without a mark: well-formed UTF-8 with a character
// beyond ASCII is read and written back so; anything short of that is ANSI.
TEST(IniEncoding, Utf8WithoutMarkIsKnownByItsBytes) {
  // "При ✓ 😀": two-, three- and four-byte sequences.
  const Bytes file = AsBytes("[S]\r\nk=\xD0\x9F\xD1\x80\xD0\xB8 \xE2\x9C\x93 \xF0\x9F\x98\x80\r\n");
  IniDocument doc = IniDocument::FromBytes(file, Windows1251Codec());
  EXPECT_EQ(doc.encoding(), IniEncoding::kUtf8);
  EXPECT_EQ(doc.ReadString(u"S", u"k", u""), u"При ✓ \U0001F600");
  EXPECT_EQ(doc.ToBytes(), file);
  doc.WriteString(u"S", u"m", u"Ж");
  EXPECT_EQ(AsString(doc.ToBytes()), AsString(file) + "m=\xD0\x96\r\n");

  for (const std::string_view ansi : {
           "k=\xCF\xF0\xE8",  // "При" in Windows-1251
           "k=ASCII only",
           "k=\xC0\xAF",          // an overlong "/"
           "k=\xED\xA0\x80",      // a surrogate
           "k=\xF4\x90\x80\x80",  // beyond U+10FFFF
           "k=\xD0\x9F\xD1",      // cut short
       })
    EXPECT_EQ(IniDocument::FromBytes(AsBytes("[S]\r\n" + std::string(ansi)), Windows1251Codec())
                  .encoding(),
              IniEncoding::kAnsi)
        << ansi;

  // ANSI text whose bytes would read back as UTF-8 once the line that told
  // them apart is gone ("Рђ" in Windows-1251 is "А" in UTF-8) keeps its text
  // in UTF-16.
  const IniDocument ansi =
      IniDocument::FromBytes(AsBytes("[S]\r\n; \xFF\r\nk=\xD0\x90\r\n"), Windows1251Codec());
  ASSERT_EQ(ansi.encoding(), IniEncoding::kAnsi);
  const IniDocument rewritten =
      IniDocument::FromBytes(ansi.ToBytes(IniLayout::kEntriesOnly), Windows1251Codec());
  EXPECT_EQ(rewritten.ReadString(u"S", u"k", u""), u"Рђ");
}

TEST(IniEncoding, TextTheCodePageCannotHoldSwitchesToUtf16InsteadOfLosingIt) {
  IniDocument doc =
      IniDocument::FromBytes(AsBytes("[Option]\r\nThemeDark=1\r\n"), Windows1252Codec());
  doc.WriteString(u"Option", u"EditPathExtract", u"C:\\Users\\Иван\\Pictures\\Zandrel");
  const Bytes saved = doc.ToBytes();
  ASSERT_GE(saved.size(), 2u);
  EXPECT_EQ(saved[0], 0xFF);
  EXPECT_EQ(saved[1], 0xFE);
  const IniDocument reread = IniDocument::FromBytes(saved, Windows1252Codec());
  EXPECT_EQ(reread.encoding(), IniEncoding::kUtf16LeBom);
  EXPECT_EQ(reread.ReadString(u"Option", u"EditPathExtract", u""),
            u"C:\\Users\\Иван\\Pictures\\Zandrel");
  EXPECT_TRUE(reread.ReadBool(u"Option", u"ThemeDark", false));
}

TEST(IniEncoding, LoneSurrogatesSurviveUnchanged) {
  // Windows file names may hold unpaired surrogates; UTF-16 keeps them as they are.
  const std::u16string name =
      u"a" + std::u16string(1, char16_t(0xDC01)) + u"b" + std::u16string(1, char16_t(0xD800));
  const Bytes file = WithBom("\xFF\xFE", Utf16Units(u"[S]\r\nk=" + name + u"\r\n", false));
  const IniDocument utf16 = IniDocument::FromBytes(file, Windows1252Codec());
  EXPECT_EQ(utf16.ReadString(u"S", u"k", u""), name);
  EXPECT_EQ(utf16.ToBytes(), file);

  // UTF-8 cannot carry them, so such a document is written as UTF-16.
  IniDocument utf8 = IniDocument::FromBytes(AsBytes("\xEF\xBB\xBF[S]\r\n"), Windows1252Codec());
  utf8.WriteString(u"S", u"k", name);
  EXPECT_EQ(utf8.ToBytes(), file);
}

TEST(IniEncoding, MalformedInputStillGivesADocument) {
  // Odd byte count after a UTF-16 mark: the half unit at the end becomes U+FFFD.
  Bytes odd = WithBom("\xFF\xFE", Utf16Units(u"[S]\r\nk=1\r\nv=2", false));
  odd.push_back(0x41);
  const IniDocument doc = IniDocument::FromBytes(odd, Windows1252Codec());
  EXPECT_EQ(doc.ReadString(u"S", u"k", u""), u"1");
  EXPECT_EQ(doc.ReadString(u"S", u"v", u""), u"2\uFFFD");
  EXPECT_EQ(IniDocument::FromBytes(AsBytes("\xFF"), Windows1252Codec()).SectionNames().size(), 0u);
  EXPECT_EQ(IniDocument::FromBytes(AsBytes("\xFE\xFF\x00"), Windows1252Codec()).encoding(),
            IniEncoding::kUtf16BeBom);

  // A mark alone is an empty document that keeps its encoding.
  IniDocument bom_only = IniDocument::FromBytes(AsBytes("\xEF\xBB\xBF"), Windows1252Codec());
  EXPECT_TRUE(bom_only.SectionNames().empty());
  bom_only.WriteBool(u"S", u"k", true);
  EXPECT_EQ(AsString(bom_only.ToBytes()), "\xEF\xBB\xBF[S]\r\nk=1\r\n");

  // Broken UTF-8 after the mark becomes U+FFFD, the rest is read.
  const IniDocument bad_utf8 =
      IniDocument::FromBytes(AsBytes("\xEF\xBB\xBF[S]\nk=\xC3\nn=\xE2\x82\n"), Windows1252Codec());
  EXPECT_EQ(bad_utf8.ReadString(u"S", u"k", u""), u"\uFFFD");
  EXPECT_EQ(bad_utf8.ReadString(u"S", u"n", u""), u"\uFFFD");
}

TEST(IniEncoding, NulBytesAreOrdinaryCharacters) {
  constexpr char kRaw[] = "\0[S]\0\r\nk=a\0b\r\n\0\0\0\r\nm=\0\r\n";
  const std::string text(kRaw, sizeof kRaw - 1);
  const IniDocument doc = IniDocument::FromBytes(AsBytes(text), Windows1252Codec());
  // NUL is a control character, so it is trimmed at line ends like a blank.
  EXPECT_TRUE(doc.HasSection(u"S"));
  EXPECT_EQ(doc.ReadString(u"S", u"k", u""), std::u16string(u"a\0b", 3));
  EXPECT_EQ(doc.Find(u"S", u"m"), u"");
  EXPECT_EQ(doc.ToBytes(), AsBytes(text));
}

TEST(IniEncoding, AVeryLongLineIsReadAndWrittenWhole) {
  const std::string value(10 * 1024 * 1024, 'x');
  const Bytes file = AsBytes("[S]\r\nk=" + value + "\r\n[T]\r\nm=1\r\n");
  IniDocument doc = IniDocument::FromBytes(file, Windows1252Codec());
  EXPECT_EQ(doc.ReadString(u"S", u"k", u"").size(), value.size());
  EXPECT_EQ(doc.ReadString(u"T", u"m", u""), u"1");
  EXPECT_EQ(doc.ToBytes(), file);

  // The same length without any line break or "=".
  const IniDocument junk = IniDocument::FromBytes(
      AsBytes("[S]\n" + std::string(10 * 1024 * 1024, ';')), Windows1252Codec());
  EXPECT_TRUE(junk.KeyNames(u"S").empty());
}

// Random bytes behind every kind of mark: reading never fails, and a document
// read back from its own output writes the same bytes again.
TEST(IniEncoding, RandomBytesReadAndRewriteStably) {
  std::mt19937 rng(20240611);
  const std::string_view marks[] = {"", "\xEF\xBB\xBF", "\xFF\xFE", "\xFE\xFF"};
  constexpr char kAlphabet[] = "[]=;\r\n \t\0abcAB\xD0\xFF\xFE\x80";
  const std::string alphabet(kAlphabet, sizeof kAlphabet - 1);
  for (int round = 0; round < 400; ++round) {
    Bytes bytes = AsBytes(marks[round % 4]);
    const std::size_t length = rng() % 200;
    for (std::size_t i = 0; i < length; ++i)
      bytes.push_back(round % 8 < 4 ? static_cast<std::uint8_t>(alphabet[rng() % alphabet.size()])
                                    : static_cast<std::uint8_t>(rng()));
    const IniDocument first = IniDocument::FromBytes(bytes, Windows1251Codec());
    const Bytes saved = first.ToBytes();
    const IniDocument second = IniDocument::FromBytes(saved, Windows1251Codec());
    ASSERT_EQ(second.ToBytes(), saved) << "round " << round;
    ASSERT_EQ(second.SectionNames(), first.SectionNames()) << "round " << round;
    for (const std::u16string& section : first.SectionNames())
      ASSERT_EQ(second.KeyNames(section), first.KeyNames(section)) << "round " << round;
    ASSERT_EQ(AsString(second.ToBytes(IniLayout::kEntriesOnly)),
              AsString(first.ToBytes(IniLayout::kEntriesOnly)));
  }
}

}  // namespace
}  // namespace zandrel::settings
