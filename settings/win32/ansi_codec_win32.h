#pragma once
// The system's ANSI code page (CP_ACP) through the Win32 conversion functions:
// the encoding of settings and language files that carry no byte-order mark.

#include "settings/ansi_codec.h"

namespace zandrel::settings {

// Process-wide; characters the code page cannot hold are reported, never
// replaced by a best-fit look-alike or "?".
const AnsiCodec& SystemAnsiCodec();

}  // namespace zandrel::settings
