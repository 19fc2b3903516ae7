#include "gamedata/UpdateHost.h"

#include "system/FileHelpers.h"

namespace tailpack {

std::string ArchivePathIn(IUpdateHost& host, const std::string& archiveName) {
  return IncludeTrailingBackslash(host.InstallDir()) + archiveName;
}

}  // namespace tailpack
