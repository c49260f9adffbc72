#include "update/package_check.h"

#include <gtest/gtest.h>

#include <string>

#include "tests/support/pe_builder.h"
#include "tests/support/zip_builder.h"
#include "update/release_signature.h"

namespace zandrel::update {
namespace {

ByteView View(const std::string& text) {
  return {reinterpret_cast<const std::uint8_t*>(text.data()), text.size()};
}

constexpr std::size_t kFolder = std::char_traits<char>::length("C:\\Tools\\Zandrel\\");

TEST(UpdatePackages, AnInstallerIsAWindowsExecutableWhosePeHeaderLiesInTheFile) {
  const Bytes module = testing::PeBuilder().Build();
  EXPECT_TRUE(IsWindowsExecutable(module));
  EXPECT_FALSE(IsWindowsExecutable(ByteView(module).first(0x40)));  // header cut off
  Bytes far = module;
  far[0x3C] = 0xF0;
  far[0x3D] = 0xFF;
  EXPECT_FALSE(IsWindowsExecutable(far));
  EXPECT_FALSE(IsWindowsExecutable(View("<!DOCTYPE html><html><body>404</body></html>")));
  EXPECT_FALSE(IsWindowsExecutable(View("MZ")));
}

TEST(UpdatePackages, EveryArchiveEntryMustStayInsideTheProgramFolder) {
  for (const char* safe : {"Zandrel.exe", "Language/English.ini", "Language\\Russian.ini",
                           "Language/", "a..b", "..a", "console/x", "COM10", "Я.txt"})
    EXPECT_TRUE(IsSafeEntryName(View(safe), kFolder)) << safe;
  for (const char* unsafe : {"",
                             "..\\evil.txt",
                             "../evil.txt",
                             "a/../../evil.txt",
                             "a/..",
                             "C:\\evil.txt",
                             "C:evil.txt",
                             "\\evil.txt",
                             "/evil.txt",
                             "\\\\server\\share\\evil.txt",
                             "a//b",
                             "./x",
                             ". ./x",
                             "...",
                             "con.d/x",
                             "file.txt:stream",
                             "NUL",
                             "nul.txt",
                             "CON .txt",
                             "Language/AUX",
                             "com1",
                             "LPT9.log",
                             "COM\xC2\xB9",
                             "CONOUT$",
                             "a*b",
                             "a?b",
                             "a|b",
                             "a\"b",
                             "a<b",
                             "tab\there",
                             "\x7F"})
    EXPECT_FALSE(IsSafeEntryName(View(unsafe), kFolder)) << unsafe;
  // The joined path: at most 260 characters.
  const std::string longest(260 - kFolder, 'a');
  EXPECT_TRUE(IsSafeEntryName(View(longest), kFolder));
  EXPECT_FALSE(IsSafeEntryName(View(longest + "a"), kFolder));

  const Bytes good = testing::MakeZip(
      {{"Zandrel.exe", "MZ"}, {"Language/", ""}, {"Language/English.ini", "[Zandrel]"}});
  EXPECT_EQ(CheckArchive(good, kFolder), ArchiveCheck::kSafe);
  for (const char* evil : {"..\\evil.txt", "C:\\evil.txt"})
    EXPECT_EQ(CheckArchive(testing::MakeZip({{"Zandrel.exe", "MZ"}, {evil, "x"}}), kFolder),
              ArchiveCheck::kUnsafeEntry)
        << evil;
  // A directory that does not read whole within the file.
  EXPECT_EQ(CheckArchive(ByteView(good).first(good.size() - 1), kFolder), ArchiveCheck::kNotAZip);
  Bytes miscounted = good;
  miscounted[good.size() - 14] = 4;  // the end record's counts of entries
  miscounted[good.size() - 12] = 4;
  EXPECT_EQ(CheckArchive(miscounted, kFolder), ArchiveCheck::kNotAZip);
  Bytes beyond = good;
  beyond[good.size() - 5] = 0x7F;  // the directory's offset
  EXPECT_EQ(CheckArchive(beyond, kFolder), ArchiveCheck::kNotAZip);
  EXPECT_EQ(CheckArchive(View("<html><body>PK\x05\x06 Not Found, try again later</body></html>"),
                         kFolder),
            ArchiveCheck::kNotAZip);
}

TEST(UpdateSignatures, TheSignatureFileAndTheKeyTextAreReadStrictly) {
  Bytes signature(64, 0x11);
  EXPECT_TRUE(ParseSignatureFile(signature));
  EXPECT_FALSE(ParseSignatureFile(ByteView(signature).first(63)));
  Bytes longer = signature;
  longer.push_back(0);
  EXPECT_FALSE(ParseSignatureFile(longer));
  Bytes zero_r = signature;
  std::fill(zero_r.begin(), zero_r.begin() + 32, 0);
  EXPECT_FALSE(ParseSignatureFile(zero_r));
  Bytes big_s = signature;
  std::fill(big_s.begin() + 32, big_s.end(), 0xFF);  // above the group's order
  EXPECT_FALSE(ParseSignatureFile(big_s));

  const std::u16string x(64, u'a'), y(64, u'B');
  const auto key = ParsePublicKeyHex(x + y);
  ASSERT_TRUE(key);
  EXPECT_EQ((*key)[0], 0xAA);
  EXPECT_EQ((*key)[63], 0xBB);
  EXPECT_FALSE(ParsePublicKeyHex(u""));  // a build without a key
  EXPECT_FALSE(ParsePublicKeyHex(x + y.substr(1)));
  EXPECT_FALSE(ParsePublicKeyHex(x + y.substr(1) + u"g"));
  EXPECT_FALSE(ParsePublicKeyHex(std::u16string(64, u'f') + y));  // X above the prime
}

}  // namespace
}  // namespace zandrel::update
