#include "cli/png_export.h"

#define STB_IMAGE_WRITE_IMPLEMENTATION
#define STB_IMAGE_WRITE_STATIC
#include <stb/stb_image_write.h>

#include "icons/group_directory.h"
#include "icons/group_sizes.h"
#include "icons/icon_image.h"

namespace zandrel::cli {

namespace {

void AppendToBytes(void* context, void* data, int size) {
  auto* out = static_cast<Bytes*>(context);
  const auto* bytes = static_cast<const std::uint8_t*>(data);
  out->insert(out->end(), bytes, bytes + size);
}

}  // namespace

Bytes EncodePng(std::uint32_t width, std::uint32_t height, const std::vector<std::uint8_t>& rgba) {
  Bytes out;
  stbi_write_png_to_func(&AppendToBytes, &out, static_cast<int>(width), static_cast<int>(height), 4,
                         rgba.data(), static_cast<int>(width * 4));
  return out;
}

namespace {

// One image as PNG; nullopt when it cannot be read. An image of another
// width than `size` (when given) is measured but not encoded.
std::optional<PngImage> ImageAsPng(ByteView bytes, std::uint32_t size) {
  PngImage image;
  if (icons::IsPngImage(bytes)) {
    const auto png_size = icons::ReadPngHeaderSize(bytes);
    if (!png_size) return std::nullopt;
    image.width = png_size->width;
    image.height = png_size->height;
    image.png.assign(bytes.begin(), bytes.end());
    return image;
  }
  const auto decoded = icons::DecodeIconBitmap(bytes);
  if (!decoded) return std::nullopt;
  image.width = decoded->width;
  image.height = decoded->height;
  image.bits = *ReadU16LE(bytes, 14);
  if (size == 0 || image.width == size)
    image.png = EncodePng(decoded->width, decoded->height, decoded->pixels);
  return image;
}

}  // namespace

std::vector<PngImage> GroupPngImages(ByteView group, const icons::ResourceModule& module,
                                     std::uint32_t size, int* skipped) {
  std::vector<PngImage> images;
  const auto count = icons::GroupEntryCount(group);
  if (!count) return images;
  for (std::size_t i = 0; i < *count; ++i) {
    const auto entry = icons::GroupEntry(group, i);
    if (!entry) break;
    const icons::ResourceData data = module.Lookup(
        icons::kRtIcon, icons::ResourceName::Id(icons::GroupEntryImageId(*entry)));
    std::optional<PngImage> image =
        data.found() && !data.bytes.empty() ? ImageAsPng(data.bytes, size) : std::nullopt;
    if (!image) {
      if (skipped) ++*skipped;
      continue;
    }
    if (size != 0 && image->width != size) continue;
    images.push_back(std::move(*image));
  }
  return images;
}

}  // namespace zandrel::cli
