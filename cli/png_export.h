#pragma once
// The images of an icon group as PNG files: PNG images as stored, BMP images
// decoded with their masks and encoded as 32-bit RGBA.

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "core/bytes.h"
#include "icons/resource_module.h"

namespace zandrel::cli {

struct PngImage {
  std::uint32_t width = 0;
  std::uint32_t height = 0;
  std::uint16_t bits = 0;  // 0 for a stored PNG
  Bytes png;
};

// PNG bytes of straight RGBA pixels, top row first.
Bytes EncodePng(std::uint32_t width, std::uint32_t height, const std::vector<std::uint8_t>& rgba);

// Every image of the group directory `group` that can be read, in the
// group's order; `size` keeps only images of that width (0: all). Images
// that are missing or cannot be decoded are counted in *skipped.
std::vector<PngImage> GroupPngImages(ByteView group, const icons::ResourceModule& module,
                                     std::uint32_t size, int* skipped);

}  // namespace zandrel::cli
