#include "setup/PathVariables.h"

#include <gtest/gtest.h>

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
      {"\\\\server\\share\\x", "\\server\\share\\x"},  // a network path loses a backslash
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
  installDir_ = "C:\\";  // a drive root keeps its backslash
  EXPECT_EQ(vars_.CompactPathVars("C:\\x.txt"), "$INSTDIRx.txt");
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
