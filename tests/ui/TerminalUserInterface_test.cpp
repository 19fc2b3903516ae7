// The wizard in a terminal: pages printed with the keys that can be pressed,
// one typed line per step (Next, Back, language, Cancel, a choice, a folder),
// progress while the installation runs, message boxes as prompts, and the
// end of the input.

#include "ui/terminal/TerminalUserInterface.h"

#include <gtest/gtest.h>

#include <sstream>

#include "base/ExitCodes.h"
#include "platform/TextCodec.h"
#include "ui/terminal/TerminalConsole.h"
#include "ui/terminal/TerminalMessageBoxes.h"
#include "wizard/WizardFixture.h"

namespace tailpack {
namespace {

using test::TextEntry;
using test::TTestEntry;

class TerminalTest : public test::WizardTest {
 protected:
  // Runs the whole wizard on the terminal with these typed lines.
  int Run(const std::string& typed) {
    input_.str(typed);
    TTerminalUserInterface ui(input_, output_, false, [this](TSetupRuntime&) {
      auto worker = std::make_unique<test::TScriptedWorker>();
      worker->Steps = steps_;
      return worker;
    });
    std::unique_ptr<IWizard> wizard = ui.CreateWizard(runtime_);
    wizard->SetPagesUp();
    return wizard->RunMessageLoop();
  }
  std::string Output() const { return output_.str(); }
  // How often a text was printed.
  size_t Count(const std::string& text) const {
    size_t count = 0;
    for (size_t at = Output().find(text); at != std::string::npos; at = Output().find(text, at + 1)) ++count;
    return count;
  }

  std::istringstream input_;
  std::ostringstream output_;
  std::vector<std::function<void()>> steps_;
};

TEST_F(TerminalTest, AWholeInstallationStepByStep) {
  auto entries = test::InstallWizardEntries();
  entries.push_back(TTestEntry{"a.txt", 1, StringToBytes("data")});
  UseArchive(entries);
  steps_ = {[this] {
              runtime_.Progress.SetStatusText(u"Extracting a.txt");
              runtime_.Progress.StepProgress(true);
            },
            [] {}};
  std::string folder = temp_ / "Chosen";
  int code = Run("\n" + folder + "\n\nl\n2\n\nq\n");
  EXPECT_EQ(code, kExitCompleted);
  std::string out = Output();
  // The welcome page with its text and the keys that work there.
  EXPECT_NE(out.find("== Demo Setup =="), std::string::npos) << out;
  EXPECT_NE(out.find("Hello\nDemo Setup\n"), std::string::npos);
  EXPECT_NE(out.find("Enter: Next >   q: Cancel   l: English"), std::string::npos);
  // The folder page shows the field and takes the typed folder.
  EXPECT_NE(out.find("or type a folder"), std::string::npos);
  EXPECT_NE(out.find("  [" + folder + "]"), std::string::npos);
  EXPECT_EQ(runtime_.SetupInfo.Info.InstallDir, folder + "\\");
  // The language menu, then the patch page in German.
  EXPECT_NE(out.find("  1 (*) English\n  2 ( ) Deutsch\n"), std::string::npos);
  EXPECT_NE(out.find("Enter: Installieren"), std::string::npos);
  // Progress while the run works, then the finish page.
  EXPECT_NE(out.find("Extracting a.txt [100%]"), std::string::npos);
  EXPECT_NE(out.find("Done\n"), std::string::npos);
  EXPECT_NE(out.find("Enter/q: Fertig"), std::string::npos);
  EXPECT_EQ(Count("Wirklich beenden?"), 0u);  // the finish page closes without a question
}

TEST_F(TerminalTest, EnterOnTheFinishPagePressesFinish) {
  UseArchive(test::InstallWizardEntries(), 1);
  steps_ = {[] {}};
  // Welcome, folder, space, the installation; then Enter on the finish page.
  // Nothing may be read after it: the wizard has ended.
  EXPECT_EQ(Run("\n\n\n\n\nnot read\n"), kExitCompleted);
  std::string out = Output();
  EXPECT_NE(out.find("Done\n\nEnter/q: Finish\n"), std::string::npos) << out;
  EXPECT_EQ(Count("That button cannot be pressed now."), 0u);
  EXPECT_EQ(Count("Enter: next page"), 0u);  // "not read" was never taken as a command
}

TEST_F(TerminalTest, CancelAsksAndTheEndOfTheInputCloses) {
  UseArchive(test::InstallWizardEntries(), 1);
  int code = Run("b\nq\nn\nnonsense\nq\nmaybe\n");
  EXPECT_EQ(code, kExitCancelled);
  std::string out = Output();
  EXPECT_NE(out.find("That button cannot be pressed now."), std::string::npos);  // no Back on page 0
  EXPECT_NE(out.find("Enter: next page, b: back, l: language, q: cancel."), std::string::npos);
  EXPECT_EQ(out.find("l: English"), std::string::npos);  // one language: no language key
  // The question twice: "n" keeps the wizard, "maybe" is asked again and the
  // end of the input answers Yes.
  EXPECT_EQ(Count("[Quit]\nReally quit?\n[y]es / [n]o ? "), 2u);
  EXPECT_EQ(Count("[y]es / [n]o ? "), 3u);
}

TEST_F(TerminalTest, NumbersChooseRadioButtons) {
  UseArchive({TextEntry("Pages.txt", "[pages]\nlang.txt\ninstall.txt\n[pagetypes]\nlanguageselection\npatching\n"),
              TextEntry("lang.txt", "[en]\ntype=TRadio\ntop=10\ncaption=English\nchecked=true\n"
                                    "[de]\ntype=TRadio\ntop=30\ncaption=Deutsch\n"),
              TextEntry("install.txt", "[x]\ntype=TLabel\n")});
  Run("2\n3\n\n");
  std::string out = Output();
  EXPECT_NE(out.find("  1 (*) English\n  2 ( ) Deutsch\n"), std::string::npos);
  EXPECT_NE(out.find("  1 ( ) English\n  2 (*) Deutsch\n"), std::string::npos);
  EXPECT_NE(out.find("There is no choice 3."), std::string::npos);
  EXPECT_EQ(runtime_.Variables.LanguageSelection, "Deutsch");
}

TEST(TerminalMessageBoxes, PromptsAndAnswers) {
  struct TCase {
    TMessageButtons Buttons;
    const char* Typed;
    TMessageResult Answer;
  } cases[] = {
      {TMessageButtons::Ok, "\n", TMessageResult::Ok},
      {TMessageButtons::OkCancel, "C\n", TMessageResult::Cancel},
      {TMessageButtons::YesNoCancel, "x\nno\n", TMessageResult::No},
      {TMessageButtons::RetryCancel, "\n", TMessageResult::Retry},
      {TMessageButtons::RetryCancel, "", TMessageResult::Cancel},  // no input: never Retry
      {TMessageButtons::YesNo, "", TMessageResult::Yes},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.Typed);
    std::istringstream in(c.Typed);
    std::ostringstream out;
    TTerminalMessageBoxes boxes(std::make_shared<TTerminalConsole>(in, out, false));
    EXPECT_EQ(boxes.Show(u"Line one\rLine two", u"Caption", c.Buttons, TMessageIcon::Question), c.Answer);
    EXPECT_NE(out.str().find("\n[Caption]\nLine one\nLine two\n"), std::string::npos);
  }
}

}  // namespace
}  // namespace tailpack
