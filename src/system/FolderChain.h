#pragma once
// Folder chains for many files at once. Writing thousands of files into a
// few folders must not cost a look at every folder from the drive root down
// for every file: the chain remembers each folder it made or found, so the
// next file into a known folder costs no look at all.

#include <string>
#include <unordered_set>

namespace tailpack {

class IInstallRecorder;

class TFolderChain {
 public:
  // Recorder hears of every folder the chain makes, once (may be null).
  explicit TFolderChain(IInstallRecorder* recorder) : recorder_(recorder) {}

  // Makes each missing folder of an absolute drive path ("X:\..."), from the
  // root down, and reports each one made to the recorder. Folders made or
  // found earlier are taken as there. Other paths are left alone.
  void Make(const std::string& folder);
  // Forgets Folder, the folders that hold it and everything below it, after
  // something removed it (or one of them): the next Make looks again.
  void Forget(const std::string& folder);

 private:
  IInstallRecorder* recorder_;
  // Each folder known to be there, lower-cased, without a final backslash.
  std::unordered_set<std::string> known_;
};

}  // namespace tailpack
