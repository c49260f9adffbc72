#include "platform/registry.h"

#include <utility>
#include <vector>

#include "platform/errors.h"

namespace zandrel::platform {

namespace {

[[noreturn]] void ThrowRegistryError(LSTATUS status, const std::wstring& what) {
  const DWORD code = static_cast<DWORD>(status);
  throw Win32Error(what + L": " + SystemErrorText(code), code);
}

}  // namespace

RegistryKey::~RegistryKey() {
  Close();
}

RegistryKey::RegistryKey(RegistryKey&& other) noexcept : key_(std::exchange(other.key_, nullptr)) {}

RegistryKey& RegistryKey::operator=(RegistryKey&& other) noexcept {
  if (this != &other) {
    Close();
    key_ = std::exchange(other.key_, nullptr);
  }
  return *this;
}

void RegistryKey::Close() {
  if (key_) RegCloseKey(key_);
  key_ = nullptr;
}

std::optional<RegistryKey> RegistryKey::TryOpen(HKEY parent, const std::wstring& path,
                                                REGSAM access) {
  HKEY key = nullptr;
  if (RegOpenKeyExW(parent, path.c_str(), 0, access, &key) != ERROR_SUCCESS) return std::nullopt;
  return RegistryKey(key);
}

RegistryKey RegistryKey::Open(HKEY parent, const std::wstring& path, REGSAM access) {
  HKEY key = nullptr;
  const LSTATUS status = RegOpenKeyExW(parent, path.c_str(), 0, access, &key);
  if (status != ERROR_SUCCESS) ThrowRegistryError(status, L"Registry key " + path);
  return RegistryKey(key);
}

RegistryKey RegistryKey::Create(HKEY parent, const std::wstring& path, REGSAM access) {
  HKEY key = nullptr;
  const LSTATUS status = RegCreateKeyExW(parent, path.c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE,
                                         access, nullptr, &key, nullptr);
  if (status != ERROR_SUCCESS) ThrowRegistryError(status, L"Registry key " + path);
  return RegistryKey(key);
}

bool RegistryKey::Exists(HKEY parent, const std::wstring& path) {
  return TryOpen(parent, path).has_value();
}

void RegistryKey::DeleteTree(HKEY parent, const std::wstring& path) {
  const LSTATUS status = RegDeleteTreeW(parent, path.c_str());
  if (status != ERROR_SUCCESS && status != ERROR_FILE_NOT_FOUND)
    ThrowRegistryError(status, L"Registry key " + path);
}

bool RegistryKey::Delete(HKEY parent, const std::wstring& path) {
  return RegDeleteKeyW(parent, path.c_str()) == ERROR_SUCCESS;
}

bool RegistryKey::HasValue(const std::wstring& name) const {
  return RegQueryValueExW(key_, name.c_str(), nullptr, nullptr, nullptr, nullptr) == ERROR_SUCCESS;
}

std::optional<std::uint32_t> RegistryKey::ReadDword(const std::wstring& name) const {
  DWORD data = 0, size = sizeof data, type = 0;
  if (RegQueryValueExW(key_, name.c_str(), nullptr, &type, reinterpret_cast<BYTE*>(&data), &size) !=
          ERROR_SUCCESS ||
      type != REG_DWORD || size != sizeof data)
    return std::nullopt;
  return data;
}

std::optional<std::wstring> RegistryKey::ReadString(const std::wstring& name) const {
  // The size may change between the two calls; try again until it fits.
  for (int attempt = 0; attempt < 4; ++attempt) {
    DWORD type = 0, size = 0;
    if (RegQueryValueExW(key_, name.c_str(), nullptr, &type, nullptr, &size) != ERROR_SUCCESS ||
        (type != REG_SZ && type != REG_EXPAND_SZ))
      return std::nullopt;
    // Room for a terminator the stored value may lack.
    std::vector<wchar_t> buffer(size / sizeof(wchar_t) + 2, L'\0');
    DWORD got = static_cast<DWORD>((buffer.size() - 1) * sizeof(wchar_t));
    const LSTATUS status = RegQueryValueExW(key_, name.c_str(), nullptr, &type,
                                            reinterpret_cast<BYTE*>(buffer.data()), &got);
    if (status == ERROR_MORE_DATA) continue;
    if (status != ERROR_SUCCESS || (type != REG_SZ && type != REG_EXPAND_SZ)) return std::nullopt;
    std::wstring text(buffer.data(), got / sizeof(wchar_t));
    const std::size_t end = text.find(L'\0');
    if (end != std::wstring::npos) text.resize(end);
    return text;
  }
  return std::nullopt;
}

void RegistryKey::WriteString(const std::wstring& name, const std::wstring& value) {
  const DWORD bytes = static_cast<DWORD>((value.size() + 1) * sizeof(wchar_t));
  const LSTATUS status = RegSetValueExW(key_, name.empty() ? nullptr : name.c_str(), 0, REG_SZ,
                                        reinterpret_cast<const BYTE*>(value.c_str()), bytes);
  if (status != ERROR_SUCCESS) ThrowRegistryError(status, L"Registry value " + name);
}

void RegistryKey::WriteDword(const std::wstring& name, std::uint32_t value) {
  const DWORD data = value;
  const LSTATUS status = RegSetValueExW(key_, name.c_str(), 0, REG_DWORD,
                                        reinterpret_cast<const BYTE*>(&data), sizeof data);
  if (status != ERROR_SUCCESS) ThrowRegistryError(status, L"Registry value " + name);
}

void RegistryKey::DeleteValue(const std::wstring& name) {
  const LSTATUS status = RegDeleteValueW(key_, name.c_str());
  if (status != ERROR_SUCCESS && status != ERROR_FILE_NOT_FOUND)
    ThrowRegistryError(status, L"Registry value " + name);
}

}  // namespace zandrel::platform
