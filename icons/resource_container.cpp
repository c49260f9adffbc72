#include "icons/resource_container.h"

#include "core/paths.h"
#include "icons/ani_file.h"
#include "icons/byte_source.h"
#include "icons/icon_file.h"
#include "icons/image_set.h"
#include "icons/ne_reader.h"
#include "icons/pe_reader.h"

namespace zandrel::icons {

namespace {

enum class Format { kUnknown, kPe, kNe, kImageSet, kAni };

// What the first bytes say. An MZ header leads to a PE or an NE module (or
// to neither: a DOS program, which no reader takes).
Format Sniff(const ByteSource& source) {
  const Bounded file(source);
  const auto head = file.Copy(0, std::min<std::uint64_t>(file.size(), 12));
  if (!head) return Format::kUnknown;
  if (LooksLikeAniFile(*head)) return Format::kAni;
  if (LooksLikeNeModule(file)) return Format::kNe;
  if (ReadU16LE(*head, 0) == 0x5A4D) return Format::kPe;  // the PE reader says why not
  if (LooksLikeImageSet(*head)) return Format::kImageSet;
  return Format::kUnknown;
}

template <class Module>
OpenedContainer Opened(std::unique_ptr<Module> module, ContainerKind kind) {
  OpenedContainer opened;
  opened.kind = kind;
  if (!module) {
    opened.error = ContainerError::kUnknownFormat;
    return opened;
  }
  opened.file_size = module->file_size();
  opened.module = std::move(module);
  return opened;
}

// A container's bytes: its file, or bytes in memory.
struct Input {
  std::unique_ptr<RandomAccessFile> file;
  Bytes bytes;
};

template <class Module>
std::unique_ptr<Module> Read(Input& input) {
  return input.file ? Module::FromOpenFile(std::move(input.file))
                    : Module::FromBytes(std::move(input.bytes));
}

OpenedContainer OpenAs(Format format, Input input, std::u16string_view file_name) {
  switch (format) {
    case Format::kPe: {
      PeOpenError error = PeOpenError::kNone;
      auto module = input.file ? PeResourceModule::FromOpenFile(std::move(input.file), &error)
                               : PeResourceModule::FromBytes(std::move(input.bytes), &error);
      OpenedContainer opened = Opened(std::move(module), ContainerKind::kPeModule);
      if (error == PeOpenError::kBadHeaders) opened.error = ContainerError::kBadHeaders;
      return opened;
    }
    case Format::kNe:
      return Opened(Read<NeResourceModule>(input), ContainerKind::kNeModule);
    case Format::kAni:
      return Opened(Read<AniFileModule>(input), ContainerKind::kAniFile);
    case Format::kImageSet: {
      const std::u16string name = ExtractFileName(file_name);
      auto module = input.file ? IconFileModule::FromOpenFile(std::move(input.file), name)
                               : IconFileModule::FromBytes(std::move(input.bytes), name);
      const ContainerKind kind =
          module && module->is_cursor() ? ContainerKind::kCursorFile : ContainerKind::kIconFile;
      return Opened(std::move(module), kind);
    }
    case Format::kUnknown:
      break;
  }
  OpenedContainer opened;
  opened.error = ContainerError::kUnknownFormat;
  return opened;
}

Format SniffFile(const RandomAccessFile& file) {
  const BlockCachedFile source(file);
  return Sniff(source);
}

OpenedContainer OpenFile(std::u16string_view path, bool unless_pe) {
  auto file = RandomAccessFile::Open(path);
  OpenedContainer opened;
  if (!file) {
    opened.error = ContainerError::kCannotRead;
    return opened;
  }
  const Format format = SniffFile(*file);
  if (unless_pe && format == Format::kPe) return opened;
  return OpenAs(format, {std::move(file), {}}, path);
}

}  // namespace

OpenedContainer OpenResourceContainer(std::u16string_view path) {
  return OpenFile(path, false);
}

OpenedContainer OpenResourceContainerUnlessPe(std::u16string_view path) {
  return OpenFile(path, true);
}

OpenedContainer OpenResourceContainer(std::unique_ptr<RandomAccessFile> file,
                                      std::u16string_view file_name) {
  const Format format = SniffFile(*file);
  return OpenAs(format, {std::move(file), {}}, file_name);
}

OpenedContainer ResourceContainerFromBytes(Bytes bytes, std::u16string_view file_name) {
  const Format format = Sniff(MemorySource(bytes));
  return OpenAs(format, {nullptr, std::move(bytes)}, file_name);
}

}  // namespace zandrel::icons
