#include "support/Fixtures.h"

#include <gtest/gtest.h>

#include "platform/Platform.h"
#include "system/FileHelpers.h"

namespace tailpack::test {
namespace {

TEST(FixturePath, IsTheWindowsPathOfAFileInTheFixturesFolder) {
  std::string path = FixturePath("sub/sample.bin");
  EXPECT_TRUE(IsAbsoluteDrivePath(path)) << path;
  const std::string tail = "\\tests\\fixtures\\sub\\sample.bin";
  ASSERT_GT(path.size(), tail.size());
  EXPECT_EQ(path.substr(path.size() - tail.size()), tail);
  // The folder itself is reachable through the platform layer.
  EXPECT_TRUE(Files().FolderExists(path.substr(0, path.size() - std::string("\\sub\\sample.bin").size())));
}

}  // namespace
}  // namespace tailpack::test
