#pragma once
// Host-side helpers for the POSIX platform tests: a temporary host folder, an
// environment variable set for one scope, and a fixture that points the drive
// map and the registry file at a fresh temporary place.

#include <gtest/gtest.h>

#include <optional>
#include <string>

namespace tailpack::test {

// A fresh host folder, removed with everything in it at the end.
class THostFolder {
 public:
  THostFolder();
  ~THostFolder();
  THostFolder(const THostFolder&) = delete;
  THostFolder& operator=(const THostFolder&) = delete;
  const std::string& Path() const { return path_; }
  std::string operator/(const std::string& relative) const { return path_ + "/" + relative; }

 private:
  std::string path_;
};

// Sets (or, with nothing, unsets) an environment variable and restores it.
class TScopedVariable {
 public:
  TScopedVariable(const char* name, const std::optional<std::string>& value);
  ~TScopedVariable();
  TScopedVariable(const TScopedVariable&) = delete;
  TScopedVariable& operator=(const TScopedVariable&) = delete;

 private:
  std::string name_;
  std::optional<std::string> saved_;
};

// Host file helpers.
void WriteHostFile(const std::string& path, const std::string& content);
std::string ReadHostFile(const std::string& path);
bool HostExists(const std::string& path);
void MakeHostFolder(const std::string& path);

// C: is Root/c, D: is Root/cd (a CD-ROM); the registry file is
// Root/registry.reg.
class PosixDrivesTest : public ::testing::Test {
 protected:
  PosixDrivesTest();
  std::string HostC(const std::string& relative = "") const { return root_ / ("c" + (relative.empty() ? "" : "/" + relative)); }
  std::string RegistryFile() const { return root_ / "registry.reg"; }

  THostFolder root_;
  TScopedVariable drives_;
  TScopedVariable registry_;
};

}  // namespace tailpack::test
