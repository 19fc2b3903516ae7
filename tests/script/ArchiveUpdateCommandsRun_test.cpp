// The archive update lines hand their parameters to the game data archives
// and end the run when an update cannot be done.

#include <gtest/gtest.h>

#include "base/ExitCodes.h"
#include "gamedata/DataArchiveFormat.h"
#include "gamedata/EmptyArchives.h"
#include "gamedata/GameDataTestSupport.h"
#include "gamedata/VfsTestSupport.h"
#include "runtime/SetupThread.h"
#include "script/RunFixture.h"
#include "uninstall/Cipher.h"
#include "uninstall/CipherKeys.h"

namespace tailpack {
namespace {

class ArchiveUpdateCommandsRunTest : public test::RunTest {
 protected:
  ArchiveUpdateCommandsRunTest() {
    Files().CreateFolder(InstallDir());
    EXPECT_TRUE(CreateEmptyDataArchive(DataArchive()).Ok());
    test::MakeVfs(Vfs(), test::SmallGeometry(128, 64, 4));
    UseArchive({{"Maps\\one.map", 1, test::TextBytes(500)},
                {"two.txt", 1, test::TextBytes(70)},
                {"Textures\\wall.bmp", 2, test::RandomBytes(300, 1)}});
  }

  std::string DataArchive() const { return InstallDir() + "\\data.zrp"; }
  std::string Vfs() const { return InstallDir() + "\\game.vfs"; }
  static std::string Enciphered(const std::string& text) { return EncryptWithDigitKey(kArchiveUpdateKey, text); }

