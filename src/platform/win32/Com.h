#pragma once
// Owners for the component object model: a per-thread initialisation and an
// interface pointer that is released when it goes.

#include <objbase.h>

#include <utility>

namespace tailpack::win32 {

// Initialises COM (single-threaded apartment) for the calling thread unless it
// already is, and undoes exactly what it did. A thread that already runs in
// another apartment mode keeps it; COM objects still work there.
class TComInitialisation {
 public:
  TComInitialisation() {
    HRESULT result = CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED | COINIT_DISABLE_OLE1DDE);
    // S_FALSE: already initialised in this mode, but still counted.
    mustUninitialise_ = SUCCEEDED(result);
    usable_ = SUCCEEDED(result) || result == RPC_E_CHANGED_MODE;
  }
  ~TComInitialisation() {
    if (mustUninitialise_) CoUninitialize();
  }
  TComInitialisation(const TComInitialisation&) = delete;
  TComInitialisation& operator=(const TComInitialisation&) = delete;

  bool Usable() const { return usable_; }

 private:
  bool mustUninitialise_ = false;
  bool usable_ = false;
};

template <typename TInterface>
class TComPtr {
 public:
  TComPtr() = default;
  ~TComPtr() { Reset(); }
  TComPtr(TComPtr&& other) noexcept : pointer_(std::exchange(other.pointer_, nullptr)) {}
  TComPtr& operator=(TComPtr&& other) noexcept {
    if (this != &other) {
      Reset();
      pointer_ = std::exchange(other.pointer_, nullptr);
    }
    return *this;
  }
  TComPtr(const TComPtr&) = delete;
  TComPtr& operator=(const TComPtr&) = delete;

  TInterface* Get() const { return pointer_; }
  TInterface* operator->() const { return pointer_; }
  explicit operator bool() const { return pointer_ != nullptr; }
  // For functions that hand out a new reference through an out parameter.
  TInterface** Put() {
    Reset();
    return &pointer_;
  }
  void** PutVoid() { return reinterpret_cast<void**>(Put()); }
  void Reset() {
    if (pointer_) std::exchange(pointer_, nullptr)->Release();
  }

  template <typename TOther>
  TComPtr<TOther> As(REFIID id) const {
    TComPtr<TOther> other;
    if (pointer_) pointer_->QueryInterface(id, other.PutVoid());
    return other;
  }

 private:
  TInterface* pointer_ = nullptr;
};

}  // namespace tailpack::win32
