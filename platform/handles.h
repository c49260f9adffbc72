#pragma once
// Owning wrappers for the system's handles: each releases its handle on every
// path, exactly once. These are the only places that close, destroy, free or
// delete a handle; the rest of the program holds one of these.

#include <windows.h>
#include <shellapi.h>
#include <commctrl.h>

#include <utility>

namespace zandrel::platform {

// A handle of type T with its release function and its empty value.
template <class T, class Traits>
class UniqueAny {
 public:
  UniqueAny() = default;
  explicit UniqueAny(T value) : value_(value) {}
  ~UniqueAny() { reset(); }
  UniqueAny(const UniqueAny&) = delete;
  UniqueAny& operator=(const UniqueAny&) = delete;
  UniqueAny(UniqueAny&& other) noexcept : value_(other.release()) {}
  UniqueAny& operator=(UniqueAny&& other) noexcept {
    if (this != &other) reset(other.release());
    return *this;
  }

  T get() const { return value_; }
  explicit operator bool() const { return Traits::Valid(value_); }
  // Gives the handle up without releasing it.
  T release() { return std::exchange(value_, Traits::Empty()); }
  void reset(T value = Traits::Empty()) {
    T old = std::exchange(value_, value);
    if (Traits::Valid(old)) Traits::Close(old);
  }
  // For functions that hand out a handle through an out parameter.
  T* put() {
    reset();
    return &value_;
  }

 private:
  T value_ = Traits::Empty();
};

namespace handle_traits {

template <class T>
struct NullIsEmpty {
  static T Empty() { return T{}; }
  static bool Valid(T value) { return value != T{}; }
};

struct Kernel : NullIsEmpty<HANDLE> {
  static void Close(HANDLE h);
};
// CreateFileW and a few others return INVALID_HANDLE_VALUE, not null.
struct KernelFile {
  static HANDLE Empty() { return INVALID_HANDLE_VALUE; }
  static bool Valid(HANDLE h) { return h != INVALID_HANDLE_VALUE && h != nullptr; }
  static void Close(HANDLE h);
};
// FindFirstFileW's search handle, closed with FindClose.
struct FindFile {
  static HANDLE Empty() { return INVALID_HANDLE_VALUE; }
  static bool Valid(HANDLE h) { return h != INVALID_HANDLE_VALUE && h != nullptr; }
  static void Close(HANDLE h);
};
struct Icon : NullIsEmpty<HICON> {
  static void Close(HICON icon);
};
template <class G>
struct Gdi : NullIsEmpty<G> {
  static void Close(G object);
};
struct Menu : NullIsEmpty<HMENU> {
  static void Close(HMENU menu);
};
struct Module : NullIsEmpty<HMODULE> {
  static void Close(HMODULE module);
};
struct Drop : NullIsEmpty<HDROP> {
  static void Close(HDROP drop);
};
struct ImageList : NullIsEmpty<HIMAGELIST> {
  static void Close(HIMAGELIST list);
};
struct LocalMemory : NullIsEmpty<HLOCAL> {
  static void Close(HLOCAL memory);
};
struct GlobalMemory : NullIsEmpty<HGLOBAL> {
  static void Close(HGLOBAL memory);
};
struct Resource : NullIsEmpty<HGLOBAL> {
  static void Close(HGLOBAL resource);
};
struct Window : NullIsEmpty<HWND> {
  static void Close(HWND window);
};

}  // namespace handle_traits

using UniqueHandle = UniqueAny<HANDLE, handle_traits::Kernel>;
using UniqueFile = UniqueAny<HANDLE, handle_traits::KernelFile>;
using UniqueFindFile = UniqueAny<HANDLE, handle_traits::FindFile>;
using UniqueIcon = UniqueAny<HICON, handle_traits::Icon>;
using UniqueBrush = UniqueAny<HBRUSH, handle_traits::Gdi<HBRUSH>>;
using UniquePen = UniqueAny<HPEN, handle_traits::Gdi<HPEN>>;
using UniqueFont = UniqueAny<HFONT, handle_traits::Gdi<HFONT>>;
using UniqueBitmap = UniqueAny<HBITMAP, handle_traits::Gdi<HBITMAP>>;
using UniqueMenu = UniqueAny<HMENU, handle_traits::Menu>;
// A module loaded by LoadLibraryExW (as a data file or otherwise).
using UniqueModule = UniqueAny<HMODULE, handle_traits::Module>;
// The handle of a drop on a window (WM_DROPFILES).
using UniqueDrop = UniqueAny<HDROP, handle_traits::Drop>;
using UniqueImageList = UniqueAny<HIMAGELIST, handle_traits::ImageList>;
using UniqueLocalMemory = UniqueAny<HLOCAL, handle_traits::LocalMemory>;
// Movable memory for the clipboard and data objects (GlobalFree); once the
// clipboard or a caller owns it, release() hands it over.
using UniqueGlobal = UniqueAny<HGLOBAL, handle_traits::GlobalMemory>;
// A loaded resource (FreeResource; a formality on every current system).
using UniqueResource = UniqueAny<HGLOBAL, handle_traits::Resource>;
// A window this code created and owns.
using UniqueWindow = UniqueAny<HWND, handle_traits::Window>;

// The colour and mask bitmaps GetIconInfo hands out.
struct IconBitmaps {
  UniqueBitmap color;
  UniqueBitmap mask;
  // false when the icon's bitmaps cannot be had.
  bool Read(HICON icon);
};

// A device context of a window (or of the screen) from GetDC, released on
// every path.
class WindowDC {
 public:
  explicit WindowDC(HWND hwnd) : hwnd_(hwnd), dc_(GetDC(hwnd)) {}
  ~WindowDC();
  WindowDC(const WindowDC&) = delete;
  WindowDC& operator=(const WindowDC&) = delete;
  HDC get() const { return dc_; }

