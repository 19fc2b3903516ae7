#include "builder/CompileSteps.h"

#include <gtest/gtest.h>

#include "script/CommandList.h"
#include "setupinfo/RegistryRoots.h"
#include "uninstall/Cipher.h"
#include "uninstall/CipherKeys.h"

namespace tailpack {
namespace {

class CompileStepsTest : public ::testing::Test {
 protected:
  void SetUp() override { RegisterCommands(list_); }

  // Appends a source line by keyword and runs its compile step.
  bool CompileLine(const std::string& keyword, std::vector<std::string> params) {
    int32_t index = list_.IndexOfKeyword(keyword);
    TCompLine& line = compiler_.Lines.Append(index, std::move(params));
    return CompileCommand(compiler_, *list_.Find(index), line.Row);
  }
  void Label(const std::string& name) { compiler_.Lines.Append(0, {name}); }
  const TCompLine& Line(size_t row) { return compiler_.Lines.Lines[row]; }

  TCommandList list_;
  TCompiler compiler_;
};

TEST_F(CompileStepsTest, ParameterCountsAreChecked) {
  EXPECT_FALSE(CompileLine("writeregstr", {"HKCU", "Software\\X", "Name"}));
  EXPECT_TRUE(CompileLine("writeregstr", {"HKCU", "Software\\X", "Name", "data"}));
  EXPECT_TRUE(CompileLine("failure", {}));
  EXPECT_TRUE(CompileLine("failure", {"any", "number"}));
  EXPECT_FALSE(CompileLine("goto", {}));
}

TEST_F(CompileStepsTest, LabelsResolveToTheFirstMatchingLabelRow) {
  Label("Start");
  CompileLine("message", {"hello"});
  Label("start");  // a second label of the same name is never the target
  ASSERT_TRUE(CompileLine("goto", {"START"}));
  EXPECT_EQ(Line(3).Params[0], "0");
  ASSERT_TRUE(CompileLine("iffileexists", {"$INSTDIR\\x", "start", "0"}));
  EXPECT_EQ(Line(4).Params, (std::vector<std::string>{"$INSTDIR\\x", "0", "-1"}));
  ASSERT_TRUE(CompileLine("messagebox", {"Go on?", "Demo", "0", "start"}));
  EXPECT_EQ(Line(5).Params[2], "-1");
  EXPECT_EQ(Line(5).Params[3], "0");
  EXPECT_TRUE(compiler_.Error.Message.empty());
}

TEST_F(CompileStepsTest, MissingLabelsAreCompileErrors) {
  CompileLine("message", {"first"});
  CompileLine("goto", {"nowhere"});
  EXPECT_EQ(compiler_.Error.Message, "Label not found - nowhere");
  EXPECT_EQ(compiler_.Error.Line, 1);
}

TEST_F(CompileStepsTest, SetupInformationCommands) {
  CompileLine("shortname", {"Short"});
  CompileLine("name", {"Demo Game"});
  EXPECT_EQ(compiler_.Info.ShortName, "Demo Game");  // "name" sets both; the later line wins
  CompileLine("shortname", {"Demo"});
  EXPECT_EQ(compiler_.Info.SetupName, "Demo Game");
  EXPECT_EQ(compiler_.Info.ShortName, "Demo");
  CompileLine("prefix", {"Demo"});
  EXPECT_EQ(compiler_.Info.UninstallPrefix, "Demo_");
  EXPECT_EQ(compiler_.Info.UninstallExeName, "Demo_Uninstall.exe");
  CompileLine("uninstallpages", {"uninstall"});
  EXPECT_EQ(compiler_.Info.HasUninstaller, 1);
  for (int i = 1; i <= 6; ++i) CompileLine("installdirregkey", {i == 2 ? "hkcu" : "HKLM", "Key" + std::to_string(i), "Path"});
  EXPECT_EQ(compiler_.Info.InstallDirRegKeys[0].Path, "Key1");
  EXPECT_EQ(compiler_.Info.InstallDirRegKeys[1].Root, kRootCodeCurrentUser);
  EXPECT_EQ(compiler_.Info.InstallDirRegKeys[3].Path, "Key4");
  EXPECT_EQ(compiler_.Info.InstallDirRegKeys[4].Path, "Key6");  // the fifth is lost
}

TEST_F(CompileStepsTest, DataGroupsAreNumberedInLineOrder) {
  CompileLine("file", {"missing.txt"});
  CompileLine("zrpupdate", {"missing\\", "secret", "data.zrp"});
  CompileLine("message", {"between"});
  CompileLine("vfsupdate", {"missing\\", "game.vfs", "0"});
  EXPECT_EQ(Line(0).Params, (std::vector<std::string>{"missing.txt", "1"}));
  EXPECT_EQ(Line(1).Params[3], "2");
  EXPECT_EQ(Line(1).Params[1], EncryptWithDigitKey(kArchiveUpdateKey, "secret"));
  EXPECT_EQ(Line(3).Params.back(), "3");
  EXPECT_EQ(compiler_.FileList.GroupCounter, 3);
  CompileLine("zrpofficial", {"data.zrp", "word", "true"});
  EXPECT_EQ(Line(4).Params[1], EncryptWithDigitKey(kArchiveUpdateKey, "word"));
}

TEST_F(CompileStepsTest, AnUpdatePasswordTheArchiveCannotHoldIsAnError) {
  EXPECT_TRUE(CompileLine("zrpupdate", {"missing\\", std::string(41, 'p'), "data.zrp"}));
  EXPECT_TRUE(compiler_.Error.Message.empty());
  EXPECT_TRUE(CompileLine("zrpupdate", {"missing\\", std::string(42, 'p'), "data.zrp"}));
  EXPECT_EQ(compiler_.Error.Message, "the password is longer than 41 characters");
  EXPECT_EQ(compiler_.Error.Line, 1);
}

}  // namespace
}  // namespace tailpack
