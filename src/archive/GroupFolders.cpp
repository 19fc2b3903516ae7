#include "archive/GroupFolders.h"

#include <utility>

namespace tailpack {

void TGroupFolders::Make(const std::string& folder) {
  std::lock_guard guard(lock_);
  chain_.Make(folder);
}

void TGroupFolders::Forget(const std::string& folder) {
  std::lock_guard guard(lock_);
  chain_.Forget(folder);
}

void TGroupFolders::ReportMade(IInstallRecorder* recorder) {
  std::vector<std::string> made;
  {
    std::lock_guard guard(lock_);
    made.swap(made_.Folders);
  }
  if (recorder)
    for (const std::string& folder : made) recorder->AddFolder(folder);
}

}  // namespace tailpack
