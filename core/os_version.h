#pragma once
// The system version the Windows 10/11 gate looks at.

namespace zandrel {

struct OsVersion {
  unsigned major = 0;
  unsigned minor = 0;
  unsigned build = 0;
};

// Windows 10 and 11 both report major version 10, from build 10240 on.
constexpr bool IsWindows10Or11(const OsVersion& v) {
  return v.major == 10 && v.build >= 10240;
}

}  // namespace zandrel
