#pragma once
// Text in a single-byte or multi-byte "ANSI" code page, the encoding of INI
// files that carry no byte-order mark.

#include <optional>
#include <string>
#include <string_view>

#include "core/bytes.h"

namespace zandrel::settings {

class AnsiCodec {
 public:
  virtual ~AnsiCodec() = default;
  // Bytes the code page does not define become some character; only a failure
  // of the system itself throws.
  virtual std::u16string Decode(ByteView bytes) const = 0;
  // nullopt when the text holds a character the code page cannot represent,
  // so callers can choose a lossless encoding instead of writing "?".
  virtual std::optional<Bytes> Encode(std::u16string_view text) const = 0;
};

// Windows-1251 (Cyrillic) and Windows-1252 (Western). Bytes the code pages
// leave undefined map to the C1 control of the same value, as Windows does.
// Process-wide objects, so a document may keep a reference to them.
const AnsiCodec& Windows1251Codec();
const AnsiCodec& Windows1252Codec();

}  // namespace zandrel::settings
