#include "mainwindow/shortcut_scan.h"

#include "core/file_io.h"
#include "core/text.h"

namespace zandrel::mainwindow {

namespace {

// Each pass only starts a path this far from the end of the data.
constexpr std::size_t kSingleByteTail = 50;
constexpr std::size_t kTwoByteTail = 100;

bool IsScannedDrive(std::uint8_t b) {
  return b == 'C' || b == 'D' || b == 'E';
}

bool LooksLikeModulePath(const std::u16string& s) {
  if (s.size() <= 3 || s[1] != u':' || s[2] != u'\\') return false;
  const std::u16string lower = AsciiLower(s);
  return lower.find(u".exe") != std::u16string::npos || lower.find(u".dll") != std::u16string::npos;
}

// Bytes from p up to the first control byte (or the end), each byte taken as
// the character with the same code.
std::u16string SingleByteText(ByteView data, std::size_t p) {
  std::u16string s;
  for (; p < data.size() && data[p] >= 32; ++p) s.push_back(static_cast<char16_t>(data[p]));
  return s;
}

// Pairs from p up to a pair of two zero bytes (or the last whole pair); only
// the first byte of each pair counts, and a zero first byte adds nothing.
std::u16string TwoByteText(ByteView data, std::size_t p) {
  std::u16string s;
  for (; p + 1 < data.size(); p += 2) {
    if (data[p] == 0 && data[p + 1] == 0) break;
    if (data[p] != 0) s.push_back(static_cast<char16_t>(data[p]));
  }
  return s;
}

}  // namespace

std::u16string ScanShortcutBytes(ByteView data) {
  const std::size_t n = data.size();
  if (n >= kSingleByteTail) {
    for (std::size_t p = 0; p <= n - kSingleByteTail; ++p) {
      if (!IsScannedDrive(data[p]) || data[p + 1] != ':' || data[p + 2] != '\\') continue;
      std::u16string s = SingleByteText(data, p);
      if (LooksLikeModulePath(s)) return s;
    }
  }
  if (n >= kTwoByteTail) {
    for (std::size_t p = 0; p <= n - kTwoByteTail; p += 2) {
      if (!IsScannedDrive(data[p]) || data[p + 2] != ':' || data[p + 4] != '\\') continue;
      std::u16string s = TwoByteText(data, p);
      if (LooksLikeModulePath(s)) return s;
    }
  }
  return {};
}

std::u16string ScanShortcutBytes(std::u16string_view shortcut_path) {
  const auto data = ReadFileBytes(shortcut_path, kShortcutScanBytes);
  if (!data) return {};
  return ScanShortcutBytes(ByteView(*data));
}

}  // namespace zandrel::mainwindow
