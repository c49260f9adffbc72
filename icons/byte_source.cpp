#include "icons/byte_source.h"

#include <algorithm>
#include <cstring>

namespace zandrel::icons {

bool MemorySource::Read(std::uint64_t offset, std::uint8_t* out, std::size_t count) const {
  if (count > 0) std::memcpy(out, bytes_.data() + offset, count);
  return true;
}

bool BlockCachedFile::Read(std::uint64_t offset, std::uint8_t* out, std::size_t count) const {
  while (count > 0) {
    const std::uint64_t block = offset / kBlockSize;
    const Bytes* bytes = Block(block);
    if (!bytes) return false;
    const std::uint64_t within = offset - block * kBlockSize;
    if (within >= bytes->size()) return false;
    const std::size_t take =
        static_cast<std::size_t>(std::min<std::uint64_t>(count, bytes->size() - within));
    std::memcpy(out, bytes->data() + within, take);
    out += take;
    offset += take;
    count -= take;
  }
  return true;
}

const Bytes* BlockCachedFile::Block(std::uint64_t block) const {
  if (const auto found = blocks_.find(block); found != blocks_.end()) return &found->second;
  const std::uint64_t start = block * kBlockSize;
  if (start >= file_.size()) return nullptr;
  Bytes bytes(static_cast<std::size_t>(std::min(kBlockSize, file_.size() - start)));
  if (!file_.ReadAt(start, bytes.data(), bytes.size())) return nullptr;
  if (blocks_.size() >= kMaxCachedBlocks) blocks_.clear();
  return &blocks_.emplace(block, std::move(bytes)).first->second;
}

std::optional<std::uint8_t> Bounded::U8(std::uint64_t offset) const {
  std::uint8_t b;
  if (!Read(offset, &b, 1)) return std::nullopt;
  return b;
}

std::optional<std::uint16_t> Bounded::U16(std::uint64_t offset) const {
  std::uint8_t b[2];
  if (!Read(offset, b, 2)) return std::nullopt;
  return static_cast<std::uint16_t>(b[0] | (b[1] << 8));
}

std::optional<std::uint32_t> Bounded::U32(std::uint64_t offset) const {
  std::uint8_t b[4];
  if (!Read(offset, b, 4)) return std::nullopt;
  return static_cast<std::uint32_t>(b[0] | (b[1] << 8) | (b[2] << 16)) |
         (static_cast<std::uint32_t>(b[3]) << 24);
}

std::optional<Bytes> Bounded::Copy(std::uint64_t offset, std::uint64_t count) const {
  if (!Holds(offset, count)) return std::nullopt;
  Bytes bytes(static_cast<std::size_t>(count));
  if (!Read(offset, bytes.data(), bytes.size())) return std::nullopt;
  return bytes;
}

Bounded Bounded::Sub(std::uint64_t offset, std::uint64_t count) const {
  const std::uint64_t start = std::min(offset, size_);
  return Bounded(source_, base_ + start, std::min(count, size_ - start));
}

}  // namespace zandrel::icons
