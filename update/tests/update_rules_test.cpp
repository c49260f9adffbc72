#include "update/update_rules.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <limits>
#include <stdexcept>
#include <string>
#include <vector>

#include "core/text.h"

namespace zandrel::update {
namespace {

TEST(UpdateVersions, CompareComponentWiseWithMissingAndBadPartsAsZero) {
  struct Case {
    const char16_t* v1;
    const char16_t* v2;
    int expected;
  };
  for (const Case& c : std::vector<Case>{
           {u"1.10", u"1.9", 1}, {u"1.2", u"1.2.0.0", 0}, {u"1.2.0.1", u"1.2", 1},
           {u"2.0", u"10.0", -1}, {u"1.x", u"1.0", 0}, {u"", u"", 0}, {u"1.0", u"", 1},
           {u"1.2.3.4", u"1.2.3.4", 0}, {u"1.2.3.4", u"1.2.3.5", -1},
           {u"1..2", u"1.0.2", 0}, {u"1.", u"1", 0}, {u".1", u"0.1", 0},
           // A blank or control character separates like a dot.
           {u"1 .2", u"1.0.2", 0}, {u"1\t2", u"1.2", 0}, {u"1 2", u"1.3", -1},
           {u"1.-1", u"1.0", -1}, {u"1.+2", u"1.2", 0},
           {u"1.2147483648", u"1.0", 0}, {u"1.2147483647", u"1.2147483646", 1}}) {
    EXPECT_EQ(CompareVersions(c.v1, c.v2), c.expected) << ToUtf8(c.v1) << " vs " << ToUtf8(c.v2);
    EXPECT_EQ(CompareVersions(c.v2, c.v1), -c.expected) << ToUtf8(c.v2) << " vs " << ToUtf8(c.v1);
  }
  EXPECT_EQ(TrimVersionText(u" \r\n\x7F 1.2 beta\t\r\n"), u"1.2 beta");
  EXPECT_EQ(TrimVersionText(u" \t "), u"");
  EXPECT_EQ(TrimVersionText(u"\u00A01.2"), u"\u00A01.2");
}

TEST(UpdateUrls, PackagesFileNamesAndEscapes) {
  const std::u16string base = ProductBase(u"http://host/download/");
  EXPECT_EQ(base, u"http://host/download/Zandrel/");
  EXPECT_EQ(PackageUrl(base, true, PackageBuild::k32Bit),
            u"http://host/download/Zandrel/Zandrel.zip");
  EXPECT_EQ(PackageUrl(base, false, PackageBuild::k32Bit),
            u"http://host/download/Zandrel/Zandrel-setup.exe");
  EXPECT_EQ(PackageUrl(base, true, PackageBuild::k64Bit),
            u"http://host/download/Zandrel/Zandrel-x64.zip");
  EXPECT_EQ(PackageUrl(base, false, PackageBuild::k64Bit),
            u"http://host/download/Zandrel/Zandrel-x64-setup.exe");

  EXPECT_EQ(ExtractUrlFileName(u"http://host/a/Zandrel.zip"), u"Zandrel.zip");
  EXPECT_EQ(ExtractUrlFileName(u"http://host/a/"), u"http://host/a/");
  EXPECT_EQ(ExtractUrlFileName(u"file.zip"), u"file.zip");

  EXPECT_EQ(PercentEncodeUrl(u"http://h:8/a-b_c.~d?x=1&y=2"), u"http://h:8/a-b_c.~d?x=1&y=2");
  EXPECT_EQ(PercentEncodeUrl(u"a b%20c%2fd%zz%4"), u"a%20b%20c%2fd%25zz%254");
  EXPECT_EQ(PercentEncodeUrl(u"*<>#\"{}|\\^[]`+"),
            u"%2A%3C%3E%23%22%7B%7D%7C%5C%5E%5B%5D%60%2B");
  EXPECT_EQ(PercentEncodeUrl(u"\t\x7F%"), u"%09%7F%25");
  EXPECT_EQ(PercentEncodeUrl(u"Я\u00E9"), u"%D0%AF%C3%A9");
  EXPECT_EQ(PercentEncodeUrl(u"\U0001F600"), u"%F0%9F%98%80");
  EXPECT_EQ(PercentEncodeUrl(std::u16string{u'x', char16_t(0xDC00), char16_t(0xD800)}),
            u"x%EF%BF%BD%EF%BF%BD");
}

TEST(UpdateProxy, SplitsAtFirstColonWithDefaultPort) {
  EXPECT_EQ(ParseProxyServer(u"proxy.lan:3128"), (ProxySetting{u"proxy.lan", 3128}));
  EXPECT_EQ(ParseProxyServer(u"proxy.lan:abc"), (ProxySetting{u"proxy.lan", 8080}));
  EXPECT_EQ(ParseProxyServer(u"http=a:1;https=b:2"), (ProxySetting{u"http=a", 8080}));
  EXPECT_EQ(ParseProxyServer(u":80"), (ProxySetting{u"", 80}));
  EXPECT_EQ(ParseProxyServer(u"h:"), (ProxySetting{u"h", 8080}));
  EXPECT_EQ(ParseProxyServer(u"h:-1"), (ProxySetting{u"h", 8080}));
  EXPECT_EQ(ParseProxyServer(u"h:2147483648"), (ProxySetting{u"h", 8080}));
  EXPECT_FALSE(ParseProxyServer(u"proxy.lan").has_value());
  EXPECT_FALSE(ParseProxyServer(u"").has_value());
}

TEST(UpdateProgress, RoundsHalvesToEven) {
  EXPECT_EQ(RoundHalfEven(250, 100), 2);
  EXPECT_EQ(RoundHalfEven(350, 100), 4);
  EXPECT_EQ(RoundHalfEven(251, 100), 3);
  EXPECT_EQ(RoundHalfEven(49, 100), 0);
  EXPECT_EQ(RoundHalfEven(-250, 100), -2);
  EXPECT_EQ(RoundHalfEven(-351, 100), -4);
  EXPECT_EQ(RoundHalfEven(350, -100), -4);
  EXPECT_EQ(RoundHalfEven(-5, -2), 2);
  EXPECT_EQ(RoundHalfEven(7, 0), 0);
  constexpr std::int64_t kMin = std::numeric_limits<std::int64_t>::min();
  constexpr std::int64_t kMax = std::numeric_limits<std::int64_t>::max();
  EXPECT_EQ(RoundHalfEven(kMin, -1), kMax);
  EXPECT_EQ(RoundHalfEven(kMin, 2), kMin / 2);
  EXPECT_EQ(RoundHalfEven(kMax, kMin), -1);
  EXPECT_EQ(RoundHalfEven(kMin, kMax), -1);
  EXPECT_EQ(RoundHalfEven(kMax, kMax - 1), 1);
}

TEST(UpdateInstall, InstallerParametersAndScript) {
  EXPECT_EQ(InstallerParameters(u"Russian"),
            u"/SILENT /CLOSEAPPLICATIONS /SUPPRESSMSGBOXES /LANG=Russian /MERGETASKS=\"runcmd1\"");
  EXPECT_EQ(UpdateScriptName(9, 5, 0), u"update_090500.bat");
  EXPECT_EQ(UpdateScriptName(23, 59, 10), u"update_235910.bat");

  const std::vector<std::u16string> expected = {
      u"@echo off",
      u"cd /d \"C:\\Tools\\Zandrel\\\"",
      u"",
      u"echo Killing app...",
      u"taskkill /F /IM \"Zandrel.exe\" >nul 2>&1",
      u"timeout /t 2 >nul",
      u"",
      u"echo Extracting...",
      u"powershell -Command \"Add-Type -AssemblyName System.IO.Compression.FileSystem; $root = "
      u"[System.IO.Path]::GetFullPath('.').TrimEnd('\\') + '\\'; $zip = "
      u"[System.IO.Compression.ZipFile]::OpenRead('Zandrel.zip'); foreach ($entry in "
      u"$zip.Entries) { try { $target = [System.IO.Path]::GetFullPath("
      u"[System.IO.Path]::Combine($root, $entry.FullName)); if (-not $target.StartsWith($root, "
      u"[System.StringComparison]::OrdinalIgnoreCase)) { throw 'outside the program folder' }; "
      u"if (-not $entry.Name) { [System.IO.Directory]::CreateDirectory($target) | Out-Null; } "
      u"else { [System.IO.Compression.ZipFileExtensions]::ExtractToFile($entry, $target, $true) "
      u"} } catch { Write-Host ('Skipping: ' + $entry.FullName) } }; $zip.Dispose(); Write-Host "
      u"'Extraction complete'\"",
      u"",
      u"echo Deleting ZIP...",
      u"del \"Zandrel.zip\"",
      u"",
      u"echo Starting app...",
      u"start \"\" \"Zandrel.exe\"",
      u"",
      u"echo Done",
      u"timeout /t 2 >nul",
      u"del \"%~f0\""};
  for (const std::u16string folder : {u"C:\\Tools\\Zandrel\\", u"C:\\Tools\\Zandrel"}) {
    const std::u16string text = UpdateScriptText(folder, u"Zandrel.exe", u"Zandrel.zip");
    std::vector<std::u16string> lines;
    std::size_t start = 0;
    for (std::size_t end; (end = text.find(u"\r\n", start)) != std::u16string::npos;
         start = end + 2)
      lines.emplace_back(text.substr(start, end - start));
    EXPECT_EQ(start, text.size()) << "the last line ends in CR LF";
    EXPECT_EQ(lines, expected);
  }

  // A '%' would be expanded by the command processor: doubled, it stays.
  // Quotes in the archive's name are doubled inside PowerShell's.
  const std::u16string odd = UpdateScriptText(u"C:\\100%\\", u"Z%PATH%.exe", u"it's.zip");
  EXPECT_NE(odd.find(u"cd /d \"C:\\100%%\\\"\r\n"), std::u16string::npos);
  EXPECT_NE(odd.find(u"start \"\" \"Z%%PATH%%.exe\"\r\n"), std::u16string::npos);
  EXPECT_NE(odd.find(u"OpenRead('it''s.zip')"), std::u16string::npos);
  // A name that would end the quotes, or a path given for a file name.
  EXPECT_THROW(UpdateScriptText(u"C:\\a\" & calc", u"Zandrel.exe", u"Zandrel.zip"),
               std::invalid_argument);
  EXPECT_THROW(UpdateScriptText(u"C:\\a\r\nx", u"Zandrel.exe", u"Zandrel.zip"),
               std::invalid_argument);
  EXPECT_THROW(UpdateScriptText(u"C:\\a\\", u"..\\Zandrel.exe", u"Zandrel.zip"),
               std::invalid_argument);
}

}  // namespace
}  // namespace zandrel::update
