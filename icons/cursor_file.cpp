#include "icons/cursor_file.h"

#include <algorithm>
#include <memory>
#include <vector>

#include "core/text.h"
#include "icons/group_directory.h"
#include "icons/group_sizes.h"
#include "icons/icon_image.h"

namespace zandrel::icons {

namespace {

constexpr std::size_t kFileEntrySize = 16;
constexpr std::size_t kHotspotSize = 4;

struct CursorImage {
  std::uint16_t width, height;  // height without the mask rows
  std::uint16_t hotspot_x, hotspot_y;
  ByteView bitmap;
  std::shared_ptr<const Bytes> owner;  // keeps the bitmap's bytes
};

// Calls `each` for every entry of the directory that names an image present.
template <class Each>
void ForEachImage(ByteView group, const ResourceModule& module, const ImageProblemHandler& on_problem,
                  OutputBudget* budget, bool& too_large, Each&& each) {
  const auto count = GroupEntryCount(group);
  if (!count) return;
  for (std::size_t i = 0; i < *count; ++i) {
    const auto entry = GroupEntry(group, i);
    if (!entry) break;
    if (budget) {
      if (budget->entries_left == 0) {
        too_large = true;
        return;
      }
      --budget->entries_left;
    }
    const std::uint16_t id = GroupEntryImageId(*entry);
    const ResourceData data = module.Lookup(kRtCursor, ResourceName::Id(id));
    if (!data.found() || data.bytes.size() <= kHotspotSize) {
      if (on_problem)
        on_problem({data.status == ResourceData::Status::kNotLoadable ? ImageProblem::Kind::kNotLoadable
                                                                      : ImageProblem::Kind::kNotFound,
                    id});
      continue;
    }
    // The image's own header tells its size; directories written by
    // different tools disagree on whether the height counts the mask rows.
    const ByteView bitmap = data.bytes.subspan(kHotspotSize);
    std::uint32_t width = *ReadU16LE(*entry, 0);
    std::uint32_t height = *ReadU16LE(*entry, 2) / 2;
    if (IsPngImage(bitmap)) {
      if (const auto size = ReadPngHeaderSize(bitmap)) {
        width = size->width;
        height = size->height;
      }
    } else if (const auto w = ReadU32LE(bitmap, 4), h = ReadU32LE(bitmap, 8); w && h) {
      width = *w;
      height = static_cast<std::uint32_t>(static_cast<std::int32_t>(*h) / 2);
    }
    each(CursorImage{static_cast<std::uint16_t>(std::min<std::uint32_t>(width, 0xFFFF)),
                     static_cast<std::uint16_t>(std::min<std::uint32_t>(height, 0xFFFF)),
                     *ReadU16LE(data.bytes, 0), *ReadU16LE(data.bytes, 2), bitmap, data.owner},
         *ReadU16LE(*entry, 6));
  }
}

}  // namespace

std::optional<Bytes> AssembleCursorFile(ByteView group, const ResourceModule& module,
                                        const ImageProblemHandler& on_problem,
                                        OutputBudget* budget) {
  if (group.size() < kGroupHeaderSize) return std::nullopt;
  const std::uint64_t limit =
      budget ? std::min(budget->left, kMaxIconFileBytes) : kMaxIconFileBytes;
  std::vector<CursorImage> images;
  std::uint64_t bytes = 0;
  bool too_large = false;
  ForEachImage(group, module, on_problem, budget, too_large, [&](const CursorImage& image, std::uint16_t) {
    if (too_large) return;
    bytes += image.bitmap.size();
    images.push_back(image);
    if (kGroupHeaderSize + kFileEntrySize * images.size() + bytes > limit) too_large = true;
  });
  if (too_large) return std::nullopt;
  Bytes out;
  out.reserve(static_cast<std::size_t>(kGroupHeaderSize + kFileEntrySize * images.size() + bytes));
  AppendU16LE(out, 0);
  AppendU16LE(out, 2);  // a cursor file
  AppendU16LE(out, static_cast<std::uint16_t>(images.size()));
  auto offset = static_cast<std::uint32_t>(kGroupHeaderSize + kFileEntrySize * images.size());
  for (const CursorImage& image : images) {
    out.push_back(static_cast<std::uint8_t>(image.width >= 256 ? 0 : image.width));
    out.push_back(static_cast<std::uint8_t>(image.height >= 256 ? 0 : image.height));
    out.push_back(0);  // colour count
    out.push_back(0);
    AppendU16LE(out, image.hotspot_x);
    AppendU16LE(out, image.hotspot_y);
    AppendU32LE(out, static_cast<std::uint32_t>(image.bitmap.size()));
    AppendU32LE(out, offset);
    offset += static_cast<std::uint32_t>(image.bitmap.size());
  }
  for (const CursorImage& image : images) AppendBytes(out, image.bitmap);
  if (budget) budget->left -= std::min<std::uint64_t>(budget->left, out.size());
  return out;
}

std::u16string DescribeCursorGroup(ByteView group, const ResourceModule& module) {
  std::u16string text;
  bool too_large = false;
  ForEachImage(group, module, {}, nullptr, too_large, [&](const CursorImage& image, std::uint16_t bits) {
    if (!text.empty()) text += u", ";
    text += ToDecimal(image.width) + u"x" + ToDecimal(image.height) + u" (" +
            (IsPngImage(image.bitmap) ? std::u16string(u"PNG") : ToDecimal(bits) + u"-bit") + u")";
  });
  return text;
}

std::uint16_t CursorImageCount(ByteView group, const ResourceModule& module) {
  std::uint16_t count = 0;
  bool too_large = false;
  ForEachImage(group, module, {}, nullptr, too_large, [&](const CursorImage&, std::uint16_t) { ++count; });
  return count;
}

}  // namespace zandrel::icons
