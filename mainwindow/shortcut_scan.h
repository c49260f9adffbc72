#pragma once
// The raw fallback of shortcut resolution: a drive path stored as text inside
// the bytes of a .lnk file, found without the shell-link object.

#include <string>
#include <string_view>

#include "core/bytes.h"

namespace zandrel::mainwindow {

// How much of a shortcut file is scanned.
inline constexpr std::size_t kShortcutScanBytes = 8192;

// The first path on drive C, D or E (upper case) that mentions ".exe" or
// ".dll": first as single-byte text, then as two-byte (UTF-16) text. Empty
// when none is found. A found path is not checked for existence.
std::u16string ScanShortcutBytes(ByteView data);

// The same over the first kShortcutScanBytes bytes of a file; empty when the
// file cannot be read.
std::u16string ScanShortcutBytes(std::u16string_view shortcut_path);

}  // namespace zandrel::mainwindow
