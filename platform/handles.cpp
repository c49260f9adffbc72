#include "platform/handles.h"

#include <winhttp.h>

#include "platform/crypto.h"
#include "platform/internet.h"
#include "platform/system_function.h"

namespace zandrel::platform {

namespace handle_traits {

void Kernel::Close(HANDLE h) { CloseHandle(h); }
void KernelFile::Close(HANDLE h) { CloseHandle(h); }
void FindFile::Close(HANDLE h) { FindClose(h); }
void Icon::Close(HICON icon) { DestroyIcon(icon); }
template <class G>
void Gdi<G>::Close(G object) {
  DeleteObject(object);
}
template struct Gdi<HBRUSH>;
template struct Gdi<HPEN>;
template struct Gdi<HFONT>;
template struct Gdi<HBITMAP>;
void Menu::Close(HMENU menu) { DestroyMenu(menu); }
void Module::Close(HMODULE module) { FreeLibrary(module); }
void Drop::Close(HDROP drop) { DragFinish(drop); }
void ImageList::Close(HIMAGELIST list) { ImageList_Destroy(list); }
void LocalMemory::Close(HLOCAL memory) { LocalFree(memory); }
void GlobalMemory::Close(HGLOBAL memory) { GlobalFree(memory); }
void Resource::Close(HGLOBAL resource) { FreeResource(resource); }
void Window::Close(HWND window) {
  if (IsWindow(window)) DestroyWindow(window);
}
void Internet::Close(HINTERNET handle) { WinHttpCloseHandle(handle); }
void CryptAlgorithm::Close(BCRYPT_ALG_HANDLE handle) {
  BCryptCloseAlgorithmProvider(handle, 0);
}
void CryptKey::Close(BCRYPT_KEY_HANDLE handle) {
  BCryptDestroyKey(handle);
}

}  // namespace handle_traits

bool IconBitmaps::Read(HICON icon) {
  ICONINFO info{};
  if (!icon || !GetIconInfo(icon, &info)) return false;
  color.reset(info.hbmColor);
  mask.reset(info.hbmMask);
  return true;
}

WindowDC::~WindowDC() {
  if (dc_) ReleaseDC(hwnd_, dc_);
}

bool RunningUnderWow64() {
  using IsWow64ProcessFn = BOOL(WINAPI*)(HANDLE, PBOOL);
  static const auto fn = SystemFunction<IsWow64ProcessFn>(L"kernel32.dll", "IsWow64Process");
  BOOL wow64 = FALSE;
  if (!fn || !fn(GetCurrentProcess(), &wow64)) return false;
  return wow64 != FALSE;
}

Wow64RedirectionOff::Wow64RedirectionOff() {
  if (!RunningUnderWow64()) return;
  using DisableFn = BOOL(WINAPI*)(PVOID*);
  static const auto disable =
      SystemFunction<DisableFn>(L"kernel32.dll", "Wow64DisableWow64FsRedirection");
  active_ = disable && disable(&old_value_);
}

Wow64RedirectionOff::~Wow64RedirectionOff() {
  if (!active_) return;
  using RevertFn = BOOL(WINAPI*)(PVOID);
  static const auto revert =
      SystemFunction<RevertFn>(L"kernel32.dll", "Wow64RevertWow64FsRedirection");
  if (revert) revert(old_value_);
}

}  // namespace zandrel::platform
