#include "builder/Compiler.h"

#include <gtest/gtest.h>

#include "builder/CompileSteps.h"
#include "script/CommandList.h"
#include "support/TempFolder.h"
#include "system/FileHelpers.h"

namespace tailpack {
namespace {

using test::WriteFile;

class CompilerTest : public test::TempFolderTest {
 protected:
  void SetUp() override {
    compiler_.SourceFolder = temp_.Path();
    compiler_.ProgramFolder = temp_.Path();
    RegisterCommands(commands_);
    for (const char* file : {"a\\one.txt", "a\\sub\\two.txt", "b\\one.txt", "b\\three.txt", "single.dat"}) {
      CreateFolderChain(ExtractFileDir(temp_ / file), nullptr);
      WriteFile(temp_ / file, std::string(file));
    }
  }
  void Compile(const std::string& keyword, std::vector<std::string> params) {
    int32_t index = commands_.IndexOfKeyword(keyword);
    TCompLine& line = compiler_.Lines.Append(index, std::move(params));
    CompileCommand(compiler_, *commands_.Find(index), line.Row);
  }
  std::vector<std::string> EntryNames(size_t group) {
    std::vector<std::string> names;
    for (const TFile& file : compiler_.FileList.Groups.at(group).Files) names.push_back(file.EntryName);
    return names;
  }

  TCommandList commands_;
  TCompiler compiler_;
};

TEST_F(CompilerTest, FolderWalkListsBreadthFirstWithRelativeNames) {
  Compile("file", {"a\\"});
  EXPECT_EQ(EntryNames(1), (std::vector<std::string>{"one.txt", "sub\\two.txt"}));
  EXPECT_EQ(compiler_.FileList.Groups[1].Files[1].Source, temp_ / "a\\sub\\two.txt");
  Compile("file", {"single.dat"});
  EXPECT_EQ(EntryNames(2), (std::vector<std::string>{"single.dat"}));
}

TEST_F(CompilerTest, FolderWithoutTrailingBackslashListsNothing) {
  Compile("file", {"a"});
  EXPECT_TRUE(EntryNames(1).empty());
  Compile("file", {"nothing-here.txt"});
  EXPECT_TRUE(EntryNames(2).empty());
  EXPECT_EQ(compiler_.FileList.AddedCount, 0);
}

TEST_F(CompilerTest, NamedGroupsMergeIntoTheFirstAndLaterFilesReplace) {
  std::vector<std::string> warnings;
  compiler_.OnWarning = [&](const std::string& text) { warnings.push_back(text); };
  Compile("zrpupdate", {"a\\", "pw", "DATA.zrp"});
  Compile("zrpupdate", {"b\\", "pw", "data.zrp"});
  EXPECT_EQ(EntryNames(1), (std::vector<std::string>{"one.txt", "sub\\two.txt", "three.txt"}));
  EXPECT_TRUE(EntryNames(2).empty());  // the later line keeps its number but has no entries
  EXPECT_EQ(compiler_.FileList.Groups[1].Files[0].Source, temp_ / "b\\one.txt");
  EXPECT_EQ(warnings, (std::vector<std::string>{"Replacing Previous Instance of one.txt"}));
  EXPECT_EQ(compiler_.Lines.Lines[1].Params.back(), "2");
}

TEST_F(CompilerTest, UnnamedGroupsNeverMerge) {
  Compile("file", {"a\\"});
  Compile("file", {"b\\"});
  EXPECT_EQ(EntryNames(1).size(), 2u);
  EXPECT_EQ(EntryNames(2).size(), 2u);
}

TEST_F(CompilerTest, TheWizardLayoutIconIsNeverPacked) {
  compiler_.Info.Pages = "wizard";
  CreateFolderChain(temp_ / "layout\\wizard", nullptr);
  WriteFile(temp_ / "layout\\wizard\\icon.ico", std::string("icon"));
  WriteFile(temp_ / "layout\\wizard\\Pages.txt", std::string("pages"));
  Compile("file", {"layout\\"});
  EXPECT_EQ(EntryNames(1), (std::vector<std::string>{"wizard\\Pages.txt"}));
}

TEST_F(CompilerTest, LanguagesBecomeGroupZeroEntries) {
  CreateFolderChain(temp_ / "languages", nullptr);
  WriteFile(temp_ / "languages\\English.wri", std::string("\xFF\xFE"));
  Compile("language", {"English"});
  Compile("uninstalllanguage", {"English"});
  Compile("language", {"Klingon"});  // no such file: nothing added
  EXPECT_EQ(EntryNames(0), (std::vector<std::string>{"LANGUAGE-English", "UNINSTALL_LANGUAGE-English"}));
}

TEST_F(CompilerTest, NoDataGroupPastTheLastNumber) {
  // The archive's group field is 16-bit: a 65,536th group would become 0,
  // the setup's own material.
  std::vector<TCompilerError> errors;
  compiler_.OnError = [&](const TCompilerError& error) { errors.push_back(error); };
  compiler_.FileList.GroupCounter = 65534;
  Compile("file", {"single.dat"});
  EXPECT_TRUE(errors.empty());
  EXPECT_EQ(compiler_.Lines.Lines[0].Params.back(), "65535");
  Compile("vfsupdate", {"a\\", "game.vfs"});
  ASSERT_EQ(errors.size(), 1u);
  EXPECT_EQ(errors[0].Message, "a setup holds at most 65535 data groups");
  EXPECT_EQ(errors[0].Line, 1);
  EXPECT_EQ(compiler_.Lines.Lines[1].Params, (std::vector<std::string>{"a\\", "game.vfs"}));
  EXPECT_EQ(compiler_.FileList.AddedCount, 1);
}

}  // namespace
}  // namespace tailpack
