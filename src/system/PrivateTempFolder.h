#pragma once
// A folder for the run's temporary files, created with a random name inside
// the system's temporary folder and readable only by the user (on Windows also
// by Administrators and SYSTEM). Fixed file names are only ever used inside
// it, so nothing another process planted in the shared folder is run or
// trusted. Removed with everything in it when the object ends.

#include <optional>
#include <string>

namespace tailpack {

class TPrivateTempFolder {
 public:
  TPrivateTempFolder() = default;
  ~TPrivateTempFolder();
  TPrivateTempFolder(const TPrivateTempFolder&) = delete;
  TPrivateTempFolder& operator=(const TPrivateTempFolder&) = delete;

  // The folder, ending in "\"; created on first use. Nothing when it cannot
  // be created.
  std::optional<std::string> Path();
  // Removes the folder now (also done by the destructor).
  void Remove();

 private:
  std::optional<std::string> path_;
};

// The folder of the running process.
TPrivateTempFolder& RunTempFolder();

}  // namespace tailpack
