// The rules that turn a version-information block into the texts the
// program shows: the FileVersion tidy-up, the string-table key, the fixed
// version numbers.

#include <string>

#include <gtest/gtest.h>

#include "core/version_text.h"
#include "core/text.h"

namespace zandrel {
namespace {

std::string Normalized(std::u16string_view text) {
  return ToUtf8(NormalizeFileVersion(text));
}

// before + a null character + after, as a stored value may look.
std::u16string WithNull(std::u16string_view before, std::u16string_view after) {
  std::u16string text(before);
  text.push_back(u'\0');
  text += after;
  return text;
}

TEST(NormalizeFileVersion, KeepsDigitsAndSingleDots) {
  EXPECT_EQ(Normalized(u"1.2.3.4"), "1.2.3.4");
  EXPECT_EQ(Normalized(u"10.0.19041.1"), "10.0.19041.1");
  EXPECT_EQ(Normalized(u"7"), "7");
}

TEST(NormalizeFileVersion, CommasAndSpacesBecomeDots) {
  EXPECT_EQ(Normalized(u"1, 2, 3, 4"), "1.2.3.4");
  EXPECT_EQ(Normalized(u"1,2,3,4"), "1.2.3.4");
  EXPECT_EQ(Normalized(u"  1 . 2 .3  "), "1.2.3");
  EXPECT_EQ(Normalized(u"1 2"), "12");  // a space is skipped, not a separator
}

TEST(NormalizeFileVersion, RunsOfSeparatorsCollapse) {
  EXPECT_EQ(Normalized(u"1..2"), "1.2");
  EXPECT_EQ(Normalized(u"1.,.,2"), "1.2");
  EXPECT_EQ(Normalized(u"1. ,2"), "1.2");
}

TEST(NormalizeFileVersion, LeadingAndTrailingSeparatorsAreDropped) {
  EXPECT_EQ(Normalized(u",1.2"), "1.2");
  EXPECT_EQ(Normalized(u"..1.2"), "1.2");
  EXPECT_EQ(Normalized(u"1.2."), "1.2");
  EXPECT_EQ(Normalized(u"1.2 ."), "1.2");
}

TEST(NormalizeFileVersion, OtherCharactersEndTheScan) {
  EXPECT_EQ(Normalized(u"1.2.3.4 (beta)"), "1.2.3.4");
  EXPECT_EQ(Normalized(u"1.2.3.4 (beta) 5"), "1.2.3.4");
  EXPECT_EQ(Normalized(u"2.5b3"), "2.5");
  EXPECT_EQ(Normalized(u"2.5-rc1"), "2.5");
  // Only one trailing dot goes: the scan already merged the run.
  EXPECT_EQ(Normalized(u"3.1.x"), "3.1");
  // The count of a string value may include its terminating null, and
  // bytes after it must not be read as more version.
  EXPECT_EQ(Normalized(WithNull(u"1.2", u"9.9")), "1.2");
  // Fullwidth digits are not ASCII digits.
  EXPECT_EQ(Normalized(u"1.\uFF12"), "1");
}

TEST(NormalizeFileVersion, NothingUsableGivesEmpty) {
  EXPECT_EQ(Normalized(u""), "");
  EXPECT_EQ(Normalized(u"v1.2"), "");
  EXPECT_EQ(Normalized(u"   "), "");
  EXPECT_EQ(Normalized(u".,."), "");
  EXPECT_EQ(Normalized(WithNull(u"", u"1.2")), "");
}

TEST(TranslationKey, FormatsFourUpperCaseHexDigitsEach) {
  EXPECT_EQ(ToUtf8(FormatTranslationKey(0x0409, 1252)), "040904E4");
  EXPECT_EQ(ToUtf8(FormatTranslationKey(0x0419, 0x04E3)), "041904E3");
  EXPECT_EQ(ToUtf8(FormatTranslationKey(0xABCD, 0x00EF)), "ABCD00EF");
  EXPECT_EQ(ToUtf8(FormatTranslationKey(0xFFFF, 0xFFFF)), "FFFFFFFF");
  EXPECT_EQ(ToUtf8(FormatTranslationKey(0x0000, 0x04B0)), "000004B0");
  EXPECT_EQ(ToUtf8(FormatTranslationKey(0x0409, 0x0000)), "04090000");
}

TEST(TranslationKey, NeutralEntryFallsBackToUsEnglish) {
  EXPECT_EQ(ToUtf8(FormatTranslationKey(0, 0)), "040904E4");
}

TEST(TranslationKey, TakesFirstEntryOfTheValueBytes) {
  const Bytes one = {0x19, 0x04, 0xE3, 0x04};
  EXPECT_EQ(ToUtf8(TranslationKeyFromValue(one)), "041904E3");
  const Bytes two = {0x07, 0x04, 0xB0, 0x04, 0x09, 0x04, 0xE4, 0x04};
  EXPECT_EQ(ToUtf8(TranslationKeyFromValue(two)), "040704B0");
  const Bytes zero = {0, 0, 0, 0};
  EXPECT_EQ(ToUtf8(TranslationKeyFromValue(zero)), "040904E4");
}

TEST(TranslationKey, ShortValueFallsBackToUsEnglish) {
  const Bytes three = {0x19, 0x04, 0xE3};
  EXPECT_EQ(ToUtf8(TranslationKeyFromValue(three)), "040904E4");
  EXPECT_EQ(ToUtf8(TranslationKeyFromValue(ByteView())), "040904E4");
}

TEST(StringValuePath, JoinsTableKeyAndName) {
  EXPECT_EQ(ToUtf8(StringValuePath(u"040904E4", u"FileVersion")),
            "\\StringFileInfo\\040904E4\\FileVersion");
}

TEST(FixedVersion, WritesFourUnsignedWords) {
  EXPECT_EQ(ToUtf8(FormatFixedVersion(0x00010002, 0x00000000)), "1.2.0.0");
  EXPECT_EQ(ToUtf8(FormatFixedVersion(0x000A0000, 0x4A610001)), "10.0.19041.1");
  EXPECT_EQ(ToUtf8(FormatFixedVersion(0xFFFF8000, 0x7FFF0001)), "65535.32768.32767.1");
}

TEST(FixedVersion, ReadsTheRootValue) {
  // VS_FIXEDFILEINFO: signature, struct version, file version MS, LS, ...
  Bytes root;
  AppendU32LE(root, 0xFEEF04BD);
  AppendU32LE(root, 0x00010000);
  AppendU32LE(root, 0x00030004);
  AppendU32LE(root, 0x00050006);
  EXPECT_EQ(ToUtf8(FixedVersionFromRoot(root)), "3.4.5.6");
  root.pop_back();
  EXPECT_EQ(ToUtf8(FixedVersionFromRoot(root)), "");
  EXPECT_EQ(ToUtf8(FixedVersionFromRoot(ByteView())), "");
}

TEST(TextUpToNull, StopsAtFirstNullOrTakesAll) {
  EXPECT_EQ(ToUtf8(TextUpToNull(WithNull(u"  a b  ", u"x"))), "  a b  ");
  EXPECT_EQ(ToUtf8(TextUpToNull(u"no null")), "no null");
  EXPECT_EQ(ToUtf8(TextUpToNull(WithNull(u"", u"abc"))), "");
}

}  // namespace
}  // namespace zandrel
