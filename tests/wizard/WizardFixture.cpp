#include "wizard/WizardFixture.h"

#include "base/ProgressChannel.h"
#include "platform/TextCodec.h"

namespace tailpack::test {

TBytes LanguageEntry(const std::u16string& text) {
  TBytes bytes = {0xFF, 0xFE};
  for (char16_t c : text) {
    bytes.push_back(static_cast<uint8_t>(c));
    bytes.push_back(static_cast<uint8_t>(c >> 8));
  }
  return bytes;
}

TTestEntry TextEntry(const std::string& name, const std::string& text, uint16_t group) {
  std::string withCrLf;
  for (char c : text) {
    if (c == '\n') withCrLf += "\r\n";
    else withCrLf.push_back(c);
  }
  return TTestEntry{name, group, StringToBytes(withCrLf)};
}

const std::u16string kEnglishLanguage =
    u"English\r\n0409;\r\n"
    u"3 Hello\r\n"
    u"7 Required <%SPACEREQ%>, available <%SPACEAVA%>\r\n"
    u"12 < Back\r\n13 Next >\r\n14 Cancel\r\n15 Install\r\n16 Finish\r\n"
    u"18 Extracting <%FILENAME%>\r\n"
    u"19 [<%ZRPNAME%>] <%FNUM%> of <%FTOTAL%>\r\n"
    u"23 The installation failed.\r\n"
    u"24 Registry\r\n25 Folders\r\n26 Uninstall\r\n"
    u"27 Really quit?\r\n28 Quit\r\n";

const std::u16string kGermanLanguage =
    u"Deutsch\r\n0407;\r\n"
    u"3 Hallo\r\n"
    u"7 Benötigt <%SPACEREQ%>, frei <%SPACEAVA%>\r\n"
    u"12 < Zurück\r\n13 Weiter >\r\n14 Abbrechen\r\n15 Installieren\r\n16 Fertig\r\n"
    u"27 Wirklich beenden?\r\n28 Beenden\r\n";

TScriptedBoxes::TScriptedBoxes() : saved_(MessageBoxes()) {
  boxes_.SetEcho(false);
  boxes_.SetAnswers("");
  SetMessageBoxes(boxes_);
}

TScriptedBoxes::~TScriptedBoxes() { SetMessageBoxes(saved_); }

class TPlatformStandIns::TSystem final : public ISystemInfo {
 public:
  explicit TSystem(ISystemInfo& inner) : inner_(inner) {}
  TVersionFacts VersionFacts() override { return inner_.VersionFacts(); }
  bool SystemMetric(TSystemMetric metric) override { return inner_.SystemMetric(metric); }
  uint64_t PhysicalMemory() override { return inner_.PhysicalMemory(); }
  uint64_t TimeStampCounter() override { return inner_.TimeStampCounter(); }
  TPriorityState RaisePriority() override { return inner_.RaisePriority(); }
  void RestorePriority(const TPriorityState& state) override { inner_.RestorePriority(state); }
  TProcessorPin PinThreadToFirstProcessor() override { return inner_.PinThreadToFirstProcessor(); }
  void ReleaseProcessorPin(const TProcessorPin& pin) override { inner_.ReleaseProcessorPin(pin); }
  uint16_t DefaultLanguageId() override { return inner_.DefaultLanguageId(); }
  uint32_t TickCount() override { return inner_.TickCount(); }
  std::vector<std::string> EnvironmentBlock() override { return inner_.EnvironmentBlock(); }
  std::string ExecutablePath() override { return "C:\\Setup\\setup.exe"; }
  [[noreturn]] void ExitNow(int code) override { throw TProcessExit{code}; }

 private:
  ISystemInfo& inner_;
};

class TPlatformStandIns::TShell final : public IShell {
 public:
  TShell(IShell& inner, std::vector<TExecuted>& executed) : inner_(inner), executed_(executed) {}
  std::optional<std::string> SpecialFolder(TSpecialFolder folder) override { return inner_.SpecialFolder(folder); }
  std::vector<std::string> SystemFolders() override { return inner_.SystemFolders(); }
  bool CreateLink(const TShellLink& link) override { return inner_.CreateLink(link); }
  bool ReplaceIconImage(const std::string& executable, const TBytes& image) override {
    return inner_.ReplaceIconImage(executable, image);
  }
  TStartedProgram Execute(const std::string& file, const std::string& parameters) override {
    executed_.push_back(TExecuted{file, parameters});
    TStartedProgram started;
    started.Started = true;
    return started;
  }
  bool OpenDocument(const std::string& path) override { return inner_.OpenDocument(path); }

