// Run steps of the flow and message commands, through the walk: which lines
// run after "goto", "iffileexists" and "messagebox" (answered from a script),
// the status lines of "message", and "failure" ending the run.

#include <gtest/gtest.h>

#include "base/ExitCodes.h"
#include "runtime/SetupThread.h"
#include "script/RunFixture.h"
#include "system/FileHelpers.h"

namespace tailpack {
namespace {

class FlowCommandsRunTest : public test::RunTest {
 protected:
  // A line that leaves its name as the status text when it runs.
  void Mark(const std::string& name) { Line("message", {name}); }
  std::vector<std::string> Walk() {
    runtime_.CurrentRow = -1;
    RunScriptLines(runtime_);
    std::vector<std::string> marks;
    for (const auto& line : channel_.Lines) marks.push_back(Text(line));
    return marks;
  }
};

TEST_F(FlowCommandsRunTest, GotoSetsTheRowOfItsLabelAndIgnoresTargetsThatAreNoRow) {
  struct TCase {
    std::string Target;
    int32_t Row;  // CurrentRow afterwards; it was 7
  };
  const std::vector<TCase> cases = {{"3", 3}, {"0", 0}, {"-1", 7}, {"label", 7}, {"", 7}};
  for (const TCase& c : cases) {
    SCOPED_TRACE(c.Target);
    runtime_.CurrentRow = 7;
    Run(Line("goto", {c.Target}));
    EXPECT_EQ(runtime_.CurrentRow, c.Row);
  }
}

TEST_F(FlowCommandsRunTest, GotoContinuesAfterTheLabelAndATargetBeyondTheEndEndsTheWalk) {
  struct TCase {
    std::string Target;
    std::vector<std::string> Ran;
  };
  // Rows: 0 goto, 1 "skipped", 2 label, 3 "after".
  const std::vector<TCase> cases = {{"2", {"after"}}, {"nowhere", {"skipped", "after"}}, {"99", {}}};
  for (const TCase& c : cases) {
    SCOPED_TRACE(c.Target);
    runtime_.Script.Lines.clear();
    channel_.Lines.clear();
    Line("goto", {c.Target});
    Mark("skipped");
    Label("here");
    Mark("after");
    EXPECT_EQ(Walk(), c.Ran);
  }
}

TEST_F(FlowCommandsRunTest, IfFileExistsBranchesOnAFileButNotOnAFolder) {
  ASSERT_NO_FATAL_FAILURE(CreateFolderChain(temp_ / "folder", nullptr));
  ASSERT_NO_FATAL_FAILURE(test::WriteFile(temp_ / "file.txt", "x"));
  struct TCase {
    std::string Path;
    std::string Found;
    std::string Missing;
    std::vector<std::string> Ran;
  };
  // Rows: 0 iffileexists, 1 "next", 2 label found, 3 "found", 4 label missing, 5 "missing".
  const std::vector<TCase> cases = {
      {temp_ / "file.txt", "2", "4", {"found", "missing"}},
      {temp_ / "folder", "2", "4", {"missing"}},
      {temp_ / "none.txt", "2", "4", {"missing"}},
      {temp_ / "file.txt", "-1", "4", {"next", "found", "missing"}},
      {temp_ / "none.txt", "2", "-1", {"next", "found", "missing"}},
      {"$cddrive\\file.txt", "2", "4", {"missing"}},  // no CD-ROM drive holds it
  };
  for (const TCase& c : cases) {
    SCOPED_TRACE(c.Path + " " + c.Found + " " + c.Missing);
    runtime_.Script.Lines.clear();
    channel_.Lines.clear();
    Line("iffileexists", {c.Path, c.Found, c.Missing});
    Mark("next");
    Label("found");
    Mark("found");
    Label("missing");
    Mark("missing");
    EXPECT_EQ(Walk(), c.Ran);
  }
}

TEST_F(FlowCommandsRunTest, MessageBoxAsksAndLandsOnTheChosenLabel) {
  struct TCase {
    std::string Answer;
    std::string OkTarget;
    std::string CancelTarget;
    std::vector<std::string> Ran;
  };
  // Rows: 0 label, 1 messagebox, 2 "next", 3 label ok, 4 "ok", 5 label cancel, 6 "cancel".
  const std::vector<TCase> cases = {
      {"ok", "3", "5", {"ok", "cancel"}},
      {"cancel", "3", "5", {"cancel"}},
      {"ok", "-1", "5", {"next", "ok", "cancel"}},
      {"cancel", "3", "-1", {"next", "ok", "cancel"}},
      // Targets must be above 0 here: a label on row 0 is never jumped to.
      {"ok", "0", "5", {"next", "ok", "cancel"}},
  };
  for (const TCase& c : cases) {
    SCOPED_TRACE(c.Answer + " " + c.OkTarget + " " + c.CancelTarget);
    runtime_.Script.Lines.clear();
    channel_.Lines.clear();
    answers_.Set(c.Answer);
    Label("start");
    Line("messagebox", {"Install into $INSTDIR?", "Question", c.OkTarget, c.CancelTarget});
    Mark("next");
    Label("ok");
    Mark("ok");
    Label("cancel");
    Mark("cancel");
    EXPECT_EQ(Walk(), c.Ran);
    auto shown = answers_.Shown();
    ASSERT_EQ(shown.size(), 1u);
    EXPECT_EQ(Text(shown[0].Text), "Install into " + InstallDir() + "?");
    EXPECT_EQ(Text(shown[0].Caption), "Question");
    EXPECT_EQ(shown[0].Buttons, TMessageButtons::OkCancel);
    EXPECT_EQ(shown[0].Icon, TMessageIcon::Question);
  }
}

TEST_F(FlowCommandsRunTest, MessageShowsTheTranslatedTextAsItIs) {
  struct TCase {
    std::string Text;
    std::string Shown;
  };
  const std::vector<TCase> cases = {
      {"<LANG18>", "Extracting <%FILENAME%>"},
      {"Step <LANG23>", "Step The installation failed."},
      {"<LANG5>", "NOT FOUND 5"},
      {"$INSTDIR stays", "$INSTDIR stays"},
      {"", ""},
  };
  for (const TCase& c : cases) Run(Line("message", {c.Text}));
  ASSERT_EQ(channel_.Lines.size(), cases.size());
  for (size_t i = 0; i < cases.size(); ++i) {
    SCOPED_TRACE(cases[i].Text);
    EXPECT_EQ(Text(channel_.Lines[i]), cases[i].Shown);
  }
}

TEST_F(FlowCommandsRunTest, FailureShowsTheFailureTextAndEndsTheWalkAfterItsLine) {
  Mark("before");
  Line("failure", {});
  Mark("after");
  EXPECT_EQ(Walk(), std::vector<std::string>{"before"});
  EXPECT_TRUE(runtime_.ScriptAborted);
  EXPECT_EQ(Progress().TakeFileLabel(), u"The installation failed.");
  EXPECT_EQ(runtime_.CompletionExitCode(), kExitInstallationAborted);
}

TEST_F(FlowCommandsRunTest, FailureWithoutAFinishLabelStillStopsTheScript) {
  Progress().AttachControls(true, true, false);
  Line("failure", {"any", "parameters"});
  Mark("after");
  EXPECT_TRUE(Walk().empty());
  EXPECT_TRUE(runtime_.ScriptAborted);
  EXPECT_FALSE(Progress().TakeFileLabel());
}

}  // namespace
}  // namespace tailpack
