// Until the archive updates exist, each of their lines tells the user and
// ends the run as failed instead of passing for done.

#include <gtest/gtest.h>

#include "base/ExitCodes.h"
#include "script/RunFixture.h"
#include "script/SetupThread.h"

namespace tailpack {
namespace {

using ArchiveUpdateCommandsRunTest = test::RunTest;

TEST_F(ArchiveUpdateCommandsRunTest, EveryUpdateLineIsRefusedAndEndsTheWalk) {
  const std::vector<std::vector<std::string>> lines = {
      {"zrpupdate", "mods\\", "enciphered", "data.zrp", "1"},
      {"zrpofficial", "data.zrp", "enciphered", "true"},
      {"duplicateentry", "data.zrp", "a.dat", "b.dat"},
      {"vfsupdate", "vfsdata\\", "game.vfs", "0", "2"},
  };
  for (const auto& words : lines) {
    SCOPED_TRACE(words[0]);
    TSetupRuntime runtime;
    RegisterCommands(runtime.Commands);
    runtime.Languages = runtime_.Languages;
    runtime.SetupInfo.Info.InstallDir = InstallDir();
    runtime.Script.Append(runtime.Commands.IndexOfKeyword(words[0]), {words.begin() + 1, words.end()});
    runtime.Script.Append(runtime.Commands.IndexOfKeyword("message"), {"after"});
    channel_.Lines.clear();
    answers_.Set("");
    RunScriptLines(runtime);

    auto shown = answers_.Shown();
    ASSERT_FALSE(shown.empty());
    EXPECT_EQ(Text(shown.back().Text),
              "The command \"" + words[0] + "\" is not available in this version of the setup program.");
    EXPECT_EQ(Text(shown.back().Caption), "Error");
    EXPECT_EQ(Progress().TakeFileLabel(), u"The installation failed.");
    EXPECT_TRUE(runtime.ScriptAborted);
    EXPECT_EQ(runtime.CompletionExitCode(), kExitInstallationAborted);
    EXPECT_TRUE(channel_.Lines.empty());
  }
}

}  // namespace
}  // namespace tailpack
