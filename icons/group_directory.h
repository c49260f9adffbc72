#pragma once
// The directory of an icon or cursor group as a module stores it: a 6-byte
// header with the entry count at offset 4, then one 14-byte entry per image
// with the image's identifier at offset 12. A directory may hold fewer
// entries than its count says; the entries present are all there is.

#include <cstddef>
#include <cstdint>
#include <optional>

#include "core/bytes.h"

namespace zandrel::icons {

inline constexpr std::size_t kGroupHeaderSize = 6;
inline constexpr std::size_t kGroupEntrySize = 14;

// The stored count; nullopt when the header is cut short.
inline std::optional<std::uint16_t> GroupEntryCount(ByteView group) {
  return ReadU16LE(group, 4);
}

// Entry `index`; nullopt past the end of the directory's bytes.
inline std::optional<ByteView> GroupEntry(ByteView group, std::size_t index) {
  return Slice(group, kGroupHeaderSize + kGroupEntrySize * index, kGroupEntrySize);
}

inline std::uint16_t GroupEntryImageId(ByteView entry) {
  return *ReadU16LE(entry, 12);
}

}  // namespace zandrel::icons
