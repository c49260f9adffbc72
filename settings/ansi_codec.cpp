#include "settings/ansi_codec.h"

#include <algorithm>
#include <array>
#include <cstdint>
#include <utility>

namespace zandrel::settings {

namespace {

// Bytes 0x80..0xBF; 0xC0..0xFF follow a simple rule per code page.
using UpperHalf = std::array<char16_t, 64>;

constexpr UpperHalf kWindows1251 = {
    0x0402, 0x0403, 0x201A, 0x0453, 0x201E, 0x2026, 0x2020, 0x2021,  //
    0x20AC, 0x2030, 0x0409, 0x2039, 0x040A, 0x040C, 0x040B, 0x040F,  //
    0x0452, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,  //
    0x0098, 0x2122, 0x0459, 0x203A, 0x045A, 0x045C, 0x045B, 0x045F,  //
    0x00A0, 0x040E, 0x045E, 0x0408, 0x00A4, 0x0490, 0x00A6, 0x00A7,  //
    0x0401, 0x00A9, 0x0404, 0x00AB, 0x00AC, 0x00AD, 0x00AE, 0x0407,  //
    0x00B0, 0x00B1, 0x0406, 0x0456, 0x0491, 0x00B5, 0x00B6, 0x00B7,  //
    0x0451, 0x2116, 0x0454, 0x00BB, 0x0458, 0x0405, 0x0455, 0x0457,
};

constexpr UpperHalf kWindows1252 = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,  //
    0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0x008D, 0x017D, 0x008F,  //
    0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,  //
    0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178,  //
    0x00A0, 0x00A1, 0x00A2, 0x00A3, 0x00A4, 0x00A5, 0x00A6, 0x00A7,  //
    0x00A8, 0x00A9, 0x00AA, 0x00AB, 0x00AC, 0x00AD, 0x00AE, 0x00AF,  //
    0x00B0, 0x00B1, 0x00B2, 0x00B3, 0x00B4, 0x00B5, 0x00B6, 0x00B7,  //
    0x00B8, 0x00B9, 0x00BA, 0x00BB, 0x00BC, 0x00BD, 0x00BE, 0x00BF,
};

class TableCodec final : public AnsiCodec {
 public:
  // from_c0 is the character of byte 0xC0; 0xC1..0xFF follow it in order.
  TableCodec(const UpperHalf& upper, char16_t from_c0) {
    for (int b = 0x80; b <= 0xFF; ++b) {
      const char16_t c = b < 0xC0 ? upper[b - 0x80] : static_cast<char16_t>(from_c0 + (b - 0xC0));
      decode_[b - 0x80] = c;
      encode_[b - 0x80] = {c, static_cast<std::uint8_t>(b)};
    }
    std::sort(encode_.begin(), encode_.end());
  }

  std::u16string Decode(ByteView bytes) const override {
    std::u16string out;
    out.reserve(bytes.size());
    for (const std::uint8_t b : bytes) out.push_back(b < 0x80 ? char16_t{b} : decode_[b - 0x80]);
    return out;
  }

  std::optional<Bytes> Encode(std::u16string_view text) const override {
    Bytes out;
    out.reserve(text.size());
    for (const char16_t c : text) {
      if (c < 0x80) {
        out.push_back(static_cast<std::uint8_t>(c));
        continue;
      }
      const auto it =
          std::lower_bound(encode_.begin(), encode_.end(), std::pair<char16_t, std::uint8_t>{c, 0});
      if (it == encode_.end() || it->first != c) return std::nullopt;
      out.push_back(it->second);
    }
    return out;
  }

 private:
  std::array<char16_t, 128> decode_{};
  std::array<std::pair<char16_t, std::uint8_t>, 128> encode_{};
};

}  // namespace

const AnsiCodec& Windows1251Codec() {
  static const TableCodec codec(kWindows1251, 0x0410);
  return codec;
}

const AnsiCodec& Windows1252Codec() {
  static const TableCodec codec(kWindows1252, 0x00C0);
  return codec;
}

}  // namespace zandrel::settings
