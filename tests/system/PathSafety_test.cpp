#include "system/PathSafety.h"

#include <gtest/gtest.h>

#include "platform/Platform.h"
#include "platform/TextCase.h"
#include "support/Links.h"
#include "support/TempFolder.h"
#include "system/FileHelpers.h"

namespace tailpack {
namespace {

TEST(NormalizeWindowsPath, ResolvesWhatTheFileSystemWouldResolve) {
  struct TCase {
    const char* Path;
    const char* Normal;
  };
  const TCase kCases[] = {
      {"C:\\App\\..", "C:\\"},
      {"C:\\App\\..\\..\\..", "C:\\"},  // never above the root
      {"c:/Games//Demo/./bin/", "c:\\Games\\Demo\\bin"},
      {"C:\\Program Files. .\\App", "C:\\Program Files\\App"},  // trailing dots and blanks
      {"C:\\App\\...\\x", "C:\\App\\x"},
      {"C:\\", "C:\\"},
      {"C:", "C:"},
      {"C:App\\..\\x", "C:x"},
      {"\\\\server\\share\\a\\..\\..\\b", "\\\\server\\share\\b"},
      {"\\Windows\\.", "\\Windows"},
      {"relative\\..\\x\\", "x"},
      {"", ""},
  };
  for (const TCase& row : kCases) {
    SCOPED_TRACE(row.Path);
    EXPECT_EQ(NormalizeWindowsPath(row.Path), row.Normal);
  }
}

TEST(IsSameOrBelow, ComparesWholeComponentsWithoutCase) {
  struct TCase {
    const char* Folder;
    const char* Path;
    bool Below;
  };
  const TCase kCases[] = {
      {"C:\\Inst", "C:\\Inst", true},
      {"C:\\Inst\\", "c:\\INST\\bin\\a.txt", true},
      {"C:\\Inst", "C:\\Inst Editor\\b.txt", false},
      {"C:\\Inst", "C:\\Instx", false},
      {"C:\\", "C:\\anything", true},
      {"C:\\Inst", "C:\\Inst\\..\\Other", false},
      {"", "C:\\Inst", false},
  };
  for (const TCase& row : kCases) {
    SCOPED_TRACE(std::string(row.Folder) + " / " + row.Path);
    EXPECT_EQ(IsSameOrBelow(row.Folder, row.Path), row.Below);
  }
}

TEST(WorkingFolderOf, IsTheInnermostFolderThatHoldsThePath) {
  const std::vector<std::string> folders = {"C:\\Program Files\\", "C:\\Program Files\\Demo", "", "D:\\Games"};
  EXPECT_EQ(WorkingFolderOf("C:\\Program Files\\Demo\\bin\\a.exe", folders), "C:\\Program Files\\Demo");
  EXPECT_EQ(WorkingFolderOf("C:\\Program Files\\Other\\b.txt", folders), "C:\\Program Files");
  EXPECT_EQ(WorkingFolderOf("C:\\Program Files\\Demo", folders), "C:\\Program Files");
  EXPECT_EQ(WorkingFolderOf("E:\\Elsewhere\\c.txt", folders), "E:\\Elsewhere");  // its own folder
}

// What rmdir and every tree removal refuse, judged after ".." and the like
// are resolved. Nothing is removed here: only the verdict is asked for.
TEST(CheckTreeRemovable, RefusesDrivesRelativePathsAndSystemFolders) {
  const std::vector<std::string> system = Shell().SystemFolders();
  ASSERT_FALSE(system.empty());
  std::vector<std::string> refused = {"", "relative\\folder", "\\rooted", "C:", "C:folder", "C:\\", "c:/",
                                      "C:\\App\\..", "C:\\App\\.\\..\\", "C:\\App\\..\\..\\.", "\\\\server\\share\\x"};
  for (const std::string& folder : system) {
    refused.push_back(folder);
    refused.push_back(UpperAnsi(folder) + "\\");
    refused.push_back(folder + "\\sub\\..");
    refused.push_back(folder + ". ");
    // The folder that holds it, unless that is a drive root (refused above).
    std::string parent = ExtractFileDir(folder);
    if (parent.size() > 3) refused.push_back(parent);
  }
  for (const std::string& folder : refused) {
    SCOPED_TRACE(folder);
    EXPECT_FALSE(CheckTreeRemovable(folder).Ok());
  }
  for (const std::string& folder : {system[0] + "\\Tailpack Test Sub", std::string("C:\\Tailpack Test Game"),
                                    std::string("C:\\Games\\Demo\\..\\Demo")}) {
    SCOPED_TRACE(folder);
    EXPECT_TRUE(CheckTreeRemovable(folder).Ok());
  }
}

class LinkBelowTest : public test::TempFolderTest {};

TEST_F(LinkBelowTest, FindsAFolderLinkBetweenTheBaseAndTheLastComponent) {
  const std::string outside = temp_ / "outside";
  const std::string inst = temp_ / "Inst";
  ASSERT_TRUE(Files().CreateFolder(outside));
  ASSERT_TRUE(Files().CreateFolder(inst));
  ASSERT_TRUE(Files().CreateFolder(inst + "\\real"));
  ASSERT_NO_FATAL_FAILURE(test::WriteFile(outside + "\\victim.txt", std::string("keep")));
  if (!test::MakeLink(inst + "\\bin", outside, true) || !test::MakeLink(inst + "\\readme.txt", outside + "\\victim.txt", false))
    GTEST_SKIP() << "this system cannot make links that report themselves as such";
  struct TCase {
    std::string Base;
    std::string Path;
    std::optional<std::string> Link;
  };
  const std::vector<TCase> kCases = {
      {inst, inst + "\\bin\\demo.exe", inst + "\\bin"},
      {inst, inst + "\\BIN\\deeper\\x.dat", inst + "\\BIN"},
      {inst, inst + "\\bin\\..\\real\\x.dat", std::nullopt},      // resolved first: no link on the way
      {inst, inst + "\\bin", std::nullopt},                        // the last component is the caller's
      {inst, inst + "\\readme.txt", std::nullopt},
      {inst, inst + "\\real\\missing\\x.dat", std::nullopt},
      {inst + "\\bin", inst + "\\bin\\demo.exe", std::nullopt},   // the base may be a link itself
      {temp_ / "Other", inst + "\\bin\\demo.exe", std::nullopt},  // not below the base
  };
  for (const TCase& row : kCases) {
    SCOPED_TRACE(row.Base + " / " + row.Path);
    EXPECT_EQ(LinkBelow(row.Base, row.Path), row.Link);
  }
}

}  // namespace
}  // namespace tailpack
