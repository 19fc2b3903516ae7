// The debug window: shown modally over its owner with the lines it is given,
// until it is closed; the owner takes input again afterwards.

#include <gtest/gtest.h>

#include <windows.h>

#include <string>

#include "ui/win32/GdiPlus.h"
#include "ui/win32/Win32Windows.h"

namespace tailpack::win32 {
namespace {

// What the window showed while it was open, read by a timer of the modal loop.
struct TSeen {
  std::wstring Caption;
  std::wstring Text;
  bool OwnerDisabled = false;
  HWND Owner = nullptr;
};
TSeen seen;

void CALLBACK ReadAndClose(HWND, UINT, UINT_PTR timer, DWORD) {
  HWND debug = FindWindowW(L"TailpackDebug", nullptr);
  if (!debug || !IsWindowVisible(debug)) return;
  KillTimer(nullptr, timer);
  wchar_t buffer[1024] = {};
  GetWindowTextW(debug, buffer, 1024);
  seen.Caption = buffer;
  GetWindowTextW(GetWindow(debug, GW_CHILD), buffer, 1024);
  seen.Text = buffer;
  seen.OwnerDisabled = !IsWindowEnabled(seen.Owner);
  PostMessageW(debug, WM_CLOSE, 0, 0);
}

TEST(Win32DebugWindow, ShowsItsLinesModallyUntilClosed) {
  HMODULE richEdit = LoadSystemLibrary(L"msftedit.dll");
  if (!richEdit) GTEST_SKIP() << "no rich edit on this system";
  seen = TSeen{};
  seen.Owner = CreateWindowExW(0, L"STATIC", L"", WS_POPUP, 0, 0, 100, 100, nullptr, nullptr, nullptr, nullptr);
  {
    TWin32DebugWindow window(L"RICHEDIT50W", seen.Owner);
    UINT_PTR timer = SetTimer(nullptr, 0, 20, ReadAndClose);
    window.ShowModal({u"Header", u"ID: ZRPF", u"Files:"});
    KillTimer(nullptr, timer);
    if (!window.Handle()) {
      FreeLibrary(richEdit);
      GTEST_SKIP() << "no windows can be made here (no display)";
    }
  }
  EXPECT_EQ(seen.Caption, L"Debug");
  EXPECT_NE(seen.Text.find(L"Header"), std::wstring::npos);
  EXPECT_NE(seen.Text.find(L"ID: ZRPF"), std::wstring::npos);
  EXPECT_TRUE(seen.OwnerDisabled);
  EXPECT_TRUE(IsWindowEnabled(seen.Owner));
  DestroyWindow(seen.Owner);
  FreeLibrary(richEdit);
}

}  // namespace
}  // namespace tailpack::win32
