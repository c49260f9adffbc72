#include "gui/win32/data_transfer.h"

#include <ole2.h>
#include <shellapi.h>
#include <shlobj.h>
#include <shobjidl.h>

#include <algorithm>
#include <cstring>
#include <new>

#include "gui/win32/com_object.h"
#include "platform/errors.h"
#include "platform/handles.h"

namespace zandrel::gui {

namespace {

platform::UniqueGlobal GlobalCopy(ByteView bytes) {
  platform::UniqueGlobal memory(GlobalAlloc(GMEM_MOVEABLE, std::max<std::size_t>(bytes.size(), 1)));
  if (!memory) throw std::bad_alloc();
  void* target = GlobalLock(memory.get());
  if (!target) throw std::bad_alloc();
  if (!bytes.empty()) std::memcpy(target, bytes.data(), bytes.size());
  GlobalUnlock(memory.get());
  return memory;
}

}  // namespace

Bytes FileDropBytes(const std::vector<std::wstring>& paths) {
  DROPFILES header{};
  header.pFiles = sizeof header;
  header.fWide = TRUE;
  std::size_t units = 1;  // the list's closing null
  for (const std::wstring& path : paths) units += path.size() + 1;
  Bytes out(sizeof header + units * sizeof(wchar_t), 0);
  std::memcpy(out.data(), &header, sizeof header);
  std::size_t at = sizeof header;
  for (const std::wstring& path : paths) {
    std::memcpy(out.data() + at, path.c_str(), path.size() * sizeof(wchar_t));
    at += (path.size() + 1) * sizeof(wchar_t);
  }
  return out;
}

Bytes DibV5Bytes(std::uint32_t width, std::uint32_t height, const std::vector<std::uint8_t>& rgba) {
  BITMAPV5HEADER header{};
  header.bV5Size = sizeof header;
  header.bV5Width = static_cast<LONG>(width);
  header.bV5Height = static_cast<LONG>(height);  // bottom-up, as most readers expect
  header.bV5Planes = 1;
  header.bV5BitCount = 32;
  header.bV5Compression = BI_BITFIELDS;
  header.bV5SizeImage = width * height * 4;
  header.bV5RedMask = 0x00FF0000;
  header.bV5GreenMask = 0x0000FF00;
  header.bV5BlueMask = 0x000000FF;
  header.bV5AlphaMask = 0xFF000000;
  header.bV5CSType = 0x73524742;  // LCS_sRGB, 'sRGB'
  header.bV5Intent = LCS_GM_IMAGES;
  Bytes out(sizeof header + header.bV5SizeImage, 0);
  std::memcpy(out.data(), &header, sizeof header);
  std::uint8_t* target = out.data() + sizeof header;
  for (std::uint32_t row = height; row-- > 0;) {
    const std::uint8_t* pixel = rgba.data() + std::size_t{row} * width * 4;
    for (std::uint32_t x = 0; x < width; ++x, pixel += 4, target += 4) {
      target[0] = pixel[2];
      target[1] = pixel[1];
      target[2] = pixel[0];
      target[3] = pixel[3];
    }
  }
  return out;
}

UINT PngClipboardFormat() {
  static const UINT format = RegisterClipboardFormatW(L"PNG");
  return format;
}

namespace {

// Closes the clipboard on every path.
struct OpenedClipboard {
  ~OpenedClipboard() { CloseClipboard(); }
};

// Another program may hold the clipboard for a moment (a clipboard manager
// reading what was just put there).
bool OpenClipboardSoon(HWND owner) {
  for (int attempt = 0; attempt < 10; ++attempt) {
    if (OpenClipboard(owner)) return true;
    Sleep(20);
  }
  return false;
}

}  // namespace

ClipboardNames NamesIn(HANDLE drop, HANDLE text) {
  ClipboardNames names;
  if (drop) {
    // The owner keeps the block: it is read, never finished here.
    const auto hdrop = static_cast<HDROP>(drop);
    const UINT count = DragQueryFileW(hdrop, 0xFFFFFFFF, nullptr, 0);
    for (UINT i = 0; i < count; ++i) {
      const UINT length = DragQueryFileW(hdrop, i, nullptr, 0);
      std::wstring path(length + 1, L'\0');
      path.resize(DragQueryFileW(hdrop, i, path.data(), length + 1));
      names.files.push_back(std::move(path));
    }
    return names;
  }
  if (!text) return names;
  if (const auto* chars = static_cast<const wchar_t*>(GlobalLock(text))) {
    // Bounded by the block: the text need not end in a terminator.
    const std::size_t limit = GlobalSize(text) / sizeof(wchar_t);
    try {
      names.text.assign(chars, std::find(chars, chars + limit, L'\0'));
    } catch (...) {
      GlobalUnlock(text);
      throw;
    }
    GlobalUnlock(text);
  }
  return names;
}

ClipboardNames ReadClipboardNames(HWND owner) {
  if (!OpenClipboardSoon(owner)) return {};
  const OpenedClipboard close;
  HANDLE drop = GetClipboardData(CF_HDROP);
  return NamesIn(drop, drop ? nullptr : GetClipboardData(CF_UNICODETEXT));
}

bool PutOnClipboard(HWND owner, const std::vector<TransferItem>& items) {
  if (!OpenClipboardSoon(owner)) return false;
  const OpenedClipboard close;
  platform::ThrowLastErrorIf(!EmptyClipboard(), L"EmptyClipboard");
  for (const TransferItem& item : items) {
    platform::UniqueGlobal memory = GlobalCopy(item.bytes);
    platform::ThrowLastErrorIf(SetClipboardData(item.format, memory.get()) == nullptr,
                               L"SetClipboardData");
    memory.release();  // the clipboard's now
  }
  return true;
}

namespace {

// COM objects end in Release, never through a pointer to their interface:
// the interfaces have no destructor to make virtual.
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wnon-virtual-dtor"

// The formats a data object holds, each an HGLOBAL it owns.
struct StoredFormat {
  FORMATETC format;
  platform::UniqueGlobal memory;
};

class DataObject final : public ComObject<IDataObject> {
 public:
  explicit DataObject(std::vector<TransferItem> items) : ComObject(IID_IDataObject) {
    for (TransferItem& item : items) {
      FORMATETC format{static_cast<CLIPFORMAT>(item.format), nullptr, DVASPECT_CONTENT, -1,
                       TYMED_HGLOBAL};
      stored_.push_back(StoredFormat{format, GlobalCopy(item.bytes)});
    }
  }

