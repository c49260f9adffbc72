#pragma once
// An owning registry key with the reads and writes the program needs. Opening
// a key that must exist, and every write, throw Win32Error with the system's
// reason; reads of values that may be missing return nothing instead.

#include <windows.h>

#include <cstdint>
#include <optional>
#include <string>

namespace zandrel::platform {

class RegistryKey {
 public:
  RegistryKey() = default;
  ~RegistryKey();
  RegistryKey(const RegistryKey&) = delete;
  RegistryKey& operator=(const RegistryKey&) = delete;
  RegistryKey(RegistryKey&& other) noexcept;
  RegistryKey& operator=(RegistryKey&& other) noexcept;

  // The existing key, or nothing when it is missing or cannot be opened.
  static std::optional<RegistryKey> TryOpen(HKEY parent, const std::wstring& path,
                                            REGSAM access = KEY_READ);
  // The existing key; throws when it cannot be opened.
  static RegistryKey Open(HKEY parent, const std::wstring& path, REGSAM access = KEY_READ);
  // Opens the key, creating it and its missing parents; throws on failure.
  static RegistryKey Create(HKEY parent, const std::wstring& path,
                            REGSAM access = KEY_READ | KEY_WRITE);
  // True when the key exists.
  static bool Exists(HKEY parent, const std::wstring& path);
  // Deletes the key with everything below it; a missing key is no error.
  static void DeleteTree(HKEY parent, const std::wstring& path);
  // Deletes this one key; false when it is missing, has subkeys or cannot be
  // deleted. Never throws.
  static bool Delete(HKEY parent, const std::wstring& path);

  HKEY get() const { return key_; }
  explicit operator bool() const { return key_ != nullptr; }

  // True when the value exists, of any type.
  bool HasValue(const std::wstring& name) const;
  // A REG_DWORD value, or nothing when missing or of another type.
  std::optional<std::uint32_t> ReadDword(const std::wstring& name) const;
  // A REG_SZ or REG_EXPAND_SZ value (not expanded), or nothing.
  std::optional<std::wstring> ReadString(const std::wstring& name) const;
  // An empty name writes the key's default value.
  void WriteString(const std::wstring& name, const std::wstring& value);
  void WriteDword(const std::wstring& name, std::uint32_t value);
  // A missing value is no error.
  void DeleteValue(const std::wstring& name);

 private:
  explicit RegistryKey(HKEY key) : key_(key) {}
  void Close();
  HKEY key_ = nullptr;
};

}  // namespace zandrel::platform
