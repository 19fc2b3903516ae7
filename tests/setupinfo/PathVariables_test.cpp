#include "setupinfo/PathVariables.h"

#include <gtest/gtest.h>

#include <random>

namespace tailpack {
namespace {

class PathVariablesTest : public ::testing::Test {
 protected:
  void SetUp() override {
    vars_.InstallDir = &installDir_;
    vars_.ProgramFilesDir = "C:\\Program Files\\";
    vars_.StartMenuProgramsDir = "C:\\Menu\\Programs\\";
    vars_.DesktopDir = "C:\\Desk\\";
    vars_.AppDataFolder = [] { return std::optional<std::string>("C:\\Data"); };
    vars_.SysVars = {{"WINDIR", "C:\\Windows"}, {"", "empty-name"}};
  }
  std::string installDir_ = "C:\\Program Files\\Game";
  TPathVariables vars_;
};

TEST_F(PathVariablesTest, ExpandsEveryVariableInAnyCase) {
  struct TCase {
    const char* Text;
    const char* Expanded;
  } cases[] = {
      {"$INSTDIR\\a.txt", "C:\\Program Files\\Game\\a.txt"},
      {"$instdir\\a.txt", "C:\\Program Files\\Game\\a.txt"},
      {"$INSTALLDIR", "C:\\Program Files\\Game"},
      {"$PROGRAMFILES\\Foo\\bin", "C:\\Program Files\\Foo\\bin"},  // one separator
      {"$SMPROGRAMS\\Game\\Play.lnk", "C:\\Menu\\Programs\\Game\\Play.lnk"},
      {"$APPDATA\\Game", "C:\\Data\\Game"},
      {"$DESKTOP\\x", "C:\\Desk\\x"},
      {"$CDDRIVE\\setup", "\\setup"},  // no CD drive
      {"$LANGUAGESELECTION", "English"},
      {"%windir%\\system", "C:\\Windows\\system"},
      {"\\\\server\\share\\x", "\\\\server\\share\\x"},  // a network path keeps its "\\"
      {"C:\\a\\\\b", "C:\\a\\\\b"},                      // no variable: backslashes as written
      {"$PROGRAMFILES\\\\Foo", "C:\\Program Files\\Foo"},   // one separator where the value meets text
      {"C:\\x\\$CDDRIVE\\y", "C:\\x\\y"},                // an empty value leaves one separator too
      {"100%", "100%"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.Text);
    EXPECT_EQ(vars_.ExpandPathVars(std::string(c.Text)), c.Expanded);
  }
}

TEST_F(PathVariablesTest, EnvironmentReferencesNeedAPercentSign) {
  EXPECT_EQ(vars_.ExpandEnvVars(u"no reference"), u"no reference");
  EXPECT_EQ(vars_.ExpandEnvVars(u"a%%b"), u"aempty-nameb");
}

TEST_F(PathVariablesTest, ValuesContainingTheirOwnPatternTerminate) {
  installDir_ = "C:\\$INSTDIR";
  EXPECT_EQ(vars_.ExpandPathVars(std::string("$INSTDIR\\x")), "C:\\$INSTDIR\\x");
  vars_.SysVars = {{"LOOP", "%LOOP%%LOOP%"}};
  EXPECT_EQ(vars_.ExpandEnvVars(u"%LOOP%"), u"%LOOP%%LOOP%");
}

TEST_F(PathVariablesTest, CompactPrefersTheInstallationFolderAndRoundTrips) {
  std::string installed = "C:\\Program Files\\Game\\readme.txt";
  std::string compact = vars_.CompactPathVars(installed);
  EXPECT_EQ(compact, "$INSTDIR\\readme.txt");
  EXPECT_EQ(vars_.ExpandPathVars(compact), installed);
  // Folders ending in "\" compact to the variable followed by the separator.
  EXPECT_EQ(vars_.CompactPathVars("c:\\program files\\Other\\x.dll"), "$PROGRAMFILES\\Other\\x.dll");
  EXPECT_EQ(vars_.CompactPathVars("C:\\Desk\\Game.lnk"), "$DESKTOP\\Game.lnk");
  EXPECT_EQ(vars_.ExpandPathVars(std::string("$DESKTOP\\Game.lnk")), "C:\\Desk\\Game.lnk");
  EXPECT_EQ(vars_.CompactPathVars("C:\\Data\\Game\\save"), "C:\\Data\\Game\\save");
}

TEST_F(PathVariablesTest, AnInstallationFolderWithOrWithoutItsBackslashCompactsAlike) {
  for (const char* folder : {"C:\\Program Files\\Game", "C:\\Program Files\\Game\\"}) {
    SCOPED_TRACE(folder);
    installDir_ = folder;
    std::string compact = vars_.CompactPathVars("C:\\Program Files\\Game\\bin\\x.exe");
    EXPECT_EQ(compact, "$INSTDIR\\bin\\x.exe");
    EXPECT_EQ(vars_.ExpandPathVars(compact), "C:\\Program Files\\Game\\bin\\x.exe");
  }
}

TEST_F(PathVariablesTest, FoldersCompactOnlyAtAComponentBoundaryAndExpandBackExactly) {
  struct TCase {
    const char* InstallDir;
    const char* Path;
    const char* Logged;
  } cases[] = {
      {"C:\\Program Files\\Demo\\", "C:\\Program Files\\Demo\\a.txt", "$INSTDIR\\a.txt"},
      {"C:\\Program Files\\Demo", "C:\\Program Files\\Demo\\a.txt", "$INSTDIR\\a.txt"},
      {"C:\\Program Files\\Demo\\", "C:\\Program Files\\Demo Editor\\b.txt", "$PROGRAMFILES\\Demo Editor\\b.txt"},
      {"C:\\Program Files\\Demo", "C:\\Program Files\\Demo", "$INSTDIR"},
      {"C:\\Program Files\\Demo", "C:\\Program Files\\Demo\\", "$INSTDIR\\"},
      {"C:\\Demo", "C:\\Program Files (x86)\\Other\\o.txt", "C:\\Program Files (x86)\\Other\\o.txt"},
      {"C:\\T2", "C:\\T2x\\out.txt", "C:\\T2x\\out.txt"},
      {"C:\\T2\\", "C:\\T2\\x\\out.txt", "$INSTDIR\\x\\out.txt"},
      {"C:\\", "C:\\x.txt", "$INSTDIR\\x.txt"},  // a drive root
      {"D:\\", "C:\\Desk\\Demo.lnk", "$DESKTOP\\Demo.lnk"},
      {"D:\\", "C:\\Desktop\\Demo.lnk", "C:\\Desktop\\Demo.lnk"},
      {"D:\\", "C:\\Menu\\Programs\\Demo\\Demo.lnk", "$SMPROGRAMS\\Demo\\Demo.lnk"},
      {"D:\\", "D:\\Menu\\Programs\\x", "$INSTDIR\\Menu\\Programs\\x"},
      {"\\\\srv\\share\\Game\\", "\\\\srv\\share\\Game\\a.txt", "$INSTDIR\\a.txt"},
      {"\\\\srv\\share\\Game\\", "\\\\srv\\share\\Gamex\\a.txt", "\\\\srv\\share\\Gamex\\a.txt"},
      // Text that looks like a variable is a name like any other.
      {"C:\\Game\\", "C:\\Game\\$DESKTOP %WINDIR% $APPDATA.txt", "$INSTDIR\\$DESKTOP %WINDIR% $APPDATA.txt"},
      {"C:\\Game\\", "C:\\Data\\%WINDIR%\\save", "C:\\Data\\%WINDIR%\\save"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(std::string(c.InstallDir) + " | " + c.Path);
    installDir_ = c.InstallDir;
    std::string logged = vars_.CompactPathVars(c.Path);
    EXPECT_EQ(logged, c.Logged);
    EXPECT_EQ(vars_.ExpandLoggedPath(logged), c.Path);
  }
}

TEST_F(PathVariablesTest, LoggedPathsOfOlderLogsAndOfMissingFolders) {
  installDir_ = "C:\\Game\\";
  // Written when the folder's own backslash was replaced with it.
  EXPECT_EQ(vars_.ExpandLoggedPath("$INSTDIRa.txt"), "C:\\Game\\a.txt");
  EXPECT_EQ(vars_.ExpandLoggedPath("$instdir\\a.txt"), "C:\\Game\\a.txt");
  // A folder this machine does not have never becomes a path below a root.
  vars_.DesktopDir.clear();
  EXPECT_EQ(vars_.ExpandLoggedPath("$DESKTOP\\Game.lnk"), "$DESKTOP\\Game.lnk");
  EXPECT_EQ(vars_.ExpandLoggedPath("C:\\x\\$INSTDIR"), "C:\\x\\$INSTDIR");
}

TEST_F(PathVariablesTest, EveryInstalledPathComesBackFromTheLogUnchanged) {
  // Folders that resemble the variables' folders, and names that resemble
  // variables, combined at random: expanding the logged form must give the
  // installed path back byte for byte.
  const std::vector<std::string> installDirs = {"C:\\Program Files\\Demo", "C:\\Program Files\\Demo\\",
                                                "C:\\T2",    "C:\\",
                                                "D:\\Games\\Demo\\", "\\\\srv\\share\\Game"};
  const std::vector<std::string> bases = {"C:\\Program Files\\Demo", "C:\\Program Files\\Demo Editor",
                                          "C:\\Program Files (x86)", "C:\\Program Files",
                                          "C:\\T2",   "C:\\T2x",   "C:\\",   "C:",
                                          "C:\\Desk", "C:\\Desktop", "C:\\Menu\\Programs",
                                          "D:\\Games\\Demo", "D:\\Games\\Demo2",
                                          "\\\\srv\\share\\Game", "\\\\srv\\share\\Gamex"};
  const std::vector<std::string> names = {"a.txt", "Demo", "Demo Editor", "x (x86)", "$INSTDIR", "%WINDIR%",
                                          "$desktop.lnk", "100%", "T2x", ""};
  std::mt19937 random(7);
  auto pick = [&random](const std::vector<std::string>& list) { return list[random() % list.size()]; };
  for (int round = 0; round < 3000; ++round) {
    installDir_ = pick(installDirs);
    std::string path = pick(bases);
    for (unsigned depth = random() % 4; depth > 0; --depth) path += "\\" + pick(names);
    SCOPED_TRACE(installDir_ + " | " + path);
    std::string logged = vars_.CompactPathVars(path);
    ASSERT_EQ(vars_.ExpandLoggedPath(logged), path) << logged;
    if (logged == path) continue;
    // A variable only ever begins the entry, followed by a separator or nothing.
    bool atBoundary = false;
    for (std::string variable : {"$INSTDIR", "$SMPROGRAMS", "$PROGRAMFILES", "$DESKTOP"})
      if (logged.rfind(variable, 0) == 0 && (logged.size() == variable.size() || logged[variable.size()] == '\\'))
        atBoundary = true;
    ASSERT_TRUE(atBoundary) << logged;
  }
}

TEST_F(PathVariablesTest, EmptyFoldersCompactNothing) {
  installDir_.clear();
  vars_.ProgramFilesDir.clear();
  EXPECT_EQ(vars_.CompactPathVars("C:\\x"), "C:\\x");
}

TEST(SysVars, SkipsTheHiddenFirstEntryAndSplitsAtTheFirstEquals) {
  auto vars = TPathVariables::ReadSysVars({"=::=::\\", "PATH=C:\\a=b", "=C:=C:\\x", "BROKEN"});
  ASSERT_EQ(vars.size(), 3u);
  EXPECT_EQ(vars[0].Name, "PATH");
  EXPECT_EQ(vars[0].Value, "C:\\a=b");
  EXPECT_EQ(vars[1].Name, "");
  EXPECT_EQ(vars[1].Value, "C:=C:\\x");
  EXPECT_EQ(vars[2].Name, "");
  EXPECT_EQ(vars[2].Value, "");
  EXPECT_EQ(TPathVariables::ReadSysVars({"HOME=/root"}).size(), 1u);  // nothing hidden on POSIX
}

}  // namespace
}  // namespace tailpack
