#include "system/FolderChain.h"

#include "base/InstallRecorder.h"
#include "base/Text.h"
#include "platform/Platform.h"
#include "platform/TextCase.h"
#include "system/FileHelpers.h"

namespace tailpack {

namespace {

std::string Key(std::string folder) {
  while (folder.size() > 3 && folder.back() == '\\') folder.pop_back();
  return LowerAnsi(folder);
}

}  // namespace

void TFolderChain::Make(const std::string& path) {
  if (path.size() <= 3 || path[1] != ':' || path[2] != '\\') return;
  if (known_.count(Key(path)) != 0) return;
  // Each component is the text up to and including the next "\" (or the
  // rest); the folder reported is the text built so far, as it stands.
  std::string built = path.substr(0, 3);
  size_t position = 3;
  while (position < path.size()) {
    size_t separator = path.find('\\', position);
    size_t end = separator == std::string::npos ? path.size() : separator + 1;
    built += path.substr(position, end - position);
    position = end;
    std::string key = Key(built);
    if (known_.count(key) != 0) continue;
    if (Files().FolderExists(built)) {
      known_.insert(std::move(key));
    } else if (Files().CreateFolder(built)) {
      known_.insert(std::move(key));
      if (recorder_) recorder_->AddFolder(built);
    }
  }
}

void TFolderChain::Forget(const std::string& folder) {
  const std::string gone = Key(folder);
  const std::string below = IncludeTrailingBackslash(gone);
  for (auto it = known_.begin(); it != known_.end();) {
    bool holdsIt = gone.rfind(IncludeTrailingBackslash(*it), 0) == 0;
    if (*it == gone || holdsIt || it->rfind(below, 0) == 0) it = known_.erase(it);
    else ++it;
  }
}

}  // namespace tailpack
