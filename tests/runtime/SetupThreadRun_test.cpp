// The worker thread and its walk: idling and stopping, lines run in order,
// the end-of-run steps after a complete or an aborted walk, and failures
// that escape a command going to the error handler (the error report).

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <functional>
#include <limits>
#include <thread>

#include "base/ExitCodes.h"
#include "diag/ErrorReport.h"
#include "runtime/SetupThread.h"
#include "runtime/Uninstaller.h"
#include "script/RunFixture.h"
#include "support/FaultyFileSystem.h"
#include "support/ForwardingFileSystem.h"

namespace tailpack {
namespace {

using TClock = std::chrono::steady_clock;

class SetupThreadRunTest : public test::RunTest {
 protected:
  std::vector<std::string> Ran() {
    std::vector<std::string> marks;
    for (const auto& line : channel_.Lines) marks.push_back(Text(line));
    return marks;
  }
  // Starts a walk on the thread and waits for its end (at most ten seconds).
  static bool WalkAndWait(TSetupThread& thread) {
    thread.StartWalk();
    auto deadline = TClock::now() + std::chrono::seconds(10);
    while (thread.Running && TClock::now() < deadline) std::this_thread::sleep_for(std::chrono::milliseconds(1));
    return !thread.Running;
  }
};

// A thread that did not end when asked would hang the test: ctest's time
// limit fails it, no wall-clock bound of its own is needed.
TEST_F(SetupThreadRunTest, AnIdleThreadRunsNothingAndEndsWhenAsked) {
  Line("message", {"never"});
  {
    TSetupThread thread(runtime_);
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
    EXPECT_FALSE(thread.Running);
    thread.RequestStop();
    thread.WaitFor();
    EXPECT_TRUE(thread.Ended());
  }
  EXPECT_TRUE(channel_.Lines.empty());
  EXPECT_FALSE(Files().Exists(InstallDir()));
}

TEST_F(SetupThreadRunTest, AWalkRunsTheLinesInOrderThenMakesSureOfTheInstallationFolder) {
  Line("message", {"one"});
  Label("label");
  Line("message", {"two"});
  TSetupThread thread(runtime_);
  ASSERT_TRUE(WalkAndWait(thread));
  EXPECT_EQ(Ran(), (std::vector<std::string>{"one", "two"}));
  EXPECT_TRUE(Files().FolderExists(InstallDir()));
  EXPECT_EQ(runtime_.UninstallList.Folders, std::vector<std::string>{InstallDir()});
  EXPECT_FALSE(thread.Ended());
  EXPECT_EQ(runtime_.CompletionExitCode(), kExitCompleted);
}

TEST_F(SetupThreadRunTest, ShortScriptsRunWhatTheyHave) {
  struct TCase {
    bool LabelOnly;
    std::vector<std::string> Ran;
  };
  // A lone command line runs as well: skipping it would report an
  // installation that never happened.
  for (const TCase& c : {TCase{true, {}}, TCase{false, {"only"}}}) {
    SCOPED_TRACE(c.LabelOnly);
    runtime_.Script.Lines.clear();
    channel_.Lines.clear();
    if (c.LabelOnly) Label("alone");
    else Line("message", {"only"});
    runtime_.CurrentRow = -1;
    RunScript(runtime_);
    EXPECT_EQ(Ran(), c.Ran);
    EXPECT_TRUE(Files().FolderExists(InstallDir()));
  }
}

TEST_F(SetupThreadRunTest, TheWalkEndsAtAJumpPastTheEndAtAnAbortAndWhenTheApplicationEnds) {
  struct TCase {
    std::string Name;
    std::function<void()> Prepare;
    std::vector<std::string> Ran;
  };
  const std::vector<TCase> cases = {
      {"jump past the end", [this] { Line("goto", {"40"}); }, {"first"}},
      {"jump to the last row number", [this] { Line("goto", {std::to_string(std::numeric_limits<int32_t>::max())}); },
       {"first"}},
      {"failure", [this] { Line("failure", {}); }, {"first"}},
      {"terminating", [this] { runtime_.Terminating = true; }, {"first"}},
      // Start-up refuses such numbers; the walk skips them like labels.
      {"unknown command", [this] { runtime_.Script.Append(99, {"x"}); }, {"first", "last"}},
  };
  for (const TCase& c : cases) {
    SCOPED_TRACE(c.Name);
    runtime_.Script.Lines.clear();
    channel_.Lines.clear();
    runtime_.ScriptAborted = false;
    runtime_.Terminating = false;
    Line("message", {"first"});
    c.Prepare();
    Line("message", {"last"});
    runtime_.CurrentRow = -1;
    RunScriptLines(runtime_);
    EXPECT_EQ(Ran(), c.Ran);
  }
}

TEST_F(SetupThreadRunTest, AnAbortedWalkStillSavesTheLogAndProducesTheUninstaller) {
  TSetupInfo& info = runtime_.SetupInfo.Info;
  info.ShortName = "Tailpack Thread Test";
  info.HasUninstaller = 1;
  info.UninstallPrefix = "Thread_";
  info.UninstallExeName = "Thread_Uninstall.exe";
  ASSERT_NO_FATAL_FAILURE(UseArchive({{"SetupInfo", 0, test::TextBytes(40)},
                                      {"UNINSTALL_Pages.txt", 0, test::TextBytes(30)},
                                      {"a.txt", 1, test::TextBytes(50)}}));
  Line("file", {"payload\\", "1"});
  Line("failure", {});
  Line("message", {"after"});
  TSetupThread thread(runtime_);
  ASSERT_TRUE(WalkAndWait(thread));

  std::vector<std::string> ran = Ran();
  EXPECT_EQ(std::count(ran.begin(), ran.end(), "after"), 0);
  EXPECT_TRUE(Files().FileExists(InstallDir() + "\\a.txt"));
  TUninstallList log;
  ASSERT_TRUE(log.LoadFromFile(InstallDir(), "Thread_").Ok());
  EXPECT_EQ(log.Files, std::vector<std::string>{"$INSTDIR\\a.txt"});
  TPak uninstaller;
  ASSERT_TRUE(uninstaller.Create(InstallDir() + "\\Thread_Uninstall.exe"));
  EXPECT_TRUE(uninstaller.FindIndex("Pages.txt", 0));
  EXPECT_EQ(ReadValue(kRootLocalMachine, UninstallRegistryKey("Tailpack Thread Test"), "DisplayName"),
            "Tailpack Thread Test");
  EXPECT_EQ(runtime_.CompletionExitCode(), kExitInstallationAborted);
}

// The installed files are not flushed one by one: one flush of everything
// written ends the run, and a disk that did not take it all fails the run.
TEST_F(SetupThreadRunTest, TheRunEndsWithOneFlushOfEverythingWrittenAndTellsWhenItFails) {
  TSetupInfo& info = runtime_.SetupInfo.Info;
  info.ShortName = "Tailpack Flush Test";
  info.HasUninstaller = 1;
  info.UninstallPrefix = "Flush_";
  info.UninstallExeName = "Flush_Uninstall.exe";
  ASSERT_NO_FATAL_FAILURE(UseArchive({{"SetupInfo", 0, test::TextBytes(40)},
                                      {"a.txt", 1, test::TextBytes(50)},
                                      {"sub\\b.txt", 1, test::TextBytes(60)},
                                      {"sub\\c.txt", 1, test::TextBytes(70)}}));
  Line("file", {"payload\\", "1"});
  test::TFaultyFileSystem faulty;
  TFileSystemOverride use(faulty);
  answers_.Set("");
  runtime_.CurrentRow = -1;
  RunScript(runtime_);
  EXPECT_EQ(faulty.FlushesOfWrittenFiles(), 1);
  // Only what stands on its own (the log, the uninstaller) is flushed alone.
  for (const std::string& flushed : faulty.FlushedFiles()) {
    SCOPED_TRACE(flushed);
    EXPECT_EQ(flushed.find(".txt"), std::string::npos);
  }
  EXPECT_FALSE(faulty.FlushedFiles().empty());
  EXPECT_TRUE(answers_.Shown().empty());
  EXPECT_EQ(runtime_.CompletionExitCode(), kExitCompleted);

  faulty.FailFlushWrittenFiles();
  runtime_.CurrentRow = -1;
  RunScript(runtime_);
  EXPECT_EQ(faulty.FlushesOfWrittenFiles(), 2);
  EXPECT_TRUE(runtime_.InstallFailed);
  EXPECT_EQ(runtime_.CompletionExitCode(), kExitInstallationAborted);
  auto shown = answers_.Shown();
  ASSERT_EQ(shown.size(), 1u);
  EXPECT_EQ(Text(shown[0].Caption), "Error");
  EXPECT_NE(Text(shown[0].Text).find("could not all be written to the disk"), std::string::npos);
}

TEST_F(SetupThreadRunTest, AFailureEscapingACommandGoesToTheHandlerAndEndsTheThread) {
  Line("file", {"payload\\", "not a group"});
  Line("message", {"after"});
  std::string message;
  std::string context;
  TSetupThread thread(runtime_, [&](const std::string& text, const std::string& where) {
    message = text;
    context = where;
  });
  ASSERT_TRUE(WalkAndWait(thread));
  // Running drops only after the handler, so both are visible here.
  EXPECT_EQ(message, "'not a group' is not a valid integer value");
  EXPECT_EQ(context, "Setup Thread");
  EXPECT_TRUE(Ran().empty());
  auto deadline = TClock::now() + std::chrono::seconds(5);
  while (!thread.Ended() && TClock::now() < deadline) std::this_thread::sleep_for(std::chrono::milliseconds(1));
  EXPECT_TRUE(thread.Ended());
}

using SetupThreadRunDeathTest = SetupThreadRunTest;

TEST_F(SetupThreadRunDeathTest, WithoutAHandlerTheFailureEndsInTheErrorReport) {
  GTEST_FLAG_SET(death_test_style, "threadsafe");
  Line("file", {"payload\\", "x"});
  EXPECT_EXIT(
      {
        test::TTempFolderRedirect redirect(Files(), temp_.Path() + "\\");
        TFileSystemOverride override(redirect);
        test::TQuietShell shell;
        Platform().Shell = &shell;
        THeadlessMessageBoxes boxes;  // tells on standard error
        SetMessageBoxes(boxes);
        TSetupThread thread(runtime_);
        thread.StartWalk();
        std::this_thread::sleep_for(std::chrono::seconds(10));
      },
      ::testing::ExitedWithCode(kExitErrorReport), "Setup Thread Error: 'x' is not a valid integer value");
}

}  // namespace
}  // namespace tailpack
