#pragma once
// What the portable readers read a container from: its bytes in memory, or
// its file read on demand, through a window that checks every read against
// the bytes present. Offsets are 64-bit, so that sums of untrusted 32-bit
// values cannot wrap around in the 32-bit build.

#include <cstdint>
#include <optional>
#include <unordered_map>

#include "core/bytes.h"
#include "core/file_io.h"

namespace zandrel::icons {

class ByteSource {
 public:
  virtual ~ByteSource() = default;
  virtual std::uint64_t size() const = 0;
  // Exactly `count` bytes at `offset`, which the caller has checked against size().
  virtual bool Read(std::uint64_t offset, std::uint8_t* out, std::size_t count) const = 0;
};

class MemorySource : public ByteSource {
 public:
  explicit MemorySource(ByteView bytes) : bytes_(bytes) {}
  std::uint64_t size() const override { return bytes_.size(); }
  bool Read(std::uint64_t offset, std::uint8_t* out, std::size_t count) const override;

 private:
  ByteView bytes_;
};

// Headers and directories are read a field at a time; blocks of the file are
// kept while a container opens, so each is read once. A crafted directory
// spread over a huge file keeps at most kMaxCachedBlocks of them, dropping the
// lot when full and reading again what is asked for.
class BlockCachedFile : public ByteSource {
 public:
  explicit BlockCachedFile(const RandomAccessFile& file) : file_(file) {}
  std::uint64_t size() const override { return file_.size(); }
  bool Read(std::uint64_t offset, std::uint8_t* out, std::size_t count) const override;

 private:
  static constexpr std::uint64_t kBlockSize = 4096;
  static constexpr std::size_t kMaxCachedBlocks = 4096;  // 16 MB

  const Bytes* Block(std::uint64_t block) const;

  const RandomAccessFile& file_;
  mutable std::unordered_map<std::uint64_t, Bytes> blocks_;
};

// A window on a source, [base, base + size); every read is checked against it.
class Bounded {
 public:
  explicit Bounded(const ByteSource& source) : source_(source), base_(0), size_(source.size()) {}
  Bounded(const ByteSource& source, std::uint64_t base, std::uint64_t size)
      : source_(source), base_(base), size_(size) {}

  std::optional<std::uint8_t> U8(std::uint64_t offset) const;
  std::optional<std::uint16_t> U16(std::uint64_t offset) const;
  std::optional<std::uint32_t> U32(std::uint64_t offset) const;
  // `count` bytes at `offset`; nullopt when they are not all inside.
  std::optional<Bytes> Copy(std::uint64_t offset, std::uint64_t count) const;
  // Whether [offset, offset + count) lies inside the window.
  bool Holds(std::uint64_t offset, std::uint64_t count) const {
    return offset <= size_ && count <= size_ - offset;
  }
  // The part of the window from `offset`, at most `count` bytes long.
  Bounded Sub(std::uint64_t offset, std::uint64_t count) const;
  const ByteSource& source() const { return source_; }
  std::uint64_t base() const { return base_; }
  std::uint64_t size() const { return size_; }

 private:
  bool Read(std::uint64_t offset, std::uint8_t* out, std::size_t count) const {
    return Holds(offset, count) && source_.Read(base_ + offset, out, count);
  }

  const ByteSource& source_;
  std::uint64_t base_;
  std::uint64_t size_;
};

}  // namespace zandrel::icons
