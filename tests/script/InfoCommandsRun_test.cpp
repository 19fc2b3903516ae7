// Run steps of "uninstalllogsave" and "uninstalllogload": where the log goes,
// what a missing log leaves, and a log that cannot be written.

#include <gtest/gtest.h>

#include "base/ExitCodes.h"
#include "script/RunFixture.h"
#include "support/FaultyFileSystem.h"

namespace tailpack {
namespace {

using InfoCommandsRunTest = test::RunTest;

TEST_F(InfoCommandsRunTest, SaveAndLoadUseTheExpandedFolderAndTheOptionalPrefix) {
  ASSERT_TRUE(Files().CreateFolder(InstallDir()));
  runtime_.UninstallList.AddFile(InstallDir() + "\\game.exe");
  runtime_.UninstallList.AddFolder(InstallDir());
  Run(Line("uninstalllogsave", {"$INSTDIR"}));
  Run(Line("uninstalllogsave", {"$INSTDIR", "Every_"}));
  EXPECT_TRUE(Files().FileExists(InstallDir() + "\\install.log"));
  EXPECT_TRUE(Files().FileExists(InstallDir() + "\\Every_install.log"));

  TUninstallList saved = runtime_.UninstallList;
  runtime_.UninstallList.Clear();
  runtime_.UninstallList.AddFile("C:\\recorded\\earlier.txt");
  // A folder without a log leaves the records of this run alone.
  Run(Line("uninstalllogload", {temp_ / "nowhere"}));
  EXPECT_EQ(runtime_.UninstallList.Files, std::vector<std::string>{"C:\\recorded\\earlier.txt"});

  Run(Line("uninstalllogload", {"$INSTDIR", "Every_"}));
  EXPECT_EQ(runtime_.UninstallList.Files, saved.Files);
  EXPECT_EQ(runtime_.UninstallList.Folders, saved.Folders);
  EXPECT_TRUE(answers_.Shown().empty());
}

TEST_F(InfoCommandsRunTest, ALogThatCannotBeWrittenIsToldAndFailsTheRun) {
  ASSERT_TRUE(Files().CreateFolder(InstallDir()));
  runtime_.UninstallList.AddFile(InstallDir() + "\\game.exe");
  test::TFaultyFileSystem faulty;
  faulty.FailWritesAfter(3, "install.log");
  TFileSystemOverride override(faulty);
  Run(Line("uninstalllogsave", {"$INSTDIR"}));
  auto shown = answers_.Shown();
  ASSERT_EQ(shown.size(), 1u);
  EXPECT_EQ(Text(shown[0].Caption), "Error");
  EXPECT_TRUE(runtime_.InstallFailed);
  EXPECT_FALSE(runtime_.ScriptAborted);
  EXPECT_EQ(runtime_.CompletionExitCode(), kExitInstallationAborted);
}

}  // namespace
}  // namespace tailpack
