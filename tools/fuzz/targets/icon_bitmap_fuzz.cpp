// BMP icon images decoded to RGBA: any header, depth, palette and cut-short
// rows; a decoded image always holds exactly width * height pixels.
#include <cstdlib>

#include "icons/icon_image.h"

using namespace zandrel;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const ByteView image(data, size);
  icons::IsPngImage(image);
  const auto decoded = icons::DecodeIconBitmap(image);
  if (decoded && decoded->pixels.size() != std::size_t{decoded->width} * decoded->height * 4)
    std::abort();
  return 0;
}
