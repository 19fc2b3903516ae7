#include "system/PrivateTempFolder.h"

#include "platform/Platform.h"
#include "system/FileHelpers.h"

namespace tailpack {

TPrivateTempFolder::~TPrivateTempFolder() { Remove(); }

std::optional<std::string> TPrivateTempFolder::Path() {
  if (!path_) {
    auto created = Files().CreatePrivateFolder(Files().TempFolder());
    if (created) path_ = IncludeTrailingBackslash(*created);
  }
  return path_;
}

void TPrivateTempFolder::Remove() {
  if (path_) DeleteTree(*path_);
  path_.reset();
}

TPrivateTempFolder& RunTempFolder() {
  static TPrivateTempFolder folder;
  return folder;
}

}  // namespace tailpack
