#include "icons/png_export.h"

#include <algorithm>
#include <climits>
#include <unordered_set>

#define STB_IMAGE_WRITE_IMPLEMENTATION
#define STB_IMAGE_WRITE_STATIC
#include <stb/stb_image_write.h>

#define STB_IMAGE_IMPLEMENTATION
#define STB_IMAGE_STATIC
#define STBI_ONLY_PNG
#define STBI_NO_STDIO
#define STBI_NO_HDR
#define STBI_NO_LINEAR
#include <stb/stb_image.h>

#include "core/casefold.h"
#include "core/text.h"
#include "icons/group_directory.h"
#include "icons/group_sizes.h"
#include "icons/output_names.h"

namespace zandrel::icons {

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

std::optional<RgbaImage> DecodePng(ByteView png) {
  if (!IsPngImage(png) || png.size() > static_cast<std::size_t>(INT_MAX)) return std::nullopt;
  const auto* data = reinterpret_cast<const stbi_uc*>(png.data());
  const int length = static_cast<int>(png.size());
  int width = 0, height = 0, channels = 0;
  // The header first: a crafted PNG may claim a size far beyond any icon.
  if (!stbi_info_from_memory(data, length, &width, &height, &channels) || width <= 0 ||
      height <= 0 || static_cast<std::uint32_t>(width) > kMaxDecodedSide ||
      static_cast<std::uint32_t>(height) > kMaxDecodedSide)
    return std::nullopt;
  stbi_uc* pixels = stbi_load_from_memory(data, length, &width, &height, &channels, 4);
  if (!pixels) return std::nullopt;
  RgbaImage image;
  image.width = static_cast<std::uint32_t>(width);
  image.height = static_cast<std::uint32_t>(height);
  image.pixels.assign(pixels, pixels + std::size_t{image.width} * image.height * 4);
  stbi_image_free(pixels);
  return image;
}

namespace {

// One image as PNG; nullopt when it cannot be read. An image of another
// width than `size` (when given) is measured but not encoded.
std::optional<PngImage> ImageAsPng(ByteView bytes, std::uint32_t size) {
  PngImage image;
  if (IsPngImage(bytes)) {
    const auto png_size = ReadPngHeaderSize(bytes);
    if (!png_size) return std::nullopt;
    image.width = png_size->width;
    image.height = png_size->height;
    image.png.assign(bytes.begin(), bytes.end());
    return image;
  }
  const auto decoded = DecodeIconBitmap(bytes);
  if (!decoded) return std::nullopt;
  image.width = decoded->width;
  image.height = decoded->height;
  image.bits = *ReadU16LE(bytes, 14);
  if (size == 0 || image.width == size)
    image.png = EncodePng(decoded->width, decoded->height, decoded->pixels);
  return image;
}

// The image of each entry of a group directory, in its order; empty bytes
// for an entry whose image is missing. `visit` answers false to stop. Who
// keeps an image's bytes keeps its ResourceData.
template <class Visit>
void ForEachImage(ByteView group, const ResourceModule& module, Visit visit) {
  const auto count = GroupEntryCount(group);
  if (!count) return;
  for (std::size_t i = 0; i < *count; ++i) {
    const auto entry = GroupEntry(group, i);
    if (!entry) break;
    ResourceData data = module.Lookup(kRtIcon, ResourceName::Id(GroupEntryImageId(*entry)));
    if (!data.found()) data = ResourceData{};
    if (!visit(data)) break;
  }
}

}  // namespace

std::vector<PngImage> GroupPngImages(ByteView group, const ResourceModule& module,
                                     std::uint32_t size, int* skipped, std::uint64_t byte_limit,
                                     bool* limited) {
  std::vector<PngImage> images;
  std::uint64_t total = 0;
  ForEachImage(group, module, [&](const ResourceData& data) {
    const ByteView bytes = data.bytes;
    std::optional<PngImage> image = bytes.empty() ? std::nullopt : ImageAsPng(bytes, size);
    if (!image) {
      if (skipped) ++*skipped;
      return true;
    }
    if (size != 0 && image->width != size) return true;
    total += image->png.size();
    if (total > byte_limit) {
      if (limited) *limited = true;
      return false;
    }
    images.push_back(std::move(*image));
    return true;
  });
  return images;
}

std::u16string PngImageFileName(std::u16string_view group_name, const PngImage& image,
                                std::unordered_set<std::u16string>& taken) {
  std::u16string stem = GroupOutputFileName(group_name);
  stem.resize(stem.size() - 4);  // ".ico"
  const std::u16string base = stem + u"_" + ToDecimalUnsigned(image.width) + u"x" +
                              ToDecimalUnsigned(image.height) +
                              (image.bits ? u"_" + ToDecimal(image.bits) + u"bit" : u"_png");
  std::u16string name = base + u".png";
  for (int n = 2; !taken.insert(UpperCase(name)).second; ++n)
    name = base + u"_" + ToDecimal(n) + u".png";
  return name;
}

std::optional<GroupPicture> LargestGroupImage(ByteView group, const ResourceModule& module) {
  // Measured first, then decoded in order of size: a stored PNG whose header
  // reads but whose data does not leaves the next image to show.
  struct Candidate {
    ResourceData image;
    std::uint64_t area;
    std::uint16_t bits;
  };
  std::vector<Candidate> candidates;
  // Bitmaps are measured by their headers: a crafted directory may name one
  // large image in every one of its entries, and only the chosen one is
  // decoded (its rows count colour and mask, hence the half).
  ForEachImage(group, module, [&](const ResourceData& data) {
    const ByteView bytes = data.bytes;
    if (IsPngImage(bytes)) {
      if (const auto size = ReadPngHeaderSize(bytes))
        candidates.push_back({data, std::uint64_t{size->width} * size->height, 32});
      return true;
    }
    const auto width = ReadU32LE(bytes, 4);
    const auto height = ReadU32LE(bytes, 8);
    const auto bits = ReadU16LE(bytes, 14);
    if (!width || !height || !bits || *width > kMaxDecodedSide || *height / 2 > kMaxDecodedSide)
      return true;
    candidates.push_back({data, std::uint64_t{*width} * (*height / 2), *bits});
    return true;
  });
  std::stable_sort(candidates.begin(), candidates.end(),
                   [](const Candidate& a, const Candidate& b) {
                     return a.area != b.area ? a.area > b.area : a.bits > b.bits;
                   });
  // An image that failed is not tried again for another entry naming it.
  std::unordered_set<const std::uint8_t*> tried;
  for (const Candidate& candidate : candidates) {
    const ByteView bytes = candidate.image.bytes;
    if (!tried.insert(bytes.data()).second) continue;
    GroupPicture picture;
    if (IsPngImage(bytes)) {
      auto pixels = DecodePng(bytes);
      if (!pixels) continue;
      picture.pixels = std::move(*pixels);
      picture.png.assign(bytes.begin(), bytes.end());
    } else {
      auto pixels = DecodeIconBitmap(bytes);
      if (!pixels) continue;
      picture.pixels = std::move(*pixels);
      picture.png = EncodePng(picture.pixels.width, picture.pixels.height, picture.pixels.pixels);
    }
    return picture;
  }
  return std::nullopt;
}

}  // namespace zandrel::icons
