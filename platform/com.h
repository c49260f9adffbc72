#pragma once
// Owning pointer for COM interfaces: released on every path.

#include <windows.h>
#include <objbase.h>

#include <utility>

namespace zandrel::platform {

template <class T>
class ComPtr {
 public:
  ComPtr() = default;
  explicit ComPtr(T* raw) : p_(raw) {}
  ~ComPtr() { Reset(); }
  ComPtr(const ComPtr&) = delete;
  ComPtr& operator=(const ComPtr&) = delete;
  ComPtr(ComPtr&& other) noexcept : p_(std::exchange(other.p_, nullptr)) {}
  ComPtr& operator=(ComPtr&& other) noexcept {
    if (this != &other) {
      Reset();
      p_ = std::exchange(other.p_, nullptr);
    }
    return *this;
  }

  T* get() const { return p_; }
  T* operator->() const { return p_; }
  explicit operator bool() const { return p_ != nullptr; }
  // For functions that hand out an interface through an out parameter.
  T** Put() {
    Reset();
    return &p_;
  }
  void** PutVoid() { return reinterpret_cast<void**>(Put()); }
  void Reset() {
    if (p_) {
      p_->Release();
      p_ = nullptr;
    }
  }

  template <class U>
  ComPtr<U> As(REFIID iid) const {
    ComPtr<U> other;
    if (p_) p_->QueryInterface(iid, other.PutVoid());
    return other;
  }

 private:
  T* p_ = nullptr;
};

// A string the system allocated with CoTaskMemAlloc for the caller.
class CoTaskString {
 public:
  CoTaskString() = default;
  ~CoTaskString() { CoTaskMemFree(p_); }
  CoTaskString(const CoTaskString&) = delete;
  CoTaskString& operator=(const CoTaskString&) = delete;
  PWSTR get() const { return p_; }
  explicit operator bool() const { return p_ != nullptr; }
  PWSTR* Put() {
    CoTaskMemFree(std::exchange(p_, nullptr));
    return &p_;
  }

 private:
  PWSTR p_ = nullptr;
};

}  // namespace zandrel::platform
