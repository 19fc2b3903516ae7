#pragma once
// Owners for the Win32 handles the platform layer keeps, so every handle is
// closed on every path.

#include <windows.h>

namespace tailpack::win32 {

// A kernel handle closed with CloseHandle. Both null and INVALID_HANDLE_VALUE
// mean "none", since the API uses either to report failure.
class TWinHandle {
 public:
  TWinHandle() = default;
  explicit TWinHandle(HANDLE handle) : handle_(handle) {}
  ~TWinHandle() { Reset(); }
  TWinHandle(TWinHandle&& other) noexcept : handle_(other.Release()) {}
  TWinHandle& operator=(TWinHandle&& other) noexcept {
    if (this != &other) {
      Reset();
      handle_ = other.Release();
    }
    return *this;
  }
  TWinHandle(const TWinHandle&) = delete;
  TWinHandle& operator=(const TWinHandle&) = delete;

  HANDLE Get() const { return handle_; }
  bool Valid() const { return handle_ != nullptr && handle_ != INVALID_HANDLE_VALUE; }
  explicit operator bool() const { return Valid(); }
  HANDLE Release() {
    HANDLE handle = handle_;
    handle_ = nullptr;
    return handle;
  }
  void Reset(HANDLE handle = nullptr) {
    if (Valid()) CloseHandle(handle_);
    handle_ = handle;
  }

 private:
  HANDLE handle_ = nullptr;
};

}  // namespace tailpack::win32
