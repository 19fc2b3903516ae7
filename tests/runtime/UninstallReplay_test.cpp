// The uninstallation without a wizard: the three phases with what they show,
// the system's entry and the log, a damaged log that keeps both, registry
// records without a value name, links planted since the installation, and
// items below one per cent that are not shown.

#include "runtime/UninstallReplay.h"

#include <gtest/gtest.h>

#include "runtime/Uninstaller.h"
#include "script/RunFixture.h"
#include "support/Links.h"
#include "uninstall/UninstallList.h"

namespace tailpack {
namespace {

struct TShownItem {
  std::string Status;
  uint32_t GaugePosition = 0;
  bool operator==(const TShownItem&) const = default;
};

class UninstallReplayTest : public test::RunTest {
 protected:
  UninstallReplayTest() {
    TSetupInfo& info = runtime_.SetupInfo.Info;
    info.ShortName = std::string("Tailpack ") + ::testing::UnitTest::GetInstance()->current_test_info()->name();
    info.InstallDir = App();
    info.UninstallPrefix = "demo_";
    EXPECT_TRUE(Files().CreateFolder(App()));
    test::WriteFile(Log(), std::string("log"));
  }
  ~UninstallReplayTest() override {
    Registry().DeleteKey(kRootCurrentUser, TestKey());
    Registry().DeleteKey(kRootLocalMachine, UninstallRegistryKey(runtime_.SetupInfo.Info.ShortName));
  }

  std::string App() const { return temp_ / "App\\"; }
  std::string Log() const { return App() + "demo_install.log"; }
  std::string EntryKey() const { return UninstallRegistryKey(runtime_.SetupInfo.Info.ShortName); }

  void Register() {
    auto key = Registry().OpenKey(kRootLocalMachine, EntryKey(), TRegistryAccess::CreateIfMissing);
    ASSERT_TRUE(key);
    ASSERT_TRUE(key->WriteString("DisplayName", "Demo"));
    ASSERT_TRUE(key->WriteString("UninstallString", "\"" + App() + "uninstall.exe\""));
  }

  TUninstallReplayResult Replay() {
    return ReplayUninstall(runtime_, [this](const std::u16string& status, uint32_t position) {
      Shown.push_back({Text(status), position});
    });
  }

