#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <thread>

#include "archive/Pak.h"
#include "builder/SetupPlan.h"
#include "builder/SetupWriter.h"
#include "platform/Platform.h"
#include "script/CompLines.h"
#include "setupinfo/SetupInfo.h"
#include "support/FaultyFileSystem.h"
#include "support/TempFolder.h"
#include "system/FileHelpers.h"

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
  TWriteOptions options{temp_ / "stub.exe", plan.OutFile, 2, {}, {}};
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
  ASSERT_TRUE(WriteSetup(plan, TWriteOptions{"", temp_ / "one.pak", 1, {}, {}}));
  ASSERT_TRUE(WriteSetup(plan, TWriteOptions{"", temp_ / "many.pak", 8, {}, {}}));
  TSetupPlan again = PlanSetup(temp_ / "setup.tps");
  ASSERT_TRUE(WriteSetup(again, TWriteOptions{"", temp_ / "again.pak", 3, {}, {}}));
  TBytes one = ReadFile(temp_ / "one.pak");
  EXPECT_FALSE(one.empty());
  EXPECT_EQ(one, ReadFile(temp_ / "many.pak"));
  EXPECT_EQ(one, ReadFile(temp_ / "again.pak"));
}

// A file of Length bytes that takes no room on the disk.
void WriteSparseFile(const std::string& path, uint64_t length) {
  auto file = Files().Open(path, TFileMode::CreateAlways, TFileShare::None);
  ASSERT_TRUE(file);
  ASSERT_TRUE(file->Seek(length - 1));
  ASSERT_EQ(file->Write("x", 1), 1u);
}

// The errors of one line, one per row.
std::vector<std::string> ErrorsOfLine(const TSetupPlan& plan, int line) {
  std::vector<std::string> texts;
  for (const auto& error : plan.Errors)
    if (error.LineNumber == line) texts.push_back(error.Text);
  return texts;
}

bool AnyContains(const std::vector<std::string>& texts, const std::string& part) {
  return std::any_of(texts.begin(), texts.end(), [&](const std::string& text) { return text.find(part) != std::string::npos; });
}

// More than 65,535 entries take a minute to list here; tests/e2e/tool_build.sh
// checks that limit.
TEST_F(SetupBuildTest, WhatTheFormatCannotHoldIsAnErrorOfItsLine) {
  std::string manyLines;
  for (int i = 0; i < 65536; ++i) manyLines += "message x\n";
  struct TCase {
    const char* Name;
    std::string Script;
    int Line;
    std::string Error;
  } cases[] = {
      {"a registry value of 65,540 bytes", "name A\nwriteregstr HKLM Software V " + std::string(65540, 'v') + "\n", 2,
       "parameter 4 is 65,540 bytes long; the setup format holds at most 65,535 bytes per text"},
      {"a label name of 65,536 bytes", "name A\n" + std::string(65536, 'l') + ":\n", 2, "the label's name is 65,536"},
      {"a setup name of 65,536 bytes", "name " + std::string(65536, 'n') + "\n", 1, "the setup's name is 65,536"},
      {"a prefix whose uninstaller name passes the limit", "prefix " + std::string(65530, 'p') + "\n", 1,
       "the uninstaller's file name is 65,544 bytes long"},
      {"65,536 lines", manyLines, 65536, "at most 65,535 lines"},
      {"an entry of 4 GiB", "name A\nfile huge.bin\n", 2, "\"huge.bin\" is 4,294,967,296 bytes"},
      {"a data archive password of 42 characters", "name A\nzrpupdate huge.bin " + std::string(42, 'p') + " data.zrp\n",
       2, "the password is longer than 41 characters"},
      {"a file of 70 MiB in a data archive update", "name A\nzrpupdate big.bin pw data.zrp\n", 2,
       "\"big.bin\" is 73,400,320 bytes; files of 70 MiB and more cannot go into an archive update"},
      {"a file of 70 MiB in a VFS archive update", "name A\nfile big.bin\nvfsupdate big.bin game.vfs\n", 3,
       "files of 70 MiB and more cannot go into an archive update"},
  };
  WriteSparseFile(temp_ / "huge.bin", 0x100000000ull);
  WriteSparseFile(temp_ / "big.bin", kLargeFileLimit);
  for (const TCase& c : cases) {
    SCOPED_TRACE(c.Name);
    TSetupPlan plan = PlanSetup(Script(c.Script));
    EXPECT_FALSE(plan.Ok());
    EXPECT_TRUE(AnyContains(ErrorsOfLine(plan, c.Line), c.Error)) << Messages(plan.Errors);
  }
  // A plain "file" line copies such a file in chunks: no error.
  EXPECT_TRUE(PlanSetup(Script("name A\nfile big.bin\n")).Ok());
}

