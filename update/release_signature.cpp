#include "update/release_signature.h"

#include <algorithm>

namespace zandrel::update {

namespace {

using Number = std::array<std::uint8_t, 32>;

// The order of the P-256 group and the prime of its field, big-endian.
constexpr Number kOrder = {0xFF, 0xFF, 0xFF, 0xFF, 0x00, 0x00, 0x00, 0x00, 0xFF, 0xFF, 0xFF,
                           0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xBC, 0xE6, 0xFA, 0xAD, 0xA7, 0x17,
                           0x9E, 0x84, 0xF3, 0xB9, 0xCA, 0xC2, 0xFC, 0x63, 0x25, 0x51};
constexpr Number kPrime = {0xFF, 0xFF, 0xFF, 0xFF, 0x00, 0x00, 0x00, 0x01, 0x00, 0x00, 0x00,
                           0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0xFF, 0xFF,
                           0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF};

// Whether the 32 big-endian bytes at `value` are below `limit`.
bool Below(const std::uint8_t* value, const Number& limit) {
  return std::lexicographical_compare(value, value + 32, limit.begin(), limit.end());
}

bool IsZero(const std::uint8_t* value) {
  return std::all_of(value, value + 32, [](std::uint8_t b) { return b == 0; });
}

int HexValue(char16_t c) {
  if (c >= u'0' && c <= u'9') return c - u'0';
  if (c >= u'a' && c <= u'f') return c - u'a' + 10;
  if (c >= u'A' && c <= u'F') return c - u'A' + 10;
  return -1;
}

}  // namespace

std::optional<ReleaseSignature> ParseSignatureFile(ByteView file) {
  if (file.size() != kSignatureSize) return std::nullopt;
  ReleaseSignature signature;
  std::copy(file.begin(), file.end(), signature.begin());
  for (const std::uint8_t* half : {signature.data(), signature.data() + 32})
    if (IsZero(half) || !Below(half, kOrder)) return std::nullopt;
  return signature;
}

std::optional<ReleasePublicKey> ParsePublicKeyHex(std::u16string_view hex) {
  if (hex.size() != 2 * kPublicKeySize) return std::nullopt;
  ReleasePublicKey key;
  for (std::size_t i = 0; i < kPublicKeySize; ++i) {
    const int high = HexValue(hex[2 * i]);
    const int low = HexValue(hex[2 * i + 1]);
    if (high < 0 || low < 0) return std::nullopt;
    key[i] = static_cast<std::uint8_t>(high << 4 | low);
  }
  for (const std::uint8_t* coordinate : {key.data(), key.data() + 32})
    if (!Below(coordinate, kPrime)) return std::nullopt;
  return key;
}

}  // namespace zandrel::update
