// What the POSIX file system adds to the shared contract: links, the listing
// order, the rarer wildcard rules, and host quirks (FIFOs, other devices).

#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <functional>

#include "platform/HostPaths.h"
#include "platform/Platform.h"
#include "platform/posix/HostFixture.h"
#include "system/FileHelpers.h"

namespace tailpack {
namespace {

using test::HostExists;
using test::MakeHostFolder;
using test::ReadHostFile;
using test::TScopedVariable;
using test::WriteHostFile;

class PosixFilesTest : public test::PosixDrivesTest {
 protected:
  std::vector<std::string> Names(const std::string& pattern) {
    std::vector<std::string> names;
    for (const auto& entry : Files().FindFiles(pattern)) names.push_back(entry.Name);
    return names;
  }
};

class PosixLinksTest : public PosixFilesTest {
 protected:
  void SetUp() override {
    // Outside the tree: a folder and a file that must survive everything.
    MakeHostFolder(HostC("outside"));
    WriteHostFile(HostC("outside/precious.txt"), "keep");
    MakeHostFolder(HostC("tree"));
    ASSERT_EQ(symlink(HostC("outside").c_str(), HostC("tree/folderlink").c_str()), 0);
    ASSERT_EQ(symlink(HostC("outside/precious.txt").c_str(), HostC("tree/filelink").c_str()), 0);
    ASSERT_EQ(symlink(HostC("nowhere").c_str(), HostC("tree/dangling").c_str()), 0);
  }
};

TEST_F(PosixLinksTest, LinksAreReparsePoints) {
  struct TCase {
    const char* Path;
    uint32_t Attributes;
  };
  const TCase cases[] = {
      {"C:\\tree\\folderlink", kAttributeReparsePoint | kAttributeDirectory},
      {"C:\\tree\\filelink", kAttributeReparsePoint | kAttributeArchive},
      {"C:\\tree\\dangling", kAttributeReparsePoint | kAttributeArchive},
  };
  for (const TCase& c : cases) {
    SCOPED_TRACE(c.Path);
    EXPECT_EQ(Files().Attributes(c.Path), c.Attributes);
  }
  auto entries = Files().FindFiles("C:\\tree\\*");
  ASSERT_EQ(entries.size(), 3u);
  for (const auto& entry : entries) {
    SCOPED_TRACE(entry.Name);
    EXPECT_TRUE(entry.Attributes & kAttributeReparsePoint);
    EXPECT_EQ(entry.Size, 0u);
  }
}

TEST_F(PosixLinksTest, RemovingALinkNeverTouchesItsTarget) {
  EXPECT_FALSE(Files().Delete("C:\\tree\\folderlink"));  // a folder link goes through RemoveFolder
  EXPECT_FALSE(Files().RemoveFolder("C:\\tree\\filelink"));
  EXPECT_FALSE(Files().SetAttributes("C:\\tree\\filelink", kAttributeReadOnly));
  EXPECT_TRUE(Files().RemoveFolder("C:\\tree\\folderlink"));
  EXPECT_TRUE(Files().Delete("C:\\tree\\filelink"));
  EXPECT_TRUE(Files().Delete("C:\\tree\\dangling"));
  EXPECT_FALSE(HostExists(HostC("tree/folderlink")));
  EXPECT_EQ(ReadHostFile(HostC("outside/precious.txt")), "keep");
  struct stat info;
  ASSERT_EQ(stat(HostC("outside/precious.txt").c_str(), &info), 0);
  EXPECT_TRUE(info.st_mode & S_IWUSR);  // SetAttributes did not reach through the link
}

TEST_F(PosixLinksTest, DeleteTreeRemovesLinksWithoutFollowingThem) {
  EXPECT_TRUE(DeleteTree("C:\\tree"));
  EXPECT_FALSE(HostExists(HostC("tree")));
  EXPECT_EQ(ReadHostFile(HostC("outside/precious.txt")), "keep");
}

// A write replaces a link at its name (what the link points to stays); an
// existing file is never opened for writing through one; a link to a folder
// cannot be replaced by a file.
TEST_F(PosixLinksTest, WritesNeverGoThroughALinkAtTheirName) {
  WriteHostFile(HostC("source.txt"), "copied");
  struct TCase {
    const char* Label;
    std::function<bool(const std::string&)> Write;
    bool ReplacesFileLinks;
  };
  auto create = [](const std::string& path) {
    auto file = Files().Open(path, TFileMode::CreateAlways);
    return file && file->Write("new", 3) == 3;
  };
  auto update = [](const std::string& path) { return Files().Open(path, TFileMode::OpenReadWrite) != nullptr; };
  auto copy = [](const std::string& path) { return Files().Copy("C:\\source.txt", path, false); };
  const TCase kCases[] = {{"create", create, true}, {"open for writing", update, false}, {"copy", copy, true}};
  for (const TCase& row : kCases) {
    SCOPED_TRACE(row.Label);
    unlink(HostC("tree/filelink").c_str());
    unlink(HostC("tree/dangling").c_str());
    ASSERT_EQ(symlink(HostC("outside/precious.txt").c_str(), HostC("tree/filelink").c_str()), 0);
    ASSERT_EQ(symlink(HostC("nowhere").c_str(), HostC("tree/dangling").c_str()), 0);
    EXPECT_EQ(row.Write("C:\\tree\\filelink"), row.ReplacesFileLinks);
    EXPECT_EQ(row.Write("C:\\tree\\dangling"), row.ReplacesFileLinks);
    EXPECT_FALSE(row.Write("C:\\tree\\folderlink"));
    EXPECT_EQ(ReadHostFile(HostC("outside/precious.txt")), "keep");
    EXPECT_FALSE(HostExists(HostC("nowhere")));
    EXPECT_EQ(Files().Attributes("C:\\tree\\folderlink"), kAttributeReparsePoint | kAttributeDirectory);
    if (row.ReplacesFileLinks) {
      EXPECT_EQ(Files().Attributes("C:\\tree\\filelink"), kAttributeArchive);
    }
  }
}

// The folder a drive letter stands for is never removed, also when another
// drive reaches it (C:'s folder inside Z:, which maps "/"): a tree removal
// sees it as a mount point and does not enter it.
TEST_F(PosixFilesTest, TheFolderOfADriveIsNeverRemoved) {
  MakeHostFolder(HostC("game"));
  WriteHostFile(HostC("game/data.bin"), "keep");
  auto viaZ = WindowsPathFromHost(root_.Path());
  ASSERT_TRUE(viaZ);
  ASSERT_EQ((*viaZ)[0], 'Z');
  const std::string cThroughZ = *viaZ + "\\c";
  EXPECT_FALSE(Files().RemoveFolder("C:\\"));
  auto entries = Files().FindFiles(*viaZ + "\\*");
  auto c = std::find_if(entries.begin(), entries.end(), [](const TFolderEntry& entry) { return entry.Name == "c"; });
  ASSERT_NE(c, entries.end());
  EXPECT_EQ(c->Attributes, kAttributeDirectory | kAttributeReparsePoint);
  EXPECT_FALSE(DeleteTree(*viaZ));
  EXPECT_FALSE(DeleteTree(cThroughZ + "\\game\\.."));
  EXPECT_EQ(ReadHostFile(HostC("game/data.bin")), "keep");
  EXPECT_TRUE(HostExists(HostC()));
}

// "rmdir "$INSTDIR\.." 0" with the installation folder C:\App removed the
// whole drive: the path is resolved before it is judged.
TEST_F(PosixFilesTest, ATreeRemovalNeverReachesADriveRootOrASystemFolder) {
  MakeHostFolder(HostC("App"));
  MakeHostFolder(HostC("Other"));
  WriteHostFile(HostC("App/app.exe"), "x");
  WriteHostFile(HostC("Other/keep.txt"), "keep");
  auto system = Shell().SystemFolders();
  ASSERT_FALSE(system.empty());
  for (const std::string& folder : system) {
    CreateFolderChain(folder, nullptr);
    ASSERT_TRUE(Files().FolderExists(folder)) << folder;
  }
  for (const std::string& folder : {std::string("C:\\App\\.."), std::string("C:\\App\\..\\.\\"), system[0],
                                    system[1] + "\\x\\..", ExtractFileDir(system.back())}) {
    SCOPED_TRACE(folder);
    EXPECT_FALSE(DeleteTree(folder));
    EXPECT_EQ(ReadHostFile(HostC("Other/keep.txt")), "keep");
    for (const std::string& kept : system) EXPECT_TRUE(Files().FolderExists(kept)) << kept;
  }
  EXPECT_TRUE(DeleteTree("C:\\App\\.\\"));
  EXPECT_FALSE(HostExists(HostC("App")));
}

TEST_F(PosixFilesTest, ListingsAreInTheOrderOfUpperCasedNames) {
  for (const char* name : {"beta", "Alpha", "_under", "gamma.txt", "Delta", "alpha2"}) WriteHostFile(HostC(name), "");
  // NTFS order: "_" (0x5F) sorts after the letters once they are upper case.
  EXPECT_EQ(Names("C:\\*"), (std::vector<std::string>{"Alpha", "alpha2", "beta", "Delta", "gamma.txt", "_under"}));
}

TEST_F(PosixFilesTest, RarerWildcardRules) {
  for (const char* name : {"setup", "setup.exe", "setup.exe.bak", "readme.txt", "Makefile"}) WriteHostFile(HostC(name), "");
  struct TCase {
    const char* Pattern;
    std::vector<std::string> Expected;
  };
  const TCase cases[] = {
      {"C:\\*.", {"Makefile", "setup"}},                         // names without an extension
      {"C:\\setup.*", {"setup", "setup.exe", "setup.exe.bak"}},  // ".*" may match nothing
      {"C:\\setup.", {"setup"}},
      {"C:\\*.exe", {"setup.exe"}},
      {"C:\\*p.e*", {"setup.exe", "setup.exe.bak"}},
      {"C:\\", {}},
  };
  for (const TCase& c : cases) {
    SCOPED_TRACE(c.Pattern);
    EXPECT_EQ(Names(c.Pattern), c.Expected);
  }
}

TEST_F(PosixFilesTest, NamesWindowsForbidsAreRefused) {
  EXPECT_FALSE(Files().Open("C:\\a?b", TFileMode::CreateAlways));
  EXPECT_FALSE(Files().CreateFolder("C:\\a*b"));
  EXPECT_FALSE(Files().Open("C:\\file.txt:stream", TFileMode::CreateAlways));
  // Trailing dots and blanks are dropped, as Windows drops them.
  ASSERT_TRUE(Files().Open("C:\\name. .", TFileMode::CreateNew));
  EXPECT_TRUE(HostExists(HostC("name")));
  EXPECT_TRUE(Files().FileExists("C:\\NAME"));
}

TEST_F(PosixFilesTest, OnlyRegularFilesOpen) {
  ASSERT_EQ(mkfifo(HostC("pipe").c_str(), 0644), 0);
  // Opening a FIFO would block until a writer came; it is refused at once.
  EXPECT_FALSE(Files().Open("C:\\pipe", TFileMode::OpenRead));
  EXPECT_FALSE(Files().Open("C:\\pipe", TFileMode::OpenReadWrite));
  EXPECT_FALSE(Files().Copy("C:\\pipe", "C:\\copy", false));
  EXPECT_FALSE(HostExists(HostC("copy")));
}

TEST_F(PosixFilesTest, CopyCarriesTheReadOnlyAttribute) {
  WriteHostFile(HostC("source.txt"), "data");
  ASSERT_TRUE(Files().SetAttributes("C:\\source.txt", kAttributeReadOnly));
  ASSERT_TRUE(Files().Copy("C:\\source.txt", "C:\\copy.txt", true));
  EXPECT_TRUE(*Files().Attributes("C:\\copy.txt") & kAttributeReadOnly);
  EXPECT_EQ(ReadHostFile(HostC("copy.txt")), "data");
}

TEST_F(PosixFilesTest, RenameMovesFilesAcrossHostFileSystems) {
  struct stat tmp, shm;
  if (stat(HostC().c_str(), &tmp) != 0 || stat("/dev/shm", &shm) != 0 || tmp.st_dev == shm.st_dev)
    GTEST_SKIP() << "needs /dev/shm on a file system other than the temporary folder's";
  std::string shmFolder = "/dev/shm/tailpack-rename-" + std::to_string(getpid());
  MakeHostFolder(shmFolder);
  TScopedVariable drives("TAILPACK_DRIVES", "C=" + HostC() + ";E=" + shmFolder);
  WriteHostFile(HostC("moving.txt"), "payload");
  WriteHostFile(shmFolder + "/taken.txt", "other");

  EXPECT_FALSE(Files().Rename("C:\\moving.txt", "E:\\TAKEN.txt"));  // never replaces, even here
  EXPECT_TRUE(Files().Rename("C:\\moving.txt", "E:\\moved.txt"));
  EXPECT_FALSE(HostExists(HostC("moving.txt")));
  EXPECT_EQ(ReadHostFile(shmFolder + "/moved.txt"), "payload");
  EXPECT_EQ(ReadHostFile(shmFolder + "/taken.txt"), "other");
  unlink((shmFolder + "/moved.txt").c_str());
  unlink((shmFolder + "/taken.txt").c_str());
  rmdir(shmFolder.c_str());
}

TEST_F(PosixFilesTest, AProgramWrittenFromBytesStartsOnceMadeExecutable) {
  const TBytes script = StringToBytes("#!/bin/sh\nexit 0\n");
  ASSERT_TRUE(WriteBufferToFile("C:\\run\\program.exe", script.data(), static_cast<uint32_t>(script.size())));
  EXPECT_FALSE(Shell().Execute("C:\\run\\program.exe", "").Started);  // written files are not programs

  ASSERT_TRUE(Files().MakeExecutable("C:\\run\\program.exe"));
  struct stat info;
  ASSERT_EQ(stat(HostC("run/program.exe").c_str(), &info), 0);
  EXPECT_NE(info.st_mode & S_IXUSR, 0u);
  EXPECT_EQ(info.st_mode & (S_IXGRP | S_IXOTH), 0u);  // the owner's permission only
  auto started = Shell().Execute("C:\\run\\program.exe", "");
  EXPECT_TRUE(started.Started);

  // Neither a link (nor what it points to) nor a missing file.
  ASSERT_EQ(symlink(HostC("run/program.exe").c_str(), HostC("run/link.exe").c_str()), 0);
  EXPECT_FALSE(Files().MakeExecutable("C:\\run\\link.exe"));
  EXPECT_FALSE(Files().MakeExecutable("C:\\run\\missing.exe"));
}

}  // namespace
}  // namespace tailpack
