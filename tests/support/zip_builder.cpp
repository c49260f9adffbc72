#include "tests/support/zip_builder.h"

#include <cstdint>

namespace zandrel::testing {

namespace {

std::uint32_t Crc32(const std::string& data) {
  std::uint32_t crc = 0xFFFFFFFF;
  for (const char c : data) {
    crc ^= static_cast<std::uint8_t>(c);
    for (int bit = 0; bit < 8; ++bit) crc = (crc >> 1) ^ (0xEDB88320 & (0 - (crc & 1)));
  }
  return ~crc;
}

void AppendText(Bytes& out, const std::string& text) {
  out.insert(out.end(), text.begin(), text.end());
}

}  // namespace

Bytes MakeZip(const std::vector<ZipEntry>& entries) {
  Bytes zip, directory;
  for (const ZipEntry& entry : entries) {
    const auto offset = static_cast<std::uint32_t>(zip.size());
    const std::uint32_t crc = Crc32(entry.data);
    const auto size = static_cast<std::uint32_t>(entry.data.size());
    const auto name_length = static_cast<std::uint16_t>(entry.name.size());
    // Local header: signature, version 2.0, no flags, stored, no date.
    AppendU32LE(zip, 0x04034B50);
    for (const std::uint16_t v : {20, 0, 0, 0, 0}) AppendU16LE(zip, v);
    for (const std::uint32_t v : {crc, size, size}) AppendU32LE(zip, v);
    AppendU16LE(zip, name_length);
    AppendU16LE(zip, 0);
    AppendText(zip, entry.name);
    AppendText(zip, entry.data);

    AppendU32LE(directory, 0x02014B50);
    for (const std::uint16_t v : {20, 20, 0, 0, 0, 0}) AppendU16LE(directory, v);
    for (const std::uint32_t v : {crc, size, size}) AppendU32LE(directory, v);
    for (const std::uint16_t v :
         {name_length, std::uint16_t{0}, std::uint16_t{0}, std::uint16_t{0}, std::uint16_t{0}})
      AppendU16LE(directory, v);
    AppendU32LE(directory, 0);  // external attributes
    AppendU32LE(directory, offset);
    AppendText(directory, entry.name);
  }
  const auto directory_offset = static_cast<std::uint32_t>(zip.size());
  AppendBytes(zip, directory);
  const auto count = static_cast<std::uint16_t>(entries.size());
  AppendU32LE(zip, 0x06054B50);
  for (const std::uint16_t v : {std::uint16_t{0}, std::uint16_t{0}, count, count})
    AppendU16LE(zip, v);
  AppendU32LE(zip, static_cast<std::uint32_t>(directory.size()));
  AppendU32LE(zip, directory_offset);
  AppendU16LE(zip, 0);  // no comment
  return zip;
}

}  // namespace zandrel::testing
