#pragma once
// Taking drops from other programs through OLE: files (CF_HDROP) and text
// (CF_UNICODETEXT, such as a path or an icon location dragged out of an
// editor or a browser). Files alone also arrive as WM_DROPFILES; text comes
// only this way.

#include <windows.h>

#include <functional>
#include <memory>

#include "gui/win32/data_transfer.h"

namespace zandrel::gui {

// While it lives, `window` takes drops of files or text and hands what they
// name to `on_drop`. OLE is initialised on the window's thread for as long;
// when it cannot be, or the window cannot be registered, drops of files
// still arrive as WM_DROPFILES.
class DropTarget {
 public:
  DropTarget(HWND window, std::function<void(const ClipboardNames&)> on_drop);
  ~DropTarget();
  DropTarget(const DropTarget&) = delete;
  DropTarget& operator=(const DropTarget&) = delete;
  bool registered() const { return registered_; }

 private:
  HWND window_;
  bool ole_ = false;
  bool registered_ = false;
};

}  // namespace zandrel::gui
