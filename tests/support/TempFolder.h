#pragma once
// A fresh folder for one test, as a Windows path through the platform layer,
// removed with everything in it when the test ends.

#include <gtest/gtest.h>

#include <string>

#include "base/Bytes.h"

namespace tailpack::test {

class TTempFolder {
 public:
  TTempFolder();
  ~TTempFolder();
  TTempFolder(const TTempFolder&) = delete;
  TTempFolder& operator=(const TTempFolder&) = delete;

  // The folder, without a trailing backslash.
  const std::string& Path() const { return path_; }
  // Path() + "\" + Relative.
  std::string operator/(const std::string& relative) const { return path_ + "\\" + relative; }

 private:
  std::string path_;
};

// Test-side file access through the platform layer.
void WriteFile(const std::string& path, const TBytes& bytes);
void WriteFile(const std::string& path, const std::string& text);
TBytes ReadFile(const std::string& path);

// A fixture whose test body gets a fresh folder.
class TempFolderTest : public ::testing::Test {
 protected:
  TTempFolder temp_;
};

}  // namespace tailpack::test
