// Windows implementation of core/file_io.h over the Win32 file API.
#include <windows.h>

#include <algorithm>
#include <atomic>
#include <optional>
#include <unordered_set>

#include "core/casefold.h"
#include "core/file_io.h"
#include "core/text.h"
#include "platform/errors.h"
#include "platform/handles.h"
#include "platform/wide.h"
#include "platform/wine.h"

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

namespace {

// Under Wine: "\\?\unix" and the folder's host path, through which Wine
// creates a file without first searching the folder for the name in any
// letter case. Empty elsewhere, and when that path does not lead to the very
// same folder.
std::wstring HostFolderPath(const std::wstring& folder) {
  const std::string host = platform::WineHostPath(folder);
  if (host.empty() || host.front() != '/') return {};
  std::wstring path = ToWide(FromUtf8(host));
  while (path.size() > 1 && path.back() == L'/') path.pop_back();
  std::wstring prefixed = L"\\\\?\\unix" + path;

  auto identity = [](const std::wstring& p) -> std::optional<BY_HANDLE_FILE_INFORMATION> {
    platform::UniqueFile dir(CreateFileW(
        p.c_str(), FILE_READ_ATTRIBUTES, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
        nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr));
    BY_HANDLE_FILE_INFORMATION info{};
    if (!dir || !GetFileInformationByHandle(dir.get(), &info) ||
        !(info.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY))
      return std::nullopt;
    return info;
  };
  const auto a = identity(folder);
  const auto b = identity(prefixed);
  if (!a || !b || a->dwVolumeSerialNumber != b->dwVolumeSerialNumber ||
      a->nFileIndexHigh != b->nFileIndexHigh || a->nFileIndexLow != b->nFileIndexLow)
    return {};
  return prefixed;
}

// A name that means the same file through the host path as through the
// Windows one: no separators, nothing Windows refuses or rewrites in a name.
bool PlainName(std::u16string_view name) {
  if (name.empty() || name.size() > 240 || name.back() == u'.' || name.back() == u' ') return false;
  for (const char16_t c : name) {
    if (c < 0x20 || (c >= 0xD800 && c <= 0xDFFF) || (c >= 0xF000 && c <= 0xF0FF) ||
        std::u16string_view(u"\"*/:<>?\\|").find(c) != std::u16string_view::npos)
      return false;
  }
  return true;
}

}  // namespace

struct OutputFolder::Names {
  std::wstring host_path;                    // as HostFolderPath gives it
  std::unordered_set<std::u16string> taken;  // upper-cased
};

OutputFolder::OutputFolder(std::u16string folder) : folder_(std::move(folder)) {
  std::wstring wide = ToWide(folder_);
  while (wide.size() > 3 && (wide.back() == L'\\' || wide.back() == L'/')) wide.pop_back();
  std::wstring host = HostFolderPath(wide);
  if (host.empty()) return;
  auto names = std::make_unique<Names>();
  names->host_path = std::move(host);
  WIN32_FIND_DATAW found{};
  const std::wstring pattern = ToWide(folder_) + L"*";
  HANDLE search = FindFirstFileExW(pattern.c_str(), FindExInfoBasic, &found, FindExSearchNameMatch,
                                   nullptr, FIND_FIRST_EX_LARGE_FETCH);
  if (search == INVALID_HANDLE_VALUE) return;
  do {
    names->taken.insert(UpperCase(FromWide(found.cFileName)));
  } while (FindNextFileW(search, &found));
  const DWORD end = GetLastError();
  FindClose(search);
  if (end == ERROR_NO_MORE_FILES) names_ = std::move(names);
}

OutputFolder::~OutputFolder() = default;

void OutputFolder::Write(std::u16string_view file_name, ByteView content) {
  const std::u16string path = folder_ + std::u16string(file_name);
  if (!names_ || !PlainName(file_name)) return WriteFileAtomically(path, content);
  // A name the folder holds in some letter case is replaced the usual way.
  if (!names_->taken.insert(UpperCase(file_name)).second) return WriteFileAtomically(path, content);
  const std::wstring host = names_->host_path + L"/" + ToWide(file_name);
  platform::UniqueFile file(CreateFileW(host.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                                        FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!file) return WriteFileAtomically(path, content);
  const DWORD write_error = WriteWhole(file.get(), content);
  file.reset();
  if (write_error != 0) {
    DeleteFileW(host.c_str());
    ThrowFileError(write_error, path);
  }
}

}  // namespace zandrel
