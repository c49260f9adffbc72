#include "settings/win32/ansi_codec_win32.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <string>

#include "settings/ansi_codec.h"
#include "settings/ini_document.h"
#include "tests/support/temp_folder.h"

namespace zandrel::settings {
namespace {

bool SingleByteCodePage() {
  CPINFO info{};
  return GetCPInfo(CP_ACP, &info) && info.MaxCharSize == 1;
}

TEST(SystemAnsiCodec, AgreesWithOurTablesForTheirCodePages) {
  const UINT acp = GetACP();
  if (acp != 1251 && acp != 1252) GTEST_SKIP() << "system code page " << acp;
  const AnsiCodec& table = acp == 1251 ? Windows1251Codec() : Windows1252Codec();
  for (int b = 0; b < 256; ++b) {
    const Bytes byte{static_cast<std::uint8_t>(b)};
    const std::u16string text = SystemAnsiCodec().Decode(byte);
    EXPECT_EQ(text, table.Decode(byte)) << "byte " << b;
    EXPECT_EQ(SystemAnsiCodec().Encode(text), byte) << "byte " << b;
  }
}

TEST(SystemAnsiCodec, RoundTripsAsciiAndEmptyText) {
  const std::u16string text = u"[Option]\r\nEditPathExtract=C:\\Out\r\n";
  const std::optional<Bytes> bytes = SystemAnsiCodec().Encode(text);
  ASSERT_TRUE(bytes);
  EXPECT_EQ(bytes->size(), text.size());
  EXPECT_EQ(SystemAnsiCodec().Decode(*bytes), text);
  EXPECT_EQ(SystemAnsiCodec().Encode(u""), Bytes{});
  EXPECT_EQ(SystemAnsiCodec().Decode(Bytes{}), u"");
}

TEST(SystemAnsiCodec, ReportsWhatTheCodePageCannotHold) {
  EXPECT_FALSE(SystemAnsiCodec().Encode(u"a" + std::u16string(1, char16_t(0xD800)) + u"b"));
  if (!SingleByteCodePage()) GTEST_SKIP() << "multi-byte system code page " << GetACP();
  // No best-fit look-alikes: a CJK character and a Latin letter with macron
  // have no place in any single-byte code page.
  EXPECT_FALSE(SystemAnsiCodec().Encode(u"\u4E00"));
  if (GetACP() == 1251 || GetACP() == 1252) {
    EXPECT_FALSE(SystemAnsiCodec().Encode(u"\u0100"));
  }
}

TEST(SystemAnsiCodec, SettingsKeepEveryCharacterWhateverTheCodePage) {
  zandrel::testing::TempFolder dir;
  const std::u16string path = dir.path() + u"\\Option.ini";
  IniDocument doc = LoadIniFile(path, SystemAnsiCodec());
  EXPECT_EQ(doc.encoding(), IniEncoding::kAnsi);
  doc.WriteString(u"Option", u"EditPathExtract", u"C:\\Users\\Иван\\図\\Zandrel");
  doc.WriteBool(u"Option", u"ThemeDark", true);
  SaveIniFile(path, doc);
  const IniDocument reread = LoadIniFile(path, SystemAnsiCodec());
  EXPECT_EQ(reread.ReadString(u"Option", u"EditPathExtract", u""), u"C:\\Users\\Иван\\図\\Zandrel");
  EXPECT_TRUE(reread.ReadBool(u"Option", u"ThemeDark", false));
}

}  // namespace
}  // namespace zandrel::settings
