#pragma once
// A wizard in a test: a setup archive written with TPak in a fresh temporary
// folder (layouts, "Pages.txt", languages), the run's state, the wizard on
// the headless windows with a scripted or real worker, scripted message-box
// answers, and stand-ins for the two platform calls a test must not let
// through: ending the process and starting a program.

#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "archive/PakTestSupport.h"
#include "base/ProgressChannel.h"
#include "platform/Platform.h"
#include "runtime/SetupRuntime.h"
#include "support/TempFolder.h"
#include "ui/headless/HeadlessMessageBoxes.h"
#include "ui/headless/HeadlessWindows.h"
#include "wizard/FrmMain.h"
#include "wizard/ScriptWorker.h"

namespace tailpack::test {

// A language entry: the byte-order mark, then the text as UTF-16LE.
TBytes LanguageEntry(const std::u16string& text);
// A layout or description entry; "\n" in Text becomes CR LF.
TTestEntry TextEntry(const std::string& name, const std::string& text, uint16_t group = 0);

extern const std::u16string kEnglishLanguage;
extern const std::u16string kGermanLanguage;

// The headless boxes with scripted answers, in place while the object lives.
class TScriptedBoxes {
 public:
  TScriptedBoxes();
  ~TScriptedBoxes();
  TScriptedBoxes(const TScriptedBoxes&) = delete;
  TScriptedBoxes& operator=(const TScriptedBoxes&) = delete;
  void Answer(const std::string& answers) { boxes_.SetAnswers(answers); }
  std::vector<TShownMessage> Shown() { return boxes_.Shown(); }
  void Clear() { boxes_.ClearShown(); }

 private:
  IMessageBoxes& saved_;
  THeadlessMessageBoxes boxes_;
};

// What ExitNow throws instead of ending the test program.
struct TProcessExit {
  int Code;
};

// The native system information, except that ExitNow throws TProcessExit,
// and the native shell, except that Execute records the request and starts
// nothing; in place while the object lives.
class TPlatformStandIns {
 public:
  TPlatformStandIns();
  ~TPlatformStandIns();
  TPlatformStandIns(const TPlatformStandIns&) = delete;
  TPlatformStandIns& operator=(const TPlatformStandIns&) = delete;

  struct TExecuted {
    std::string File;
    std::string Parameters;
  };
  std::vector<TExecuted> Executed;

 private:
  class TSystem;
  class TShell;
  std::unique_ptr<TSystem> system_;
  std::unique_ptr<TShell> shell_;
  ISystemInfo* savedSystem_;
  IShell* savedShell_;
};

// A worker that does its script on the window thread: every poll of Running
// performs the next step (posting to the progress channel as the real worker
// would) and reports running until no step is left.
class TScriptedWorker final : public IScriptWorker {
 public:
  void StartWalk() override {
    ++Walks;
    next_ = 0;
    running_ = true;
  }
  bool Running() const override;
  void Stop() override { ++Stops; }

  std::vector<std::function<void()>> Steps;
  int Walks = 0;
  int Stops = 0;

 private:
  mutable size_t next_ = 0;
  mutable bool running_ = false;
};

// The layouts of a whole installation wizard: welcome, folder, space,
// progress and finish pages and a frame, with their named controls.
std::vector<TTestEntry> InstallWizardEntries();

class WizardTest : public TempFolderTest {
 protected:
  WizardTest();
  ~WizardTest() override;

  // Writes the archive with the entries and the languages (English, then
  // German, as many as asked), opens it as the run's and loads the languages.
  void UseArchive(std::vector<TTestEntry> entries, int languages = 2);
  // The wizard on headless windows, its pages set up. Without a worker a
  // scripted one with no steps is used (kept in worker_).
  void MakeWizard(std::unique_ptr<IScriptWorker> worker = nullptr);
  // Presses Next as the user would; false when the button could not be.
  bool Next() { return window_->Click(TWizardButton::Next); }

  THeadlessControl& Control(const std::string& name);
  THeadlessControl& Button(TWizardButton button) { return window_->ButtonControl(button); }
  TSEPageControl& Pages() { return wizard_->PageControl(); }
  TPageType CurrentType() { return Pages().CurrentPageType(); }
  std::string Text(const std::u16string& text);

  TSetupRuntime runtime_;
  TScriptedBoxes boxes_;
  TPlatformStandIns platform_;
  TScriptedWorker* worker_ = nullptr;
  THeadlessWizardWindow* window_ = nullptr;
  THeadlessDebugWindow* debug_ = nullptr;
  std::unique_ptr<TFrmMain> wizard_;
};

}  // namespace tailpack::test