  HRESULT STDMETHODCALLTYPE GetData(FORMATETC* format, STGMEDIUM* medium) override {
    if (!format || !medium) return E_INVALIDARG;
    const StoredFormat* stored = Find(*format);
    if (!stored) return DV_E_FORMATETC;
    const SIZE_T size = GlobalSize(stored->memory.get());
    const void* source = GlobalLock(stored->memory.get());
    if (!source) return E_OUTOFMEMORY;
    platform::UniqueGlobal copy(GlobalAlloc(GMEM_MOVEABLE, size));
    void* target = copy ? GlobalLock(copy.get()) : nullptr;
    if (target) {
      std::memcpy(target, source, size);
      GlobalUnlock(copy.get());
    }
    GlobalUnlock(stored->memory.get());
    if (!target) return E_OUTOFMEMORY;
    medium->tymed = TYMED_HGLOBAL;
    medium->hGlobal = copy.release();
    medium->pUnkForRelease = nullptr;
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE GetDataHere(FORMATETC*, STGMEDIUM*) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE QueryGetData(FORMATETC* format) override {
    if (!format) return E_INVALIDARG;
    return Find(*format) ? S_OK : DV_E_FORMATETC;
  }
  HRESULT STDMETHODCALLTYPE GetCanonicalFormatEtc(FORMATETC*, FORMATETC* out) override {
    if (out) out->ptd = nullptr;
    return E_NOTIMPL;
  }
  // The shell stores its drag image and drop descriptions here.
  HRESULT STDMETHODCALLTYPE SetData(FORMATETC* format, STGMEDIUM* medium, BOOL release) override {
    if (!format || !medium) return E_INVALIDARG;
    if (format->tymed != TYMED_HGLOBAL || medium->tymed != TYMED_HGLOBAL) return E_NOTIMPL;
    platform::UniqueGlobal memory;
    if (release) {
      memory.reset(medium->hGlobal);
    } else {
      const SIZE_T size = GlobalSize(medium->hGlobal);
      const void* source = GlobalLock(medium->hGlobal);
      if (!source) return E_INVALIDARG;
      try {
        memory = GlobalCopy(ByteView(static_cast<const std::uint8_t*>(source), size));
      } catch (const std::bad_alloc&) {
        GlobalUnlock(medium->hGlobal);
        return E_OUTOFMEMORY;
      }
      GlobalUnlock(medium->hGlobal);
    }
    FORMATETC kept = *format;
    kept.ptd = nullptr;
    for (StoredFormat& stored : stored_) {
      if (stored.format.cfFormat == kept.cfFormat) {
        stored.memory = std::move(memory);
        return S_OK;
      }
    }
    try {
      stored_.push_back(StoredFormat{kept, std::move(memory)});
    } catch (const std::bad_alloc&) {
      return E_OUTOFMEMORY;
    }
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE EnumFormatEtc(DWORD direction, IEnumFORMATETC** out) override {
    if (!out) return E_POINTER;
    *out = nullptr;
    if (direction != DATADIR_GET) return E_NOTIMPL;
    std::vector<FORMATETC> formats;
    for (const StoredFormat& stored : stored_) formats.push_back(stored.format);
    return SHCreateStdEnumFmtEtc(static_cast<UINT>(formats.size()), formats.data(), out);
  }
  HRESULT STDMETHODCALLTYPE DAdvise(FORMATETC*, DWORD, IAdviseSink*, DWORD*) override {
    return OLE_E_ADVISENOTSUPPORTED;
  }
  HRESULT STDMETHODCALLTYPE DUnadvise(DWORD) override { return OLE_E_ADVISENOTSUPPORTED; }
  HRESULT STDMETHODCALLTYPE EnumDAdvise(IEnumSTATDATA**) override {
    return OLE_E_ADVISENOTSUPPORTED;
  }

 private:
  ~DataObject() override = default;
  const StoredFormat* Find(const FORMATETC& format) const {
    if (!(format.tymed & TYMED_HGLOBAL) || format.dwAspect != DVASPECT_CONTENT) return nullptr;
    for (const StoredFormat& stored : stored_)
      if (stored.format.cfFormat == format.cfFormat) return &stored;
    return nullptr;
  }

  std::vector<StoredFormat> stored_;
};

// Drops on release of the left button, cancels on Escape; the cursors are
// the system's (with the shell's drag image over them).
class DropSource final : public ComObject<IDropSource> {
 public:
  DropSource() : ComObject(IID_IDropSource) {}
  HRESULT STDMETHODCALLTYPE QueryContinueDrag(BOOL escape, DWORD keys) override {
    if (escape) return DRAGDROP_S_CANCEL;
    if (!(keys & MK_LBUTTON)) return DRAGDROP_S_DROP;
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE GiveFeedback(DWORD) override { return DRAGDROP_S_USEDEFAULTCURSORS; }

 private:
  ~DropSource() override = default;
};

#pragma GCC diagnostic pop

}  // namespace

platform::ComPtr<IDataObject> MakeDataObject(std::vector<TransferItem> items) {
  return platform::ComPtr<IDataObject>(new DataObject(std::move(items)));
}

namespace {

// OLE for the time of a drag (the apartment is the application's; a window
// that takes drops holds OLE as well, and the counts nest).
struct OleSession {
  const HRESULT result = OleInitialize(nullptr);
  ~OleSession() {
    if (SUCCEEDED(result)) OleUninitialize();
  }
};

}  // namespace

DWORD DragOut(HWND source, IDataObject* data) {
  const OleSession ole;
  // The shell draws the window's selection under the cursor (a list view
  // answers its DI_GETDRAGIMAGE); without the helper the drag goes on with
  // the plain cursors.
  platform::ComPtr<IDragSourceHelper> helper;
  if (SUCCEEDED(CoCreateInstance(CLSID_DragDropHelper, nullptr, CLSCTX_INPROC_SERVER,
                                 IID_IDragSourceHelper, helper.PutVoid()))) {
    POINT cursor{};
    GetCursorPos(&cursor);
    helper->InitializeFromWindow(source, &cursor, data);
  }
  platform::ComPtr<IDropSource> drop_source(new DropSource);
  DWORD effect = DROPEFFECT_NONE;
  const HRESULT hr = DoDragDrop(data, drop_source.get(), DROPEFFECT_COPY, &effect);
  return hr == DRAGDROP_S_DROP ? effect : DROPEFFECT_NONE;
}

}  // namespace zandrel::gui