  std::vector<TShownItem> Shown;
};

TEST_F(UninstallReplayTest, RemovesFilesFoldersAndValuesThenTheEntryAndTheLog) {
  ASSERT_TRUE(Files().CreateFolder(App() + "one"));
  ASSERT_TRUE(Files().CreateFolder(App() + "one\\two"));
  ASSERT_TRUE(Files().CreateFolder(App() + "kept"));
  for (const char* name : {"a.txt", "one\\b.txt", "one\\two\\c.txt", "kept\\user.txt"})
    test::WriteFile(App() + name, std::string("x"));
  {
    auto key = Registry().OpenKey(kRootCurrentUser, TestKey(), TRegistryAccess::CreateIfMissing);
    ASSERT_TRUE(key);
    for (const char* name : {"V1", "Kept"}) ASSERT_TRUE(key->WriteString(name, "data"));
  }
  ASSERT_NO_FATAL_FAILURE(Register());
  TUninstallList& list = runtime_.UninstallList;
  list.Files = {"$INSTDIR\\a.txt", "$INSTDIR\\one\\b.txt", "$INSTDIR\\one\\two\\c.txt"};
  // Created in this order; the user's file keeps its folder.
  list.Folders = {App() + "one", App() + "one\\two", App() + "kept"};
  list.RegistryValues = {MakeRegistryLine("hkcu", TestKey(), "V1", "data"),
                         MakeRegistryLine("HKCU", TestKey("Missing"), "V2", "")};
  EXPECT_EQ(UninstallItemCount(list), 8u);

  EXPECT_EQ(Replay(), TUninstallReplayResult::Complete);

  EXPECT_EQ(Shown, (std::vector<TShownItem>{{": 1 of 3", 1},
                                            {": 2 of 3", 2},
                                            {": 3 of 3", 3},
                                            {"Folders: 1 of 3", 4},
                                            {"Folders: 2 of 3", 5},
                                            {"Folders: 3 of 3", 6},
                                            {"Registry: 1 of 2", 7},
                                            {"Registry: 2 of 2", 8}}));
  for (const char* name : {"a.txt", "one", "demo_install.log"}) EXPECT_FALSE(Files().Exists(App() + name)) << name;
  EXPECT_TRUE(Files().FileExists(App() + "kept\\user.txt"));
  EXPECT_TRUE(Files().FolderExists(App()));  // not recorded as created
  EXPECT_FALSE(ReadValue(kRootCurrentUser, TestKey(), "V1"));
  EXPECT_EQ(ReadValue(kRootCurrentUser, TestKey(), "Kept"), "data");
  EXPECT_FALSE(Registry().KeyExists(kRootCurrentUser, TestKey("Missing")));
  EXPECT_FALSE(Registry().KeyExists(kRootLocalMachine, EntryKey()));
}

TEST_F(UninstallReplayTest, ADamagedLogRemovesWhatItListsAndKeepsTheLogAndTheEntry) {
  test::WriteFile(App() + "a.txt", std::string("x"));
  ASSERT_NO_FATAL_FAILURE(Register());
  runtime_.UninstallList.Files = {"$INSTDIR\\a.txt"};
  runtime_.UninstallLogDamaged = true;

  EXPECT_EQ(Replay(), TUninstallReplayResult::LogDamaged);
  EXPECT_FALSE(Files().Exists(App() + "a.txt"));
  EXPECT_TRUE(Files().FileExists(Log()));
  EXPECT_EQ(ReadValue(kRootLocalMachine, EntryKey(), "DisplayName"), "Demo");
}

TEST_F(UninstallReplayTest, WithoutAShortNameTheListOfInstalledProgramsIsLeftAlone) {
  runtime_.SetupInfo.Info.ShortName.clear();
  std::string list = UninstallRegistryKey("");
  list.pop_back();  // the list's own key, without the separator before a name
  {
    auto key = Registry().OpenKey(kRootLocalMachine, list, TRegistryAccess::CreateIfMissing);
    ASSERT_TRUE(key);
    ASSERT_TRUE(key->WriteString("DisplayName", "the list's own value"));
  }
  EXPECT_EQ(Replay(), TUninstallReplayResult::Complete);
  EXPECT_EQ(ReadValue(kRootLocalMachine, list, "DisplayName"), "the list's own value");
  EXPECT_FALSE(Files().Exists(Log()));
  Registry().OpenKey(kRootLocalMachine, list, TRegistryAccess::ReadWrite)->DeleteValue("DisplayName");
}

TEST_F(UninstallReplayTest, ARegistryRecordWithoutAValueNameRemovesTheDefaultValue) {
  {
    auto key = Registry().OpenKey(kRootCurrentUser, TestKey(), TRegistryAccess::CreateIfMissing);
    ASSERT_TRUE(key);
    ASSERT_TRUE(key->WriteString("", "default"));
    ASSERT_TRUE(key->WriteString("Named", "kept"));
  }
  // Two fields: the key's default value. One field names no key: nothing.
  runtime_.UninstallList.RegistryValues = {"\"HKCU\" \"" + TestKey() + "\"", "\"HKCU\""};
  Replay();
  EXPECT_FALSE(ReadValue(kRootCurrentUser, TestKey(), ""));
  EXPECT_EQ(ReadValue(kRootCurrentUser, TestKey(), "Named"), "kept");
}

// A folder link planted in the installation folder after the installation:
// the logged files and folders "below" it are really elsewhere and stay; the
// link itself, where a logged folder was, goes.
TEST_F(UninstallReplayTest, NothingIsRemovedThroughALinkPlantedInTheInstallation) {
  const std::string outside = temp_ / "outside";
  ASSERT_TRUE(Files().CreateFolder(outside));
  ASSERT_TRUE(Files().CreateFolder(outside + "\\sub"));
  test::WriteFile(outside + "\\f1.bin", std::string("keep"));
  test::WriteFile(App() + "a.txt", std::string("x"));
  if (!test::MakeLink(App() + "bin", outside, true))
    GTEST_SKIP() << "this system cannot make links that report themselves as such";
  TUninstallList& list = runtime_.UninstallList;
  list.Files = {"$INSTDIR\\a.txt", "$INSTDIR\\bin\\f1.bin"};
  list.Folders = {App() + "bin", App() + "bin\\sub"};
  Replay();
  EXPECT_FALSE(Files().Exists(App() + "a.txt"));
  EXPECT_EQ(BytesToString(test::ReadFile(outside + "\\f1.bin")), "keep");
  EXPECT_TRUE(Files().FolderExists(outside + "\\sub"));
  EXPECT_FALSE(Files().Exists(App() + "bin"));
}

TEST_F(UninstallReplayTest, ItemsBelowOnePercentAreNotShown) {
  for (int i = 0; i < 150; ++i) runtime_.UninstallList.Files.push_back("$INSTDIR\\none" + std::to_string(i));
  Replay();
  ASSERT_EQ(Shown.size(), 149u);
  EXPECT_EQ(Shown.front(), (TShownItem{": 2 of 150", 2}));
  EXPECT_EQ(Shown.back(), (TShownItem{": 150 of 150", 150}));
}

}  // namespace
}  // namespace tailpack
