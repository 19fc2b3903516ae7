#include "ui/win32/Win32Window.h"

#include <exception>

#include "diag/ErrorReport.h"

namespace tailpack::win32 {

TWin32Window::~TWin32Window() { DestroyOwnWindow(); }

HWND TWin32Window::CreateOwnWindow(const wchar_t* className, DWORD exStyle, DWORD style, const wchar_t* caption,
                                   int x, int y, int width, int height, HWND parent, HBRUSH background) {
  HINSTANCE instance = GetModuleHandleW(nullptr);
  WNDCLASSEXW existing{};
  existing.cbSize = sizeof existing;
  if (!GetClassInfoExW(instance, className, &existing)) {
    WNDCLASSEXW windowClass{};
    windowClass.cbSize = sizeof windowClass;
    windowClass.style = CS_DBLCLKS;
    windowClass.lpfnWndProc = WindowProcedure;
    windowClass.hInstance = instance;
    windowClass.hCursor = LoadCursorW(nullptr, reinterpret_cast<LPCWSTR>(IDC_ARROW));
    windowClass.hbrBackground = background;
    // The application icon of the resource script, where there is one.
    windowClass.hIcon = static_cast<HICON>(LoadImageW(instance, MAKEINTRESOURCEW(1), IMAGE_ICON, 0, 0, LR_DEFAULTSIZE));
    windowClass.hIconSm = static_cast<HICON>(LoadImageW(instance, MAKEINTRESOURCEW(1), IMAGE_ICON,
                                                        GetSystemMetrics(SM_CXSMICON), GetSystemMetrics(SM_CYSMICON), 0));
    windowClass.lpszClassName = className;
    RegisterClassExW(&windowClass);
  }
  return CreateWindowExW(exStyle, className, caption, style, x, y, width, height, parent, nullptr, instance, this);
}

void TWin32Window::DestroyOwnWindow() {
  if (handle_) DestroyWindow(handle_);
}

LRESULT TWin32Window::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
  return DefWindowProcW(handle_, message, wParam, lParam);
}

LRESULT CALLBACK TWin32Window::WindowProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_NCCREATE) {
    auto* created = static_cast<TWin32Window*>(reinterpret_cast<CREATESTRUCTW*>(lParam)->lpCreateParams);
    created->handle_ = window;
    SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(created));
  }
  auto* self = reinterpret_cast<TWin32Window*>(GetWindowLongPtrW(window, GWLP_USERDATA));
  if (!self) return DefWindowProcW(window, message, wParam, lParam);
  try {
    LRESULT result = self->HandleMessage(message, wParam, lParam);
    if (message == WM_NCDESTROY) {
      SetWindowLongPtrW(window, GWLP_USERDATA, 0);
      self->handle_ = nullptr;
      self->WindowDestroyed();
    }
    return result;
  } catch (const std::exception& failure) {
    ErrorReport(failure.what(), "");
  } catch (...) {
    ErrorReport("Unknown exception", "");
  }
}

RECT CentredWindowRect(int clientWidth, int clientHeight, DWORD style, DWORD exStyle) {
  RECT rect{0, 0, clientWidth, clientHeight};
  AdjustWindowRectEx(&rect, style, FALSE, exStyle);
  int width = rect.right - rect.left;
  int height = rect.bottom - rect.top;
  int left = (GetSystemMetrics(SM_CXSCREEN) - width) / 2;
  int top = (GetSystemMetrics(SM_CYSCREEN) - height) / 2;
  return RECT{left, top, left + width, top + height};
}

}  // namespace tailpack::win32
