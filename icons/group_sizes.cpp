#include "icons/group_sizes.h"

#include <cstring>

#include "core/text.h"
#include "icons/group_directory.h"
#include "icons/group_names.h"
#include "icons/icon_image.h"

namespace zandrel::icons {

namespace {


std::optional<ResourceData> GroupData(std::u16string_view group_name,
                                      const ResourceModule& module) {
  ResourceData group = module.Lookup(kRtGroupIcon, ResourceIdFromGroupName(group_name));
  if (!group.found()) return std::nullopt;
  return group;
}

}  // namespace

std::uint16_t GetGroupImageCount(std::u16string_view group_name, const ResourceModule& module) {
  const auto group = GroupData(group_name, module);
  if (!group) return 0;
  return GroupEntryCount(group->bytes).value_or(0);
}

std::u16string DescribeGroupSizes(std::u16string_view group_name, const ResourceModule& module) {
  const auto group = GroupData(group_name, module);
  if (!group) return {};
  const ByteView data = group->bytes;
  const auto count = GroupEntryCount(data);
  if (!count) return {};

  std::u16string text;
  for (std::size_t k = 0; k < *count; ++k) {
    const auto entry = GroupEntry(data, k);
    if (!entry) break;
    if (k == kMaxDescribedEntries) {
      text += u", \u2026";
      break;
    }
    if (!text.empty()) text += u", ";
    std::uint32_t w = (*entry)[0];
    std::uint32_t h = (*entry)[1];
    const std::uint16_t bits = *ReadU16LE(*entry, 6);
    bool png = false;
    if (w == 0 && h == 0) {
      if (const auto size = GetIconPngSize(module, GroupEntryImageId(*entry))) {
        w = size->width;
        h = size->height;
        png = true;
      } else {
        w = h = 256;
      }
    } else {
      if (w == 0) w = 256;
      if (h == 0) h = 256;
    }
    text += ToDecimalUnsigned(w) + u"x" + ToDecimalUnsigned(h);
    if (png)
      text += u" (PNG)";
    else if (bits > 0)
      text += u" (" + ToDecimalUnsigned(bits) + u"-bit)";
  }
  return text;
}

std::optional<PngSize> GetIconPngSize(const ResourceModule& module, std::uint32_t image_id) {
  const ResourceData image = module.Lookup(kRtIcon, ResourceName::Id(image_id));
  if (!image.found()) return std::nullopt;
  return ReadPngHeaderSize(image.bytes);
}

std::optional<PngSize> ReadPngHeaderSize(ByteView bytes) {
  if (!IsPngImage(bytes)) return std::nullopt;
  // Chunks: 4-byte big-endian length, 4-byte type, data, 4-byte CRC. The PNG
  // format puts IHDR first, always: a stream that starts otherwise is no PNG
  // anyone can decode, and walking its chunks would cost time per entry.
  constexpr std::size_t at = 8;
  const auto length = ReadU32BE(bytes, at);
  const auto type = Slice(bytes, at + 4, 4);
  if (!length || !type || std::memcmp(type->data(), "IHDR", 4) != 0 || *length < 8)
    return std::nullopt;
  const auto width = ReadU32BE(bytes, at + 8);
  const auto height = ReadU32BE(bytes, at + 12);
  if (!width || !height) return std::nullopt;
  return PngSize{*width, *height};
}

}  // namespace zandrel::icons
