#include "script/CommandList.h"

#include <gtest/gtest.h>

#include "script/Compiler.h"
#include "setup/RegistryRoots.h"
#include "uninstall/Cipher.h"
#include "uninstall/CipherKeys.h"

namespace tailpack {
namespace {

class CommandListTest : public ::testing::Test {
 protected:
  void SetUp() override { RegisterCommands(list_); }

  // Appends a source line by keyword and runs its compile step.
  bool CompileLine(const std::string& keyword, std::vector<std::string> params) {
    int32_t index = list_.IndexOfKeyword(keyword);
    TCompLine& line = compiler_.Lines.Append(index, std::move(params));
    return list_.Find(index)->Compile(compiler_, line.Row);
  }
  void Label(const std::string& name) { compiler_.Lines.Append(0, {name}); }
  const TCompLine& Line(size_t row) { return compiler_.Lines.Lines[row]; }

  TCommandList list_;
  TCompiler compiler_;
};

TEST_F(CommandListTest, RegistersAllCommandsInTheFixedOrder) {
  const char* keywords[] = {"goto", "name", "outfile", "installdir", "installdirregkey", "iffileexists", "file",
                            "delete", "writeregstr", "changelog", "zrpupdate", "rmdir", "createdirectory",
                            "createshortcut", "message", "messagebox", "copyfile", "language", "failure", "pages",
                            "shortname", "uninstallpages", "uninstalllanguage", "prefix", "uninstalllogload",
                            "uninstalllogsave", "zrpofficial", "duplicateentry", "writeregstr_url", "vfsupdate",
                            "rename", "execute"};
  ASSERT_EQ(list_.Commands.size(), 32u);
  int metaCount = 0;
  for (int32_t i = 0; i < 32; ++i) {
    SCOPED_TRACE(keywords[i]);
    const TCommandClass* command = list_.Find(i + 1);
    ASSERT_NE(command, nullptr);
    EXPECT_EQ(command->Keyword, keywords[i]);
    EXPECT_EQ(list_.IndexOfKeyword(keywords[i]), i + 1);
    uint8_t expectedKind = std::string(keywords[i]) == "file" ? 1
                           : (std::string(keywords[i]) == "zrpupdate" || std::string(keywords[i]) == "vfsupdate") ? 2
                                                                                                                  : 0;
    EXPECT_EQ(command->FileKind(), expectedKind);
    metaCount += command->SetupInfoOnly;
  }
  EXPECT_EQ(metaCount, 9);
  EXPECT_EQ(list_.Find(0), nullptr);
  EXPECT_EQ(list_.Find(33), nullptr);
  EXPECT_EQ(list_.Find(-1), nullptr);
  EXPECT_EQ(list_.IndexOfKeyword("GOTO"), 1);
  EXPECT_EQ(list_.IndexOfKeyword("nosuch"), 0);
}

TEST_F(CommandListTest, ParameterCountsAreChecked) {
  EXPECT_FALSE(CompileLine("writeregstr", {"HKCU", "Software\\X", "Name"}));
  EXPECT_TRUE(CompileLine("writeregstr", {"HKCU", "Software\\X", "Name", "data"}));
  EXPECT_TRUE(CompileLine("failure", {}));
  EXPECT_TRUE(CompileLine("failure", {"any", "number"}));
  EXPECT_FALSE(CompileLine("goto", {}));
}

TEST_F(CommandListTest, LabelsResolveToTheFirstMatchingLabelRow) {
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

TEST_F(CommandListTest, MissingLabelsAreCompileErrors) {
  CompileLine("message", {"first"});
  CompileLine("goto", {"nowhere"});
  EXPECT_EQ(compiler_.Error.Message, "Label not found - nowhere");
  EXPECT_EQ(compiler_.Error.Line, 1);
}

TEST_F(CommandListTest, SetupInformationCommands) {
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

TEST_F(CommandListTest, DataGroupsAreNumberedInLineOrder) {
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

TEST_F(CommandListTest, AnUpdatePasswordTheArchiveCannotHoldIsAnError) {
  EXPECT_TRUE(CompileLine("zrpupdate", {"missing\\", std::string(41, 'p'), "data.zrp"}));
  EXPECT_TRUE(compiler_.Error.Message.empty());
  EXPECT_TRUE(CompileLine("zrpupdate", {"missing\\", std::string(42, 'p'), "data.zrp"}));
  EXPECT_EQ(compiler_.Error.Message, "the password is longer than 41 characters");
  EXPECT_EQ(compiler_.Error.Line, 1);
}

}  // namespace
}  // namespace tailpack
