#pragma once
// Byte helpers for the settings tests: file content written as literals.

#include <string>
#include <string_view>

#include "core/bytes.h"

namespace zandrel::settings::testing {

inline Bytes AsBytes(std::string_view text) {
  return Bytes(text.begin(), text.end());
}

inline std::string AsString(const Bytes& bytes) {
  return std::string(bytes.begin(), bytes.end());
}

// Code units in the given byte order, without a byte-order mark.
inline Bytes Utf16Units(std::u16string_view text, bool big_endian) {
  Bytes out;
  for (const char16_t c : text) {
    const auto high = static_cast<std::uint8_t>(c >> 8), low = static_cast<std::uint8_t>(c & 0xFF);
    out.push_back(big_endian ? high : low);
    out.push_back(big_endian ? low : high);
  }
  return out;
}

}  // namespace zandrel::settings::testing
