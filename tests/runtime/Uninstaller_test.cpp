// Uninstaller creation: the host program's bytes, the renamed "UNINSTALL_"
// entries with the setup information last and marked, the quoted
// registration, an archive named on the command line, a second installation,
// a write that fails, and the icon where the platform has resources.

#include <gtest/gtest.h>

#include <algorithm>

#include "runtime/Uninstaller.h"
#include "script/RunFixture.h"
#include "support/FaultyFileSystem.h"
#include "support/RefusingRegistry.h"
#include "system/FileHelpers.h"
#include "system/ShellHelpers.h"

namespace tailpack {
namespace {

using test::TTestEntry;

constexpr uint32_t kHostLength = 3000;

class UninstallerTest : public test::RunTest {
 protected:
  UninstallerTest() {
    TSetupInfo& info = runtime_.SetupInfo.Info;
    info.SetupName = "Uninstaller Test Game";
    info.ShortName = std::string("Tailpack ") + ::testing::UnitTest::GetInstance()->current_test_info()->name();
    info.InstallDir = temp_ / "My Game";
    info.UninstallPrefix = "Game_";
    info.UninstallExeName = "Game_Uninstall.exe";
    info.HasUninstaller = 1;
  }

  std::string Host() const { return temp_ / "setup.exe"; }
  std::string Uninstaller() const { return temp_ / "My Game\\Game_Uninstall.exe"; }

  // Writes a program of kHostLength bytes with the entries appended, and
  // opens it as the running archive.
  void UseHostWithArchive(const std::vector<TTestEntry>& entries) {
    ASSERT_NO_FATAL_FAILURE(test::WriteFile(Host(), test::RandomBytes(kHostLength, 7)));
    ASSERT_NO_FATAL_FAILURE(test::WriteArchive(Host(), entries, true));
    ASSERT_TRUE(runtime_.Pak.Create(Host()));
  }

  static std::vector<TTestEntry> TypicalEntries() {
    return {
        {"SetupInfo", 0, test::TextBytes(60)},
        {"UNINSTALL_Pages.txt", 0, test::TextBytes(300)},
        {"Pages.txt", 0, test::TextBytes(200)},
        {"uninstall_uninst.txt", 0, test::TextBytes(90)},
        {"UNINSTALL_ICON.ICO", 0, test::RandomBytes(500, 1)},
        {"UNINSTALL_LANGUAGE-English", 0, test::TextBytes(120)},
        {"UNINSTALL_empty.txt", 0, {}},
        {"UNINSTALL_", 0, test::TextBytes(10)},
        {"UNINSTALL_grouped.txt", 1, test::TextBytes(10)},
    };
  }

