// The Windows file semantics the core relies on, checked against the native
// file system of each platform (on Linux the POSIX layer, under Wine the
// Win32 one), so both layers keep the same promises.

#include "platform/FileSystem.h"

#include <gtest/gtest.h>

#include <algorithm>

#include "base/Bytes.h"
#include "platform/Platform.h"
#include "support/TempFolder.h"

namespace tailpack {
namespace {

using test::ReadFile;
using test::WriteFile;

class FileSystemTest : public test::TempFolderTest {
 protected:
  std::string Put(const std::string& relative, const std::string& text) {
    std::string path = temp_ / relative;
    WriteFile(path, text);
    return path;
  }
  std::string Text(const std::string& path) { return BytesToString(ReadFile(path)); }
  std::vector<std::string> Names(const std::string& pattern) {
    std::vector<std::string> names;
    for (const auto& entry : Files().FindFiles(temp_ / pattern)) names.push_back(entry.Name);
    // Only the POSIX layer promises an order; compare as sets here.
    std::sort(names.begin(), names.end());
    return names;
  }
};

TEST_F(FileSystemTest, NamesMatchInAnyLetterCaseAndKeepTheirSpelling) {
  ASSERT_TRUE(Files().CreateFolder(temp_ / "Data"));
  Put("Data\\ReadMe.TXT", "hello");
  for (const char* spelling : {"Data\\ReadMe.TXT", "data\\readme.txt", "DATA\\README.TXT"}) {
    SCOPED_TRACE(spelling);
    EXPECT_TRUE(Files().FileExists(temp_ / spelling));
    EXPECT_EQ(Text(temp_ / spelling), "hello");
  }
  // Creating under another spelling opens the same file rather than a second one.
  WriteFile(temp_ / "DATA\\readme.txt", std::string("again"));
  EXPECT_EQ(Names("data\\*"), std::vector<std::string>{"ReadMe.TXT"});
  EXPECT_EQ(Text(temp_ / "Data\\ReadMe.TXT"), "again");
}

TEST_F(FileSystemTest, DotAndDotDotAreResolvedByName) {
  Put("file.txt", "x");
  // "missing" does not exist: Windows removes "missing\.." before looking.
  for (const char* path : {"missing\\..\\file.txt", ".\\file.txt", "a\\b\\..\\..\\file.txt"}) {
    SCOPED_TRACE(path);
    EXPECT_TRUE(Files().FileExists(temp_ / path));
  }
}

TEST_F(FileSystemTest, FoldersAreNotFilesAndFilesAreNotFolders) {
  ASSERT_TRUE(Files().CreateFolder(temp_ / "sub"));
  EXPECT_FALSE(Files().CreateFolder(temp_ / "sub"));  // already there
  EXPECT_FALSE(Files().CreateFolder(temp_ / "none\\deeper"));  // parent missing
  for (TFileMode mode : {TFileMode::OpenRead, TFileMode::OpenReadWrite, TFileMode::CreateAlways, TFileMode::CreateNew}) {
    SCOPED_TRACE(static_cast<int>(mode));
    EXPECT_FALSE(Files().Open(temp_ / "sub", mode));
  }
  EXPECT_FALSE(Files().Delete(temp_ / "sub"));
  EXPECT_TRUE(Files().FolderExists(temp_ / "sub"));
  EXPECT_FALSE(Files().FileExists(temp_ / "sub"));

  std::string file = Put("sub\\f.txt", "x");
  EXPECT_FALSE(Files().RemoveFolder(file));
  EXPECT_FALSE(Files().RemoveFolder(temp_ / "sub"));  // not empty
  EXPECT_TRUE(Files().Delete(file));
  EXPECT_TRUE(Files().RemoveFolder(temp_ / "sub"));
  EXPECT_FALSE(Files().Exists(temp_ / "sub"));
}

TEST_F(FileSystemTest, OpenModes) {
  std::string path = temp_ / "f.bin";
  EXPECT_FALSE(Files().Open(path, TFileMode::OpenRead));
  EXPECT_FALSE(Files().Open(path, TFileMode::OpenReadWrite));
  {
    auto file = Files().Open(path, TFileMode::CreateNew);
    ASSERT_TRUE(file);
    EXPECT_EQ(file->Write("abcdef", 6), 6u);
  }
  EXPECT_FALSE(Files().Open(path, TFileMode::CreateNew));  // exists now
  {
    auto file = Files().Open(path, TFileMode::OpenReadWrite);
    ASSERT_TRUE(file);
    EXPECT_EQ(file->Size(), 6u);
    ASSERT_TRUE(file->Seek(2));
    EXPECT_EQ(file->Write("XY", 2), 2u);
    EXPECT_EQ(file->Position(), 4u);
    ASSERT_TRUE(file->Truncate());
    EXPECT_TRUE(file->Flush());
  }
  EXPECT_EQ(Text(path), "abXY");
  {
    auto file = Files().Open(path, TFileMode::OpenRead);
    ASSERT_TRUE(file);
    char buffer[8] = {};
    EXPECT_EQ(file->Read(buffer, sizeof buffer), 4u);  // short read at the end
    EXPECT_EQ(file->Read(buffer, sizeof buffer), 0u);
  }
  ASSERT_TRUE(Files().Open(path, TFileMode::CreateAlways));
  EXPECT_EQ(Text(path), "");  // truncated
}

TEST_F(FileSystemTest, ReadOnlyFilesCanBeNeitherWrittenNorDeleted) {
  std::string path = Put("locked.txt", "keep");
  ASSERT_TRUE(Files().SetAttributes(path, kAttributeReadOnly));
  EXPECT_TRUE(*Files().Attributes(path) & kAttributeReadOnly);
  EXPECT_FALSE(Files().Delete(path));
  EXPECT_FALSE(Files().Open(path, TFileMode::OpenReadWrite));
  EXPECT_FALSE(Files().Open(path, TFileMode::CreateAlways));
  EXPECT_TRUE(Files().Open(path, TFileMode::OpenRead));
  std::string source = Put("other.txt", "new");
  EXPECT_FALSE(Files().Copy(source, path, false));
  EXPECT_EQ(Text(path), "keep");

  ASSERT_TRUE(Files().SetAttributes(path, kAttributeNormal));
  EXPECT_FALSE(*Files().Attributes(path) & kAttributeReadOnly);
  EXPECT_TRUE(Files().Delete(path));
  EXPECT_FALSE(Files().Exists(path));
}

TEST_F(FileSystemTest, RenameNeverReplaces) {
  std::string a = Put("a.txt", "A");
  std::string b = Put("b.txt", "B");
  EXPECT_FALSE(Files().Rename(a, b));
  EXPECT_FALSE(Files().Rename(a, temp_ / "B.TXT"));  // the same name in another case
  EXPECT_EQ(Text(a), "A");
  EXPECT_EQ(Text(b), "B");

  EXPECT_TRUE(Files().Rename(a, temp_ / "c.txt"));
  EXPECT_FALSE(Files().Exists(a));
  EXPECT_EQ(Text(temp_ / "c.txt"), "A");
  EXPECT_FALSE(Files().Rename(temp_ / "missing.txt", temp_ / "d.txt"));

  // Folders move too, with what they hold.
  ASSERT_TRUE(Files().CreateFolder(temp_ / "dir"));
  Put("dir\\inner.txt", "I");
  EXPECT_TRUE(Files().Rename(temp_ / "dir", temp_ / "moved"));
  EXPECT_EQ(Text(temp_ / "moved\\inner.txt"), "I");
}

TEST_F(FileSystemTest, RenameReplacingPutsAFileInTheOthersPlace) {
  std::string fresh = Put("new.txt", "new");
  std::string old = Put("old.txt", "old");
  EXPECT_TRUE(Files().RenameReplacing(fresh, old));
  EXPECT_EQ(Text(old), "new");
  EXPECT_FALSE(Files().Exists(fresh));
  // Onto a name that is free, it is a rename.
  EXPECT_TRUE(Files().RenameReplacing(old, temp_ / "other.txt"));
  EXPECT_EQ(Text(temp_ / "other.txt"), "new");
  // Never over a folder, never from nothing.
  ASSERT_TRUE(Files().CreateFolder(temp_ / "dir"));
  EXPECT_FALSE(Files().RenameReplacing(temp_ / "other.txt", temp_ / "dir"));
  EXPECT_TRUE(Files().FolderExists(temp_ / "dir"));
  EXPECT_EQ(Text(temp_ / "other.txt"), "new");
  EXPECT_FALSE(Files().RenameReplacing(temp_ / "missing.txt", temp_ / "other.txt"));
  EXPECT_EQ(Text(temp_ / "other.txt"), "new");
  // Nor over a read-only file.
  std::string locked = Put("locked.txt", "L");
  ASSERT_TRUE(Files().SetAttributes(locked, kAttributeReadOnly));
  EXPECT_FALSE(Files().RenameReplacing(temp_ / "other.txt", locked));
  EXPECT_EQ(Text(locked), "L");
  ASSERT_TRUE(Files().SetAttributes(locked, kAttributeNormal));
}

TEST_F(FileSystemTest, RenameCanChangeTheLetterCase) {
  std::string path = Put("name.txt", "N");
  ASSERT_TRUE(Files().Rename(path, temp_ / "NAME.TXT"));
  EXPECT_EQ(Names("*"), std::vector<std::string>{"NAME.TXT"});
  EXPECT_EQ(Text(temp_ / "name.txt"), "N");
}

TEST_F(FileSystemTest, CopyHonoursFailIfExistsAndNeverDestroysTheSource) {
  std::string source = Put("source.txt", "content");
  std::string target = Put("target.txt", "old");
  EXPECT_FALSE(Files().Copy(source, target, true));
  EXPECT_EQ(Text(target), "old");
  EXPECT_TRUE(Files().Copy(source, target, false));
  EXPECT_EQ(Text(target), "content");
  EXPECT_TRUE(Files().Copy(source, temp_ / "new.txt", true));
  EXPECT_EQ(Text(temp_ / "new.txt"), "content");

  // Onto itself, under any spelling: refused, content intact.
  EXPECT_FALSE(Files().Copy(source, source, false));
  EXPECT_FALSE(Files().Copy(source, temp_ / "SOURCE.TXT", false));
  EXPECT_EQ(Text(source), "content");

  EXPECT_FALSE(Files().Copy(temp_ / "missing.txt", temp_ / "x.txt", false));
  EXPECT_FALSE(Files().Exists(temp_ / "x.txt"));
  ASSERT_TRUE(Files().CreateFolder(temp_ / "folder"));
  EXPECT_FALSE(Files().Copy(temp_ / "folder", temp_ / "y", false));
}

// Files written without a flush of their own are made durable together; the
// flush copes with files renamed, deleted or made read-only meanwhile, and
// closing reports success for what was written.
TEST_F(FileSystemTest, WrittenFilesAreFlushedTogether) {
  EXPECT_TRUE(Files().FlushWrittenFiles());  // nothing written since the last one
  ASSERT_TRUE(Files().CreateFolder(temp_ / "sub"));
  for (const char* name : {"sub\\a.bin", "sub\\moved.bin", "sub\\gone.bin", "sub\\fixed.bin"}) {
    auto file = Files().Open(temp_ / name, TFileMode::CreateAlways);
    ASSERT_TRUE(file);
    EXPECT_EQ(file->Write("data", 4), 4u);
    EXPECT_TRUE(file->Close());
    EXPECT_TRUE(file->Close());  // a second close has nothing left to do
    EXPECT_EQ(file->Write("more", 4), 0u);
  }
  ASSERT_TRUE(Files().Copy(temp_ / "sub\\a.bin", temp_ / "copy.bin", false));
  ASSERT_TRUE(Files().Rename(temp_ / "sub\\moved.bin", temp_ / "sub\\renamed.bin"));
  ASSERT_TRUE(Files().Delete(temp_ / "sub\\gone.bin"));
  ASSERT_TRUE(Files().SetAttributes(temp_ / "sub\\fixed.bin", kAttributeReadOnly));
  EXPECT_TRUE(Files().FlushWrittenFiles());
  EXPECT_EQ(Text(temp_ / "sub\\renamed.bin"), "data");
  EXPECT_EQ(Text(temp_ / "copy.bin"), "data");
  ASSERT_TRUE(Files().SetAttributes(temp_ / "sub\\fixed.bin", kAttributeNormal));
}

TEST_F(FileSystemTest, FindFilesFollowsTheWindowsWildcardRules) {
  ASSERT_TRUE(Files().CreateFolder(temp_ / "Sub"));
  Put("README", "12345");
  Put("setup.exe", "");
  Put("Notes.TXT", "");
  Put("a.txt", "");
  Put("ab.txt", "");

  struct TCase {
    const char* Pattern;
    std::vector<std::string> Expected;
  };
  const TCase cases[] = {
      {"*", {"Notes.TXT", "README", "Sub", "a.txt", "ab.txt", "setup.exe"}},
      {"*.*", {"Notes.TXT", "README", "Sub", "a.txt", "ab.txt", "setup.exe"}},  // names without a dot too
      {"*.txt", {"Notes.TXT", "a.txt", "ab.txt"}},
      {"?.txt", {"a.txt"}},
      {"a*.TXT", {"a.txt", "ab.txt"}},
      {"readme", {"README"}},
      {"*.none", {}},
  };
  for (const TCase& c : cases) {
    SCOPED_TRACE(c.Pattern);
    EXPECT_EQ(Names(c.Pattern), c.Expected);
  }

  auto entries = Files().FindFiles(temp_ / "*");
  for (const auto& entry : entries) {
    SCOPED_TRACE(entry.Name);
    EXPECT_NE(entry.Name, ".");
    EXPECT_NE(entry.Name, "..");
    EXPECT_EQ(entry.IsFolder(), entry.Name == "Sub");
    if (entry.Name == "README") {
      EXPECT_EQ(entry.Size, 5u);
    }
  }
  EXPECT_TRUE(Files().FindFiles(temp_ / "missing\\*").empty());
}

TEST_F(FileSystemTest, TheTemporaryFolderIsOnAListedFixedDrive) {
  std::string temp = Files().TempFolder();
  ASSERT_GE(temp.size(), 3u);
  EXPECT_EQ(temp.substr(1, 2), ":\\");
  EXPECT_EQ(temp.back(), '\\');
  std::string root = temp.substr(0, 3);
  auto drives = Files().LogicalDrives();
  EXPECT_NE(std::find(drives.begin(), drives.end(), root), drives.end());
  EXPECT_EQ(Files().DriveType(root), TDriveType::Fixed);
  auto free = Files().FreeSpace(root);
  ASSERT_TRUE(free);
  EXPECT_GT(*free, 0u);
}

TEST_F(FileSystemTest, PrivateFoldersAreNewAndDistinct) {
  auto first = Files().CreatePrivateFolder(temp_.Path());
  auto second = Files().CreatePrivateFolder(temp_.Path() + "\\");
  ASSERT_TRUE(first && second);
  EXPECT_NE(*first, *second);
  EXPECT_EQ(first->rfind(temp_.Path() + "\\", 0), 0u);
  EXPECT_TRUE(Files().FolderExists(*first));
  EXPECT_TRUE(Files().FolderExists(*second));
}

}  // namespace
}  // namespace tailpack
