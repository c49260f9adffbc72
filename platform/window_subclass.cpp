#include "platform/window_subclass.h"

#include "platform/system_function.h"

namespace zandrel::platform {

namespace {

using GetWindowSubclassFn = BOOL(WINAPI*)(HWND, SUBCLASSPROC, UINT_PTR, DWORD_PTR*);

constexpr WORD kGetWindowSubclassOrdinal = 411;

}  // namespace

bool GetWindowSubclassData(HWND hwnd, SUBCLASSPROC proc, UINT_PTR id, DWORD_PTR* data) {
  // The comctl32 the program's imports were bound to: the version the
  // manifest asks for, which is also the one the name finds on this thread.
  static const auto fn = SystemFunction<GetWindowSubclassFn>(
      L"comctl32.dll", MAKEINTRESOURCEA(kGetWindowSubclassOrdinal));
  return fn && hwnd && fn(hwnd, proc, id, data);
}

}  // namespace zandrel::platform
