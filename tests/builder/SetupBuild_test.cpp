#include <gtest/gtest.h>

#include "archive/Pak.h"
#include "base/FileHelpers.h"
#include "builder/SetupPlan.h"
#include "builder/SetupWriter.h"
#include "platform/Platform.h"
#include "script/CompLines.h"
#include "setup/SetupInfo.h"
#include "support/TempFolder.h"

namespace tailpack {
namespace {

using test::ReadFile;
using test::WriteFile;

class SetupBuildTest : public test::TempFolderTest {
 protected:
  void SetUp() override {
    for (const char* folder : {"languages", "layout\\wizard\\img", "layout\\remove", "payload\\bin", "mods"})
      CreateFolderChain(temp_ / folder, nullptr);
    WriteFile(temp_ / "languages\\English.wri", std::string("\xFF\xFE" "E\0\r\0\n\0", 8));
    WriteFile(temp_ / "layout\\wizard\\Pages.txt", std::string("[pages]"));
    WriteFile(temp_ / "layout\\wizard\\icon.ico", std::string("icon"));
    WriteFile(temp_ / "layout\\wizard\\img\\top.bmp", std::string("bmp"));
    WriteFile(temp_ / "layout\\remove\\Pages.txt", std::string("[pages]"));
    WriteFile(temp_ / "layout\\remove\\icon.ico", std::string("uicon"));
    WriteFile(temp_ / "payload\\readme.txt", std::string(5000, 'r'));
    WriteFile(temp_ / "payload\\bin\\game.exe", std::string("MZ game"));
    WriteFile(temp_ / "mods\\extra.dat", std::string("extra"));
    WriteFile(temp_ / "changes.rtf", std::string("{\\rtf1 changes}"));
  }

  std::string Script(const std::string& body) {
    WriteFile(temp_ / "setup.tps", body);
    return temp_ / "setup.tps";
  }

  static std::string Messages(const std::vector<TBuildMessage>& messages) {
    std::string all;
    for (const auto& message : messages) all += std::to_string(message.LineNumber) + ": " + message.Text + "\n";
    return all;
  }

