#include "ui/win32/Win32Windows.h"

#include <commctrl.h>
#include <richedit.h>

#include "ui/WindowDesign.h"

namespace tailpack::win32 {

namespace {

constexpr DWORD kVerifyStyle = WS_POPUP | WS_CAPTION | WS_CLIPCHILDREN;
constexpr DWORD kVerifyExStyle = WS_EX_TOOLWINDOW;
constexpr DWORD kDebugStyle = WS_OVERLAPPEDWINDOW | WS_CLIPCHILDREN;

std::wstring WideOf(const char* text) { return std::wstring(text, text + std::char_traits<char>::length(text)); }

HWND MakeChild(HWND parent, const wchar_t* className, const std::wstring& text, DWORD style, const RECT& rect,
               HFONT font) {
  HWND child = CreateWindowExW(0, className, text.c_str(), WS_CHILD | WS_VISIBLE | style, rect.left, rect.top,
                               rect.right - rect.left, rect.bottom - rect.top, parent, nullptr,
                               GetModuleHandleW(nullptr), nullptr);
  if (child) SendMessageW(child, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
  return child;
}

}  // namespace

void PumpPendingMessages() {
  MSG message;
  while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
    if (message.message == WM_QUIT) {
      PostQuitMessage(static_cast<int>(message.wParam));
      return;
    }
    TranslateMessage(&message);
    DispatchMessageW(&message);
  }
}

// --- Verification window ------------------------------------------------------------

TWin32VerificationWindow::TWin32VerificationWindow() : font_(MakeFont(TFont{})) {
  RECT outer = CentredWindowRect(kVerifyClientSize.Width, kVerifyClientSize.Height, kVerifyStyle, kVerifyExStyle);
  CreateOwnWindow(L"TailpackVerify", kVerifyExStyle, kVerifyStyle, WideOf(kVerifyCaption).c_str(), outer.left,
                  outer.top, outer.right - outer.left, outer.bottom - outer.top, nullptr, GetSysColorBrush(COLOR_BTNFACE));
  if (!Handle()) return;
  const int labelWidth = kVerifyClientSize.Width - 2 * kVerifyWaitLabelAt.X;
  MakeChild(Handle(), L"STATIC", WideOf(kVerifyWaitText), SS_LEFT | SS_NOPREFIX,
            RECT{kVerifyWaitLabelAt.X, kVerifyWaitLabelAt.Y, kVerifyWaitLabelAt.X + labelWidth, kVerifyWaitLabelAt.Y + 13},
            font_.Get());
  status_ = MakeChild(Handle(), L"STATIC", WideOf(kVerifyInitialStatus), SS_LEFT | SS_NOPREFIX,
                      RECT{kVerifyStatusLabelAt.X, kVerifyStatusLabelAt.Y, kVerifyStatusLabelAt.X + labelWidth,
                           kVerifyStatusLabelAt.Y + 13},
                      font_.Get());
  const TBounds& bar = kVerifyProgressBounds;
  progress_ = MakeChild(Handle(), PROGRESS_CLASSW, L"", PBS_SMOOTH,
                        RECT{bar.Left, bar.Top, bar.Left + bar.Width, bar.Top + bar.Height}, font_.Get());
  SendMessageW(progress_, PBM_SETRANGE32, 0, 100);
}

void TWin32VerificationWindow::Show() {
  if (!Handle()) return;
  ShowWindow(Handle(), SW_SHOWNORMAL);
  SetForegroundWindow(Handle());
  Repaint();
}

void TWin32VerificationWindow::SetStatus(const std::u16string& text) {
  if (status_) SetWindowTextW(status_, ToWideText(text).c_str());
}

void TWin32VerificationWindow::SetProgress(uint32_t position, uint32_t maximum) {
  if (!progress_) return;
  SendMessageW(progress_, PBM_SETRANGE32, 0, static_cast<LPARAM>(maximum));
  SendMessageW(progress_, PBM_SETPOS, position, 0);
}

void TWin32VerificationWindow::Repaint() {
  if (!Handle()) return;
  RedrawWindow(Handle(), nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW | RDW_ALLCHILDREN);
  // Start-up does not run a message loop while it verifies: the window
  // takes what is waiting for it here, so it stays responsive.
  PumpPendingMessages();
}

void TWin32VerificationWindow::Close() { DestroyOwnWindow(); }

LRESULT TWin32VerificationWindow::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
  // Nothing closes it but start-up.
  if (message == WM_CLOSE) return 0;
  return TWin32Window::HandleMessage(message, wParam, lParam);
}

// --- Debug window ---------------------------------------------------------------------

TWin32DebugWindow::TWin32DebugWindow(std::wstring richEditClass, HWND owner)
    : richEditClass_(std::move(richEditClass)), owner_(owner), font_(MakeFont(TFont{})) {}

void TWin32DebugWindow::ShowModal(const std::vector<std::u16string>& lines) {
  if (shown_) return;
  if (!Handle()) {
    // The outer size is the design's; centred on the screen.
    const int left = (GetSystemMetrics(SM_CXSCREEN) - kDebugWindowSize.Width) / 2;
    const int top = (GetSystemMetrics(SM_CYSCREEN) - kDebugWindowSize.Height) / 2;
    CreateOwnWindow(L"TailpackDebug", 0, kDebugStyle, WideOf(kDebugCaption).c_str(), left, top, kDebugWindowSize.Width,
                    kDebugWindowSize.Height, owner_, GetSysColorBrush(COLOR_BTNFACE));
    if (!Handle()) return;
    RECT client;
    GetClientRect(Handle(), &client);
    text_ = MakeChild(Handle(), richEditClass_.c_str(), L"",
                      ES_MULTILINE | ES_AUTOVSCROLL | ES_AUTOHSCROLL | WS_VSCROLL | WS_HSCROLL, client, font_.Get());
  }
  std::wstring all;
  for (const std::u16string& line : lines) all += ToWideText(line) + L"\r\n";
  if (text_) SetWindowTextW(text_, all.c_str());

  shown_ = true;
  if (owner_) EnableWindow(owner_, FALSE);
  ShowWindow(Handle(), SW_SHOWNORMAL);
  MSG message;
  while (shown_ && GetMessageW(&message, nullptr, 0, 0) > 0) {
    TranslateMessage(&message);
    DispatchMessageW(&message);
  }
  if (owner_) {
    EnableWindow(owner_, TRUE);
    SetForegroundWindow(owner_);
  }
}

LRESULT TWin32DebugWindow::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_CLOSE:
      // Hidden, not destroyed: the next click shows it again.
      if (owner_) EnableWindow(owner_, TRUE);
      ShowWindow(Handle(), SW_HIDE);
      shown_ = false;
      return 0;
    case WM_SIZE:
      if (text_) MoveWindow(text_, 0, 0, LOWORD(lParam), HIWORD(lParam), TRUE);
      return 0;
    default: return TWin32Window::HandleMessage(message, wParam, lParam);
  }
}

}  // namespace tailpack::win32
