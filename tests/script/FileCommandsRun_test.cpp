// Run steps of the file commands against real files: where "file" extracts
// its group, its registry condition, and that a group that cannot be
// installed ends the run; "copyfile", "rename", "delete", "createdirectory"
// and "rmdir" with what they record for the uninstaller.

#include <gtest/gtest.h>

#include "base/Errors.h"
#include "base/ExitCodes.h"
#include "platform/TextCase.h"
#include "script/RunFixture.h"
#include "support/FaultyFileSystem.h"
#include "support/Links.h"
#include "system/FileHelpers.h"

namespace tailpack {
namespace {

using test::TTestEntry;

class FileCommandsRunTest : public test::RunTest {
 protected:
  // Recorded in the uninstall list's compact form.
  bool Recorded(const std::string& path) {
    return runtime_.UninstallList.ContainsFile(runtime_.Variables.CompactPathVars(path));
  }
};

TEST_F(FileCommandsRunTest, FileExtractsItsGroupWhereTheDestinationSays) {
  const std::string elsewhere = temp_ / "Elsewhere";
  struct TCase {
    std::vector<std::string> Params;
    std::string Expected;  // the file that must appear
  };
  const std::vector<TCase> cases = {
      {{"payload\\", "1"}, InstallDir() + "\\f1.txt"},
      {{"payload\\", "docs", "2"}, InstallDir() + "\\docs\\f2.txt"},
      {{"payload\\", "", "3"}, InstallDir() + "\\f3.txt"},
      {{"payload\\", elsewhere, "4"}, elsewhere + "\\f4.txt"},
      {{"payload\\", "$INSTDIR\\sub\\", "5"}, InstallDir() + "\\sub\\f5.txt"},
      {{"6"}, InstallDir() + "\\f6.txt"},
  };
  std::vector<TTestEntry> entries = {{"SetupInfo", 0, test::TextBytes(20)}};
  for (uint16_t group = 1; group <= cases.size(); ++group)
    entries.push_back({"f" + std::to_string(group) + ".txt", group, test::TextBytes(100 + group)});
  ASSERT_NO_FATAL_FAILURE(UseArchive(entries));

  for (size_t i = 0; i < cases.size(); ++i) {
    SCOPED_TRACE("case " + std::to_string(i + 1));
    Run(Line("file", cases[i].Params));
    EXPECT_EQ(test::ReadFile(cases[i].Expected), entries[i + 1].Data);
    EXPECT_TRUE(Recorded(cases[i].Expected));
  }
  EXPECT_FALSE(runtime_.ScriptAborted);
  EXPECT_TRUE(Recorded("$INSTDIR\\docs\\f2.txt"));
  EXPECT_EQ(Text(channel_.Lines.front()), "Extracting f1.txt");
  EXPECT_EQ(Progress().StepCount(), cases.size());
}

TEST_F(FileCommandsRunTest, FileWithABareDriveRootTakesItAsRelativeAndNeverWritesToTheRoot) {
  ASSERT_NO_FATAL_FAILURE(UseArchive({{"root.txt", 1, test::TextBytes(10)}}));
  std::string root = temp_.Path().substr(0, 3);
  Run(Line("file", {"payload\\", root, "1"}));
  EXPECT_FALSE(Files().Exists(root + "root.txt"));
}

TEST_F(FileCommandsRunTest, EightParameterFileExtractsOnlyWhenTheRegistryConditionHolds) {
  struct TCase {
    std::optional<std::string> Value;  // nothing: the value does not exist
    std::string Expected;
    std::string Negate;
    bool Extracts;
  };
  const std::vector<TCase> cases = {
      {std::nullopt, "", "1", true},     // a missing value reads as empty
      {std::nullopt, "", "F", false},    // negated
      {"deluxe", "deluxe", "true", true},
      {"deluxe", "Deluxe", "1", false},  // compared exactly
      {"deluxe", "basic", "0", true},
      {"deluxe", "basic", "FALSE", true},
  };
  std::vector<TTestEntry> entries;
  for (uint16_t group = 1; group <= cases.size(); ++group)
    entries.push_back({"c" + std::to_string(group) + ".txt", group, test::TextBytes(10)});
  ASSERT_NO_FATAL_FAILURE(UseArchive(entries));

  for (size_t i = 0; i < cases.size(); ++i) {
    SCOPED_TRACE("case " + std::to_string(i + 1));
    std::string key = TestKey(std::to_string(i));
    if (cases[i].Value) {
      auto opened = Registry().OpenKey(kRootCurrentUser, key, TRegistryAccess::CreateIfMissing);
      ASSERT_TRUE(opened && opened->WriteString("Flavour", *cases[i].Value));
    }
    Run(Line("file", {"mods\\", "cond", "HKCU", key, "Flavour", cases[i].Expected, cases[i].Negate,
                      std::to_string(i + 1)}));
    std::string file = InstallDir() + "\\cond\\c" + std::to_string(i + 1) + ".txt";
    EXPECT_EQ(Files().FileExists(file), cases[i].Extracts);
    // The key is opened with creation, so a missing one now exists.
    EXPECT_TRUE(Registry().KeyExists(kRootCurrentUser, key));
  }
}

TEST_F(FileCommandsRunTest, FileWithAnotherParameterCountSaysSoAndGoesOn) {
  ASSERT_NO_FATAL_FAILURE(UseArchive({{"a.txt", 1, test::TextBytes(10)}}));
  for (const std::vector<std::string>& params :
       {std::vector<std::string>{}, {"payload\\", "dest", "x", "1"}, {"a", "b", "c", "d", "e", "f", "g", "h", "1"}}) {
    SCOPED_TRACE(params.size());
    Run(Line("file", params));
  }
  auto shown = answers_.Shown();
  ASSERT_EQ(shown.size(), 3u);
  EXPECT_EQ(Text(shown[0].Text), "TFileCommand.SFXProcess - Param Count Invalid!!!");
  EXPECT_EQ(Text(shown[0].Caption), "Error");
  EXPECT_FALSE(runtime_.ScriptAborted);
  EXPECT_FALSE(Files().Exists(InstallDir()));
}

TEST_F(FileCommandsRunTest, AGroupNumberThatIsNoNumberIsAConversionError) {
  ASSERT_NO_FATAL_FAILURE(UseArchive({{"a.txt", 1, test::TextBytes(10)}}));
  for (const char* group : {"one", "", "0", "70000"}) {
    SCOPED_TRACE(group);
    int32_t row = Line("file", {"payload\\", group});
    EXPECT_THROW(Run(row), EConversionError);
  }
}

TEST_F(FileCommandsRunTest, AGroupThatCannotBeInstalledEndsTheRunAsFailed) {
  enum class TFault { DamagedEntry, FullDisk, UnsafeName };
  for (TFault fault : {TFault::DamagedEntry, TFault::FullDisk, TFault::UnsafeName}) {
    SCOPED_TRACE(static_cast<int>(fault));
    test::TTempFolder temp;
    TSetupRuntime runtime;
    RegisterCommands(runtime.Commands);
    runtime.SetupInfo.Info.InstallDir = temp / "Installed";
    const std::string name = fault == TFault::UnsafeName ? "..\\escape.txt" : "big.bin";
    ASSERT_NO_FATAL_FAILURE(test::WriteArchive(temp / "setup.pak", {{name, 1, test::RandomBytes(5000, 3)}}));
    if (fault == TFault::DamagedEntry) {
      TPak probe;
      ASSERT_TRUE(probe.Create(temp / "setup.pak"));
      uint32_t dataAt = probe.Files()[0].Offset;
      probe.Close();
      ASSERT_NO_FATAL_FAILURE(test::FlipByte(temp / "setup.pak", dataAt + 100));
    }
    ASSERT_TRUE(runtime.Pak.Create(temp / "setup.pak"));
    runtime.Script.Append(runtime.Commands.IndexOfKeyword("file"), {"payload\\", "1"});
    test::TFaultyFileSystem faulty;
    if (fault == TFault::FullDisk) faulty.FailWritesAfter(1000, "big.bin");
    TFileSystemOverride override(faulty);
    answers_.Set("");
    runtime.Commands.Find(runtime.Commands.IndexOfKeyword("file"))->SFXProcess(runtime, 0);

    EXPECT_TRUE(runtime.ScriptAborted);
    EXPECT_TRUE(runtime.InstallFailed);
    EXPECT_EQ(runtime.CompletionExitCode(), kExitInstallationAborted);
    EXPECT_EQ(Progress().TakeFileLabel(), runtime.GetString(TStringId::FailureText));
    auto shown = answers_.Shown();
    ASSERT_FALSE(shown.empty());
    EXPECT_EQ(Text(shown.back().Caption), "Error");
    EXPECT_NE(Text(shown.back().Text).find(fault == TFault::UnsafeName ? "escape.txt" : "big.bin"), std::string::npos)
        << Text(shown.back().Text);
    EXPECT_FALSE(Files().Exists(temp / "Installed\\big.bin"));
    EXPECT_FALSE(Files().Exists(temp / "escape.txt"));
  }
}

TEST_F(FileCommandsRunTest, CopyFileCreatesTheFolderChainAndRecordsFoldersThenTheFile) {
  ASSERT_NO_FATAL_FAILURE(test::WriteFile(temp_ / "readme.txt", "read me"));
  Run(Line("copyfile", {temp_ / "readme.txt", "$INSTDIR\\a\\b\\copy.txt"}));
  EXPECT_EQ(BytesToString(test::ReadFile(InstallDir() + "\\a\\b\\copy.txt")), "read me");
  const std::vector<std::string> folders = {InstallDir() + "\\", InstallDir() + "\\a\\", InstallDir() + "\\a\\b"};
  EXPECT_EQ(runtime_.UninstallList.Folders, folders);
  EXPECT_EQ(runtime_.UninstallList.Files, std::vector<std::string>{"$INSTDIR\\a\\b\\copy.txt"});
  EXPECT_EQ(Text(channel_.Lines.back()), "Copying readme.txt");

  // A failed copy is not reported, but the destination is still recorded.
  Run(Line("copyfile", {temp_ / "missing.txt", "$INSTDIR\\missing.txt"}));
  EXPECT_TRUE(answers_.Shown().empty());
  EXPECT_TRUE(runtime_.UninstallList.ContainsFile("$INSTDIR\\missing.txt"));
}

// Reports the drive that holds the test's folder as a CD-ROM drive.
class TCdRomFileSystem final : public test::TForwardingFileSystem {
 public:
  TCdRomFileSystem(IFileSystem& inner, std::string root) : TForwardingFileSystem(inner), root_(std::move(root)) {}
  TDriveType DriveType(const std::string& root) override {
    return SameTextAnsi(root, root_) ? TDriveType::CdRom : inner_.DriveType(root);
  }

