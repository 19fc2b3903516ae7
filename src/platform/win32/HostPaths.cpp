// On Windows the host's paths are the core's Windows paths; a relative one is
// made absolute against the current folder, as the posix side does.
#include "platform/HostPaths.h"

#include <windows.h>

#include <vector>

#include "platform/win32/WideText.h"

namespace tailpack {

std::optional<std::string> WindowsPathFromHost(const std::string& hostPath) {
  if (hostPath.empty()) return std::nullopt;
  std::wstring wide = win32::ToWide(hostPath);
  std::vector<wchar_t> buffer(MAX_PATH);
  for (;;) {
    DWORD length = GetFullPathNameW(wide.c_str(), static_cast<DWORD>(buffer.size()), buffer.data(), nullptr);
    if (length == 0) return std::nullopt;
    if (length < buffer.size()) return win32::FromWide(std::wstring_view(buffer.data(), length));
    buffer.resize(length + 1);
  }
}

std::optional<std::string> HostPathFromWindows(const std::string& windowsPath) {
  if (windowsPath.empty()) return std::nullopt;
  return windowsPath;
}

}  // namespace tailpack
