// Host implementation of core/file_io.h over the standard library.
#include <atomic>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <mutex>

#include "core/file_io.h"
#include "core/text.h"

namespace zandrel {

namespace fs = std::filesystem;

namespace {

fs::path ToPath(std::u16string_view path) {
  // Windows-style separators in test data become host separators.
  std::u16string p(path);
  for (auto& c : p)
    if (c == u'\\') c = u'/';
  return fs::path(p);
}

}  // namespace

FileError::FileError(std::u16string message)
    : std::runtime_error(ToUtf8(message)), message_(std::move(message)) {}

bool FileExists(std::u16string_view path) {
  std::error_code ec;
  return !path.empty() && fs::is_regular_file(ToPath(path), ec);
}

std::optional<std::uint64_t> FileSize(std::u16string_view path) {
  std::error_code ec;
  if (!FileExists(path)) return std::nullopt;
  const auto size = fs::file_size(ToPath(path), ec);
  if (ec) return std::nullopt;
  return static_cast<std::uint64_t>(size);
}

bool DirectoryExists(std::u16string_view path) {
  std::error_code ec;
  return !path.empty() && fs::is_directory(ToPath(path), ec);
}

bool ForceDirectories(std::u16string_view path) {
  if (path.empty()) return false;
  std::error_code ec;
  fs::create_directories(ToPath(path), ec);
  return DirectoryExists(path);
}

std::optional<Bytes> ReadFileBytes(std::u16string_view path, std::size_t max_bytes) {
  if (!FileExists(path)) return std::nullopt;
  std::ifstream in(ToPath(path), std::ios::binary);
  if (!in) return std::nullopt;
  Bytes data;
  char chunk[65536];
  while (data.size() < max_bytes && in) {
    const std::size_t want = std::min<std::size_t>(sizeof chunk, max_bytes - data.size());
    in.read(chunk, static_cast<std::streamsize>(want));
    data.insert(data.end(), chunk, chunk + in.gcount());
  }
  if (in.bad()) return std::nullopt;
  return data;
}

namespace {

class StdRandomAccessFile : public RandomAccessFile {
 public:
  StdRandomAccessFile(std::ifstream in, std::uint64_t size) : in_(std::move(in)), size_(size) {}
  std::uint64_t size() const override { return size_; }
  bool ReadAt(std::uint64_t offset, std::uint8_t* out, std::size_t count) const override {
    const std::lock_guard<std::mutex> lock(mutex_);
    in_.clear();
    in_.seekg(static_cast<std::streamoff>(offset));
    if (!in_) return false;
    in_.read(reinterpret_cast<char*>(out), static_cast<std::streamsize>(count));
    return in_.gcount() == static_cast<std::streamsize>(count);
  }

 private:
  mutable std::mutex mutex_;  // the stream has one position
  mutable std::ifstream in_;
  std::uint64_t size_;
};

}  // namespace

std::unique_ptr<RandomAccessFile> RandomAccessFile::Open(std::u16string_view path) {
  const auto size = FileSize(path);
  if (!size) return nullptr;
  std::ifstream in(ToPath(path), std::ios::binary);
  if (!in) return nullptr;
  return std::make_unique<StdRandomAccessFile>(std::move(in), *size);
}

void WriteFileAtomically(std::u16string_view path, ByteView content) {
  static std::atomic<unsigned> counter{0};
  const fs::path target = ToPath(path);
  // A file that is not there yet is written in place ("x": only if it is
  // new), and removed again when writing fails.
  if (std::FILE* file = std::fopen(target.c_str(), "wbx")) {
    const bool written =
        content.empty() || std::fwrite(content.data(), 1, content.size(), file) == content.size();
    if (std::fclose(file) == 0 && written) return;
    std::error_code ignored;
    fs::remove(target, ignored);
    throw FileError(u"Write failed " + std::u16string(path));
  }
  if (errno != EEXIST) throw FileError(FromUtf8(std::strerror(errno)) + u" " + std::u16string(path));
  // An existing file is replaced through a temporary file beside it.
  fs::path temp = target;
  temp += ".tmp" + std::to_string(counter++);
  {
    std::ofstream out(temp, std::ios::binary | std::ios::trunc);
    if (!out) throw FileError(FromUtf8(std::strerror(errno)) + u" " + std::u16string(path));
    out.write(reinterpret_cast<const char*>(content.data()),
              static_cast<std::streamsize>(content.size()));
    out.close();
    if (!out) {
      std::error_code ignored;
      fs::remove(temp, ignored);
      throw FileError(u"Write failed " + std::u16string(path));
    }
  }
  std::error_code ec;
  fs::rename(temp, target, ec);
  if (ec) {
    std::error_code ignored;
    fs::remove(temp, ignored);
    throw FileError(FromUtf8(ec.message()) + u" " + std::u16string(path));
  }
}

// Host file systems here compare names exactly: nothing to remember.
struct OutputFolder::Names {};

OutputFolder::OutputFolder(std::u16string folder) : folder_(std::move(folder)) {}
OutputFolder::~OutputFolder() = default;

void OutputFolder::Write(std::u16string_view file_name, ByteView content) {
  WriteFileAtomically(folder_ + std::u16string(file_name), content);
}

}  // namespace zandrel
