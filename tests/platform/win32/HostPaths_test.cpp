// On Windows host paths are Windows paths; relative ones are made absolute.

#include "platform/HostPaths.h"

#include <windows.h>

#include <gtest/gtest.h>

#include "platform/win32/WideText.h"

namespace tailpack {
namespace {

std::string CurrentFolder() {
  wchar_t buffer[MAX_PATH] = {};
  DWORD length = GetCurrentDirectoryW(MAX_PATH, buffer);
  std::string folder = win32::FromWide(std::wstring_view(buffer, length));
  if (folder.back() != '\\') folder += '\\';
  return folder;
}

TEST(Win32HostPaths, WindowsPathFromHostMakesPathsAbsolute) {
  struct TCase {
    std::string host;
    std::string windows;
  };
  const TCase cases[] = {
      {"C:\\Program Files\\App", "C:\\Program Files\\App"},
      {"C:/Program Files/App", "C:\\Program Files\\App"},
      {"C:\\a\\b\\..\\c", "C:\\a\\c"},
      {"setup.pak", CurrentFolder() + "setup.pak"},
      {"data\\..\\setup.pak", CurrentFolder() + "setup.pak"},
  };
  for (const TCase& c : cases) {
    SCOPED_TRACE(c.host);
    EXPECT_EQ(WindowsPathFromHost(c.host), c.windows);
  }
  EXPECT_FALSE(WindowsPathFromHost(""));
}

TEST(Win32HostPaths, HostPathFromWindowsIsTheSamePath) {
  EXPECT_EQ(HostPathFromWindows("C:\\Program Files\\App"), "C:\\Program Files\\App");
  EXPECT_EQ(HostPathFromWindows("\\\\server\\share\\file"), "\\\\server\\share\\file");
  EXPECT_FALSE(HostPathFromWindows(""));
}

}  // namespace
}  // namespace tailpack
