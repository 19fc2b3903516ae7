#include "support/Links.h"

#include <windows.h>

#include "platform/win32/WideText.h"

#ifndef SYMBOLIC_LINK_FLAG_ALLOW_UNPRIVILEGED_CREATE
#define SYMBOLIC_LINK_FLAG_ALLOW_UNPRIVILEGED_CREATE 0x2
#endif

namespace tailpack::test {

bool MakeLink(const std::string& link, const std::string& target, bool folder) {
  std::wstring wideLink = win32::ToWide(link);
  DWORD flags = SYMBOLIC_LINK_FLAG_ALLOW_UNPRIVILEGED_CREATE | (folder ? SYMBOLIC_LINK_FLAG_DIRECTORY : 0);
  if (!CreateSymbolicLinkW(wideLink.c_str(), win32::ToWide(target).c_str(), flags)) return false;
  DWORD attributes = GetFileAttributesW(wideLink.c_str());
  if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_REPARSE_POINT)) return true;
  // Made, but as something else than a link (a copy, a plain folder): useless here.
  if (attributes != INVALID_FILE_ATTRIBUTES)
    folder ? RemoveDirectoryW(wideLink.c_str()) : DeleteFileW(wideLink.c_str());
  return false;
}

}  // namespace tailpack::test
