// Run steps of the registry, shortcut and program commands against the real
// registry store, real links and real child processes (this test program
// itself, started with a filter that selects one of the sleeping cases below).

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <string_view>
#include <thread>

#include "script/RunFixture.h"
#include "support/RefusingRegistry.h"
#include "system/FileHelpers.h"
#include "uninstall/UninstallList.h"

namespace tailpack {
namespace {

using TClock = std::chrono::steady_clock;

class SystemCommandsRunTest : public test::RunTest {
 protected:
  std::string Expand(const std::string& recorded) { return runtime_.Variables.ExpandPathVars(recorded); }
  bool RegistryRecorded(const std::string& root, const std::string& key, const std::string& name,
                        const std::string& data) {
    return runtime_.UninstallList.ContainsRegistryValue(MakeRegistryLine(root, key, name, data));
  }
};

TEST_F(SystemCommandsRunTest, WriteRegStrWritesTheExpandedDataAndRecordsItAsWritten) {
  const std::string key = TestKey();
  int32_t row = Line("writeregstr", {"hkcu", key, "InstallPath", "$INSTDIR\\bin"});
  Run(row);
  Run(row);
  EXPECT_EQ(ReadValue(kRootCurrentUser, key, "InstallPath"), InstallDir() + "\\bin");
  // One record for both runs, with the variable as the script wrote it.
  EXPECT_EQ(runtime_.UninstallList.RegistryValues,
            std::vector<std::string>{MakeRegistryLine("hkcu", key, "InstallPath", "$INSTDIR\\bin")});

  // The default value, and a root name nobody knows, which means HKLM.
  Run(Line("writeregstr", {"HKCU", key, "", "default"}));
  EXPECT_EQ(ReadValue(kRootCurrentUser, key, ""), "default");
  Run(Line("writeregstr", {"HKXX", key, "Where", "machine"}));
  EXPECT_EQ(ReadValue(kRootLocalMachine, key, "Where"), "machine");
  EXPECT_TRUE(RegistryRecorded("HKXX", key, "Where", "machine"));
}

TEST_F(SystemCommandsRunTest, WriteRegStrUrlRegistersTheProtocolWithItsQuotedCommand) {
  struct TCase {
    std::vector<std::string> Extra;  // parameters after the command
    std::string Command;             // the open command after the quoted program
  };
  const std::vector<TCase> cases = {
      {{}, ""},
      {{"%1"}, " \"%1\""},
      {{"-url", "$INSTDIR"}, " \"-url\" \"$INSTDIR\""},  // arguments as written
  };
  for (size_t i = 0; i < cases.size(); ++i) {
    SCOPED_TRACE(i);
    std::string protocol = "tailpack-url-" + std::to_string(i) + "-" +
                           ::testing::UnitTest::GetInstance()->current_test_info()->name();
    std::vector<std::string> params = {protocol, "$INSTDIR\\game.exe,0", "$INSTDIR\\game.exe"};
    params.insert(params.end(), cases[i].Extra.begin(), cases[i].Extra.end());
    Run(Line("writeregstr_url", params));

    EXPECT_EQ(ReadValue(kRootClassesRoot, protocol, ""), "URL:" + protocol + " Protocol");
    EXPECT_EQ(ReadValue(kRootClassesRoot, protocol, "URL Protocol"), "");
    EXPECT_EQ(ReadValue(kRootClassesRoot, protocol + "\\DefaultIcon", ""), InstallDir() + "\\game.exe,0");
    EXPECT_EQ(ReadValue(kRootClassesRoot, protocol + "\\shell\\open\\command", ""),
              "\"" + InstallDir() + "\\game.exe\"" + cases[i].Command);
    EXPECT_TRUE(RegistryRecorded("HKCR", protocol, "", ""));
    EXPECT_TRUE(RegistryRecorded("HKCR", protocol, "URL Protocol", ""));
    EXPECT_TRUE(RegistryRecorded("HKCR", protocol + "\\DefaultIcon\\", "", ""));
    EXPECT_TRUE(RegistryRecorded("HKCR", protocol + "\\shell\\open\\command\\", "", ""));
  }
  EXPECT_EQ(runtime_.UninstallList.RegistryValues.size(), 4 * cases.size());
}

// A registry that stores nothing (a registry file that cannot be written, a
// key without access): the run is told and ends as failed, and the values are
// recorded all the same, so whatever did arrive is removed again.
TEST_F(SystemCommandsRunTest, RegistryValuesThatCannotBeStoredFailTheRun) {
  struct TCase {
    const char* Keyword;
    std::vector<std::string> Params;
    const char* Message;
  };
  const TCase kCases[] = {
      {"writeregstr", {"HKCU", "Software\\Refused", "Path", "$INSTDIR"},
       "Cannot write the registry value \"Path\" under \"HKCU\\Software\\Refused\""},
      {"writeregstr_url", {"refusedproto", "$INSTDIR\\game.exe,0", "$INSTDIR\\game.exe"},
       "Cannot register the URL protocol \"refusedproto\""},
  };
  test::TRefusingRegistry refusing;
  TRegistryOverride use(refusing);
  for (const TCase& row : kCases) {
    SCOPED_TRACE(row.Keyword);
    runtime_.InstallFailed = false;
    runtime_.UninstallList.Clear();
    answers_.Set("");
    Run(Line(row.Keyword, row.Params));
    EXPECT_TRUE(runtime_.InstallFailed);
    EXPECT_FALSE(runtime_.ScriptAborted);  // the script goes on
    auto shown = answers_.Shown();
    ASSERT_EQ(shown.size(), 1u);
    EXPECT_NE(Text(shown[0].Text).find(row.Message), std::string::npos) << Text(shown[0].Text);
    EXPECT_EQ(Text(shown[0].Caption), "Error");
    EXPECT_FALSE(runtime_.UninstallList.RegistryValues.empty());
  }
}

TEST_F(SystemCommandsRunTest, CreateShortcutWritesTheLinkAndRecordsItWithTheFoldersItMade) {
  runtime_.Variables.StartMenuProgramsDir = temp_ / "Programs\\";
  ASSERT_TRUE(Files().CreateFolder(temp_ / "Programs"));
  for (const std::vector<std::string>& params :
       {std::vector<std::string>{"$SMPROGRAMS\\Game\\Play.lnk", "$INSTDIR\\game.exe", "-windowed"},
        {"$SMPROGRAMS\\Game\\Icon.lnk", "$INSTDIR\\game.exe", "", "$INSTDIR\\game.ico"}}) {
    SCOPED_TRACE(params[0]);
    Run(Line("createshortcut", params));
  }
  EXPECT_TRUE(Files().FileExists(temp_ / "Programs\\Game\\Play.lnk"));
  EXPECT_TRUE(Files().FileExists(temp_ / "Programs\\Game\\Icon.lnk"));
  ASSERT_EQ(runtime_.UninstallList.Files.size(), 2u);
  EXPECT_EQ(Expand(runtime_.UninstallList.Files[0]), temp_ / "Programs\\Game\\Play.lnk");
  EXPECT_EQ(Expand(runtime_.UninstallList.Files[1]), temp_ / "Programs\\Game\\Icon.lnk");
  EXPECT_EQ(runtime_.UninstallList.Folders, std::vector<std::string>{temp_ / "Programs\\Game"});
}

// The children the "execute" cases start: this program, running one of these
// with an argument that no ordinary run passes. They test nothing themselves,
// so an ordinary run skips them instead of counting them as passed.
constexpr const char* kChildArgument = "--tailpack-execute-child";
// The folder where a waiting child finds its release and leaves its end mark.
constexpr std::string_view kChildFolderArgument = "--tailpack-child-folder=";
constexpr const char* kReleaseFile = "release";
constexpr const char* kEndedFile = "ended";

bool StartedAsChild() {
  for (const std::string& argument : ::testing::internal::GetArgvs())
    if (argument == kChildArgument) return true;
  return false;
}

std::string ChildFolder() {
  for (const std::string& argument : ::testing::internal::GetArgvs())
    if (argument.rfind(kChildFolderArgument, 0) == 0) return argument.substr(kChildFolderArgument.size());
  return {};
}

TEST(ExecuteChild, SleepsBriefly) {
  if (!StartedAsChild()) GTEST_SKIP() << "the child program of the execute tests, started by them";
  std::this_thread::sleep_for(std::chrono::milliseconds(300));
}

// Waits until the test releases it (or, should the test be gone, a minute
// has passed), then leaves its end mark: a run that waited for this child
// would not return before the release.
TEST(ExecuteChild, WaitsForItsRelease) {
  if (!StartedAsChild()) GTEST_SKIP() << "the child program of the execute tests, started by them";
  const std::string folder = ChildFolder();
  ASSERT_FALSE(folder.empty());
  const auto giveUp = TClock::now() + std::chrono::minutes(1);
  while (!Files().FileExists(folder + "\\" + kReleaseFile) && TClock::now() < giveUp)
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
  ASSERT_TRUE(WriteBufferToFile(folder + "\\" + kEndedFile, reinterpret_cast<const uint8_t*>("ended"), 5).Ok());
}

std::string ChildParameters(const std::string& test, const std::string& folder = {}) {
  std::string parameters = std::string(kChildArgument) + " --gtest_brief=1 --gtest_filter=ExecuteChild." + test;
  if (!folder.empty()) parameters += " \"" + std::string(kChildFolderArgument) + folder + "\"";
  return parameters;
}

TEST_F(SystemCommandsRunTest, ExecuteWaitsUntilTheProgramHasEnded) {
  runtime_.Variables.SysVars = {{"CHILDTEST", "SleepsBriefly"}};
  int32_t row = Line("execute", {System().ExecutablePath(), ChildParameters("%CHILDTEST%")});
  auto start = TClock::now();
  Run(row);
  EXPECT_GE(TClock::now() - start, std::chrono::milliseconds(300));
  // The parameters are kept in their expanded form.
  EXPECT_EQ(At(row).Params[1], ChildParameters("SleepsBriefly"));
}

// The child ends only once released, so a run that returns at all has
// stopped waiting for it; its end mark, still missing then, shows it.
TEST_F(SystemCommandsRunTest, ExecuteStopsWaitingWhenTheScriptIsAbortedOrTheApplicationEnds) {
  for (std::atomic<bool>* flag : {&runtime_.ScriptAborted, &runtime_.Terminating}) {
    SCOPED_TRACE(flag == &runtime_.ScriptAborted ? "aborted" : "terminating");
    runtime_.ScriptAborted = false;
    runtime_.Terminating = false;
    const std::string folder = temp_ / (flag == &runtime_.ScriptAborted ? "aborted" : "terminating");
    ASSERT_TRUE(Files().CreateFolder(folder));
    int32_t row = Line("execute", {System().ExecutablePath(), ChildParameters("WaitsForItsRelease", folder)});
    std::thread stopper([flag] {
      std::this_thread::sleep_for(std::chrono::milliseconds(200));
      *flag = true;
    });
    Run(row);
    stopper.join();
    EXPECT_FALSE(Files().FileExists(folder + "\\" + kEndedFile));
    // Released, the child ends on its own and leaves its mark.
    ASSERT_TRUE(WriteBufferToFile(folder + "\\" + kReleaseFile, reinterpret_cast<const uint8_t*>("go"), 2).Ok());
    const auto giveUp = TClock::now() + std::chrono::minutes(1);
    while (!Files().FileExists(folder + "\\" + kEndedFile) && TClock::now() < giveUp)
      std::this_thread::sleep_for(std::chrono::milliseconds(20));
    EXPECT_TRUE(Files().FileExists(folder + "\\" + kEndedFile));
  }
}

TEST_F(SystemCommandsRunTest, ExecuteOfAMissingProgramGoesOnWithoutAWord) {
  Run(Line("execute", {"$INSTDIR\\missing.exe"}));
  EXPECT_TRUE(answers_.Shown().empty());
  EXPECT_FALSE(runtime_.ScriptAborted);
}

}  // namespace
}  // namespace tailpack
