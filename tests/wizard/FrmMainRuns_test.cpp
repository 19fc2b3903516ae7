// The pages that work: the installation run (with a scripted worker and with
// the real setup thread), the language captured for the script, the
// uninstallation's phases, the finaliser and the silent completion step.

#include "wizard/FrmMain.h"

#include <gtest/gtest.h>

#include <algorithm>

#include "base/ExitCodes.h"
#include "platform/TextCodec.h"
#include "script/CommandList.h"
#include "setupinfo/RegistryRoots.h"
#include "system/PrivateTempFolder.h"
#include "wizard/GradGauge.h"
#include "wizard/SetupThreadWorker.h"
#include "wizard/WizardFixture.h"

namespace tailpack {
namespace {

using test::TextEntry;
using test::TTestEntry;

// The positions a gauge was painted at, without the zeros before the first step.
std::vector<int32_t> Steps(const THeadlessControl& gauge) {
  std::vector<int32_t> steps = gauge.State.PaintedProgress;
  steps.erase(steps.begin(), std::find_if(steps.begin(), steps.end(), [](int32_t step) { return step != 0; }));
  return steps;
}

class FrmMainRunsTest : public test::WizardTest {
 protected:
  ~FrmMainRunsTest() override { RunTempFolder().Remove(); }

  // Expects the silent run to end the process, and returns its exit code.
  int ExitCodeOf(const std::function<void()>& action) {
    try {
      action();
    } catch (const test::TProcessExit& exit) {
      return exit.Code;
    }
    ADD_FAILURE() << "the run did not end the process";
    return -1;
  }
};

TEST_F(FrmMainRunsTest, ThePatchingPageShowsWhatTheWorkerPosts) {
  auto entries = test::InstallWizardEntries();
  for (const char* name : {"a.txt", "b.txt", "c.txt"})
    entries.push_back(TTestEntry{name, static_cast<uint16_t>(name[0] == 'c' ? 2 : 1), StringToBytes("data")});
  UseArchive(entries);
  MakeWizard();
  worker_->Steps = {
      [this] {
        // While it works the window refuses to close and Next cannot be pressed.
        EXPECT_TRUE(wizard_->Working());
        window_->CloseBox();
        EXPECT_FALSE(window_->Closed);
        EXPECT_FALSE(Next());
        EXPECT_EQ(runtime_.CurrentRow, -1);
        runtime_.Progress.SetStatusText(u"Extracting a.txt");
        runtime_.Progress.StepProgress(true);
      },
      [this] {
        runtime_.Progress.SetStatusText(u"Extracting b.txt");
        runtime_.Progress.StepProgress(false);
        runtime_.Progress.StepProgress(true);
      },
      [this] {
        runtime_.ScriptAborted = true;
        runtime_.Progress.SetFileLabel(u"The installation failed.");
        runtime_.Progress.SetStatusText(u"Stopped");
      },
  };
  ASSERT_TRUE(Next());
  ASSERT_TRUE(Next());
  ASSERT_TRUE(Next());

  EXPECT_EQ(worker_->Walks, 1);
  EXPECT_EQ(CurrentType(), TPageType::Finish);
  EXPECT_FALSE(wizard_->Working());
  EXPECT_TRUE(boxes_.Shown().empty());
  EXPECT_EQ(Control("patching_statuslabel").State.TextHistory,
            (std::vector<std::u16string>{u"Status: 0 of 3 files extracted", u"Extracting a.txt", u"Extracting b.txt",
                                         u"Stopped"}));
  THeadlessControl& gauge = Control("patching_progressbar");
  EXPECT_EQ(gauge.Gauge()->Max(), 3);
  EXPECT_EQ(Steps(gauge), (std::vector<int32_t>{1, 3}));
  EXPECT_EQ(Control("finishtext").State.Text, u"The installation failed.");
  EXPECT_EQ(runtime_.UninstallList.Folders, std::vector<std::string>{runtime_.SetupInfo.Info.InstallDir});

  // Closing the finish page tells that the script ended the installation.
  window_->Post([this] { window_->Click(TWizardButton::Cancel); });
  EXPECT_EQ(wizard_->RunMessageLoop(), kExitInstallationAborted);
}

struct TLanguageSelectionCase {
  const char* Name;
  bool SecondChecked;
  const char* Expected;
};
void PrintTo(const TLanguageSelectionCase& c, std::ostream* out) { *out << c.Name; }

class LanguageSelectionTest : public FrmMainRunsTest, public ::testing::WithParamInterface<TLanguageSelectionCase> {};

TEST_P(LanguageSelectionTest, TheLastPageWithAChoiceGoesToTheScript) {
  const TLanguageSelectionCase& c = GetParam();
  UseArchive({TextEntry("Pages.txt",
                        "[pages]\none.txt\ntwo.txt\ninstall.txt\n"
                        "[pagetypes]\nlanguageselection\nlanguageselection\npatching\n"),
              TextEntry("one.txt", "[en]\ntype=TRadio\ncaption=English\n[de]\ntype=TRadio\ncaption=Deutsch\n"
                                   "checked=true\n"),
              TextEntry("two.txt", std::string("[it]\ntype=TRadio\ncaption=Italiano\nchecked=") +
                                       (c.SecondChecked ? "true" : "false") + "\n[fr]\ntype=TRadio\ncaption=Fr\n"),
              TextEntry("install.txt", "[x]\ntype=TLabel\n")});
  MakeWizard();
  EXPECT_EQ(runtime_.Variables.LanguageSelection, "English");
  ASSERT_TRUE(Next());
  ASSERT_TRUE(Next());
  EXPECT_EQ(worker_->Walks, 1);
  EXPECT_EQ(runtime_.Variables.LanguageSelection, c.Expected);
}

INSTANTIATE_TEST_SUITE_P(TwoPages, LanguageSelectionTest,
                         ::testing::Values(TLanguageSelectionCase{"SecondChecked", true, "Italiano"},
                                           TLanguageSelectionCase{"SecondUnchecked", false, "Deutsch"}),
                         [](const auto& info) { return std::string(info.param.Name); });

TEST_F(FrmMainRunsTest, AnArchiveWithoutGroupsKeepsTheGaugesMaximum) {
  UseArchive(test::InstallWizardEntries());
  MakeWizard();
  Pages().ShowPage(2);
  ASSERT_TRUE(Next());
  EXPECT_EQ(Control("patching_statuslabel").State.TextHistory.front(), u"Status: 0 of 0 files extracted");
  EXPECT_EQ(Control("patching_progressbar").Gauge()->Max(), 100);
  EXPECT_EQ(CurrentType(), TPageType::Finish);
}

TEST_F(FrmMainRunsTest, TheSetupThreadInstallsWhileThePageShowsItsProgress) {
  auto entries = test::InstallWizardEntries();
  entries.push_back(TTestEntry{"a.txt", 1, StringToBytes("first")});
  entries.push_back(TTestEntry{"docs\\b.txt", 1, StringToBytes("second")});
  UseArchive(entries);
  RegisterCommands(runtime_.Commands);
  runtime_.Script.Append(runtime_.Commands.IndexOfKeyword("file"), {"payload\\", "1"});
  MakeWizard(MakeSetupThreadWorker(runtime_));
  ASSERT_TRUE(Next());
  ASSERT_TRUE(Next());
  ASSERT_TRUE(Next());

  EXPECT_EQ(CurrentType(), TPageType::Finish);
  std::string installDir = runtime_.SetupInfo.Info.InstallDir;
  EXPECT_EQ(BytesToString(test::ReadFile(installDir + "a.txt")), "first");
  EXPECT_EQ(BytesToString(test::ReadFile(installDir + "docs\\b.txt")), "second");
  // The window shows the latest status the worker posted; the first is its own.
  const auto& texts = Control("patching_statuslabel").State.TextHistory;
  EXPECT_EQ(texts.front(), u"Status: 0 of 2 files extracted");
  EXPECT_EQ(texts.back().substr(0, 10), u"Extracting");
  EXPECT_EQ(Control("patching_progressbar").Gauge()->Progress(), 2);
  EXPECT_EQ(Control("patching_progressbar").Gauge()->Caption(), "100%");
  window_->Post([this] { window_->Click(TWizardButton::Cancel); });
  EXPECT_EQ(wizard_->RunMessageLoop(), kExitCompleted);
}

class UninstallRunTest : public FrmMainRunsTest {
 protected:
  UninstallRunTest() {
    runtime_.SetupInfo.Info.IsUninstaller = 1;
    runtime_.SetupInfo.Info.UninstallPrefix = "demo_";
  }
  void MakeUninstaller(std::vector<TTestEntry> extra = {}) {
    extra.push_back(TextEntry("Pages.txt", "[pages]\nwelcome.txt\nbye.txt\nfinish.txt\n"
                                           "[pagetypes]\nwelcome\nuninstall\nfinish\n"));
    extra.push_back(TextEntry("welcome.txt", "[w]\ntype=TLabel\n"));
    extra.push_back(TextEntry("bye.txt", "[patching_statuslabel]\ntype=TLabel\n"
                                         "[patching_progressbar]\ntype=TProgressBar\n"));
    extra.push_back(TextEntry("finish.txt", "[done]\ntype=TLabel\n"));
    UseArchive(extra);
    MakeWizard();
  }
  static std::string TestKey() {
    return std::string("Software\\TailpackWizardTests\\") +
           ::testing::UnitTest::GetInstance()->current_test_info()->name();
  }
};

TEST_F(UninstallRunTest, ThreePhasesWithTheirItemsAndTheGauge) {
  std::string app = runtime_.SetupInfo.Info.InstallDir;
  ASSERT_TRUE(Files().CreateFolder(app));
  ASSERT_TRUE(Files().CreateFolder(app + "one"));
  ASSERT_TRUE(Files().CreateFolder(app + "one\\two"));
  for (const char* name : {"a.txt", "one\\b.txt", "one\\two\\c.txt", "demo_install.log"})
    test::WriteFile(app + name, std::string("x"));
  TUninstallList& list = runtime_.UninstallList;
  list.Files = {"$INSTDIR\\a.txt", "$INSTDIR\\one\\b.txt", "$INSTDIR\\one\\two\\c.txt"};
  list.Folders = {app + "one", app + "one\\two"};
  {
    auto key = Registry().OpenKey(kRootCurrentUser, TestKey(), TRegistryAccess::CreateIfMissing);
    ASSERT_TRUE(key);
    for (const char* name : {"V1", "V2", "Kept"}) ASSERT_TRUE(key->WriteString(name, "data"));
  }
  for (const char* name : {"V1", "V2", "V3"}) list.RegistryValues.push_back(MakeRegistryLine("hkcu", TestKey(), name, "data"));
  list.RegistryValues.push_back(MakeRegistryLine("HKCU", TestKey() + "\\Missing", "V4", ""));
  const std::string entryKey = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Demo";
  {
    auto key = Registry().OpenKey(kRootLocalMachine, entryKey, TRegistryAccess::CreateIfMissing);
    ASSERT_TRUE(key);
    ASSERT_TRUE(key->WriteString("DisplayName", "Demo"));
    ASSERT_TRUE(key->WriteString("UninstallString", "\"" + app + "uninstall.exe\""));
  }
  MakeUninstaller();
  ASSERT_TRUE(Next());

  EXPECT_EQ(Control("patching_statuslabel").State.TextHistory,
            (std::vector<std::u16string>{u"Status: 0 of 9 items remaining", u"[] 1 of 3", u"[] 2 of 3", u"[] 3 of 3",
                                         u"[Folders] 1 of 2", u"[Folders] 2 of 2", u"[Registry] 1 of 4",
                                         u"[Registry] 2 of 4", u"[Registry] 3 of 4", u"[Registry] 4 of 4"}));
  THeadlessControl& gauge = Control("patching_progressbar");
  EXPECT_EQ(gauge.Gauge()->Max(), 9);
  EXPECT_EQ(Steps(gauge), (std::vector<int32_t>{1, 2, 3, 4, 5, 6, 7, 8, 9}));
  EXPECT_GE(window_->Area.Repaints, 9);

  for (const char* name : {"a.txt", "one\\b.txt", "one\\two\\c.txt", "demo_install.log"})
    EXPECT_FALSE(Files().Exists(app + name)) << name;
  EXPECT_FALSE(Files().Exists(app + "one"));
  EXPECT_TRUE(Files().FolderExists(app));  // not recorded as created
  auto values = Registry().OpenKey(kRootCurrentUser, TestKey(), TRegistryAccess::ReadOnly);
  ASSERT_TRUE(values);
  EXPECT_FALSE(values->ReadString("V1"));
  EXPECT_FALSE(values->ReadString("V2"));
  EXPECT_EQ(values->ReadString("Kept"), "data");
  EXPECT_FALSE(Registry().KeyExists(kRootLocalMachine, entryKey));
  EXPECT_FALSE(Registry().KeyExists(kRootCurrentUser, TestKey() + "\\Missing"));
  Registry().DeleteKey(kRootCurrentUser, TestKey());

  EXPECT_EQ(CurrentType(), TPageType::Finish);
  EXPECT_FALSE(wizard_->Working());
  EXPECT_TRUE(boxes_.Shown().empty());
}

TEST_F(UninstallRunTest, AnInstallationFolderGivenWithoutItsBackslashStillFindsTheFiles) {
  // The log holds "$INSTDIR" followed directly by the rest of the path.
  std::string app = temp_ / "Given";
  ASSERT_TRUE(Files().CreateFolder(app));
  test::WriteFile(app + "\\a.txt", std::string("x"));
  runtime_.SetupInfo.Info.InstallDir = app;
  runtime_.UninstallList.Files = {"$INSTDIRa.txt"};
  MakeUninstaller();
  EXPECT_EQ(runtime_.SetupInfo.Info.InstallDir, app + "\\");
  ASSERT_TRUE(Next());
  EXPECT_FALSE(Files().Exists(app + "\\a.txt"));
}

TEST_F(UninstallRunTest, ADamagedLogRemovesWhatItListsAndKeepsTheLogAndTheRegistration) {
  std::string app = runtime_.SetupInfo.Info.InstallDir;
  ASSERT_TRUE(Files().CreateFolder(app));
  for (const char* name : {"a.txt", "demo_install.log"}) test::WriteFile(app + name, std::string("x"));
  runtime_.UninstallList.Files = {"$INSTDIR\\a.txt"};
  runtime_.UninstallLogDamaged = true;
  const std::string entryKey = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Demo";
  ASSERT_TRUE(Registry().OpenKey(kRootLocalMachine, entryKey, TRegistryAccess::CreateIfMissing)->WriteString("DisplayName", "Demo"));
  MakeUninstaller();
  ASSERT_TRUE(Next());

  EXPECT_FALSE(Files().Exists(app + "a.txt"));
  EXPECT_TRUE(Files().FileExists(app + "demo_install.log"));
  EXPECT_TRUE(Registry().KeyExists(kRootLocalMachine, entryKey));
  Registry().OpenKey(kRootLocalMachine, entryKey, TRegistryAccess::ReadWrite)->DeleteValue("DisplayName");
  Registry().DeleteKey(kRootLocalMachine, entryKey);
  auto shown = boxes_.Shown();
  ASSERT_EQ(shown.size(), 1u);
  EXPECT_EQ(shown[0].Caption, u"Setup Error");
  EXPECT_EQ(shown[0].Text.substr(0, 34), u"Error: install log is damaged. Onl");
  EXPECT_EQ(runtime_.CompletionExitCode(), kExitInstallationAborted);
  EXPECT_EQ(CurrentType(), TPageType::Finish);
}

struct TFinaliserCase {
  const char* Name;
  bool Uninstaller;
  bool HasEntry;
  size_t Started;
};
void PrintTo(const TFinaliserCase& c, std::ostream* out) { *out << c.Name; }

class FinaliserTest : public FrmMainRunsTest, public ::testing::WithParamInterface<TFinaliserCase> {};

TEST_P(FinaliserTest, StartsOnceWithTheProgramsPath) {
  const TFinaliserCase& c = GetParam();
  runtime_.SetupInfo.Info.IsUninstaller = c.Uninstaller ? 1 : 0;
  TBytes program = StringToBytes("MZ finaliser");
  std::vector<TTestEntry> entries = {
      TextEntry("Pages.txt", "[pages]\nwelcome.txt\nbye.txt\nthanks.txt\nfinish.txt\n"
                             "[pagetypes]\nwelcome\nuninstall\nwelcome\nfinish\n"),
      TextEntry("welcome.txt", "[w]\ntype=TLabel\n"), TextEntry("bye.txt", "[b]\ntype=TLabel\n"),
      TextEntry("thanks.txt", "[t]\ntype=TLabel\n"), TextEntry("finish.txt", "[done]\ntype=TLabel\n")};
  if (c.HasEntry) entries.push_back(TTestEntry{"Finalise.exe", 0, program});
  UseArchive(entries);
  MakeWizard();
  // Past the uninstall page Next enters the finish page: its step runs the
  // finaliser and closes the window, whose closing would run it again.
  for (int press = 0; press < 3; ++press) wizard_->NextButtonClick();
  EXPECT_EQ(CurrentType(), TPageType::Finish);
  EXPECT_TRUE(window_->Closed);
  ASSERT_EQ(platform_.Executed.size(), c.Started);
  auto folder = RunTempFolder().Path();
  ASSERT_TRUE(folder);
  if (c.Started == 1) {
    const auto& started = platform_.Executed[0];
    EXPECT_EQ(started.File, *folder + "FINALISE.exe");
    EXPECT_EQ(started.Parameters, "\"C:\\Setup\\setup.exe\"");
    EXPECT_EQ(test::ReadFile(started.File), program);
  } else {
    EXPECT_FALSE(Files().Exists(*folder + "FINALISE.exe"));  // no empty program is written
  }
}

INSTANTIATE_TEST_SUITE_P(Modes, FinaliserTest,
                         ::testing::Values(TFinaliserCase{"UninstallerWithEntry", true, true, 1},
                                           TFinaliserCase{"UninstallerWithoutEntry", true, false, 0},
                                           TFinaliserCase{"InstallerWithEntry", false, true, 0}),
                         [](const auto& info) { return std::string(info.param.Name); });

struct TSilentCase {
  const char* Name;
  const char* InstallDirArgument;
  bool Aborted;
  int Code;
  bool Told;
};
void PrintTo(const TSilentCase& c, std::ostream* out) { *out << c.Name; }

class SilentRunTest : public FrmMainRunsTest, public ::testing::WithParamInterface<TSilentCase> {};

TEST_P(SilentRunTest, EndsWithTheRunsExitCode) {
  const TSilentCase& c = GetParam();
  runtime_.Silent = true;
  runtime_.CmdInstallDir = c.InstallDirArgument;
  runtime_.ScriptAborted = c.Aborted;
  UseArchive({TextEntry("Pages.txt", "[pages]\na.txt\nb.txt\nc.txt\n[pagetypes]\nwelcome\npatching\nfinish\n"),
              TextEntry("a.txt", "[a]\ntype=TLabel\n"), TextEntry("b.txt", "[b]\ntype=TLabel\n"),
              TextEntry("c.txt", "[c]\ntype=TLabel\n")});
  MakeWizard();
  EXPECT_EQ(ExitCodeOf([this] { wizard_->NextButtonClick(); }), c.Code);
  EXPECT_EQ(worker_->Walks, 1);
  auto shown = boxes_.Shown();
  ASSERT_EQ(shown.size(), c.Told ? 1u : 0u);
  if (c.Told) {
    EXPECT_EQ(shown[0].Text, u"Completed");
    EXPECT_EQ(shown[0].Caption, u"Information");
  }
}

INSTANTIATE_TEST_SUITE_P(Cases, SilentRunTest,
                         ::testing::Values(TSilentCase{"Completed", "", false, kExitCompleted, true},
                                           TSilentCase{"CompletedIntoAGivenFolder", "C:\\Given", false,
                                                       kExitCompleted, false},
                                           TSilentCase{"Aborted", "", true, kExitInstallationAborted, true}),
                         [](const auto& info) { return std::string(info.param.Name); });

TEST_F(UninstallRunTest, ASilentUninstallerWhoseLastPageUninstallsEndsAfterOneRun) {
  runtime_.Silent = true;
  runtime_.CmdInstallDir = "C:\\Given";
  runtime_.UninstallList.Files = {"$INSTDIR\\gone.txt"};
  UseArchive({TextEntry("Pages.txt", "[pages]\nbye.txt\n[pagetypes]\nuninstall\n"),
              TextEntry("bye.txt", "[patching_statuslabel]\ntype=TLabel\n")});
  MakeWizard();
  // Page 0 is the uninstall page: Next cannot move, runs it, then ends the run.
  wizard_->NextButtonClick();
  EXPECT_EQ(ExitCodeOf([this] { wizard_->NextButtonClick(); }), kExitCompleted);
  EXPECT_EQ(Control("patching_statuslabel").State.TextHistory.front(), u"Status: 0 of 1 items remaining");
  EXPECT_EQ(Control("patching_statuslabel").State.TextHistory.size(), 2u);
}

TEST_F(UninstallRunTest, ASilentUninstallerWithAFrameAfterItsFinishPageStillRunsTheFinishStep) {
  // The demo's uninstall layout: the frame comes last, after the finish page.
  runtime_.Silent = true;
  runtime_.CmdInstallDir = "C:\\Given";
  UseArchive({TextEntry("Pages.txt", "[pages]\nwelcome.txt\nbye.txt\nfinish.txt\nframe.txt\n"
                                     "[pagetypes]\nwelcome\nuninstall\nfinish\nmainlayout\n"),
              TextEntry("welcome.txt", "[w]\ntype=TLabel\n"), TextEntry("bye.txt", "[b]\ntype=TLabel\n"),
              TextEntry("finish.txt", "[f]\ntype=TLabel\n"), TextEntry("frame.txt", "[line]\ntype=TBevel\n"),
              TTestEntry{"FINALISE.EXE", 0, StringToBytes("MZ finaliser")}});
  MakeWizard();
  EXPECT_EQ(ExitCodeOf([this] {
              for (int press = 0; press < 10; ++press) wizard_->NextButtonClick();
            }),
            kExitCompleted);
  EXPECT_EQ(CurrentType(), TPageType::Finish);
  EXPECT_EQ(platform_.Executed.size(), 1u);
}

struct TUnreachedWorkCase {
  const char* Name;
  bool Uninstaller;
  const char* PageTypes;
  const char16_t* Message;
};
void PrintTo(const TUnreachedWorkCase& c, std::ostream* out) { *out << c.Name; }

class UnreachedWorkTest : public FrmMainRunsTest, public ::testing::WithParamInterface<TUnreachedWorkCase> {};

TEST_P(UnreachedWorkTest, ASilentRunThatNeverReachesItsWorkFails) {
  const TUnreachedWorkCase& c = GetParam();
  runtime_.Silent = true;
  runtime_.SetupInfo.Info.IsUninstaller = c.Uninstaller ? 1 : 0;
  UseArchive({TextEntry("Pages.txt", std::string("[pages]\na.txt\nb.txt\nc.txt\n[pagetypes]\n") + c.PageTypes),
              TextEntry("a.txt", "[a]\ntype=TLabel\n"), TextEntry("b.txt", "[b]\ntype=TLabel\n"),
              TextEntry("c.txt", "[c]\ntype=TLabel\n"), TTestEntry{"FINALISE.EXE", 0, StringToBytes("MZ")}});
  MakeWizard();
  EXPECT_EQ(ExitCodeOf([this] {
              for (int press = 0; press < 10; ++press) wizard_->NextButtonClick();
            }),
            kExitStartupFailed);
  EXPECT_EQ(worker_->Walks, 0);
  EXPECT_TRUE(platform_.Executed.empty());  // no finaliser after an uninstallation that never ran
  auto shown = boxes_.Shown();
  ASSERT_EQ(shown.size(), 1u);
  EXPECT_EQ(shown[0].Text, c.Message);
  EXPECT_EQ(shown[0].Caption, u"Error");
}

INSTANTIATE_TEST_SUITE_P(
    Cases, UnreachedWorkTest,
    ::testing::Values(
        TUnreachedWorkCase{"SetupEndingOnItsFinishPage", false, "welcome\nfinish\npatching\n",
                           u"Error: The unattended setup ended without reaching its installation page."},
        TUnreachedWorkCase{"SetupWithoutAFinishPage", false, "welcome\nchangelog\nmainlayout\n",
                           u"Error: The unattended setup ended without reaching its installation page."},
        TUnreachedWorkCase{"UninstallerWithoutAnUninstallPage", true, "welcome\nfinish\nmainlayout\n",
                           u"Error: The unattended uninstallation ended without reaching its uninstall page."},
        // A page of the other mode's work does nothing.
        TUnreachedWorkCase{"SetupWithAnUninstallPage", false, "welcome\nuninstall\nfinish\n",
                           u"Error: The unattended setup ended without reaching its installation page."},
        TUnreachedWorkCase{"UninstallerWithAnInstallationPage", true, "welcome\npatching\nfinish\n",
                           u"Error: The unattended uninstallation ended without reaching its uninstall page."}),
    [](const auto& info) { return std::string(info.param.Name); });

}  // namespace
}  // namespace tailpack