 private:
  std::string root_;
};

TEST_F(FileCommandsRunTest, CopyFileFindsItsSourceOnACdRomDrive) {
  ASSERT_NO_FATAL_FAILURE(test::WriteFile(temp_ / "disc.txt", "from the disc"));
  TCdRomFileSystem cdRom(Files(), temp_.Path().substr(0, 3));
  TFileSystemOverride override(cdRom);
  // Written in lower case, as scripts may.
  Run(Line("copyfile", {"$cddrive" + temp_.Path().substr(3) + "\\disc.txt", "$INSTDIR\\disc.txt"}));
  EXPECT_EQ(BytesToString(test::ReadFile(InstallDir() + "\\disc.txt")), "from the disc");
}

TEST_F(FileCommandsRunTest, RenameAndDeleteActOnExistingFilesAndKeepTheirExpandedParameters) {
  ASSERT_TRUE(Files().CreateFolder(InstallDir()));
  ASSERT_NO_FATAL_FAILURE(test::WriteFile(InstallDir() + "\\old.txt", "x"));
  int32_t rename = Line("rename", {"$INSTDIR\\old.txt", "$INSTDIR\\new.txt"});
  int32_t renameMissing = Line("rename", {"$INSTDIR\\none.txt", "$INSTDIR\\other.txt"});
  int32_t remove = Line("delete", {"$INSTDIR\\new.txt"});
  int32_t removeMissing = Line("delete", {"$INSTDIR\\none.txt"});

  Run(rename);
  EXPECT_TRUE(Files().FileExists(InstallDir() + "\\new.txt"));
  EXPECT_FALSE(Files().Exists(InstallDir() + "\\old.txt"));
  Run(renameMissing);
  EXPECT_FALSE(Files().Exists(InstallDir() + "\\other.txt"));
  Run(remove);
  EXPECT_FALSE(Files().Exists(InstallDir() + "\\new.txt"));
  Run(removeMissing);

  EXPECT_EQ(At(rename).Params, (std::vector<std::string>{InstallDir() + "\\old.txt", InstallDir() + "\\new.txt"}));
  EXPECT_EQ(At(remove).Params[0], InstallDir() + "\\new.txt");
  // Nothing of this is for the uninstaller.
  EXPECT_TRUE(runtime_.UninstallList.Files.empty());
  EXPECT_TRUE(runtime_.UninstallList.Folders.empty());
}

TEST_F(FileCommandsRunTest, CreateDirectoryRecordsWhatItCreatedAndTheFolderItselfOnce) {
  Run(Line("createdirectory", {"$INSTDIR\\saves"}));
  Run(Line("createdirectory", {"$INSTDIR\\SAVES\\"}));
  EXPECT_TRUE(Files().FolderExists(InstallDir() + "\\saves"));
  const std::vector<std::string> folders = {InstallDir() + "\\", InstallDir() + "\\saves"};
  EXPECT_EQ(runtime_.UninstallList.Folders, folders);
}

// Records every removal asked of the file system. With Forward false it
// removes nothing, so a guard that fails cannot do harm in the test.
class TRemovalRecorder final : public test::TForwardingFileSystem {
 public:
  TRemovalRecorder(IFileSystem& inner, bool forward = true) : TForwardingFileSystem(inner), forward_(forward) {}
  bool RemoveFolder(const std::string& path) override {
    Removed.push_back(path);
    return forward_ && inner_.RemoveFolder(path);
  }
  bool Delete(const std::string& path) override {
    Removed.push_back(path);
    return forward_ && inner_.Delete(path);
  }
  std::vector<std::string> Removed;

