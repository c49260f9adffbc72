// Windows implementation of core/file_io.h over the Win32 file API.
#include <windows.h>

#include <algorithm>
#include <atomic>

#include "core/file_io.h"
#include "core/text.h"
#include "platform/errors.h"
#include "platform/handles.h"
#include "platform/wide.h"

namespace zandrel {

using platform::FromWide;
using platform::ToWide;

namespace {

[[noreturn]] void ThrowFileError(DWORD code, std::u16string_view path) {
  throw FileError(FromWide(platform::SystemErrorText(code)) + u" " + std::u16string(path));
}

// Writes all of content; the error code of a failed write, or 0.
DWORD WriteWhole(HANDLE file, ByteView content) {
  std::size_t done = 0;
  while (done < content.size()) {
    const DWORD chunk = static_cast<DWORD>(std::min<std::size_t>(content.size() - done, 1u << 24));
    DWORD written = 0;
    if (!WriteFile(file, content.data() + done, chunk, &written, nullptr) || written == 0)
      return GetLastError() != 0 ? GetLastError() : ERROR_WRITE_FAULT;
    done += written;
  }
  return 0;
}

DWORD Attributes(std::u16string_view path) {
  if (path.empty()) return INVALID_FILE_ATTRIBUTES;
  return GetFileAttributesW(ToWide(path).c_str());
}

}  // namespace

FileError::FileError(std::u16string message)
    : std::runtime_error(ToUtf8(message)), message_(std::move(message)) {}

bool FileExists(std::u16string_view path) {
  const DWORD a = Attributes(path);
  return a != INVALID_FILE_ATTRIBUTES && !(a & FILE_ATTRIBUTE_DIRECTORY);
}

std::optional<std::uint64_t> FileSize(std::u16string_view path) {
  if (path.empty()) return std::nullopt;
  WIN32_FILE_ATTRIBUTE_DATA data{};
  if (!GetFileAttributesExW(ToWide(path).c_str(), GetFileExInfoStandard, &data) ||
      (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY))
    return std::nullopt;
  return (std::uint64_t{data.nFileSizeHigh} << 32) | data.nFileSizeLow;
}

bool DirectoryExists(std::u16string_view path) {
  const DWORD a = Attributes(path);
  return a != INVALID_FILE_ATTRIBUTES && (a & FILE_ATTRIBUTE_DIRECTORY);
}

bool ForceDirectories(std::u16string_view path) {
  std::wstring p = ToWide(path);
  while (p.size() > 3 && (p.back() == L'\\' || p.back() == L'/')) p.pop_back();
  if (p.empty()) return false;
  if (DirectoryExists(FromWide(p))) return true;
  const std::size_t sep = p.find_last_of(L"\\/");
  if (sep != std::wstring::npos && sep > 0) {
    const std::wstring parent = p.substr(0, sep + (p[sep - 1] == L':' ? 1 : 0));
    if (parent != p && !parent.empty() && !(parent.size() == 2 && parent[1] == L':'))
      ForceDirectories(FromWide(parent));
  }
  CreateDirectoryW(p.c_str(), nullptr);
  return DirectoryExists(FromWide(p));
}

std::optional<Bytes> ReadFileBytes(std::u16string_view path, std::size_t max_bytes) {
  if (path.empty()) return std::nullopt;
  platform::UniqueFile file(CreateFileW(ToWide(path).c_str(), GENERIC_READ,
                          FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                          OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!file) return std::nullopt;
  Bytes data;
  std::uint8_t chunk[65536];
  while (data.size() < max_bytes) {
    const DWORD want = static_cast<DWORD>(std::min<std::size_t>(sizeof chunk, max_bytes - data.size()));
    DWORD got = 0;
    if (!ReadFile(file.get(), chunk, want, &got, nullptr)) return std::nullopt;
    if (got == 0) break;
    data.insert(data.end(), chunk, chunk + got);
  }
  return data;
}

namespace {

class Win32RandomAccessFile : public RandomAccessFile {
 public:
  Win32RandomAccessFile(platform::UniqueFile file, std::uint64_t size)
      : file_(std::move(file)), size_(size) {}
  std::uint64_t size() const override { return size_; }
  bool ReadAt(std::uint64_t offset, std::uint8_t* out, std::size_t count) const override {
    while (count > 0) {
      // The offset travels with each read, so concurrent reads stay apart.
      OVERLAPPED at{};
      at.Offset = static_cast<DWORD>(offset & 0xFFFFFFFFu);
      at.OffsetHigh = static_cast<DWORD>(offset >> 32);
      const DWORD want = static_cast<DWORD>(std::min<std::size_t>(count, 1u << 24));
      DWORD got = 0;
      if (!ReadFile(file_.get(), out, want, &got, &at) || got == 0) return false;
      out += got;
      offset += got;
      count -= got;
    }
    return true;
  }

 private:
  platform::UniqueFile file_;
  std::uint64_t size_;
};

}  // namespace

std::unique_ptr<RandomAccessFile> RandomAccessFile::Open(std::u16string_view path) {
  if (path.empty()) return nullptr;
  platform::UniqueFile file(CreateFileW(ToWide(path).c_str(), GENERIC_READ,
                                        FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                        nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!file) return nullptr;
  LARGE_INTEGER size{};
  if (!GetFileSizeEx(file.get(), &size) || size.QuadPart < 0) return nullptr;
  return std::make_unique<Win32RandomAccessFile>(std::move(file),
                                                 static_cast<std::uint64_t>(size.QuadPart));
}

void WriteFileAtomically(std::u16string_view path, ByteView content) {
  static std::atomic<unsigned> counter{0};
  const std::wstring target = ToWide(path);
  // A file that is not there yet is written in place, and removed again when
  // writing fails: there is nothing to keep, and every name the system has to
  // look up in a large folder costs time.
  {
    platform::UniqueFile file(CreateFileW(target.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                                          FILE_ATTRIBUTE_NORMAL, nullptr));
    if (file) {
      const DWORD write_error = WriteWhole(file.get(), content);
      file.reset();
      if (write_error != 0) {
        DeleteFileW(target.c_str());
        ThrowFileError(write_error, path);
      }
      return;
    }
    const DWORD code = GetLastError();
    if (code != ERROR_FILE_EXISTS && code != ERROR_ALREADY_EXISTS) ThrowFileError(code, path);
  }
  // An existing file is replaced through a temporary file beside it, so it
  // stays whole until the new content is complete.
  const std::wstring temp = target + L"." + std::to_wstring(GetCurrentProcessId()) + L"-" +
                            std::to_wstring(counter++) + L".tmp";
  DWORD write_error = 0;
  {
    platform::UniqueFile file(CreateFileW(temp.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                          FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file) ThrowFileError(GetLastError(), path);
    write_error = WriteWhole(file.get(), content);
  }
  if (write_error != 0) {
    DeleteFileW(temp.c_str());
    ThrowFileError(write_error, path);
  }
  if (!MoveFileExW(temp.c_str(), target.c_str(), MOVEFILE_REPLACE_EXISTING)) {
    const DWORD code = GetLastError();
    DeleteFileW(temp.c_str());
    ThrowFileError(code, path);
  }
}

}  // namespace zandrel
