#include "gui/win32/drop_target.h"

#include <ole2.h>

#include <utility>

#include "gui/win32/com_object.h"
#include "platform/handles.h"

namespace zandrel::gui {

namespace {

FORMATETC GlobalFormat(CLIPFORMAT format) {
  return FORMATETC{format, nullptr, DVASPECT_CONTENT, -1, TYMED_HGLOBAL};
}

bool Offers(IDataObject* data, CLIPFORMAT format) {
  FORMATETC wanted = GlobalFormat(format);
  return data && data->QueryGetData(&wanted) == S_OK;
}

// The medium's block, released on every path.
struct Medium {
  STGMEDIUM medium{};
  bool held = false;
  Medium(IDataObject* data, CLIPFORMAT format) {
    FORMATETC wanted = GlobalFormat(format);
    held = SUCCEEDED(data->GetData(&wanted, &medium)) && medium.tymed == TYMED_HGLOBAL;
  }
  ~Medium() {
    if (held) ReleaseStgMedium(&medium);
  }
  HANDLE block() const { return held ? medium.hGlobal : nullptr; }
};

class Target final : public ComObject<IDropTarget> {
 public:
  explicit Target(std::function<void(const ClipboardNames&)> on_drop)
      : ComObject(IID_IDropTarget), on_drop_(std::move(on_drop)) {}

  HRESULT STDMETHODCALLTYPE DragEnter(IDataObject* data, DWORD, POINTL, DWORD* effect) override {
    acceptable_ = Offers(data, CF_HDROP) || Offers(data, CF_UNICODETEXT);
    return DragOver(0, {}, effect);
  }
  HRESULT STDMETHODCALLTYPE DragOver(DWORD, POINTL, DWORD* effect) override {
    if (!effect) return E_INVALIDARG;
    *effect = acceptable_ && (*effect & DROPEFFECT_COPY) ? DROPEFFECT_COPY : DROPEFFECT_NONE;
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE DragLeave() override {
    acceptable_ = false;
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE Drop(IDataObject* data, DWORD, POINTL, DWORD* effect) override {
    if (!effect) return E_INVALIDARG;
    *effect = DROPEFFECT_NONE;
    if (!data) return S_OK;
    const Medium files(data, CF_HDROP);
    const Medium text(data, files.held ? 0 : CF_UNICODETEXT);
    if (!files.held && !text.held) return S_OK;
    // The handler runs inside the source's drag loop: what may show a
    // window it posts to itself for after the drag.
    ClipboardNames names;
    try {
      names = NamesIn(files.block(), text.block());
    } catch (...) {
      return E_OUTOFMEMORY;
    }
    *effect = DROPEFFECT_COPY;
    on_drop_(names);
    return S_OK;
  }

 private:
  ~Target() override = default;
  std::function<void(const ClipboardNames&)> on_drop_;
  bool acceptable_ = false;
};

}  // namespace

DropTarget::DropTarget(HWND window, std::function<void(const ClipboardNames&)> on_drop)
    : window_(window) {
  ole_ = SUCCEEDED(OleInitialize(nullptr));
  if (!ole_) return;
  platform::ComPtr<IDropTarget> target(new Target(std::move(on_drop)));
  registered_ = SUCCEEDED(RegisterDragDrop(window_, target.get()));
}

DropTarget::~DropTarget() {
  if (registered_) RevokeDragDrop(window_);
  if (ole_) OleUninitialize();
}

}  // namespace zandrel::gui
