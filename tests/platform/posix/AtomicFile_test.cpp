#include "platform/posix/AtomicFile.h"

#include <gtest/gtest.h>

#include <dirent.h>
#include <sys/stat.h>
#include <unistd.h>

#include "platform/posix/HostFixture.h"

namespace tailpack::posix {
namespace {

using test::ReadHostFile;
using test::WriteHostFile;

size_t EntryCount(const std::string& folder) {
  size_t count = 0;
  if (DIR* dir = opendir(folder.c_str())) {
    while (dirent* entry = readdir(dir)) count += std::string(entry->d_name) != "." && std::string(entry->d_name) != "..";
    closedir(dir);
  }
  return count;
}

mode_t ModeOf(const std::string& path) {
  struct stat info;
  return stat(path.c_str(), &info) == 0 ? info.st_mode & 07777 : 0;
}

TEST(ReplaceFileAtomically, CreatesOrReplacesKeepingTheMode) {
  test::THostFolder folder;
  std::string path = folder / "file";
  ASSERT_TRUE(ReplaceFileAtomically(path, "first", 0640));
  EXPECT_EQ(ReadHostFile(path), "first");
  EXPECT_EQ(ModeOf(path), 0640u);
  ASSERT_EQ(chmod(path.c_str(), 0604), 0);
  ASSERT_TRUE(ReplaceFileAtomically(path, "second", 0640));
  EXPECT_EQ(ReadHostFile(path), "second");
  EXPECT_EQ(ModeOf(path), 0604u);
  EXPECT_EQ(EntryCount(folder.Path()), 1u);  // no temporary file left
}

TEST(ReplaceFileAtomically, ReplacesWhatALinkPointsTo) {
  test::THostFolder folder;
  WriteHostFile(folder / "real", "old");
  ASSERT_EQ(symlink((folder / "real").c_str(), (folder / "link").c_str()), 0);
  ASSERT_TRUE(ReplaceFileAtomically(folder / "link", "new", 0644));
  struct stat info;
  ASSERT_EQ(lstat((folder / "link").c_str(), &info), 0);
  EXPECT_TRUE(S_ISLNK(info.st_mode));
  EXPECT_EQ(ReadHostFile(folder / "real"), "new");
}

TEST(ReplaceFileAtomically, FailsWithoutLeavingAnything) {
  test::THostFolder folder;
  test::MakeHostFolder(folder / "folder");
  EXPECT_FALSE(ReplaceFileAtomically(folder / "folder", "x", 0644));  // a folder is not replaced
  EXPECT_FALSE(ReplaceFileAtomically(folder / "missing/file", "x", 0644));
  EXPECT_EQ(EntryCount(folder.Path()), 1u);
  EXPECT_EQ(EntryCount(folder / "folder"), 0u);
}

}  // namespace
}  // namespace tailpack::posix
