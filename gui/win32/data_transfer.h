#pragma once
// Handing data to other programs: the clipboard, and dragging out of a window
// through an OLE data object. Files travel as CF_HDROP of paths, pictures as
// CF_DIBV5 (32 bits with alpha) and as the registered "PNG" format.

#include <windows.h>
#include <objidl.h>

#include <cstdint>
#include <string>
#include <vector>

#include "core/bytes.h"
#include "platform/com.h"

namespace zandrel::gui {

// One clipboard format and its bytes (an HGLOBAL block once handed over).
struct TransferItem {
  UINT format = 0;
  Bytes bytes;
};

// A DROPFILES block naming the paths (wide, double-null terminated).
Bytes FileDropBytes(const std::vector<std::wstring>& paths);
// A packed bottom-up BITMAPV5HEADER bitmap with BI_BITFIELDS masks of
// straight RGBA pixels given top row first.
Bytes DibV5Bytes(std::uint32_t width, std::uint32_t height, const std::vector<std::uint8_t>& rgba);
// The clipboard format image editors read PNG bytes from.
UINT PngClipboardFormat();

// Replaces the clipboard's contents with the items. False when another
// program holds the clipboard open and keeps it for longer than a short
// wait; other failures throw platform::Win32Error.
bool PutOnClipboard(HWND owner, const std::vector<TransferItem>& items);

// What the clipboard holds that can name a file: the paths of a file drop
// (a file copied in Explorer), or else its text. Both empty when it holds
// neither, or another program keeps it open.
struct ClipboardNames {
  std::vector<std::wstring> files;
  std::wstring text;
};
ClipboardNames ReadClipboardNames(HWND owner);
// The same from a CF_HDROP block or else a CF_UNICODETEXT block (either may
// be null); the blocks stay their owner's.
ClipboardNames NamesIn(HANDLE drop, HANDLE text);

// A data object offering the items in HGLOBAL media. It also keeps what the
// shell stores on it during a drag (its drag image, drop descriptions).
platform::ComPtr<IDataObject> MakeDataObject(std::vector<TransferItem> items);

// Drags the data object out of `source` with copy as the only effect, with
// the shell's drag image of the window's selection when the system has the
// helper; returns when the drag ends. OLE is initialised for the drag's
// time. The effect the target chose, or DROPEFFECT_NONE.
DWORD DragOut(HWND source, IDataObject* data);

}  // namespace zandrel::gui
