#pragma once
// The images of an icon group as PNG: PNG images as stored, BMP images
// decoded with their masks and encoded as 32-bit RGBA. The command-line
// companion and the main window write the same files with the same names.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_set>
#include <vector>

#include "core/bytes.h"
#include "icons/icon_image.h"
#include "icons/resource_module.h"

namespace zandrel::icons {

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
// that are missing or cannot be decoded are counted in *skipped. The images
// stop before their PNG bytes pass `byte_limit` (*limited is set then): a
// crafted directory may name one large image in each of 65,535 entries.
std::vector<PngImage> GroupPngImages(ByteView group, const ResourceModule& module,
                                     std::uint32_t size, int* skipped,
                                     std::uint64_t byte_limit = UINT64_MAX,
                                     bool* limited = nullptr);

// The file of one image of the group `group_name`: its .ico name without
// ".ico" + "_<w>x<h>_<bits>bit.png", or "_png" for an image stored as PNG.
// A name already in `taken` (compared without letter case) gets the first
// free suffix _2, _3, ... and the chosen name joins `taken`. The group part
// goes through GroupOutputFileName, so no name holds a path separator.
std::u16string PngImageFileName(std::u16string_view group_name, const PngImage& image,
                                std::unordered_set<std::u16string>& taken);

// The group's largest image (most pixels; of those the deepest, a stored PNG
// counting as 32 bits; the first of equals) that decodes, as pixels and as
// PNG bytes (a stored PNG as it is stored). nullopt when no image can be read.
struct GroupPicture {
  RgbaImage pixels;
  Bytes png;
};
std::optional<GroupPicture> LargestGroupImage(ByteView group, const ResourceModule& module);

// The pixels of PNG bytes (straight RGBA, top row first); nullopt for bytes
// that do not decode or a side above kMaxDecodedSide.
std::optional<RgbaImage> DecodePng(ByteView png);

}  // namespace zandrel::icons
