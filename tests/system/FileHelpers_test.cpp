#include "system/FileHelpers.h"

#include <gtest/gtest.h>

#include <vector>

#include "base/Errors.h"
#include "system/FolderChain.h"
#include "base/InstallRecorder.h"
#include "platform/Platform.h"
#include "support/ForwardingFileSystem.h"
#include "support/TempFolder.h"

namespace tailpack {
namespace {

using test::ReadFile;
using test::TempFolderTest;
using test::WriteFile;

class TRecordedFolders : public IInstallRecorder {
 public:
  void AddFile(const std::string& path) override { Files.push_back(path); }
  void AddFolder(const std::string& path) override { Folders.push_back(path); }
  std::vector<std::string> Files;
  std::vector<std::string> Folders;
};

TEST(PathHelpers, TrailingBackslashAndSplits) {
  EXPECT_EQ(IncludeTrailingBackslash(""), "");
  EXPECT_EQ(IncludeTrailingBackslash("C:\\A"), "C:\\A\\");
  EXPECT_EQ(IncludeTrailingBackslash("C:\\A\\"), "C:\\A\\");
  EXPECT_EQ(ExtractFileDir("C:\\A\\b.txt"), "C:\\A");
  EXPECT_EQ(ExtractFileDir("C:\\b.txt"), "C:\\");
  EXPECT_EQ(ExtractFileName("C:\\A\\b.txt"), "b.txt");

  struct TCase {
    const char* Text;
    const char* NameValueName;
    const char* NameValueValue;
    const char* AtEqualsName;
    const char* AtEqualsValue;
  } cases[] = {
      {"a=b", "a", "b", "a", "b"},
      {"novalue", "", "", "", "novalue"},
      {"a=b=c", "a", "b=c", "a", "b=c"},
      {"=x", "", "x", "", "x"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.Text);
    std::string name, value;
    SplitNameValue(c.Text, name, value);
    EXPECT_EQ(name, c.NameValueName);
    EXPECT_EQ(value, c.NameValueValue);
    SplitAtEquals(c.Text, name, value);
    EXPECT_EQ(name, c.AtEqualsName);
    EXPECT_EQ(value, c.AtEqualsValue);
  }
}

TEST_F(TempFolderTest, CreateFolderChainRecordsOnlyWhatItCreated) {
  TRecordedFolders recorder;
  std::string chain = temp_ / "A\\B";
  CreateFolderChain(chain, &recorder);
  EXPECT_TRUE(Files().FolderExists(chain));
  EXPECT_EQ(recorder.Folders, (std::vector<std::string>{temp_ / "A\\", chain}));
  recorder.Folders.clear();
  CreateFolderChain(chain, &recorder);
  EXPECT_TRUE(recorder.Folders.empty());
}

// Looks at the file system are counted, to show what a chain remembers.
class TCountingFileSystem final : public test::TForwardingFileSystem {
 public:
  TCountingFileSystem() : TForwardingFileSystem(Files()) {}
  std::optional<uint32_t> Attributes(const std::string& path) override {
    ++Looks;
    return inner_.Attributes(path);
  }
  bool CreateFolder(const std::string& path) override {
    ++Looks;
    return inner_.CreateFolder(path);
  }
  int Looks = 0;
};

TEST_F(TempFolderTest, AFolderChainRemembersWhatItMadeOrFound) {
  TRecordedFolders recorder;
  TCountingFileSystem counting;
  TFileSystemOverride use(counting);
  TFolderChain chain(&recorder);
  chain.Make(temp_ / "A\\B");
  EXPECT_EQ(recorder.Folders, (std::vector<std::string>{temp_ / "A\\", temp_ / "A\\B"}));

  // A known folder costs no look at all, a new one below it one look more.
  counting.Looks = 0;
  chain.Make(temp_ / "A\\B");
  chain.Make(temp_ / "a\\b\\");
  EXPECT_EQ(counting.Looks, 0);
  chain.Make(temp_ / "A\\B\\C");
  EXPECT_EQ(counting.Looks, 2);  // C: not there, then made
  EXPECT_EQ(recorder.Folders.back(), temp_ / "A\\B\\C");

  // Removed by somebody else: only after Forget is it looked at and made again.
  ASSERT_TRUE(DeleteTree(temp_ / "A\\B"));
  chain.Make(temp_ / "A\\B\\C");
  EXPECT_FALSE(Files().FolderExists(temp_ / "A\\B\\C"));
  chain.Forget(temp_ / "A\\B\\");
  chain.Make(temp_ / "A\\B\\C");
  EXPECT_TRUE(Files().FolderExists(temp_ / "A\\B\\C"));
  EXPECT_EQ(recorder.Folders, (std::vector<std::string>{temp_ / "A\\", temp_ / "A\\B", temp_ / "A\\B\\C",
                                                        temp_ / "A\\B\\", temp_ / "A\\B\\C"}));
}

TEST(CreateFolderChain, IgnoresNetworkAndRelativePaths) {
  TRecordedFolders recorder;
  CreateFolderChain("\\\\server\\share\\x", &recorder);
  CreateFolderChain("relative\\folder", &recorder);
  CreateFolderChain("C:\\", &recorder);
  EXPECT_TRUE(recorder.Folders.empty());
  EXPECT_FALSE(Files().FolderExists("relative"));
}

TEST_F(TempFolderTest, WriteBufferToFileCreatesFoldersAndReplaces) {
  std::string path = temp_ / "x\\y\\file.bin";
  const uint8_t data[] = {1, 2, 3};
  ASSERT_TRUE(WriteBufferToFile(path, data, 3).Ok());
  EXPECT_EQ(ReadFile(path), (TBytes{1, 2, 3}));
  ASSERT_TRUE(WriteBufferToFile(path, data, 1).Ok());
  EXPECT_EQ(ReadFile(path), (TBytes{1}));
  ASSERT_TRUE(WriteBufferToFile(path, nullptr, 0).Ok());
  EXPECT_TRUE(ReadFile(path).empty());
}

TEST_F(TempFolderTest, ReadWholeFileReadsAllAndRaisesForMissingFiles) {
  std::string path = temp_ / "whole.txt";
  WriteFile(path, std::string("content"));
  auto data = ReadWholeFile(path);
  ASSERT_TRUE(data);
  EXPECT_EQ(BytesToString(*data), "content");
  EXPECT_THROW(ReadWholeFile(temp_ / "missing.txt"), EIOError);
}

TEST_F(TempFolderTest, DeleteTreeRemovesNestedFoldersAndFiles) {
  std::string root = temp_ / "tree";
  CreateFolderChain(root + "\\a\\b\\c", nullptr);
  CreateFolderChain(root + "\\d", nullptr);
  WriteFile(root + "\\a\\b\\c\\f1.txt", std::string("1"));
  WriteFile(root + "\\a\\f2.txt", std::string("2"));
  WriteFile(root + "\\top.txt", std::string("3"));
  EXPECT_TRUE(DeleteTree(root));
  EXPECT_FALSE(Files().Exists(root));
  EXPECT_TRUE(DeleteTree(root));  // a missing folder is nothing to do
}

TEST_F(TempFolderTest, DeleteTreeStopsWhenSomethingCannotBeRemoved) {
  std::string root = temp_ / "stuck";
  CreateFolderChain(root + "\\inner", nullptr);
  std::string locked = root + "\\inner\\locked.txt";
  WriteFile(locked, std::string("keep"));
  ASSERT_TRUE(Files().SetAttributes(locked, kAttributeReadOnly));
  WriteFile(root + "\\other.txt", std::string("go"));

  EXPECT_FALSE(DeleteTree(root));  // returns instead of looping
  EXPECT_TRUE(Files().FileExists(locked));
  EXPECT_FALSE(Files().Exists(root + "\\other.txt"));

  Files().SetAttributes(locked, kAttributeNormal);
  EXPECT_TRUE(DeleteTree(root));
}

}  // namespace
}  // namespace tailpack
