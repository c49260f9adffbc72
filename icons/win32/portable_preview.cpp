#include "icons/win32/portable_preview.h"

#include "icons/group_directory.h"

namespace zandrel::icons {

HICON MakePortablePreview(const ResourceModule& module, ByteView directory, bool cursor, int size) {
  const auto count = GroupEntryCount(directory);
  // The system reads every entry the count names.
  if (!count || *count == 0 || directory.size() < kGroupHeaderSize + kGroupEntrySize * *count)
    return nullptr;
  const BOOL icon = cursor ? FALSE : TRUE;
  const int image_id = LookupIconIdFromDirectoryEx(const_cast<PBYTE>(directory.data()), icon, size,
                                                   size, LR_DEFAULTCOLOR);
  if (image_id <= 0) return nullptr;
  const ResourceData image = module.Lookup(cursor ? kRtCursor : kRtIcon,
                                           ResourceName::Id(static_cast<std::uint32_t>(image_id)));
  // The portable reader hands over the image's bytes alone: the system reads
  // nothing beyond them.
  if (!image.found() || image.bytes.size() > 0x7FFFFFFF) return nullptr;
  return CreateIconFromResourceEx(const_cast<PBYTE>(image.bytes.data()),
                                  static_cast<DWORD>(image.bytes.size()), icon, 0x00030000, size,
                                  size, LR_DEFAULTCOLOR);
}

}  // namespace zandrel::icons
