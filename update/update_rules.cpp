#include "update/update_rules.h"

#include <limits>
#include <stdexcept>

#include "core/text.h"

namespace zandrel::update {

namespace {

bool IsBlankOrControl(char16_t c) { return c <= u' ' || c == 0x7F; }

bool IsHexDigit(char16_t c) {
  return (c >= u'0' && c <= u'9') || (c >= u'a' && c <= u'f') || (c >= u'A' && c <= u'F');
}

bool IsHighSurrogate(char16_t c) { return c >= 0xD800 && c <= 0xDBFF; }
bool IsLowSurrogate(char16_t c) { return c >= 0xDC00 && c <= 0xDFFF; }

// The characters below 128 that are escaped although printable.
bool IsReservedForEscape(char16_t c) {
  return std::u16string_view(u"*<>#%\"{}|\\^[]`+").find(c) != std::u16string_view::npos;
}

// Walks the components of a version text one at a time, so that comparing
// two texts needs no lists.
class VersionComponents {
 public:
  explicit VersionComponents(std::u16string_view text) : text_(text) {}

  // The value of the next component; none once all have been read.
  std::optional<std::int32_t> Next() {
    if (done_) return std::nullopt;
    std::size_t end = pos_;
    while (end < text_.size() && text_[end] != u'.' && !IsBlankOrControl(text_[end])) ++end;
    const std::u16string_view component = text_.substr(pos_, end - pos_);
    if (end == text_.size()) {
      done_ = true;
    } else {
      pos_ = end + 1;
    }
    return ParseDecimalInt32(component).value_or(0);
  }

