#include "platform/os_version.h"

#include <windows.h>

#include <string>

#include "platform/registry.h"

namespace zandrel::platform {

namespace {

const wchar_t kCurrentVersionKey[] = L"SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion";

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
    if (auto key = RegistryKey::TryOpen(HKEY_LOCAL_MACHINE, kCurrentVersionKey)) {
      if (auto major = key->ReadDword(L"CurrentMajorVersionNumber")) {
        v.major = *major;
      } else if (auto text = key->ReadString(L"CurrentVersion")) {
        LeadingNumber(*text, v.major);
      }
      auto build = key->ReadString(L"CurrentBuild");
      if (!build) build = key->ReadString(L"CurrentBuildNumber");
      if (build) LeadingNumber(*build, v.build);
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

}  // namespace zandrel::platform
