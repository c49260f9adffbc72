#include "core/bytes.h"

namespace zandrel {

namespace {

bool Fits(ByteView data, std::size_t offset, std::size_t size) {
  return offset <= data.size() && size <= data.size() - offset;
}

}  // namespace

std::optional<std::uint8_t> ReadU8(ByteView data, std::size_t offset) {
  if (!Fits(data, offset, 1)) return std::nullopt;
  return data[offset];
}

std::optional<std::uint16_t> ReadU16LE(ByteView data, std::size_t offset) {
  if (!Fits(data, offset, 2)) return std::nullopt;
  return static_cast<std::uint16_t>(data[offset] | (data[offset + 1] << 8));
}

std::optional<std::uint32_t> ReadU32LE(ByteView data, std::size_t offset) {
  if (!Fits(data, offset, 4)) return std::nullopt;
  return static_cast<std::uint32_t>(data[offset]) |
         (static_cast<std::uint32_t>(data[offset + 1]) << 8) |
         (static_cast<std::uint32_t>(data[offset + 2]) << 16) |
         (static_cast<std::uint32_t>(data[offset + 3]) << 24);
}

std::optional<std::uint64_t> ReadU64LE(ByteView data, std::size_t offset) {
  auto low = ReadU32LE(data, offset);
  auto high = ReadU32LE(data, offset + 4);
  if (!low || !high || offset + 4 < offset) return std::nullopt;
  return (static_cast<std::uint64_t>(*high) << 32) | *low;
}

std::optional<std::uint32_t> ReadU32BE(ByteView data, std::size_t offset) {
  if (!Fits(data, offset, 4)) return std::nullopt;
  return (static_cast<std::uint32_t>(data[offset]) << 24) |
         (static_cast<std::uint32_t>(data[offset + 1]) << 16) |
         (static_cast<std::uint32_t>(data[offset + 2]) << 8) |
         static_cast<std::uint32_t>(data[offset + 3]);
}

std::optional<ByteView> Slice(ByteView data, std::size_t offset, std::size_t size) {
  if (!Fits(data, offset, size)) return std::nullopt;
  return data.subspan(offset, size);
}

void AppendU16LE(Bytes& out, std::uint16_t value) {
  out.push_back(static_cast<std::uint8_t>(value & 0xFF));
  out.push_back(static_cast<std::uint8_t>(value >> 8));
}

void AppendU32LE(Bytes& out, std::uint32_t value) {
  for (int shift = 0; shift < 32; shift += 8) out.push_back(static_cast<std::uint8_t>(value >> shift));
}

void AppendBytes(Bytes& out, ByteView bytes) { out.insert(out.end(), bytes.begin(), bytes.end()); }

}  // namespace zandrel