  void ExpectAborted() {
    EXPECT_TRUE(runtime_.ScriptAborted);
    EXPECT_EQ(Progress().TakeFileLabel(), u"The installation failed.");
    EXPECT_EQ(runtime_.CompletionExitCode(), kExitInstallationAborted);
  }
};

TEST_F(ArchiveUpdateCommandsRunTest, ZrpUpdateMergesItsGroupUnderTheDecipheredPassword) {
  int32_t row = Line("zrpupdate", {"mods\\", Enciphered("secret"), "data.zrp", "1"});
  Run(row);
  TZrpDirectory directory = test::ReadZrp(DataArchive());
  EXPECT_EQ(test::EntryNames(directory), (std::vector<std::string>{"Maps\\one.map", "two.txt"}));
  EXPECT_EQ(directory.Trailer.Extra.Password, "secret");
  EXPECT_EQ(channel_.Lines.back(), u"Saving data.zrp");
  EXPECT_EQ(Progress().StepCount(), 2u);
  EXPECT_FALSE(runtime_.ScriptAborted);
  // The line keeps its enciphered password, so running it again works.
  EXPECT_EQ(At(row).Params[1], Enciphered("secret"));
  Run(row);
  EXPECT_FALSE(runtime_.ScriptAborted);
}

TEST_F(ArchiveUpdateCommandsRunTest, AWrongPasswordEndsTheRunAndLeavesTheArchive) {
  Run(Line("zrpupdate", {"mods\\", Enciphered("secret"), "data.zrp", "1"}));
  TBytes before = test::ReadFile(DataArchive());
  Run(Line("zrpupdate", {"mods\\", Enciphered("guess"), "data.zrp", "2"}));
  auto shown = answers_.Shown();
  ASSERT_EQ(shown.size(), 1u);
  EXPECT_EQ(Text(shown[0].Text), "Error Incorrect Password\rFile: data.zrp");
  EXPECT_EQ(Text(shown[0].Caption), "Error");
  ExpectAborted();
  EXPECT_EQ(test::ReadFile(DataArchive()), before);
}

TEST_F(ArchiveUpdateCommandsRunTest, AMissingArchiveAsksRetryAndCancelEndsTheRun) {
  answers_.Set("retry,cancel");
  Run(Line("zrpupdate", {"mods\\", Enciphered("secret"), "other.zrp", "1"}));
  auto shown = answers_.Shown();
  ASSERT_EQ(shown.size(), 2u);  // the question twice, no further box
  EXPECT_EQ(Text(shown[0].Text), "File not found: \"" + InstallDir() + "\\other.zrp\".");
  EXPECT_EQ(shown[0].Buttons, TMessageButtons::RetryCancel);
  ExpectAborted();
}

TEST_F(ArchiveUpdateCommandsRunTest, OfficialFlagAndDuplicates) {
  Run(Line("zrpupdate", {"mods\\", Enciphered("pw"), "data.zrp", "1"}));
  Run(Line("zrpofficial", {"data.zrp", Enciphered("Confirm"), "True"}));
  Run(Line("duplicateentry", {"data.zrp", "two.txt", "Copy.TXT"}));
  TZrpDirectory directory = test::ReadZrp(DataArchive());
  EXPECT_TRUE(directory.Trailer.Extra.Official);
  ASSERT_EQ(directory.Entries.size(), 3u);
  EXPECT_EQ(directory.Entries[2].Name, "copy.txt");
  EXPECT_EQ(directory.Entries[2].Offset, directory.Entries[1].Offset);
  EXPECT_FALSE(runtime_.ScriptAborted);
}

TEST_F(ArchiveUpdateCommandsRunTest, VfsUpdateClosesOrKeepsItsArchiveOpen) {
  Run(Line("vfsupdate", {"vfsdata\\", "game.vfs", "0", "1"}));
  EXPECT_TRUE(runtime_.VfsUpdate.HasOpenArchive());
  Run(Line("vfsupdate", {"vfsdata\\", "game.vfs", "2"}));  // no flag: closed afterwards
  EXPECT_FALSE(runtime_.VfsUpdate.HasOpenArchive());
  TVFSFile vfs;
  ASSERT_TRUE(vfs.Open(Vfs(), true).Ok());
  EXPECT_EQ(vfs.Tree().FileCount(), 3u);
  EXPECT_EQ(test::VfsFileContent(vfs, "Textures\\wall.bmp"), test::RandomBytes(300, 1));
}

TEST_F(ArchiveUpdateCommandsRunTest, TheEndOfTheRunSavesAnArchiveLeftOpen) {
  Line("vfsupdate", {"vfsdata\\", "game.vfs", "0", "2"});
  RunScript(runtime_);
  EXPECT_FALSE(runtime_.VfsUpdate.HasOpenArchive());
  EXPECT_EQ(channel_.Lines.back(), u"Saving game.vfs");
  TVFSFile vfs;
  ASSERT_TRUE(vfs.Open(Vfs(), true).Ok());
  EXPECT_EQ(vfs.Tree().FileCount(), 1u);
  EXPECT_TRUE(Files().Exists(InstallDir() + "\\game.ht"));
  EXPECT_EQ(runtime_.CompletionExitCode(), kExitCompleted);
}

TEST_F(ArchiveUpdateCommandsRunTest, AMissingVfsArchiveEndsTheRun) {
  Line("vfsupdate", {"vfsdata\\", "missing.vfs", "1"});
  Line("message", {"after"});
  RunScriptLines(runtime_);
  auto shown = answers_.Shown();
  ASSERT_EQ(shown.size(), 1u);
  EXPECT_EQ(Text(shown[0].Text), "Error: Unable to find <missing.vfs>");
  EXPECT_EQ(Text(shown[0].Caption), "VFS Error");
  ExpectAborted();
  EXPECT_EQ(channel_.Lines, std::vector<std::u16string>{});  // the message line never ran
}

TEST_F(ArchiveUpdateCommandsRunTest, AVfsUpdateThatDoesNotFitEndsTheRunUnchanged) {
  runtime_.Pak.Close();  // Windows cannot replace a file that is open
  UseArchive({{"huge.bin", 1, test::RandomBytes(128 * 70, 3)}});
  TBytes before = test::VfsSnapshot(Vfs());
  Run(Line("vfsupdate", {"vfsdata\\", "game.vfs", "1"}));
  auto shown = answers_.Shown();
  ASSERT_EQ(shown.size(), 1u);
  EXPECT_NE(Text(shown[0].Text).find("is full"), std::string::npos);
  ExpectAborted();
  EXPECT_EQ(test::VfsSnapshot(Vfs()), before);
}

}  // namespace
}  // namespace tailpack