TEST_F(SetupBuildTest, ErrorsOfTheMaterialNameTheirLine) {
  WriteFile(temp_ / "languages\\English .wri", std::string("\xFF\xFE" "E\0\r\0\n\0", 8));
  test::TFaultyFileSystem faulty;
  TFileSystemOverride use(faulty);
  WriteFile(temp_ / "mods\\locked.dat", std::string("locked"));
  faulty.FailOpens("locked.dat");
  struct TCase {
    const char* Name;
    std::string Line;
    std::string Error;
  } cases[] = {
      {"an unsafe entry name", "language \"English \"", "Unsafe entry name \"LANGUAGE-English \""},
      {"a layout folder without Pages.txt", "pages nowhere", "the layout folder \"layout\\nowhere\\\" has no"},
      {"an uninstaller layout without Pages.txt", "uninstallpages nowhere", "layout\\nowhere\\"},
      {"a source that cannot be read", "file mods\\", "cannot read \"mods\\locked.dat\""},
  };
  for (const TCase& c : cases) {
    SCOPED_TRACE(c.Name);
    TSetupPlan plan = PlanSetup(Script("name A\n\n" + c.Line + "\n"));
    EXPECT_TRUE(AnyContains(ErrorsOfLine(plan, 3), c.Error)) << Messages(plan.Errors);
  }
}

TEST_F(SetupBuildTest, EveryMissingLabelOfALineIsReported) {
  TSetupPlan plan = PlanSetup(Script(
      "name A\n"
      "iffileexists x nowhere elsewhere\n"
      "messagebox text caption gone 0\n"
      "messagebox text caption lost missing\n"));
  EXPECT_EQ(ErrorsOfLine(plan, 2), (std::vector<std::string>{"Label not found - nowhere", "Label not found - elsewhere"}));
  EXPECT_EQ(ErrorsOfLine(plan, 3), (std::vector<std::string>{"Label not found - gone"}));
  EXPECT_EQ(ErrorsOfLine(plan, 4), (std::vector<std::string>{"Label not found - lost", "Label not found - missing"}));
}

TEST_F(SetupBuildTest, FileLinesOfAFormTheSetupSkipsAreWarned) {
  const std::vector<std::string> params = {"mods\\extra.dat", "data", "HKLM", "Software", "Value", "1", "0", "x"};
  for (size_t count = 1; count <= params.size(); ++count) {
    SCOPED_TRACE(count);
    std::string line = "file";
    for (size_t i = 0; i < count; ++i) line += " " + params[i];
    TSetupPlan plan = PlanSetup(Script("name A\n" + line + "\n"));
    ASSERT_TRUE(plan.Ok()) << Messages(plan.Errors);
    bool runs = count == 1 || count == 2 || count == 7;
    EXPECT_EQ(plan.Warnings.size(), runs ? 0u : 1u) << Messages(plan.Warnings);
    if (!runs) {
      EXPECT_EQ(plan.Warnings[0].LineNumber, 2);
      EXPECT_NE(plan.Warnings[0].Text.find("Param Count Invalid!!!"), std::string::npos);
    }
  }
}

