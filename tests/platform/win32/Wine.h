#pragma once
// Whether the tests run under Wine, for the few checks where Wine is known to
// differ from Windows (each use says how).

#include <windows.h>

namespace tailpack::test {

inline bool RunningUnderWine() {
  HMODULE ntdll = GetModuleHandleW(L"ntdll.dll");
  return ntdll != nullptr && GetProcAddress(ntdll, "wine_get_version") != nullptr;
}

}  // namespace tailpack::test
