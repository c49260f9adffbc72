#pragma once
// Bounds-checked access to little- and big-endian values in untrusted bytes.

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <vector>

namespace zandrel {

using ByteView = std::span<const std::uint8_t>;
using Bytes = std::vector<std::uint8_t>;

// Each reader answers nullopt when the value would reach past the end.
std::optional<std::uint8_t> ReadU8(ByteView data, std::size_t offset);
std::optional<std::uint16_t> ReadU16LE(ByteView data, std::size_t offset);
std::optional<std::uint32_t> ReadU32LE(ByteView data, std::size_t offset);
std::optional<std::uint64_t> ReadU64LE(ByteView data, std::size_t offset);
std::optional<std::uint32_t> ReadU32BE(ByteView data, std::size_t offset);

// The sub-range [offset, offset + size), or nullopt when it is not wholly inside.
std::optional<ByteView> Slice(ByteView data, std::size_t offset, std::size_t size);

void AppendU16LE(Bytes& out, std::uint16_t value);
void AppendU32LE(Bytes& out, std::uint32_t value);
void AppendBytes(Bytes& out, ByteView bytes);

}  // namespace zandrel
