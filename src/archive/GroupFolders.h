#pragma once
// The folders of one group's extraction, shared by the threads that write its
// files: each made (or found) once, from the root down, and handed to the
// recorder by the extracting thread alone, in the order they were made, so a
// folder is always recorded before the folders inside it.

#include <mutex>
#include <string>
#include <vector>

#include "base/InstallRecorder.h"
#include "system/FolderChain.h"

namespace tailpack {

class TGroupFolders {
 public:
  TGroupFolders() = default;
  TGroupFolders(const TGroupFolders&) = delete;
  TGroupFolders& operator=(const TGroupFolders&) = delete;

  // TFolderChain::Make and Forget, for any thread.
  void Make(const std::string& folder);
  void Forget(const std::string& folder);
  // Hands the folders made since the last call to Recorder (may be null), in
  // the order they were made.
  void ReportMade(IInstallRecorder* recorder);

 private:
  // Keeps what the chain reports until the extracting thread takes it.
  class TMadeFolders final : public IInstallRecorder {
   public:
    void AddFile(const std::string&) override {}
    void AddFolder(const std::string& path) override { Folders.push_back(path); }
    std::vector<std::string> Folders;
  };

  std::mutex lock_;
  TMadeFolders made_;
  TFolderChain chain_{&made_};
};

}  // namespace tailpack
