#pragma once
// IUnknown for a COM object of one interface, deleted by its last Release.

#include <windows.h>
#include <unknwn.h>

namespace zandrel::gui {

#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wnon-virtual-dtor"

template <class Interface>
class ComObject : public Interface {
 public:
  explicit ComObject(const IID& iid) : iid_(iid) {}
  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** out) override {
    if (!out) return E_POINTER;
    if (iid == IID_IUnknown || iid == iid_) {
      *out = static_cast<Interface*>(this);
      AddRef();
      return S_OK;
    }
    *out = nullptr;
    return E_NOINTERFACE;
  }
  ULONG STDMETHODCALLTYPE AddRef() override { return InterlockedIncrement(&references_); }
  ULONG STDMETHODCALLTYPE Release() override {
    const ULONG left = InterlockedDecrement(&references_);
    if (left == 0) delete this;
    return left;
  }

 protected:
  virtual ~ComObject() = default;

 private:
  const IID& iid_;
  LONG references_ = 1;
};

#pragma GCC diagnostic pop

}  // namespace zandrel::gui
