#include "update/package_check.h"

#include <cstdint>
#include <optional>
#include <string_view>

namespace zandrel::update {

namespace {

constexpr std::uint32_t kEndRecordSignature = 0x06054B50;
constexpr std::uint32_t kDirectoryEntrySignature = 0x02014B50;
constexpr std::uint32_t kLocalHeaderSignature = 0x04034B50;
constexpr std::size_t kEndRecordSize = 22;
constexpr std::size_t kDirectoryEntrySize = 46;
constexpr std::size_t kLocalHeaderSize = 30;
constexpr std::size_t kMaxComment = 0xFFFF;

bool IsSeparator(std::uint8_t c) {
  return c == '/' || c == '\\';
}

bool IsForbiddenCharacter(std::uint8_t c) {
  return c < 0x20 || c == 0x7F ||
         std::string_view(":*?\"<>|").find(static_cast<char>(c)) != std::string_view::npos;
}

std::uint8_t Upper(std::uint8_t c) {
  return c >= 'a' && c <= 'z' ? static_cast<std::uint8_t>(c - 'a' + 'A') : c;
}

bool EqualsUpper(ByteView text, std::string_view upper) {
  if (text.size() != upper.size()) return false;
  for (std::size_t i = 0; i < text.size(); ++i)
    if (Upper(text[i]) != static_cast<std::uint8_t>(upper[i])) return false;
  return true;
}

// A digit after COM or LPT: 0-9, or a superscript one, two or three as the
// byte the Latin code pages give it or as its UTF-8 pair.
bool IsPortNumber(ByteView rest) {
  const auto superscript = [](std::uint8_t c) { return c == 0xB9 || c == 0xB2 || c == 0xB3; };
  if (rest.size() == 1) return (rest[0] >= '0' && rest[0] <= '9') || superscript(rest[0]);
  return rest.size() == 2 && rest[0] == 0xC2 && superscript(rest[1]);
}

// Windows opens a device for these names whatever extension follows, and
// ignores blanks before the extension.
bool IsDeviceName(ByteView segment) {
  std::size_t stem = 0;
  while (stem < segment.size() && segment[stem] != '.') ++stem;
  while (stem > 0 && segment[stem - 1] == ' ') --stem;
  const ByteView name = segment.first(stem);
  for (const std::string_view device : {"CON", "PRN", "AUX", "NUL", "CONIN$", "CONOUT$", "CLOCK$"})
    if (EqualsUpper(name, device)) return true;
  return name.size() >= 4 &&
         (EqualsUpper(name.first(3), "COM") || EqualsUpper(name.first(3), "LPT")) &&
         IsPortNumber(name.subspan(3));
}

// ".", "..", "...", ". ." and the like: Windows drops trailing dots and
// blanks, so each of these means this folder or the one above.
bool IsDotsAndBlanks(ByteView segment) {
  for (const std::uint8_t c : segment)
    if (c != '.' && c != ' ') return false;
  return true;
}

bool IsSafeSegment(ByteView segment) {
  return !segment.empty() && !IsDotsAndBlanks(segment) && !IsDeviceName(segment);
}

}  // namespace

bool IsWindowsExecutable(ByteView file) {
  if (file.size() < 0x40 || file[0] != 'M' || file[1] != 'Z') return false;
  const std::optional<std::uint32_t> pe = ReadU32LE(file, 0x3C);
  if (!pe || *pe < 0x40) return false;
  // The signature and the file header that follows it.
  const std::optional<ByteView> header = Slice(file, *pe, 4 + 20);
  return header && (*header)[0] == 'P' && (*header)[1] == 'E' && (*header)[2] == 0 &&
         (*header)[3] == 0;
}

bool IsSafeEntryName(ByteView name, std::size_t folder_length) {
  if (name.empty() || IsSeparator(name[0])) return false;
  if (name.size() > kMaxJoinedPath || folder_length > kMaxJoinedPath - name.size()) return false;
  std::size_t start = 0;
  for (std::size_t i = 0; i <= name.size(); ++i) {
    if (i < name.size() && IsForbiddenCharacter(name[i])) return false;
    if (i < name.size() && !IsSeparator(name[i])) continue;
    // A separator as the last byte closes a folder entry's name.
    const bool trailing = i + 1 == name.size();
    if (!IsSafeSegment(name.subspan(start, i - start))) return false;
    if (trailing) break;
    start = i + 1;
  }
  return true;
}

ArchiveCheck CheckArchive(ByteView zip, std::size_t folder_length) {
  if (zip.size() < kEndRecordSize) return ArchiveCheck::kNotAZip;
  // The last end record in the file's tail, as the unpacking finds it: at
  // most a full comment away from the end.
  const std::size_t last = zip.size() - kEndRecordSize;
  const std::size_t first = last > kMaxComment ? last - kMaxComment : 0;
  std::optional<std::size_t> end_record;
  for (std::size_t at = last + 1; at-- > first;) {
    if (ReadU32LE(zip, at) == kEndRecordSignature) {
      end_record = at;
      break;
    }
  }
  if (!end_record) return ArchiveCheck::kNotAZip;
  const std::size_t end = *end_record;
  const std::uint16_t disk = *ReadU16LE(zip, end + 4);
  const std::uint16_t directory_disk = *ReadU16LE(zip, end + 6);
  const std::uint16_t entries_here = *ReadU16LE(zip, end + 8);
  const std::uint16_t entries = *ReadU16LE(zip, end + 10);
  const std::uint32_t directory_size = *ReadU32LE(zip, end + 12);
  const std::uint32_t directory_offset = *ReadU32LE(zip, end + 16);
  // Split archives and ZIP64 (whose markers are these all-ones values) are
  // not what a release is made of.
  if (disk != 0 || directory_disk != 0 || entries_here != entries || entries == 0xFFFF ||
      directory_size == 0xFFFFFFFF || directory_offset == 0xFFFFFFFF)
    return ArchiveCheck::kNotAZip;
  if (directory_offset > end || directory_size > end - directory_offset)
    return ArchiveCheck::kNotAZip;
  const std::size_t directory_end = std::size_t{directory_offset} + directory_size;

  // Entries follow one another from the directory's start for as long as
  // their signature does, which is how the unpacking reads them.
  std::size_t at = directory_offset;
  std::size_t count = 0;
  bool unsafe = false;
  while (ReadU32LE(zip, at) == kDirectoryEntrySignature) {
    if (++count > entries) return ArchiveCheck::kNotAZip;
    const std::optional<ByteView> fixed = Slice(zip, at, kDirectoryEntrySize);
    if (!fixed) return ArchiveCheck::kNotAZip;
    const std::size_t name_length = *ReadU16LE(*fixed, 28);
    const std::size_t extra_length = *ReadU16LE(*fixed, 30);
    const std::size_t comment_length = *ReadU16LE(*fixed, 32);
    const std::uint32_t local_offset = *ReadU32LE(*fixed, 42);
    const std::size_t variable = name_length + extra_length + comment_length;
    if (!Slice(zip, at + kDirectoryEntrySize, variable)) return ArchiveCheck::kNotAZip;
    if (local_offset == 0xFFFFFFFF || ReadU32LE(zip, local_offset) != kLocalHeaderSignature ||
        !Slice(zip, local_offset, kLocalHeaderSize))
      return ArchiveCheck::kNotAZip;
    // Every entry is read to the end even after an unsafe one, so that a
    // damaged directory is reported as such.
    if (!IsSafeEntryName(zip.subspan(at + kDirectoryEntrySize, name_length), folder_length))
      unsafe = true;
    at += kDirectoryEntrySize + variable;
  }
  if (count != entries || at != directory_end) return ArchiveCheck::kNotAZip;
  return unsafe ? ArchiveCheck::kUnsafeEntry : ArchiveCheck::kSafe;
}

}  // namespace zandrel::update
