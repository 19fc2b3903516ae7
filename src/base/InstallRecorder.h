#pragma once
// What installing code reports so that an uninstaller can take it away again:
// every file written and every folder created. The uninstall list implements
// it; code that installs nothing passes no recorder.

#include <string>

namespace tailpack {

class IInstallRecorder {
 public:
  virtual ~IInstallRecorder() = default;
  virtual void AddFile(const std::string& path) = 0;
  virtual void AddFolder(const std::string& path) = 0;
};

}  // namespace tailpack