 private:
  bool forward_;
};

TEST_F(FileCommandsRunTest, RmDirRemovesTheWholeTreeWhateverItsFlag) {
  for (const char* flag : {"0", "1"}) {
    SCOPED_TRACE(flag);
    ASSERT_NO_FATAL_FAILURE(CreateFolderChain(InstallDir() + "\\saves\\deep", nullptr));
    ASSERT_NO_FATAL_FAILURE(test::WriteFile(InstallDir() + "\\saves\\deep\\game.sav", "x"));
    Run(Line("rmdir", {"$INSTDIR\\saves", flag}));
    EXPECT_FALSE(Files().Exists(InstallDir() + "\\saves"));
    EXPECT_TRUE(Files().FolderExists(InstallDir()));
  }
}

// "rmdir "$INSTDIR\.." 0" with the installation folder directly on a drive
// removed the whole drive: a path is resolved before it is judged, and drive
// roots and the system's folders (and the folders that hold them) are never
// removed. The script goes on.
TEST_F(FileCommandsRunTest, RmDirNeverTouchesARelativePathADriveRootOrASystemFolder) {
  TRemovalRecorder recorder(Files(), false);
  TFileSystemOverride override(recorder);
  // "$CDDRIVE" expands to nothing without a CD-ROM drive.
  runtime_.Variables.CDDrive.clear();
  std::string upToTheRoot = "$INSTDIR";
  for (char c : InstallDir())
    if (c == '\\') upToTheRoot += "\\..";
  std::vector<std::string> folders = {"$CDDRIVE", "saves", temp_.Path().substr(0, 3), upToTheRoot,
                                      upToTheRoot + "\\.\\", temp_.Path().substr(0, 2) + "\\App\\.."};
  for (const std::string& system : Shell().SystemFolders()) {
    folders.push_back(system);
    folders.push_back(system + "\\Sub\\..\\");
    folders.push_back(ExtractFileDir(system));
  }
  for (const std::string& folder : folders) {
    SCOPED_TRACE(folder);
    Run(Line("rmdir", {folder, "0"}));
    EXPECT_TRUE(recorder.Removed.empty());
  }
  EXPECT_FALSE(runtime_.ScriptAborted);
  EXPECT_TRUE(answers_.Shown().empty());
}

// Links planted in the installation folder before the setup runs: a folder
// link there never takes a group or a copy elsewhere, nor is anything
// recorded through it; a file link is replaced by the file.
TEST_F(FileCommandsRunTest, NothingIsInstalledThroughALinkPlantedInTheInstallationFolder) {
  const std::string outside = temp_ / "outside";
  ASSERT_TRUE(Files().CreateFolder(outside));
  ASSERT_TRUE(Files().CreateFolder(InstallDir()));
  ASSERT_NO_FATAL_FAILURE(test::WriteFile(outside + "\\victim.txt", std::string("keep")));
  ASSERT_NO_FATAL_FAILURE(test::WriteFile(temp_ / "source.txt", std::string("copied")));
  if (!test::MakeLink(InstallDir() + "\\bin", outside, true) ||
      !test::MakeLink(InstallDir() + "\\readme.txt", outside + "\\victim.txt", false))
    GTEST_SKIP() << "this system cannot make links that report themselves as such";
  ASSERT_NO_FATAL_FAILURE(UseArchive({{"readme.txt", 1, test::TextBytes(30)}, {"demo.exe", 2, test::TextBytes(40)}}));

  Run(Line("copyfile", {temp_ / "source.txt", "$INSTDIR\\bin\\sub\\copy.txt"}));
  EXPECT_FALSE(Files().Exists(outside + "\\sub"));
  EXPECT_FALSE(runtime_.UninstallList.ContainsFile("$INSTDIR\\bin\\sub\\copy.txt"));
  EXPECT_TRUE(runtime_.UninstallList.Folders.empty());

  Run(Line("file", {"payload\\", "1"}));
  EXPECT_FALSE(runtime_.ScriptAborted);
  EXPECT_EQ(test::ReadFile(InstallDir() + "\\readme.txt"), test::TextBytes(30));
  EXPECT_EQ(BytesToString(test::ReadFile(outside + "\\victim.txt")), "keep");

  Run(Line("file", {"payload\\", "bin", "2"}));
  EXPECT_TRUE(runtime_.ScriptAborted);
  EXPECT_TRUE(runtime_.InstallFailed);
  EXPECT_FALSE(Files().Exists(outside + "\\demo.exe"));
  EXPECT_FALSE(runtime_.UninstallList.ContainsFile("$INSTDIR\\bin\\demo.exe"));
  auto shown = answers_.Shown();
  ASSERT_EQ(shown.size(), 1u);
  EXPECT_NE(Text(shown[0].Text).find("is a link"), std::string::npos) << Text(shown[0].Text);
}

}  // namespace
}  // namespace tailpack
