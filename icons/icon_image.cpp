#include "icons/icon_image.h"

#include <algorithm>
#include <array>

namespace zandrel::icons {

namespace {

constexpr std::array<std::uint8_t, 8> kPngSignature = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};

// Bytes per row of a bitmap, padded to 32 bits.
std::uint64_t RowBytes(std::uint64_t width, std::uint32_t bits) {
  return (width * bits + 31) / 32 * 4;
}

}  // namespace

bool IsPngImage(ByteView image) {
  return image.size() >= kPngSignature.size() &&
         std::equal(kPngSignature.begin(), kPngSignature.end(), image.begin());
}

std::optional<RgbaImage> DecodeIconBitmap(ByteView image) {
  const auto header_size = ReadU32LE(image, 0);
  if (!header_size || *header_size < 40 || *header_size > image.size()) return std::nullopt;
  const auto raw_width = ReadU32LE(image, 4);
  const auto raw_height = ReadU32LE(image, 8);
  const auto bits = ReadU16LE(image, 14);
  const auto compression = ReadU32LE(image, 16);
  const auto used_colors = ReadU32LE(image, 32);
  if (!raw_width || !raw_height || !bits || !compression || !used_colors) return std::nullopt;
  // Width and height are signed; the height holds colour and mask rows.
  const auto width = static_cast<std::int32_t>(*raw_width);
  const auto full_height = static_cast<std::int32_t>(*raw_height);
  if (width <= 0 || full_height < 2 || *compression != 0) return std::nullopt;
  const auto w = static_cast<std::uint32_t>(width);
  const auto h = static_cast<std::uint32_t>(full_height) / 2;
  if (w > kMaxDecodedSide || h > kMaxDecodedSide) return std::nullopt;
  const std::uint32_t depth = *bits;
  if (depth != 1 && depth != 4 && depth != 8 && depth != 16 && depth != 24 && depth != 32)
    return std::nullopt;

  std::uint64_t palette_entries = 0;
  if (depth <= 8) {
    palette_entries = *used_colors ? *used_colors : (1u << depth);
    if (palette_entries > (1u << depth)) return std::nullopt;
  }
  const std::uint64_t palette_at = *header_size;
  const std::uint64_t pixels_at = palette_at + palette_entries * 4;
  const std::uint64_t color_row = RowBytes(w, depth);
  const std::uint64_t mask_row = RowBytes(w, 1);
  const std::uint64_t mask_at = pixels_at + color_row * h;
  // The mask may be cut short in damaged files; the colour rows may not.
  if (mask_at > image.size()) return std::nullopt;
  const bool has_mask = mask_at + mask_row * h <= image.size();

  RgbaImage out;
  out.width = w;
  out.height = h;
  out.pixels.assign(static_cast<std::size_t>(w) * h * 4, 0);
  bool any_alpha = false;
  for (std::uint32_t y = 0; y < h; ++y) {
    // Rows are stored bottom-up.
    const std::uint8_t* row = image.data() + pixels_at + color_row * (h - 1 - y);
    std::uint8_t* dst = out.pixels.data() + static_cast<std::size_t>(y) * w * 4;
    for (std::uint32_t x = 0; x < w; ++x, dst += 4) {
      std::uint32_t b = 0, g = 0, r = 0, a = 255;
      if (depth <= 8) {
        const std::uint32_t bit = x * depth;
        const std::uint32_t index =
            (row[bit / 8] >> (8 - depth - bit % 8)) & ((1u << depth) - 1);
        if (index < palette_entries) {
          const std::uint8_t* color = image.data() + palette_at + index * 4;
          b = color[0];
          g = color[1];
          r = color[2];
        }
      } else if (depth == 16) {
        const std::uint32_t v = row[x * 2] | (row[x * 2 + 1] << 8);  // 5-5-5
        r = ((v >> 10) & 31) * 255 / 31;
        g = ((v >> 5) & 31) * 255 / 31;
        b = (v & 31) * 255 / 31;
      } else {
        const std::uint8_t* p = row + x * (depth / 8);
        b = p[0];
        g = p[1];
        r = p[2];
        if (depth == 32) {
          a = p[3];
          any_alpha |= a != 0;
        }
      }
      dst[0] = static_cast<std::uint8_t>(r);
      dst[1] = static_cast<std::uint8_t>(g);
      dst[2] = static_cast<std::uint8_t>(b);
      dst[3] = static_cast<std::uint8_t>(a);
    }
  }
  out.own_alpha = depth == 32 && any_alpha;
  // Without alpha of its own, a set mask bit makes a pixel transparent.
  if (!out.own_alpha) {
    for (std::uint32_t y = 0; y < h; ++y) {
      const std::uint8_t* mask = has_mask ? image.data() + mask_at + mask_row * (h - 1 - y) : nullptr;
      std::uint8_t* dst = out.pixels.data() + static_cast<std::size_t>(y) * w * 4;
      for (std::uint32_t x = 0; x < w; ++x, dst += 4) {
        const bool transparent = mask && ((mask[x / 8] >> (7 - x % 8)) & 1);
        dst[3] = transparent ? 0 : 255;
      }
    }
  }
  return out;
}

}  // namespace zandrel::icons
