#pragma once
// The pixels of one icon image as the system draws it: BMP images (1, 4, 8,
// 16, 24 and 32 bits per pixel, with their AND masks) decoded to straight
// RGBA, top row first. PNG images are kept as they are stored. Every size
// and offset in the image is checked against its bytes.

#include <cstdint>
#include <optional>
#include <vector>

#include "core/bytes.h"

namespace zandrel::icons {

struct RgbaImage {
  std::uint32_t width = 0;
  std::uint32_t height = 0;
  std::vector<std::uint8_t> pixels;  // width * height * 4 bytes: R, G, B, A
  // The alpha is the image's own (a 32-bit bitmap with some alpha set), not
  // derived from its mask.
  bool own_alpha = false;
};

// True for bytes that start with the PNG signature.
bool IsPngImage(ByteView image);

// The largest side decoded; icons go up to 256, the format to 65,535.
inline constexpr std::uint32_t kMaxDecodedSide = 1024;

// nullopt for anything but an uncompressed BITMAPINFOHEADER image (its height
// counting colour and mask rows) of a supported depth that fits its bytes. A
// 32-bit image whose alpha is all zero takes its transparency from the mask,
// as the system does; other depths always do.
std::optional<RgbaImage> DecodeIconBitmap(ByteView image);

}  // namespace zandrel::icons