 private:
  HWND hwnd_;
  HDC dc_;
};

// A GDI object selected into a device context for the lifetime of this
// object; the previous object is selected back afterwards.
class ScopedSelect {
 public:
  ScopedSelect(HDC dc, HGDIOBJ object) : dc_(dc), old_(object ? SelectObject(dc, object) : nullptr) {}
  ~ScopedSelect() {
    if (old_) SelectObject(dc_, old_);
  }
  ScopedSelect(const ScopedSelect&) = delete;
  ScopedSelect& operator=(const ScopedSelect&) = delete;

 private:
  HDC dc_;
  HGDIOBJ old_;
};

// WM_PAINT's BeginPaint / EndPaint pair.
class ScopedPaint {
 public:
  explicit ScopedPaint(HWND hwnd) : hwnd_(hwnd) { dc_ = BeginPaint(hwnd, &ps_); }
  ~ScopedPaint() { EndPaint(hwnd_, &ps_); }
  ScopedPaint(const ScopedPaint&) = delete;
  ScopedPaint& operator=(const ScopedPaint&) = delete;
  HDC dc() const { return dc_; }

 private:
  HWND hwnd_;
  PAINTSTRUCT ps_{};
  HDC dc_ = nullptr;
};

// File-system redirection of a 32-bit process on a 64-bit system, switched
// off for this thread while alive so that the real system folders are seen.
// Does nothing where there is no redirection.
class Wow64RedirectionOff {
 public:
  Wow64RedirectionOff();
  ~Wow64RedirectionOff();
  Wow64RedirectionOff(const Wow64RedirectionOff&) = delete;
  Wow64RedirectionOff& operator=(const Wow64RedirectionOff&) = delete;

 private:
  PVOID old_value_ = nullptr;
  bool active_ = false;
};

// True when this 32-bit process runs on a 64-bit system.
bool RunningUnderWow64();

}  // namespace zandrel::platform
