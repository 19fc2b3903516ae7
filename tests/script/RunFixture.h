#pragma once
// A setup run in a test: a runtime whose installation folder lies in a fresh
// temporary folder, the fixture language, a script built line by line, an
// archive written from in-memory entries, scripted message-box answers and
// the progress channel's status lines, finish label and steps.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "archive/PakTestSupport.h"
#include "base/ProgressChannel.h"
#include "platform/Platform.h"
#include "platform/TextCodec.h"
#include "runtime/SetupRuntime.h"
#include "script/CommandList.h"
#include "setupinfo/RegistryAccessor.h"
#include "setupinfo/RegistryRoots.h"
#include "support/Fixtures.h"
#include "support/ForwardingFileSystem.h"
#include "support/TempFolder.h"
#include "ui/headless/HeadlessMessageBoxes.h"

namespace tailpack::test {

// The headless boxes with scripted answers, in place while the object lives.
class TScriptedAnswers {
 public:
  explicit TScriptedAnswers(const std::string& answers = "") : saved_(MessageBoxes()) {
    boxes_.SetEcho(false);
    boxes_.SetAnswers(answers);
    SetMessageBoxes(boxes_);
  }
  ~TScriptedAnswers() { SetMessageBoxes(saved_); }
  TScriptedAnswers(const TScriptedAnswers&) = delete;
  TScriptedAnswers& operator=(const TScriptedAnswers&) = delete;

  // New answers, and nothing shown so far.
  void Set(const std::string& answers) {
    boxes_.SetAnswers(answers);
    boxes_.ClearShown();
  }
  std::vector<TShownMessage> Shown() { return boxes_.Shown(); }

 private:
  IMessageBoxes& saved_;
  THeadlessMessageBoxes boxes_;
};

// The native shell, except that documents are not opened: a dying test that
// writes an error report must not start an editor.
class TQuietShell final : public IShell {
 public:
  std::optional<std::string> SpecialFolder(TSpecialFolder folder) override { return NativeShell().SpecialFolder(folder); }
  std::vector<std::string> SystemFolders() override { return NativeShell().SystemFolders(); }
  bool CreateLink(const TShellLink& link) override { return NativeShell().CreateLink(link); }
  bool ReplaceIconImage(const std::string& file, const TBytes& image) override {
    return NativeShell().ReplaceIconImage(file, image);
  }
  TStartedProgram Execute(const std::string& file, const std::string& parameters) override {
    return NativeShell().Execute(file, parameters);
  }
  bool OpenDocument(const std::string&) override { return false; }
};

// Every status line posted, and the channel's controls attached, while it lives.
class TChannelCapture {
 public:
  TChannelCapture() {
    Progress().AttachControls(true, true, true);
    Progress().ResetSteps();
    Progress().TakeFileLabel();
    Progress().SetStatusObserver([this](const std::u16string& text) { Lines.push_back(text); });
  }
  ~TChannelCapture() {
    Progress().SetStatusObserver(nullptr);
    Progress().AttachControls(false, false, false);
    Progress().ResetSteps();
  }
  TChannelCapture(const TChannelCapture&) = delete;
  TChannelCapture& operator=(const TChannelCapture&) = delete;

  std::vector<std::u16string> Lines;
};

class RunTest : public TempFolderTest {
 protected:
  RunTest() {
    RegisterCommands(runtime_.Commands);
    runtime_.SetupInfo.Info.InstallDir = InstallDir();
    TBytes language = ReadFile(FixturePath("every-keyword/languages/English.wri"));
    runtime_.Languages.Add(language.data(), static_cast<uint32_t>(language.size()));
    runtime_.Languages.Current = 0;
  }

  std::string InstallDir() const { return temp_ / "Installed"; }

  // Appends a line of the command Keyword and returns its row.
  int32_t Line(const std::string& keyword, std::vector<std::string> params) {
    int32_t index = runtime_.Commands.IndexOfKeyword(keyword);
    EXPECT_GT(index, 0) << keyword;
    return runtime_.Script.Append(index, std::move(params)).Row;
  }
  int32_t Label(const std::string& name) { return runtime_.Script.Append(0, {name}).Row; }
  TCompLine& At(int32_t row) { return runtime_.Script.Lines[static_cast<size_t>(row)]; }

  // Runs one line's step, as the walk does.
  void Run(int32_t row) {
    const TCompLine& line = At(row);
    runtime_.Commands.Find(line.CommandIndex)->SFXProcess(runtime_, line.Row);
  }

  // Writes the archive and opens it as the run's.
  void UseArchive(const std::vector<TTestEntry>& entries) {
    ASSERT_NO_FATAL_FAILURE(WriteArchive(temp_ / "setup.pak", entries));
    ASSERT_TRUE(runtime_.Pak.Create(temp_ / "setup.pak"));
  }

  // A registry key of this test alone, below HKCU.
  static std::string TestKey(const std::string& leaf = "") {
    const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
    std::string key = std::string("Software\\TailpackRunTests\\") + info->test_suite_name() + "." + info->name();
    return leaf.empty() ? key : key + "\\" + leaf;
  }
  static std::optional<std::string> ReadValue(uint32_t root, const std::string& key, const std::string& name) {
    auto opened = Registry().OpenKey(root, key, TRegistryAccess::ReadOnly);
    return opened ? opened->ReadString(name) : std::nullopt;
  }
  static std::string Text(const std::u16string& text) { return WideToAnsi(text); }

  TSetupRuntime runtime_;
  TScriptedAnswers answers_;
  TChannelCapture channel_;
};

}  // namespace tailpack::test