 private:
  IShell& inner_;
  std::vector<TExecuted>& executed_;
};

TPlatformStandIns::TPlatformStandIns()
    : system_(std::make_unique<TSystem>(*Platform().System)),
      shell_(std::make_unique<TShell>(*Platform().Shell, Executed)),
      savedSystem_(Platform().System),
      savedShell_(Platform().Shell) {
  Platform().System = system_.get();
  Platform().Shell = shell_.get();
}

TPlatformStandIns::~TPlatformStandIns() {
  Platform().System = savedSystem_;
  Platform().Shell = savedShell_;
}

bool TScriptedWorker::Running() const {
  if (!running_) return false;
  if (next_ < Steps.size()) {
    Steps[next_++]();
    // As a real worker wakes the waiting window when its walk ends; a step
    // done here is as good as a walk's end for the window's wait.
    Progress().Wake();
    return true;
  }
  running_ = false;
  return false;
}

std::vector<TTestEntry> InstallWizardEntries() {
  return {
      TextEntry("Pages.txt",
                "[pages]\nwelcome.txt\nfolder.txt\nspace.txt\ninstall.txt\nfinish.txt\nframe.txt\n"
                "[pagetypes]\nwelcome\ninstalldir\npatch\npatching\nfinish\nmainlayout\n"),
      TextEntry("welcome.txt", "[title]\ntype=TLabel\ncaption=<LANG3><BR><%SETUPTITLE%>\n"),
      TextEntry("folder.txt",
                "[installdir_edit]\ntype=TEdit\nleft=10\n[installdir_shelltreeview]\ntype=TShellTreeView\n"),
      TextEntry("space.txt", "[spaceavalible]\ntype=TLabel\n"),
      TextEntry("install.txt",
                "[patching_statuslabel]\ntype=TLabel\n[patching_progressbar]\ntype=TProgressBar\n"),
      TextEntry("finish.txt", "[finishtext]\ntype=TLabel\ncaption=Done\n"),
      TextEntry("frame.txt", "[frame_line]\ntype=TBevel\n"),
  };
}

WizardTest::WizardTest() {
  runtime_.SetupInfo.Info.SetupName = "Demo Setup";
  runtime_.SetupInfo.Info.ShortName = "Demo";
  runtime_.SetupInfo.Info.InstallDir = temp_ / "App\\";
  runtime_.Progress.AttachControls(false, false, false);
  runtime_.Progress.ResetSteps();
}

WizardTest::~WizardTest() {
  wizard_.reset();
  runtime_.Progress.AttachControls(false, false, false);
  runtime_.Progress.ResetSteps();
  runtime_.Progress.TakeStatusText();
  runtime_.Progress.TakeFileLabel();
}

void WizardTest::UseArchive(std::vector<TTestEntry> entries, int languages) {
  if (languages >= 1) entries.push_back(TTestEntry{"LANGUAGE-English", 0, LanguageEntry(kEnglishLanguage)});
  if (languages >= 2) entries.push_back(TTestEntry{"LANGUAGE-Deutsch", 0, LanguageEntry(kGermanLanguage)});
  ASSERT_NO_FATAL_FAILURE(WriteArchive(temp_ / "setup.pak", entries));
  ASSERT_TRUE(runtime_.Pak.Create(temp_ / "setup.pak"));
  for (const TTestEntry& entry : entries)
    if (entry.Name.rfind("LANGUAGE-", 0) == 0)
      runtime_.Languages.Add(entry.Data.data(), static_cast<uint32_t>(entry.Data.size()));
  runtime_.Languages.Current = runtime_.Languages.LanguageList().empty() ? -1 : 0;
}

void WizardTest::MakeWizard(std::unique_ptr<IScriptWorker> worker) {
  if (!worker) {
    auto scripted = std::make_unique<TScriptedWorker>();
    worker_ = scripted.get();
    worker = std::move(scripted);
  }
  auto window = std::make_unique<THeadlessWizardWindow>();
  auto debug = std::make_unique<THeadlessDebugWindow>();
  window_ = window.get();
  debug_ = debug.get();
  wizard_ = std::make_unique<TFrmMain>(runtime_, std::move(window), std::move(debug), std::move(worker));
  wizard_->SetPagesUp();
}

THeadlessControl& WizardTest::Control(const std::string& name) {
  THeadlessControl* control = window_->Area.Find(name);
  if (!control) throw std::runtime_error("no control named " + name);
  return *control;
}

std::string WizardTest::Text(const std::u16string& text) { return WideToAnsi(text); }

}  // namespace tailpack::test
