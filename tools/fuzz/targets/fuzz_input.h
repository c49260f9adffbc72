#pragma once
// Splitting one fuzzer input into the pieces a target needs.

#include <cstddef>
#include <cstdint>
#include <string>

#include "core/bytes.h"

namespace zandrel::fuzz {

class Input {
 public:
  Input(const std::uint8_t* data, std::size_t size) : bytes_(data, size) {}
  bool empty() const { return bytes_.empty(); }
  std::uint8_t Byte() {
    if (bytes_.empty()) return 0;
    const std::uint8_t b = bytes_[0];
    bytes_ = bytes_.subspan(1);
    return b;
  }
  std::uint16_t U16() { return static_cast<std::uint16_t>(Byte() | (Byte() << 8)); }
  // Up to n bytes (fewer at the end).
  ByteView Take(std::size_t n) {
    const std::size_t k = n < bytes_.size() ? n : bytes_.size();
    ByteView out = bytes_.first(k);
    bytes_ = bytes_.subspan(k);
    return out;
  }
  ByteView Rest() { return Take(bytes_.size()); }
  // UTF-16 text from pairs of bytes.
  std::u16string Text(std::size_t max_units) {
    std::u16string out;
    while (out.size() < max_units && bytes_.size() >= 2) out.push_back(static_cast<char16_t>(U16()));
    return out;
  }

 private:
  ByteView bytes_;
};

}  // namespace zandrel::fuzz
