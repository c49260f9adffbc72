#pragma once
// The data a window subclass was installed with. comctl32 exports
// GetWindowSubclass by ordinal only, and mingw-w64's x86_64 import library
// lacks it, so both builds look it up at run time, once.

#include <windows.h>
#include <commctrl.h>

namespace zandrel::platform {

// GetWindowSubclass: true with *data set when hwnd carries the subclass
// (proc, id).
bool GetWindowSubclassData(HWND hwnd, SUBCLASSPROC proc, UINT_PTR id, DWORD_PTR* data);

}  // namespace zandrel::platform
