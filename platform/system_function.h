#pragma once
// Functions that exist only on newer systems are looked up at run time, so
// that the program still starts on older ones (and can tell the user what it
// needs) instead of failing to load.

#include <windows.h>

namespace zandrel::platform {

// The address of an exported function of a system DLL that is already loaded
// in every process (user32, kernel32, dwmapi once linked, ...), or null when
// this system does not have it. Fn is the function's pointer type; name may
// also be an ordinal, MAKEINTRESOURCEA(n).
template <class Fn>
Fn SystemFunction(const wchar_t* module, const char* name) {
  HMODULE loaded = GetModuleHandleW(module);
  if (!loaded) return nullptr;
  return reinterpret_cast<Fn>(reinterpret_cast<void*>(GetProcAddress(loaded, name)));
}

}  // namespace zandrel::platform
