#include "cli/png_export.h"

#define STB_IMAGE_WRITE_IMPLEMENTATION
#define STB_IMAGE_WRITE_STATIC
#include <stb/stb_image_write.h>

#include "icons/group_sizes.h"
#include "icons/icon_image.h"

namespace zandrel::cli {

namespace {

void AppendToBytes(void* context, void* data, int size) {
  auto* out = static_cast<Bytes*>(context);
  const auto* bytes = static_cast<const std::uint8_t*>(data);
  out->insert(out->end(), bytes, bytes + size);
}

constexpr std::size_t kGroupHeader = 6;
constexpr std::size_t kGroupEntry = 14;

}  // namespace

Bytes EncodePng(std::uint32_t width, std::uint32_t height, const std::vector<std::uint8_t>& rgba) {
  Bytes out;
  stbi_write_png_to_func(&AppendToBytes, &out, static_cast<int>(width), static_cast<int>(height), 4,
                         rgba.data(), static_cast<int>(width * 4));
  return out;
}

std::vector<PngImage> GroupPngImages(ByteView group, const icons::ResourceModule& module,
                                     std::uint32_t size, int* skipped) {
  std::vector<PngImage> images;
  const auto count = ReadU16LE(group, 4);
  if (!count) return images;
  for (std::size_t i = 0; i < *count; ++i) {
    const auto entry = Slice(group, kGroupHeader + kGroupEntry * i, kGroupEntry);
    if (!entry) break;
    const std::uint16_t id = *ReadU16LE(*entry, 12);
    const icons::ResourceData data = module.Lookup(icons::kRtIcon, icons::ResourceName::Id(id));
    if (!data.found() || data.bytes.empty()) {
      if (skipped) ++*skipped;
      continue;
    }
    PngImage image;
    if (icons::IsPngImage(data.bytes)) {
      const auto png_size = icons::ReadPngHeaderSize(data.bytes);
      if (!png_size) {
        if (skipped) ++*skipped;
        continue;
      }
      image.width = png_size->width;
      image.height = png_size->height;
      image.png.assign(data.bytes.begin(), data.bytes.end());
    } else {
      const auto decoded = icons::DecodeIconBitmap(data.bytes);
      if (!decoded) {
        if (skipped) ++*skipped;
        continue;
      }
      image.width = decoded->width;
      image.height = decoded->height;
      image.bits = *ReadU16LE(data.bytes, 14);
      if (size == 0 || image.width == size)
        image.png = EncodePng(decoded->width, decoded->height, decoded->pixels);
    }
    if (size != 0 && image.width != size) continue;
    images.push_back(std::move(image));
  }
  return images;
}

}  // namespace zandrel::cli