  const char* kScript =
      "name \"Demo Game\"\n"
      "outfile demo-setup.exe\n"
      "installdir \"$PROGRAMFILES\\Demo\"\n"
      "prefix Demo\n"
      "pages wizard\n"
      "uninstallpages remove\n"
      "language English\n"
      "uninstalllanguage English\n"
      "changelog changes.rtf\n"
      "file payload\\\n"
      "again:\n"
      "file mods\\extra.dat data\n"
      "goto done\n"
      "done:\n";
};

TEST_F(SetupBuildTest, PlansGroupZeroMaterialThenTheDataGroups) {
  TSetupPlan plan = PlanSetup(Script(kScript));
  ASSERT_TRUE(plan.Ok()) << Messages(plan.Errors);
  std::vector<std::pair<std::string, uint16_t>> names;
  for (const auto& entry : plan.Entries) names.emplace_back(entry.Name, entry.Group);
  EXPECT_EQ(names, (std::vector<std::pair<std::string, uint16_t>>{
                       {"SetupInfo", 0}, {"CompiledLines", 0}, {"LANGUAGE-English", 0},
                       {"UNINSTALL_LANGUAGE-English", 0}, {"changes.rtf", 0}, {"img\\top.bmp", 0},
                       {"Pages.txt", 0}, {"UNINSTALL_ICON.ICO", 0}, {"UNINSTALL_Pages.txt", 0},
                       {"readme.txt", 1}, {"bin\\game.exe", 1}, {"extra.dat", 2}}));  // breadth first
  EXPECT_EQ(plan.OutFile, temp_ / "demo-setup.exe");
  EXPECT_EQ(plan.Compiler.Info.HasUninstaller, 1);
  // Labels resolved to rows, group numbers appended.
  const auto& lines = plan.Compiler.Lines.Lines;
  EXPECT_EQ(lines[12].Params, (std::vector<std::string>{"13"}));
  EXPECT_EQ(lines[11].Params, (std::vector<std::string>{"mods\\extra.dat", "data", "2"}));
}

TEST_F(SetupBuildTest, ErrorsNameTheLineAndTheProblem) {
  TSetupPlan plan = PlanSetup(Script(
      "name Demo\n"
      "goto nowhere\n"
      "writeregstr HKCU Software\n"
      "bogus 1 2\n"
      "file payload\n"
      "file missing.txt\n"
      "language Klingon\n"));
  // The unknown keyword stops the build before anything is compiled.
  ASSERT_EQ(plan.Errors.size(), 1u);
  EXPECT_EQ(plan.Errors[0].LineNumber, 4);

  plan = PlanSetup(Script(
      "name Demo\n"
      "goto nowhere\n"
      "writeregstr HKCU Software\n"
      "file payload\n"
      "file missing.txt\n"
      "language Klingon\n"));
  ASSERT_EQ(plan.Errors.size(), 5u) << Messages(plan.Errors);
  EXPECT_EQ(plan.Errors[0].LineNumber, 2);
  EXPECT_EQ(plan.Errors[0].Text, "Label not found - nowhere");
  EXPECT_EQ(plan.Errors[1].LineNumber, 3);
  EXPECT_EQ(plan.Errors[1].Text, "\"writeregstr\" needs at least 4 parameters");
  EXPECT_EQ(plan.Errors[2].LineNumber, 4);
  EXPECT_NE(plan.Errors[2].Text.find("must end with"), std::string::npos);
  EXPECT_EQ(plan.Errors[3].LineNumber, 5);
  EXPECT_EQ(plan.Errors[4].LineNumber, 6);
}

TEST_F(SetupBuildTest, WritesAnArchiveThatReadsBack) {
  TSetupPlan plan = PlanSetup(Script(kScript));
  ASSERT_TRUE(plan.Ok()) << Messages(plan.Errors);
  WriteFile(temp_ / "stub.exe", std::string(1000, 'S'));
  TWriteOptions options{temp_ / "stub.exe", plan.OutFile, 2, {}};
  ASSERT_TRUE(WriteSetup(plan, options));
  EXPECT_FALSE(Files().Exists(plan.OutFile + ".partial"));

  TPak pak;
  ASSERT_TRUE(pak.Create(plan.OutFile));
  ASSERT_TRUE(pak.IsValid());
  EXPECT_EQ(pak.Header().DataStart, 1000u);
  EXPECT_EQ(pak.FileCount(), plan.Entries.size());
  for (uint32_t i = 0; i < pak.FileCount(); ++i) EXPECT_TRUE(pak.VerifyFile(i)) << pak.Files()[i].Name;
  uint32_t size = 0;
  auto info = pak.FindFile("setupinfo", 0, size);
  ASSERT_TRUE(info);
  TSetupInfoFile loaded;
  loaded.LoadFromBuffer(*info);
  EXPECT_EQ(loaded.Info.SetupName, "Demo Game");
  auto compiled = pak.FindFile("CompiledLines", 0, size);
  ASSERT_TRUE(compiled);
  TCompLines lines;
  ASSERT_TRUE(lines.LoadFromBuffer(compiled->data(), size));
  EXPECT_EQ(lines.Lines.size(), plan.Compiler.Lines.Lines.size());
  auto readme = pak.FindFile("readme.txt", 1, size);
  ASSERT_TRUE(readme);
  EXPECT_EQ(BytesToString(*readme), std::string(5000, 'r'));
}

TEST_F(SetupBuildTest, OutputDoesNotDependOnRunsOrThreads) {
  TSetupPlan plan = PlanSetup(Script(kScript));
  ASSERT_TRUE(plan.Ok());
  for (int i = 0; i < 40; ++i) WriteFile(temp_ / ("payload\\f" + std::to_string(i) + ".bin"), std::string(3000 + i * 97, static_cast<char>(i)));
  plan = PlanSetup(temp_ / "setup.tps");
  ASSERT_TRUE(WriteSetup(plan, TWriteOptions{"", temp_ / "one.pak", 1, {}}));
  ASSERT_TRUE(WriteSetup(plan, TWriteOptions{"", temp_ / "many.pak", 8, {}}));
  TSetupPlan again = PlanSetup(temp_ / "setup.tps");
  ASSERT_TRUE(WriteSetup(again, TWriteOptions{"", temp_ / "again.pak", 3, {}}));
  TBytes one = ReadFile(temp_ / "one.pak");
  EXPECT_FALSE(one.empty());
  EXPECT_EQ(one, ReadFile(temp_ / "many.pak"));
  EXPECT_EQ(one, ReadFile(temp_ / "again.pak"));
}

TEST_F(SetupBuildTest, AFailedBuildLeavesNoOutput) {
  TSetupPlan plan = PlanSetup(Script(kScript));
  ASSERT_TRUE(plan.Ok());
  Files().Delete(temp_ / "payload\\readme.txt");  // disappears after planning
  TStatus status = WriteSetup(plan, TWriteOptions{"", temp_ / "out.exe", 2, {}});
  EXPECT_FALSE(status);
  EXPECT_NE(status.Message().find("readme.txt"), std::string::npos);
  EXPECT_FALSE(Files().Exists(temp_ / "out.exe"));
  EXPECT_FALSE(Files().Exists(temp_ / "out.exe.partial"));
}

}  // namespace
}  // namespace tailpack