 private:
  std::u16string_view text_;
  std::size_t pos_ = 0;
  bool done_ = false;
};

void AppendTwoDigits(std::u16string& out, int value) {
  if (value >= 0 && value < 10) out += u'0';
  out += ToDecimal(value);
}

void AppendLine(std::u16string& out, std::u16string_view line) {
  out += line;
  out += u"\r\n";
}

// Whether a name can stand between double quotes in the script: no
// character that no Windows path holds (control characters, " < > | ? *),
// and for a bare file name no separator or colon either.
bool IsPathText(std::u16string_view text, bool path) {
  for (const char16_t c : text) {
    if (c < 0x20 || std::u16string_view(u"\"<>|?*").find(c) != std::u16string_view::npos)
      return false;
    if (!path && (c == u'\\' || c == u'/' || c == u':')) return false;
  }
  return true;
}

// The command processor expands %NAME% even between quotes; a doubled '%'
// stands for itself in a batch file.
std::u16string EscapeForBatch(std::u16string_view text) {
  std::u16string out;
  for (const char16_t c : text) {
    out += c;
    if (c == u'%') out += u'%';
  }
  return out;
}

// Inside a single-quoted PowerShell string a quote stands for itself when
// doubled; PowerShell takes the typographic single quotes for quotes too.
std::u16string PowerShellLiteral(std::u16string_view text) {
  std::u16string out;
  for (const char16_t c : text) {
    out += c;
    if (c == u'\'' || (c >= 0x2018 && c <= 0x201B)) out += c;
  }
  return out;
}

// "Zandrel" or "Zandrel-x64": the name of a build's packages before its ending.
std::u16string PackageBase(PackageBuild build) {
  return GetAppPrefix() + (build == PackageBuild::k64Bit ? u"-x64" : u"");
}

}  // namespace

std::u16string GetAppPrefix() { return u"Zandrel"; }
std::u16string GetSetupName(PackageBuild build) {
  return PackageBase(build) + u"-setup.exe";
}
std::u16string GetZipName(PackageBuild build) {
  return PackageBase(build) + u".zip";
}

std::u16string ProductBase(std::u16string_view server_url) {
  return std::u16string(server_url) + GetAppPrefix() + u"/";
}

std::u16string PackageUrl(std::u16string_view base, bool portable, PackageBuild build) {
  return std::u16string(base) + (portable ? GetZipName(build) : GetSetupName(build));
}

std::u16string TrimVersionText(std::u16string_view body) {
  std::size_t begin = 0;
  std::size_t end = body.size();
  while (begin < end && IsBlankOrControl(body[begin])) ++begin;
  while (end > begin && IsBlankOrControl(body[end - 1])) --end;
  return std::u16string(body.substr(begin, end - begin));
}

int CompareVersions(std::u16string_view v1, std::u16string_view v2) {
  VersionComponents first(v1);
  VersionComponents second(v2);
  while (true) {
    const std::optional<std::int32_t> a = first.Next();
    const std::optional<std::int32_t> b = second.Next();
    if (!a && !b) return 0;
    const std::int32_t x = a.value_or(0);
    const std::int32_t y = b.value_or(0);
    if (x > y) return 1;
    if (x < y) return -1;
  }
}

std::u16string ExtractUrlFileName(std::u16string_view url) {
  const std::size_t slash = url.rfind(u'/');
  if (slash == std::u16string_view::npos || slash + 1 == url.size()) return std::u16string(url);
  return std::u16string(url.substr(slash + 1));
}

std::u16string PercentEncodeUrl(std::u16string_view url) {
  static constexpr char16_t kHex[] = u"0123456789ABCDEF";
  std::u16string out;
  out.reserve(url.size());
  for (std::size_t i = 0; i < url.size(); ++i) {
    const char16_t c = url[i];
    if (c == u'%' && i + 2 < url.size() && IsHexDigit(url[i + 1]) && IsHexDigit(url[i + 2])) {
      out += url.substr(i, 3);
      i += 2;
      continue;
    }
    if (!IsBlankOrControl(c) && c < 0x80 && !IsReservedForEscape(c)) {
      out += c;
      continue;
    }
    // One code point: a surrogate pair is taken whole; ToUtf8 turns a lone
    // surrogate into U+FFFD.
    const std::size_t length =
        IsHighSurrogate(c) && i + 1 < url.size() && IsLowSurrogate(url[i + 1]) ? 2 : 1;
    for (const char byte : ToUtf8(url.substr(i, length))) {
      const auto value = static_cast<unsigned char>(byte);
      out += u'%';
      out += kHex[value >> 4];
      out += kHex[value & 0x0F];
    }
    i += length - 1;
  }
  return out;
}

std::optional<ProxySetting> ParseProxyServer(std::u16string_view value) {
  const std::size_t colon = value.find(u':');
  if (value.empty() || colon == std::u16string_view::npos) return std::nullopt;
  const std::u16string_view port_text = value.substr(colon + 1);
  // Only '+' may lead: a '-' would make it negative, and "-0" is no port.
  const std::optional<std::int32_t> port =
      port_text.starts_with(u'-') ? std::nullopt : ParseDecimalInt32(port_text);
  return ProxySetting{std::u16string(value.substr(0, colon)), port ? *port : kDefaultProxyPort};
}

std::int64_t RoundHalfEven(std::int64_t numerator, std::int64_t denominator) {
  if (denominator == 0) return 0;
  if (denominator == -1) {
    return numerator == std::numeric_limits<std::int64_t>::min()
               ? std::numeric_limits<std::int64_t>::max()
               : -numerator;
  }
  // Truncating division; with |denominator| >= 2 the quotient is at most
  // 2^62 in magnitude, so moving it by one cannot overflow.
  std::int64_t quotient = numerator / denominator;
  const std::int64_t remainder = numerator % denominator;
  if (remainder == 0) return quotient;
  // Magnitudes in unsigned arithmetic, where INT64_MIN has one too.
  const auto magnitude = [](std::int64_t v) {
    return v < 0 ? std::uint64_t{0} - static_cast<std::uint64_t>(v) : static_cast<std::uint64_t>(v);
  };
  const std::uint64_t rest = magnitude(remainder);
  const std::uint64_t other = magnitude(denominator) - rest;  // distance to the next multiple
  const bool away = rest > other || (rest == other && quotient % 2 != 0);
  if (away) quotient += (numerator < 0) != (denominator < 0) ? -1 : 1;
  return quotient;
}

std::u16string InstallerParameters(std::u16string_view language) {
  std::u16string out = u"/SILENT /CLOSEAPPLICATIONS /SUPPRESSMSGBOXES /LANG=";
  out += language;
  out += u" /MERGETASKS=\"runcmd1\"";
  return out;
}

std::u16string UpdateScriptName(int hour, int minute, int second) {
  std::u16string out = u"update_";
  AppendTwoDigits(out, hour);
  AppendTwoDigits(out, minute);
  AppendTwoDigits(out, second);
  out += u".bat";
  return out;
}

std::u16string UpdateScriptText(std::u16string_view exe_folder, std::u16string_view exe_name,
                                std::u16string_view zip_name) {
  if (!IsPathText(exe_folder, true) || !IsPathText(exe_name, false) || !IsPathText(zip_name, false))
    throw std::invalid_argument("a name the update script cannot hold");
  std::u16string folder(exe_folder);
  if (!EndsWith(folder, u"\\")) folder += u'\\';
  const std::u16string batch_folder = EscapeForBatch(folder);
  const std::u16string exe = EscapeForBatch(exe_name);
  const std::u16string zip = EscapeForBatch(zip_name);

  std::u16string out;
  AppendLine(out, u"@echo off");
  AppendLine(out, u"cd /d \"" + batch_folder + u"\"");
  AppendLine(out, u"");
  AppendLine(out, u"echo Killing app...");
  AppendLine(out, u"taskkill /F /IM \"" + exe + u"\" >nul 2>&1");
  AppendLine(out, u"timeout /t 2 >nul");
  AppendLine(out, u"");
  AppendLine(out, u"echo Extracting...");
  // Each entry is written on its own, so that a file still locked is skipped
  // instead of ending the whole extraction. An entry whose path, joined to
  // the program folder (the current one) and normalised, lies outside it is
  // skipped the same way, whatever the archive says.
  AppendLine(
      out,
      u"powershell -Command \"Add-Type -AssemblyName System.IO.Compression.FileSystem; "
      u"$root = [System.IO.Path]::GetFullPath('.').TrimEnd('\\') + '\\'; "
      u"$zip = [System.IO.Compression.ZipFile]::OpenRead('" +
          EscapeForBatch(PowerShellLiteral(zip_name)) +
          u"'); foreach ($entry in $zip.Entries) { try { $target = "
          u"[System.IO.Path]::GetFullPath([System.IO.Path]::Combine($root, $entry.FullName)); "
          u"if (-not $target.StartsWith($root, [System.StringComparison]::OrdinalIgnoreCase)) "
          u"{ throw 'outside the program folder' }; "
          u"if (-not $entry.Name) { [System.IO.Directory]::CreateDirectory($target) | "
          u"Out-Null; } else { [System.IO.Compression.ZipFileExtensions]::"
          u"ExtractToFile($entry, $target, $true) } } catch { Write-Host ('Skipping: ' + "
          u"$entry.FullName) } }; $zip.Dispose(); Write-Host 'Extraction complete'\"");
  AppendLine(out, u"");
  AppendLine(out, u"echo Deleting ZIP...");
  AppendLine(out, u"del \"" + zip + u"\"");
  AppendLine(out, u"");
  AppendLine(out, u"echo Starting app...");
  AppendLine(out, u"start \"\" \"" + exe + u"\"");
  AppendLine(out, u"");
  AppendLine(out, u"echo Done");
  AppendLine(out, u"timeout /t 2 >nul");
  AppendLine(out, u"del \"%~f0\"");
  return out;
}

}  // namespace zandrel::update
