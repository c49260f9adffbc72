// Checks the committed icon files byte by byte: the program icon must carry
// exactly the images the executable promises, in order and in the right
// formats, and the menu picture must offer its 16 px image.

#include <algorithm>
#include <array>
#include <cstdint>
#include <fstream>
#include <iterator>
#include <optional>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "core/bytes.h"

namespace zandrel {
namespace {

struct IconEntry {
  int width = 0;  // as stored: 0 stands for 256 and above
  int height = 0;
  int bit_count = 0;
  std::uint32_t size = 0;
  std::uint32_t offset = 0;
};

Bytes ReadWholeFile(const std::string& name) {
  std::ifstream in(std::string(ZANDREL_RESOURCES_DIR) + "/" + name, std::ios::binary);
  return Bytes(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

// Parses the ICONDIR and its entries; nullopt when the header is not an icon
// directory or an entry reaches past the end of the file.
std::optional<std::vector<IconEntry>> ParseIconDirectory(ByteView file) {
  auto reserved = ReadU16LE(file, 0);
  auto type = ReadU16LE(file, 2);
  auto count = ReadU16LE(file, 4);
  if (!reserved || !type || !count || *reserved != 0 || *type != 1) return std::nullopt;
  std::vector<IconEntry> entries;
  for (std::size_t i = 0; i < *count; ++i) {
    const std::size_t at = 6 + 16 * i;
    auto width = ReadU8(file, at);
    auto height = ReadU8(file, at + 1);
    auto bits = ReadU16LE(file, at + 6);
    auto size = ReadU32LE(file, at + 8);
    auto offset = ReadU32LE(file, at + 12);
    if (!width || !height || !bits || !size || !offset) return std::nullopt;
    entries.push_back({*width, *height, *bits, *size, *offset});
  }
  return entries;
}

ByteView ImageBytes(ByteView file, const IconEntry& entry) {
  auto slice = Slice(file, entry.offset, entry.size);
  return slice ? *slice : ByteView();
}

bool IsPng(ByteView image) {
  static constexpr std::array<std::uint8_t, 8> kSignature = {0x89, 'P',  'N',  'G',
                                                             '\r', '\n', 0x1A, '\n'};
  return image.size() >= kSignature.size() &&
         std::equal(kSignature.begin(), kSignature.end(), image.begin());
}

// Every pixel's alpha of a 32-bit DIB image (header, then width * height BGRA).
std::vector<std::uint8_t> DibAlpha(ByteView image, int size) {
  std::vector<std::uint8_t> alpha;
  for (std::size_t i = 0; i < static_cast<std::size_t>(size) * size; ++i) {
    auto a = ReadU8(image, 40 + i * 4 + 3);
    if (!a) return {};
    alpha.push_back(*a);
  }
  return alpha;
}

// Where the AND mask of a 32-bit DIB image marks a pixel transparent; old
// consumers draw with the mask only, so it must be set exactly where the
// alpha is 0.
std::vector<bool> DibMask(ByteView image, int size) {
  std::vector<bool> mask;
  const std::size_t stride = (static_cast<std::size_t>(size) + 31) / 32 * 4;
  const std::size_t at = 40 + static_cast<std::size_t>(size) * size * 4;
  for (std::size_t row = 0; row < static_cast<std::size_t>(size); ++row) {
    for (std::size_t column = 0; column < static_cast<std::size_t>(size); ++column) {
      auto bits = ReadU8(image, at + row * stride + column / 8);
      if (!bits) return {};
      mask.push_back((*bits & (0x80 >> (column % 8))) != 0);
    }
  }
  return mask;
}

// Checks one 32-bit DIB image of an .ico: its header, that its stored size is
// exactly header + pixels + AND mask, that the mask agrees with the alpha,
// and that the picture is neither wholly opaque nor wholly see-through (a
// rendering gone wrong is usually one or the other). Returns the number of
// fully transparent pixels.
std::size_t ExpectDib(ByteView file, const IconEntry& entry, int size) {
  SCOPED_TRACE("DIB image of " + std::to_string(size) + " px");
  EXPECT_EQ(entry.width, size);
  EXPECT_EQ(entry.height, size);
  EXPECT_EQ(entry.bit_count, 32);
  ByteView image = ImageBytes(file, entry);
  EXPECT_FALSE(image.empty());
  if (image.empty()) return 0;
  EXPECT_FALSE(IsPng(image));
  EXPECT_EQ(ReadU32LE(image, 0), 40u);
  EXPECT_EQ(ReadU32LE(image, 4), static_cast<std::uint32_t>(size));
  EXPECT_EQ(ReadU32LE(image, 8), static_cast<std::uint32_t>(size * 2));  // XOR + AND halves
  EXPECT_EQ(ReadU16LE(image, 12), 1);
  EXPECT_EQ(ReadU16LE(image, 14), 32);
  EXPECT_EQ(ReadU32LE(image, 16), 0u);  // BI_RGB
  const std::size_t mask_stride = (static_cast<std::size_t>(size) + 31) / 32 * 4;
  EXPECT_EQ(entry.size, 40 + static_cast<std::size_t>(size) * size * 4 + mask_stride * size);
  const std::size_t pixels = static_cast<std::size_t>(size) * size;
  auto alpha = DibAlpha(image, size);
  auto mask = DibMask(image, size);
  EXPECT_EQ(alpha.size(), pixels);
  EXPECT_EQ(mask.size(), pixels);
  if (alpha.size() != pixels || mask.size() != pixels) return 0;
  // Rows are stored bottom-up in both the pixels and the mask.
  std::size_t mismatched = 0;
  for (std::size_t i = 0; i < pixels; ++i) mismatched += mask[i] != (alpha[i] == 0);
  EXPECT_EQ(mismatched, 0u);
  EXPECT_NE(std::count(alpha.begin(), alpha.end(), 255), 0);
  EXPECT_NE(std::count_if(alpha.begin(), alpha.end(), [](std::uint8_t a) { return a < 255; }), 0);
  return static_cast<std::size_t>(std::count(alpha.begin(), alpha.end(), 0));
}

void ExpectPng(ByteView file, const IconEntry& entry, std::uint32_t size) {
  SCOPED_TRACE("PNG image of " + std::to_string(size) + " px");
  EXPECT_EQ(entry.width, 0);
  EXPECT_EQ(entry.height, 0);
  EXPECT_EQ(entry.bit_count, 32);
  ByteView image = ImageBytes(file, entry);
  ASSERT_TRUE(IsPng(image));
  EXPECT_EQ(ReadU32BE(image, 8), 13u);  // IHDR length
  auto tag = Slice(image, 12, 4);
  ASSERT_TRUE(tag);
  EXPECT_EQ(std::string(tag->begin(), tag->end()), "IHDR");
  EXPECT_EQ(ReadU32BE(image, 16), size);
  EXPECT_EQ(ReadU32BE(image, 20), size);
  EXPECT_EQ(ReadU8(image, 24), 8);  // bit depth
  EXPECT_EQ(ReadU8(image, 25), 6);  // RGBA
}

// Images follow the directory back to back, without gaps or overlaps, and the
// last one ends exactly at the end of the file.
void ExpectPackedLayout(ByteView file, const std::vector<IconEntry>& entries) {
  std::size_t expected_offset = 6 + 16 * entries.size();
  for (const IconEntry& entry : entries) {
    EXPECT_EQ(entry.offset, expected_offset);
    EXPECT_GT(entry.size, 0u);
    EXPECT_TRUE(Slice(file, entry.offset, entry.size).has_value());
    expected_offset = entry.offset + entry.size;
  }
  EXPECT_EQ(expected_offset, file.size());
}

TEST(ProgramIconFile, HoldsThreePngAndTwelveDibImagesInOrder) {
  const Bytes file = ReadWholeFile("Zandrel.ico");
  ASSERT_FALSE(file.empty()) << "cannot read " << ZANDREL_RESOURCES_DIR << "/Zandrel.ico";
  auto entries = ParseIconDirectory(file);
  ASSERT_TRUE(entries);
  ASSERT_EQ(entries->size(), 15u);
  ExpectPackedLayout(file, *entries);

  const std::array<std::uint32_t, 3> png_sizes = {768, 512, 256};
  for (std::size_t i = 0; i < png_sizes.size(); ++i) ExpectPng(file, (*entries)[i], png_sizes[i]);

  const std::array<int, 12> dib_sizes = {128, 96, 80, 72, 64, 60, 48, 40, 32, 24, 20, 16};
  std::size_t transparent = 0;
  for (std::size_t i = 0; i < dib_sizes.size(); ++i) {
    transparent += ExpectDib(file, (*entries)[png_sizes.size() + i], dib_sizes[i]);
  }
  // The mask comparison above means something only if some bits are set.
  EXPECT_GT(transparent, 0u);
}

TEST(MenuSaveIconFile, HoldsSixteenPixelImageAndLargerOnes) {
  const Bytes file = ReadWholeFile("menu_save.ico");
  ASSERT_FALSE(file.empty()) << "cannot read " << ZANDREL_RESOURCES_DIR << "/menu_save.ico";
  auto entries = ParseIconDirectory(file);
  ASSERT_TRUE(entries);
  ASSERT_EQ(entries->size(), 4u);
  ExpectPackedLayout(file, *entries);
  const std::array<int, 4> sizes = {16, 20, 24, 32};
  for (std::size_t i = 0; i < sizes.size(); ++i) ExpectDib(file, (*entries)[i], sizes[i]);
}

}  // namespace
}  // namespace zandrel
