#pragma once
// File access used by the core. One header, two implementations: the Windows
// tree uses the Win32 file API (platform/file_io_win32.cpp), the host tree the
// standard library (core/file_io_std.cpp).

#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>

#include "core/bytes.h"

namespace zandrel {

// A failed file operation; message() is the system's text for the failure.
class FileError : public std::runtime_error {
 public:
  explicit FileError(std::u16string message);
  const std::u16string& message() const { return message_; }

 private:
  std::u16string message_;
};

// True for an existing file (not a folder).
bool FileExists(std::u16string_view path);
bool DirectoryExists(std::u16string_view path);
// Creates the folder with all missing parents; true when it exists afterwards.
bool ForceDirectories(std::u16string_view path);
// The size of an existing file; nullopt when it cannot be had.
std::optional<std::uint64_t> FileSize(std::u16string_view path);
// Up to max_bytes from the start of the file, shared for reading and writing
// with others; nullopt when it cannot be opened or read.
std::optional<Bytes> ReadFileBytes(std::u16string_view path,
                                   std::size_t max_bytes = static_cast<std::size_t>(-1));
// A file kept open for reads at any offset, shared for reading and writing
// with others as ReadFileBytes shares it. Each read names its own offset, so
// reads from several threads do not disturb each other.
class RandomAccessFile {
 public:
  // nullptr when the file cannot be opened.
  static std::unique_ptr<RandomAccessFile> Open(std::u16string_view path);
  virtual ~RandomAccessFile() = default;
  // The size when the file was opened.
  virtual std::uint64_t size() const = 0;
  // Exactly `count` bytes from `offset` into `out`; false when a read fails or
  // the file no longer holds them (someone cut it short since it was opened).
  virtual bool ReadAt(std::uint64_t offset, std::uint8_t* out, std::size_t count) const = 0;
};

// Writes the whole content so that a failure never leaves half a file: a new
// file is written in place and removed if writing fails; an existing one is
// replaced through a temporary file beside it, so it stays whole until the
// new content is complete. Throws FileError.
void WriteFileAtomically(std::u16string_view path, ByteView content);

// One folder that a run writes many files into, each as WriteFileAtomically
// writes it. The folder's names are read once when it is opened, so a file
// whose name is new to it is created without the system having to look the
// name up among all the others first. (Under Wine every such case-blind lookup
// reads the whole folder, which makes thousands of new files cost the square
// of their count; there a new file is created through the folder's host path.)
class OutputFolder {
 public:
  // `folder` ends in a separator.
  explicit OutputFolder(std::u16string folder);
  ~OutputFolder();
  OutputFolder(const OutputFolder&) = delete;
  OutputFolder& operator=(const OutputFolder&) = delete;

  const std::u16string& path() const { return folder_; }
  // Writes folder + file_name. Throws FileError.
  void Write(std::u16string_view file_name, ByteView content);

 private:
  struct Names;
  std::u16string folder_;
  std::unique_ptr<Names> names_;
};

}  // namespace zandrel
