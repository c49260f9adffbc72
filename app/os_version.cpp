#include "app/os_version.h"

#include <windows.h>

#include <string>

namespace zandrel::app {

namespace {

const wchar_t kCurrentVersionKey[] = L"SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion";

bool ReadDword(HKEY key, const wchar_t* name, unsigned& value) {
  DWORD data = 0, size = sizeof data, type = 0;
  if (RegQueryValueExW(key, name, nullptr, &type, reinterpret_cast<BYTE*>(&data), &size) !=
          ERROR_SUCCESS ||
      type != REG_DWORD)
    return false;
  value = data;
  return true;
}

bool ReadText(HKEY key, const wchar_t* name, std::wstring& value) {
  wchar_t data[256] = {};
  DWORD size = sizeof data - sizeof(wchar_t), type = 0;
  if (RegQueryValueExW(key, name, nullptr, &type, reinterpret_cast<BYTE*>(data), &size) !=
          ERROR_SUCCESS ||
      (type != REG_SZ && type != REG_EXPAND_SZ))
    return false;
  value = data;
  return true;
}

// Leading decimal digits of a text; false when there are none.
bool LeadingNumber(const std::wstring& text, unsigned& value) {
  std::size_t i = 0;
  unsigned long long n = 0;
  while (i < text.size() && text[i] >= L'0' && text[i] <= L'9' && n < 0xFFFFFFFFull)
    n = n * 10 + (text[i++] - L'0');
  if (i == 0) return false;
  value = static_cast<unsigned>(n);
  return true;
}

OsVersion ReadOsVersion() {
  OsVersion v;
  OSVERSIONINFOW info{};
  info.dwOSVersionInfoSize = sizeof info;
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wdeprecated-declarations"
  if (!GetVersionExW(&info)) return v;
#pragma GCC diagnostic pop
  v.major = info.dwMajorVersion;
  v.minor = info.dwMinorVersion;
  v.build = info.dwBuildNumber;
  // Above 6.1 the reported numbers depend on the manifest; the registry says
  // what the system really is.
  if (v.major > 6 || (v.major == 6 && v.minor > 1)) {
    HKEY key = nullptr;
    if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, kCurrentVersionKey, 0, KEY_READ, &key) == ERROR_SUCCESS) {
      std::wstring text;
      if (!ReadDword(key, L"CurrentMajorVersionNumber", v.major) &&
          ReadText(key, L"CurrentVersion", text))
        LeadingNumber(text, v.major);
      if ((ReadText(key, L"CurrentBuild", text) || ReadText(key, L"CurrentBuildNumber", text)))
        LeadingNumber(text, v.build);
      RegCloseKey(key);
    }
  }
  return v;
}

// Read once, before the program entry runs.
const OsVersion g_reported = ReadOsVersion();

}  // namespace

const OsVersion& ReportedOsVersion() {
  return g_reported;
}

}  // namespace zandrel::app