  static std::vector<std::string> Names(const TPak& pak) {
    std::vector<std::string> names;
    for (const TPakFile& entry : pak.Files()) names.push_back(entry.Name);
    return names;
  }
};

TEST_F(UninstallerTest, CopiesTheHostAndTheUninstallMaterialWithTheMarkedSetupInformationLast) {
  const std::vector<TTestEntry> entries = TypicalEntries();
  ASSERT_NO_FATAL_FAILURE(UseHostWithArchive(entries));
  TStatus status = CreateUninstaller(runtime_, Host());
  ASSERT_TRUE(status.Ok()) << status.Message();

  TBytes written = test::ReadFile(Uninstaller());
  TBytes host = test::ReadFile(Host());
  ASSERT_GT(written.size(), kHostLength);
  EXPECT_TRUE(std::equal(host.begin(), host.begin() + kHostLength, written.begin()));

  TPak uninstaller;
  ASSERT_TRUE(uninstaller.Create(Uninstaller()));
  ASSERT_TRUE(uninstaller.IsValid());
  EXPECT_EQ(uninstaller.Header().DataStart, kHostLength);
  const std::vector<std::string> expected = {"Pages.txt", "uninst.txt", "LANGUAGE-English", "empty.txt", "SetupInfo"};
  EXPECT_EQ(Names(uninstaller), expected);
  for (uint32_t i = 0; i < uninstaller.FileCount(); ++i) EXPECT_EQ(uninstaller.Files()[i].Group, 0);
  EXPECT_EQ(uninstaller.ExtractFile(0).Bytes, entries[1].Data);
  EXPECT_EQ(uninstaller.ExtractFile(2).Bytes, entries[5].Data);
  EXPECT_EQ(uninstaller.Files()[3].Size, 0u);

  uint32_t size = 0;
  auto record = uninstaller.FindFile("SetupInfo", 0, size);
  ASSERT_TRUE(record);
  TSetupInfoFile saved;
  saved.LoadFromBuffer(*record);
  TSetupInfo marked = runtime_.SetupInfo.Info;
  marked.IsUninstaller = 1;
  EXPECT_EQ(saved.Info, marked);
  // The running installation is not turned into an uninstaller.
  EXPECT_EQ(runtime_.SetupInfo.Info.IsUninstaller, 0);

  const std::string key = UninstallRegistryKey(runtime_.SetupInfo.Info.ShortName);
  EXPECT_EQ(ReadValue(kRootLocalMachine, key, "DisplayName"), runtime_.SetupInfo.Info.ShortName);
  // Quoted: the folder holds a blank.
  EXPECT_EQ(ReadValue(kRootLocalMachine, key, "UninstallString"), "\"" + Uninstaller() + "\"");

  // Nothing is left under a fixed name in the shared temporary folder.
  for (const char* name : {"icon.ico", "SIF.temp"}) EXPECT_FALSE(Files().Exists(Files().TempFolder() + name)) << name;
}

TEST_F(UninstallerTest, AnArchiveNamedOnTheCommandLineTakesTheProgramPartFromTheRunningProgram) {
  ASSERT_NO_FATAL_FAILURE(test::WriteArchive(temp_ / "named.pak", TypicalEntries()));
  ASSERT_TRUE(runtime_.Pak.Create(temp_ / "named.pak"));
  runtime_.ArchiveFromCommandLine = true;
  const TBytes program = test::RandomBytes(1234, 9);
  for (bool programHasArchive : {false, true}) {
    SCOPED_TRACE(programHasArchive);
    ASSERT_NO_FATAL_FAILURE(test::WriteFile(Host(), program));
    if (programHasArchive) {
      ASSERT_NO_FATAL_FAILURE(test::WriteArchive(Host(), {{"other.txt", 0, test::TextBytes(99)}}, true));
    }
    TStatus status = CreateUninstaller(runtime_, Host());
    ASSERT_TRUE(status.Ok()) << status.Message();
    TBytes written = test::ReadFile(Uninstaller());
    ASSERT_GT(written.size(), program.size());
    EXPECT_TRUE(std::equal(program.begin(), program.end(), written.begin()));
    TPak uninstaller;
    ASSERT_TRUE(uninstaller.Create(Uninstaller()));
    EXPECT_EQ(uninstaller.Header().DataStart, program.size());
    EXPECT_EQ(uninstaller.FileCount(), 5u);
  }
}

TEST_F(UninstallerTest, ASecondInstallationReplacesTheUninstaller) {
  ASSERT_NO_FATAL_FAILURE(UseHostWithArchive(TypicalEntries()));
  ASSERT_TRUE(CreateUninstaller(runtime_, Host()).Ok());
  TBytes first = test::ReadFile(Uninstaller());
  ASSERT_TRUE(CreateUninstaller(runtime_, Host()).Ok());
  EXPECT_EQ(test::ReadFile(Uninstaller()), first);
}

TEST_F(UninstallerTest, AnUninstallerThatCannotBeWrittenIsRemovedAndTheFailureReturned) {
  std::vector<TTestEntry> entries = TypicalEntries();
  entries.push_back({"UNINSTALL_big.bin", 0, test::RandomBytes(5000, 4)});
  ASSERT_NO_FATAL_FAILURE(UseHostWithArchive(entries));
  // The limit holds for each opening: the first fails the copy of the
  // program, the second the archive appended to it.
  for (uint64_t limit : {uint64_t{100}, uint64_t{kHostLength + 200}}) {
    SCOPED_TRACE(limit);
    test::TFaultyFileSystem faulty;
    faulty.FailWritesAfter(limit, "Game_Uninstall.exe");
    TFileSystemOverride override(faulty);
    TStatus status = CreateUninstaller(runtime_, Host());
    EXPECT_FALSE(status.Ok());
    EXPECT_NE(status.Message().find("Game_Uninstall.exe"), std::string::npos) << status.Message();
    EXPECT_FALSE(Files().Exists(Uninstaller()));
    EXPECT_FALSE(Files().Exists(Uninstaller() + ".partial"));
    // The system's list never names an uninstaller that is not there.
    EXPECT_FALSE(Registry().KeyExists(kRootLocalMachine, UninstallRegistryKey(runtime_.SetupInfo.Info.ShortName)));
  }
}

// The new uninstaller is made whole beside its place: when it cannot be,
// the first installation's uninstaller, which the system's list names,
// stays as it was.
TEST_F(UninstallerTest, AFailedSecondInstallationKeepsTheFirstUninstaller) {
  ASSERT_NO_FATAL_FAILURE(UseHostWithArchive(TypicalEntries()));
  ASSERT_TRUE(CreateUninstaller(runtime_, Host()).Ok());
  const TBytes first = test::ReadFile(Uninstaller());
  {
    test::TFaultyFileSystem faulty;
    faulty.FailWritesAfter(100, "Game_Uninstall.exe");
    TFileSystemOverride override(faulty);
    EXPECT_FALSE(CreateUninstaller(runtime_, Host()).Ok());
  }
  EXPECT_EQ(test::ReadFile(Uninstaller()), first);
  EXPECT_FALSE(Files().Exists(Uninstaller() + ".partial"));
  EXPECT_TRUE(Registry().KeyExists(kRootLocalMachine, UninstallRegistryKey(runtime_.SetupInfo.Info.ShortName)));
}

TEST_F(UninstallerTest, AHostThatCannotBeReadIsAFailureWithoutRegistration) {
  ASSERT_NO_FATAL_FAILURE(UseHostWithArchive(TypicalEntries()));
  TStatus status = CreateUninstaller(runtime_, temp_ / "missing.exe");
  EXPECT_FALSE(status.Ok());
  EXPECT_NE(status.Message().find("missing.exe"), std::string::npos) << status.Message();
  EXPECT_FALSE(Files().Exists(Uninstaller()));
  EXPECT_FALSE(Registry().KeyExists(kRootLocalMachine, UninstallRegistryKey(runtime_.SetupInfo.Info.ShortName)));
}

// The system's list would lack the program (a registry file in a folder that
// cannot be made, a key without access): that is a failure, told to the
// caller, while the uninstaller itself is still written.
TEST_F(UninstallerTest, ARegistrationThatCannotBeStoredIsAFailure) {
  ASSERT_NO_FATAL_FAILURE(UseHostWithArchive(TypicalEntries()));
  test::TRefusingRegistry refusing;
  TRegistryOverride use(refusing);
  TStatus status = CreateUninstaller(runtime_, Host());
  EXPECT_FALSE(status.Ok());
  EXPECT_NE(status.Message().find(UninstallRegistryKey(runtime_.SetupInfo.Info.ShortName)), std::string::npos)
      << status.Message();
  EXPECT_TRUE(Files().FileExists(Uninstaller()));
}

TEST_F(UninstallerTest, WithoutEntriesNothingIsWrittenOrRegistered) {
  ASSERT_NO_FATAL_FAILURE(UseHostWithArchive({}));
  ASSERT_TRUE(CreateUninstaller(runtime_, Host()).Ok());
  EXPECT_FALSE(Files().Exists(Uninstaller()));
  EXPECT_FALSE(Registry().KeyExists(kRootLocalMachine, UninstallRegistryKey(runtime_.SetupInfo.Info.ShortName)));
}

TEST_F(UninstallerTest, ANetworkFolderIsRegisteredWithItsLeadingBackslashes) {
  ASSERT_NO_FATAL_FAILURE(UseHostWithArchive({{"UNINSTALL_Pages.txt", 0, test::TextBytes(30)}}));
  ASSERT_TRUE(Files().CreateFolder(temp_ / "share"));
  ASSERT_TRUE(Files().CreateFolder(temp_ / "share\\Game"));
  test::TNetworkShareMap share(Files(), "\\\\srv\\share\\", temp_ / "share\\");
  TFileSystemOverride override(share);
  // The folder as the wizard settles it from "-id \\srv\share\Game".
  TSetupInfo& info = runtime_.SetupInfo.Info;
  info.InstallDir = IncludeTrailingBackslash(runtime_.Variables.ExpandPathVars(std::string("\\\\srv\\share\\Game")));
  TStatus status = CreateUninstaller(runtime_, Host());
  ASSERT_TRUE(status.Ok()) << status.Message();
  EXPECT_TRUE(Files().FileExists(temp_ / "share\\Game\\Game_Uninstall.exe"));
  EXPECT_EQ(ReadValue(kRootLocalMachine, UninstallRegistryKey(info.ShortName), "UninstallString"),
            "\"\\\\srv\\share\\Game\\Game_Uninstall.exe\"");
}

TEST_F(UninstallerTest, WithoutAShortNameNothingLandsInTheListsOwnKey) {
  ASSERT_NO_FATAL_FAILURE(UseHostWithArchive(TypicalEntries()));
  runtime_.SetupInfo.Info.ShortName.clear();
  ASSERT_TRUE(CreateUninstaller(runtime_, Host()).Ok());
  EXPECT_FALSE(ReadValue(kRootLocalMachine, UninstallRegistryKey(""), "UninstallString"));
  EXPECT_TRUE(Files().FileExists(Uninstaller()));
}

TEST_F(UninstallerTest, TheIconIsReplacedWhereThePlatformHasExecutableResources) {
  // A real program as host, so resources can be written where they exist.
  const std::string program = temp_ / "program.exe";
  ASSERT_TRUE(Files().Copy(System().ExecutablePath(), program, false));
  TBytes icon = {0, 0, 1, 0, 1, 0, 16, 16, 0, 0, 1, 0, 32, 0};
  const TBytes image = test::RandomBytes(256, 42);
  AppendU32(icon, static_cast<uint32_t>(image.size()));
  AppendU32(icon, 22);
  icon.insert(icon.end(), image.begin(), image.end());
  ASSERT_NO_FATAL_FAILURE(test::WriteArchive(temp_ / "named.pak", {{"UNINSTALL_ICON.ICO", 0, icon},
                                                                   {"UNINSTALL_Pages.txt", 0, test::TextBytes(20)}}));
  ASSERT_TRUE(runtime_.Pak.Create(temp_ / "named.pak"));

  // Whether this platform can: the same replacement on a scratch copy.
  ASSERT_NO_FATAL_FAILURE(test::WriteFile(temp_ / "probe.ico", icon));
  ASSERT_TRUE(Files().Copy(program, temp_ / "probe.exe", false));
  const bool platformCan = ReplaceIcon(temp_ / "probe.ico", temp_ / "probe.exe");
  RecordProperty("IconReplaced", platformCan ? "yes" : "no");

  ASSERT_TRUE(CreateUninstaller(runtime_, program).Ok());
  TBytes written = test::ReadFile(Uninstaller());
  bool holdsImage = std::search(written.begin(), written.end(), image.begin(), image.end()) != written.end();
  EXPECT_EQ(holdsImage, platformCan);
  TPak uninstaller;
  ASSERT_TRUE(uninstaller.Create(Uninstaller()));
  EXPECT_EQ(Names(uninstaller), (std::vector<std::string>{"Pages.txt", "SetupInfo"}));
}

TEST(UninstallerNames, EntriesKeepTheRestOfTheirNameAfterThePrefix) {
  struct TCase {
    std::string Name;
    std::optional<std::string> Copied;
  };
  const std::vector<TCase> cases = {
      {"UNINSTALL_Pages.txt", "Pages.txt"},
      {"uninstall_LANGUAGE-Deutsch", "LANGUAGE-Deutsch"},
      {"UNINSTALL_ICON.ICO", std::nullopt},
      {"uninstall_icon.ico", std::nullopt},
      {"UNINSTALL_", std::nullopt},
      {"Pages.txt", std::nullopt},
      {"UNINSTALL", std::nullopt},
  };
  for (const TCase& c : cases) {
    SCOPED_TRACE(c.Name);
    EXPECT_EQ(UninstallerEntryName(c.Name), c.Copied);
  }
}

TEST(UninstallerNames, TheUninstallerLivesInTheInstallationFolder) {
  struct TCase {
    std::string Folder;
    std::string ExeName;
    std::string Path;
  };
  const std::vector<TCase> cases = {
      {"C:\\Games\\Demo", "Demo_Uninstall.exe", "C:\\Games\\Demo\\Demo_Uninstall.exe"},
      {"C:\\Games\\Demo\\", "Demo_Uninstall.exe", "C:\\Games\\Demo\\Demo_Uninstall.exe"},
      {"C:\\Games\\Demo", "", "C:\\Games\\Demo\\Uninstall.exe"},
  };
  for (const TCase& c : cases) {
    SCOPED_TRACE(c.Folder + " " + c.ExeName);
    TSetupInfo info;
    info.InstallDir = c.Folder;
    info.UninstallExeName = c.ExeName;
    EXPECT_EQ(UninstallerPath(info), c.Path);
  }
}

class ProgramLengthTest : public test::TempFolderTest {};

TEST_F(ProgramLengthTest, IsThePartBeforeTheProgramsOwnArchive) {
  const std::string file = temp_ / "program.exe";
  struct TCase {
    std::string Name;
    std::function<void()> Write;
    uint64_t Length;
  };
  const TBytes program = test::RandomBytes(700, 5);
  const std::vector<TCase> cases = {
      {"no archive", [&] { test::WriteFile(file, program); }, 700},
      {"an archive", [&] {
         test::WriteFile(file, program);
         test::WriteArchive(file, {{"a", 0, test::TextBytes(50)}}, true);
       }, 700},
      {"an archive starting past its own header", [&] {
         test::WriteFile(file, program);
         test::WriteArchive(file, {{"a", 0, test::TextBytes(50)}}, true);
         auto size = test::ReadFile(file).size();
         test::PatchU32(file, size - kPakHeaderSize + kPakHeaderDataStartOffset, 0x7FFFFFFF);
       }, 0},  // the whole file: filled in below
      {"an archive whose data start lies inside the program", [&] {
         test::WriteFile(file, program);
         test::WriteArchive(file, {{"a", 0, test::TextBytes(50)}}, true);
         auto size = test::ReadFile(file).size();
         test::PatchU32(file, size - kPakHeaderSize + kPakHeaderDataStartOffset, 100);
       }, 0},
      {"shorter than a header", [&] { test::WriteFile(file, "MZ"); }, 2},
  };
  for (const TCase& c : cases) {
    SCOPED_TRACE(c.Name);
    ASSERT_NO_FATAL_FAILURE(c.Write());
    uint64_t expected = c.Length != 0 ? c.Length : test::ReadFile(file).size();
    EXPECT_EQ(ProgramLength(file), expected);
  }
  EXPECT_FALSE(ProgramLength(temp_ / "missing.exe"));
}

}  // namespace
}  // namespace tailpack
