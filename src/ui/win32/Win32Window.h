#pragma once
// The base of the program's own window classes: a window procedure that
// hands every message to the C++ object behind the window, and lets no
// exception out (an unexpected failure ends in the error report, as it
// would anywhere else on this thread).

#include <windows.h>

namespace tailpack::win32 {

class TWin32Window {
 public:
  TWin32Window() = default;
  virtual ~TWin32Window();
  TWin32Window(const TWin32Window&) = delete;
  TWin32Window& operator=(const TWin32Window&) = delete;

  HWND Handle() const { return handle_; }

 protected:
  // Registers the class once (with this module's instance) and creates the
  // window; the object receives WM_NCCREATE and everything after it.
  HWND CreateOwnWindow(const wchar_t* className, DWORD exStyle, DWORD style, const wchar_t* caption, int x, int y,
                       int width, int height, HWND parent, HBRUSH background);
  // Destroys the window now (the destructor does it too).
  void DestroyOwnWindow();
  virtual LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam);
  // Called once the window is destroyed (WM_NCDESTROY).
  virtual void WindowDestroyed() {}

 private:
  static LRESULT CALLBACK WindowProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
  HWND handle_ = nullptr;
};

// The outer rectangle of a window with that client size and those styles,
// centred on the primary screen.
RECT CentredWindowRect(int clientWidth, int clientHeight, DWORD style, DWORD exStyle);

}  // namespace tailpack::win32
