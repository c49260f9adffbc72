#pragma once
// The text and number rules of the update check: package names, comparing the
// published version with ours, the download address and its file name, the
// proxy setting, the progress bar steps, the installer's command line and the
// batch file that unpacks a portable package over the running copy. No Win32
// calls here; the update window does the downloading and starting.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "config/build_target.h"

namespace zandrel::update {

// The product folder on the servers and the base of the package names.
std::u16string GetAppPrefix();

// The packages of a release: the 32-bit program's and the 64-bit program's
// lie side by side in the one product folder, under one version file.
enum class PackageBuild { k32Bit, k64Bit };
inline constexpr PackageBuild kThisBuild =
    config::kProgramBits == 64 ? PackageBuild::k64Bit : PackageBuild::k32Bit;

// "Zandrel-setup.exe" ("Zandrel-x64-setup.exe"), the installer package.
std::u16string GetSetupName(PackageBuild build = kThisBuild);
// "Zandrel.zip" ("Zandrel-x64.zip"), the portable package.
std::u16string GetZipName(PackageBuild build = kThisBuild);

// server_url + prefix + "/": the product's folder on one server.
std::u16string ProductBase(std::u16string_view server_url);
// The package to download from a product folder: the zip for a portable copy,
// the installer otherwise, of the given build.
std::u16string PackageUrl(std::u16string_view base, bool portable, PackageBuild build = kThisBuild);

// The version file's body without the blanks and control characters (codes
// up to 32, and 127) at either end; everything between stays.
std::u16string TrimVersionText(std::u16string_view body);

// Compares two version texts component by component: 1 when v1 is newer, -1
// when older, 0 when equal. Components are separated by '.', and each blank
// or control character (codes up to 32, and 127) separates exactly as a '.'
// does, so "1 .2" has the components "1", "" and "2". Two separators in a row
// give an empty component between them, a leading or trailing one an empty
// first or last component. A component counts as its value when it is a
// signed 32-bit decimal (an optional '+' or '-', then digits only) and as 0
// otherwise (empty, letters, overflow); the shorter text is read as padded
// with zeros, so "1.2" equals "1.2.0.0". Linear in the length of the texts.
int CompareVersions(std::u16string_view v1, std::u16string_view v2);

// The text after the last '/'; the whole url when it has no '/' or ends in one.
std::u16string ExtractUrlFileName(std::u16string_view url);

// The url made safe to send: a '%' followed by two hex digits is kept as an
// escape; blanks, control characters (codes below 32, and 127), every
// character from code 128 up, a '%' that starts no escape, and the characters
// * < > # " { } | \ ^ [ ] ` + become %XX escapes of their UTF-8 bytes with
// upper-case hex digits. A surrogate pair is one code point of four bytes, a
// lone surrogate is encoded as U+FFFD. Everything else stays as it is. The
// result is plain ASCII, kept as UTF-16 like every text of the core.
std::u16string PercentEncodeUrl(std::u16string_view url);

// The system proxy as "host:port".
struct ProxySetting {
  std::u16string host;
  int port = 0;

  bool operator==(const ProxySetting&) const = default;
};

inline constexpr int kDefaultProxyPort = 8080;

// Splits a proxy server value at its first ':'. None for an empty value or one
// without ':'. The host is the text before it (kept even when empty); the port
// the text after it when that is a non-negative decimal that fits an int
// (an optional '+', digits only), otherwise 8080. A per-protocol list such as
// "http=a:1;https=b:2" is not taken apart: it gives "http=a" and 8080.
std::optional<ProxySetting> ParseProxyServer(std::u16string_view value);

// numerator / denominator rounded to the nearest integer, halves to the even
// one, for either sign of both. A zero denominator gives 0; the one quotient
// that does not fit, INT64_MIN / -1, gives INT64_MAX. The progress bar uses it
// twice: the step is RoundHalfEven(total, 100), the position
// RoundHalfEven(received, step).
std::int64_t RoundHalfEven(std::int64_t numerator, std::int64_t denominator);

// The installer's command line: silent, closing the running copy, in the
// given language, and starting the program when done.
std::u16string InstallerParameters(std::u16string_view language);

// "update_hhnnss.bat" for the time of day; each number is written with at
// least two digits (a leading zero below 10).
std::u16string UpdateScriptName(int hour, int minute, int second);

// The batch file that ends the running program, unpacks the downloaded zip
// into the program's folder, deletes the zip, starts the program again and
// deletes itself. 19 lines, each ended by CR LF. A '\' is added to exe_folder
// when it does not end in one. The unpacking skips, with "Skipping: " and
// its name, every entry whose normalised path would leave the program
// folder. Each '%' of a name is doubled (the command processor would expand
// it), and a quote in the archive's name doubled inside PowerShell's quotes.
// Throws std::invalid_argument for a name holding a character no Windows
// path holds (control characters, " < > | ? *), or a separator or ':' in
// either file name. The caller writes it in the ANSI code page.
std::u16string UpdateScriptText(std::u16string_view exe_folder, std::u16string_view exe_name,
                                std::u16string_view zip_name);

}  // namespace zandrel::update
