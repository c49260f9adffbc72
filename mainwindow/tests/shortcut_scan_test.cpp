#include "mainwindow/shortcut_scan.h"

#include <gtest/gtest.h>

#include <string>

#include "core/file_io.h"
#include "tests/support/temp_folder.h"

namespace zandrel::mainwindow {
namespace {

// `size` filler bytes (0x01, which ends single-byte text) with `text` at `at`.
Bytes WithText(std::size_t size, std::size_t at, std::string_view text) {
  Bytes data(size, 0x01);
  for (std::size_t i = 0; i < text.size() && at + i < size; ++i)
    data[at + i] = static_cast<std::uint8_t>(text[i]);
  return data;
}

// The same with `text` stored as UTF-16 LE code units and a zero terminator.
Bytes WithWideText(std::size_t size, std::size_t at, std::u16string_view text) {
  Bytes data(size, 0x01);
  const std::u16string terminated = std::u16string(text) + u'\0';
  for (std::size_t i = 0; i < terminated.size() && at + 2 * i + 1 < size; ++i) {
    data[at + 2 * i] = static_cast<std::uint8_t>(terminated[i] & 0xFF);
    data[at + 2 * i + 1] = static_cast<std::uint8_t>(terminated[i] >> 8);
  }
  return data;
}

TEST(ShortcutScan, SingleBytePassFindsModulePathsOnDrivesCDE) {
  EXPECT_EQ(ScanShortcutBytes(WithText(200, 20, "C:\\Apps\\tool.exe")), u"C:\\Apps\\tool.exe");
  EXPECT_EQ(ScanShortcutBytes(WithText(200, 7, "D:\\x\\lib.DLL")), u"D:\\x\\lib.DLL");
  EXPECT_EQ(ScanShortcutBytes(WithText(200, 0, "E:\\a.exe.lnk")), u"E:\\a.exe.lnk");
  // Only upper-case C, D and E count, and the path must name an exe or dll.
  EXPECT_EQ(ScanShortcutBytes(WithText(200, 20, "F:\\Apps\\tool.exe")), u"");
  EXPECT_EQ(ScanShortcutBytes(WithText(200, 20, "c:\\Apps\\tool.exe")), u"");
  EXPECT_EQ(ScanShortcutBytes(WithText(200, 20, "C:/Apps/tool.exe")), u"");
  EXPECT_EQ(ScanShortcutBytes(WithText(200, 20, "C:\\Docs\\readme.txt")), u"");

  // A first candidate without a module name is passed over for a later one.
  Bytes two = WithText(200, 10, "C:\\Docs\\readme.txt");
  const std::string later = "D:\\Bin\\run.exe";
  std::copy(later.begin(), later.end(), two.begin() + 60);
  EXPECT_EQ(ScanShortcutBytes(two), u"D:\\Bin\\run.exe");

  // Bytes above 127 become the characters with the same codes.
  EXPECT_EQ(ScanShortcutBytes(WithText(200, 0, "C:\\\xcf\xf0\\a.exe")), u"C:\\\u00cf\u00f0\\a.exe");
}

TEST(ShortcutScan, SingleBytePassIsBoundedByTheData) {
  // Fewer than 50 bytes: no pass at all.
  EXPECT_EQ(ScanShortcutBytes(WithText(49, 0, "C:\\a.exe")), u"");
  EXPECT_EQ(ScanShortcutBytes(WithText(50, 0, "C:\\a.exe")), u"C:\\a.exe");
  // A path may start at n - 50 at the latest and then runs to the end of the data.
  const std::string tail = "C:\\long\\" + std::string(38, 'x') + ".exe";  // 50 bytes
  EXPECT_EQ(ScanShortcutBytes(WithText(150, 100, tail)), std::u16string(tail.begin(), tail.end()));
  EXPECT_EQ(ScanShortcutBytes(WithText(150, 101, "C:\\a.exe")), u"");
  EXPECT_EQ(ScanShortcutBytes(Bytes{}), u"");
}

TEST(ShortcutScan, TwoBytePassReadsUtf16Text) {
  const std::u16string path = u"C:\\Program Files\\App\\app.exe";
  EXPECT_EQ(ScanShortcutBytes(WithWideText(300, 40, path)), path);
  // Only even positions are tried.
  EXPECT_EQ(ScanShortcutBytes(WithWideText(300, 41, path)), u"");
  // The bytes between drive, colon and backslash are not looked at, and
  // zero-first-byte pairs add nothing.
  Bytes odd = WithWideText(300, 0, u"E:\\\u4100\u4100x.dll");
  odd[1] = 'Z';
  odd[3] = 'Z';
  EXPECT_EQ(ScanShortcutBytes(odd), u"E:\\x.dll");
  // A non-ASCII unit contributes its low byte only.
  EXPECT_EQ(ScanShortcutBytes(WithWideText(300, 0, u"D:\\\u041f.exe")), u"D:\\\u001f.exe");
}

TEST(ShortcutScan, TwoBytePassIsBoundedByTheData) {
  const std::u16string path = u"C:\\a.dll";
  EXPECT_EQ(ScanShortcutBytes(WithWideText(99, 0, path)), u"");
  EXPECT_EQ(ScanShortcutBytes(WithWideText(100, 0, path)), path);
  // Text running to the end of odd-sized data stops at the last whole pair.
  Bytes to_end = WithWideText(101, 0, path);
  for (std::size_t i = 2 * path.size(); i < to_end.size(); ++i) to_end[i] = 'x';
  const std::u16string found = ScanShortcutBytes(to_end);
  EXPECT_EQ(found, path + std::u16string((101 - 2 * path.size()) / 2, u'x'));
}

TEST(ShortcutScan, SingleByteTextWinsOverUtf16Text) {
  Bytes data = WithWideText(400, 0, u"C:\\wide.exe");
  const std::string narrow = "D:\\narrow.exe";
  std::copy(narrow.begin(), narrow.end(), data.begin() + 200);
  EXPECT_EQ(ScanShortcutBytes(data), u"D:\\narrow.exe");
}

TEST(ShortcutScan, FileScanReadsOnlyTheFirst8192Bytes) {
  testing::TempFolder dir;
  const std::u16string early = dir.path() + u"\\early.lnk";
  const std::u16string late = dir.path() + u"\\late.lnk";
  WriteFileAtomically(early, WithText(kShortcutScanBytes + 500, 8000, "C:\\x\\early.exe"));
  WriteFileAtomically(late, WithText(kShortcutScanBytes + 500, 8200, "C:\\x\\late.exe"));
  EXPECT_EQ(ScanShortcutBytes(early), u"C:\\x\\early.exe");
  EXPECT_EQ(ScanShortcutBytes(late), u"");
  EXPECT_EQ(ScanShortcutBytes(dir.path() + u"\\missing.lnk"), u"");
}

}  // namespace
}  // namespace zandrel::mainwindow
