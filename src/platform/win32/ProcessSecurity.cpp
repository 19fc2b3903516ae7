#include "platform/ProcessSecurity.h"

#include <windows.h>

// Older headers name the flag only for newer targets.
#ifndef LOAD_LIBRARY_SEARCH_SYSTEM32
#define LOAD_LIBRARY_SEARCH_SYSTEM32 0x00000800
#endif

namespace tailpack {

bool HardenProcess() {
  // SetDefaultDllDirectories exists from Windows 8 on, and on Windows 7 with
  // update KB2533623: looked up, so the setup still starts without it.
  using TSetDefaultDllDirectories = BOOL(WINAPI*)(DWORD);
  HMODULE kernel = GetModuleHandleW(L"kernel32.dll");
  auto setDefault = kernel ? reinterpret_cast<TSetDefaultDllDirectories>(reinterpret_cast<void (*)()>(
                                 GetProcAddress(kernel, "SetDefaultDllDirectories")))
                           : nullptr;
  bool restricted = setDefault && setDefault(LOAD_LIBRARY_SEARCH_SYSTEM32);
  // Takes the current folder out of the search order in any case.
  SetDllDirectoryW(L"");
  return restricted;
}

}  // namespace tailpack