TEST_F(SetupBuildTest, AJumpThatReachesItselfWithNothingBetweenIsWarned) {
  struct TCase {
    const char* Script;
    std::vector<int> WarnedLines;
  } cases[] = {
      {"a:\ngoto a\n", {2}},
      {"a:\nb:\ngoto a\n", {3}},
      {"x:\ngoto y\ny:\ngoto x\n", {2}},  // one warning for the loop of two
      {"a:\ngoto 0\n", {2}},             // a row number as the target
      {"goto b\na:\ngoto a\nb:\n", {3}},  // the first goto leaves, the second loops
      {"a:\nmessage waiting\ngoto a\n", {}},
      {"goto a\na:\n", {}},
      {"a:\niffileexists x a 0\n", {}},  // a command runs in between
  };
  for (const TCase& c : cases) {
    SCOPED_TRACE(c.Script);
    TSetupPlan plan = PlanSetup(Script(c.Script));
    ASSERT_TRUE(plan.Ok()) << Messages(plan.Errors);
    std::vector<int> lines;
    for (const auto& warning : plan.Warnings) {
      lines.push_back(warning.LineNumber);
      EXPECT_NE(warning.Text.find("never end"), std::string::npos);
    }
    EXPECT_EQ(lines, c.WarnedLines);
  }
}

TEST_F(SetupBuildTest, NoFailureLeavesAPartialSetup) {
  WriteSparseFile(temp_ / "almost4g.bin", 0xFFFFFFFFull - 100);
  WriteFile(temp_ / "stub.exe", std::string(1000, 'S'));
  struct TCase {
    const char* Name;
    std::string Script;
    std::function<void(test::TFaultyFileSystem&)> Break;
    std::string StubPath;
    int Line;
    bool ScriptError;
    std::string Message;
    bool StopAfterOneEntry = false;
  } cases[] = {
      {"a source that went away", kScript, [&](auto&) { Files().Delete(temp_ / "payload\\readme.txt"); }, "", 10,
       false, "readme.txt"},
      {"a full disk", kScript, [](auto& faulty) { faulty.FailWritesAfter(100, "out.exe.partial"); }, "", 0, false,
       "is the disk full?"},
      {"a stub that cannot be copied", kScript, [](auto&) {}, temp_ / "no-stub.exe", 0, false, "no-stub.exe"},
      {"a setup past 4 GiB", "name A\nfile almost4g.bin\n", [](auto&) {}, temp_ / "stub.exe", 2, true,
       "would pass 4 GiB"},
      {"a stop request (Ctrl-C)", kScript, [](auto&) {}, "", 0, false, "interrupted", true},
  };
  for (const TCase& c : cases) {
    SCOPED_TRACE(c.Name);
    WriteFile(temp_ / "payload\\readme.txt", std::string(5000, 'r'));
    TSetupPlan plan = PlanSetup(Script(c.Script));
    ASSERT_TRUE(plan.Ok()) << Messages(plan.Errors);
    test::TFaultyFileSystem faulty;
    TFileSystemOverride use(faulty);
    c.Break(faulty);
    int entriesWritten = 0;
    TWriteOptions options{c.StubPath, temp_ / "out.exe", 2, [&](const TBuildProgress&) { ++entriesWritten; }, {}};
    if (c.StopAfterOneEntry) options.StopRequested = [&] { return entriesWritten > 0; };
    TWriteResult result = WriteSetup(plan, options);
    EXPECT_FALSE(result);
    EXPECT_EQ(result.Interrupted, c.StopAfterOneEntry);
    EXPECT_NE(result.Status.Message().find(c.Message), std::string::npos) << result.Status.Message();
    EXPECT_EQ(result.LineNumber, c.Line);
    EXPECT_EQ(result.ScriptError, c.ScriptError);
    EXPECT_FALSE(Files().Exists(temp_ / "out.exe"));
    EXPECT_FALSE(Files().Exists(temp_ / "out.exe.partial"));
  }
}

TEST(PackingThreads, AsManyAsHelp) {
  unsigned processors = std::max(1u, std::thread::hardware_concurrency());
  EXPECT_EQ(PackingThreads(0, 1000), processors);
  EXPECT_EQ(PackingThreads(1, 1000), 1u);
  EXPECT_EQ(PackingThreads(100000, 1000000), processors * 2);
  EXPECT_EQ(PackingThreads(8, 3), 3u);  // never more than there are entries
  EXPECT_EQ(PackingThreads(8, 0), 1u);
}

}  // namespace
}  // namespace tailpack
