#pragma once
// Errors raised by the platform layer: an exception carrying user-readable text.

#include <stdexcept>
#include <string>

#include <windows.h>

namespace zandrel::platform {

class Win32Error : public std::runtime_error {
 public:
  Win32Error(const std::wstring& what, DWORD code);
  DWORD code() const { return code_; }
  const std::wstring& text() const { return text_; }

 private:
  DWORD code_;
  std::wstring text_;
};

// The system's message text for an error code, without the trailing line break.
std::wstring SystemErrorText(DWORD code);

// Throws Win32Error with GetLastError() when the condition is false.
void ThrowLastErrorIf(bool failed, const std::wstring& what);

}  // namespace zandrel::platform
