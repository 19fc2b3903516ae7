// Start-up from the command line to the wizard, with a stand-in user
// interface that records what the verification window shows and what the
// wizard is handed: the messages and exit codes of broken archives and
// setups, and what a good setup has loaded when the wizard takes over.

#include <gtest/gtest.h>

#include <cstdlib>
#include <functional>

#include "archive/Zlib.h"
#include "base/ExitCodes.h"
#include "base/Numbers.h"
#include "base/Text.h"
#include "diag/ErrorReport.h"
#include "runtime/Startup.h"
#include "runtime/WizardInterface.h"
#include "script/RunFixture.h"
#include "system/FileHelpers.h"

namespace tailpack {
namespace {

using test::TTestEntry;

TEST(SetupCommandLine, SwitchesInAnyCaseAndTheFolderAfterId) {
  struct TCase {
    std::vector<std::string> Arguments;
    bool Silent;
    std::string Folder;
  };
  const std::vector<TCase> cases = {
      {{}, false, ""},
      {{"-SILENT"}, true, ""},
      {{"setup.pak", "-Id", "C:\\Games\\Demo"}, false, "C:\\Games\\Demo"},
      {{"-id", "-silent"}, true, "-silent"},  // taken whatever it is, and still a switch
      {{"-silent", "-ID"}, true, ""},         // the last argument: no folder
      {{"/silent", "-idx", "C:\\x"}, false, ""},
  };
  for (const TCase& c : cases) {
    SCOPED_TRACE(::testing::PrintToString(c.Arguments));
    TSetupCommandLine parsed = ParseSetupCommandLine(c.Arguments);
    EXPECT_EQ(parsed.Silent, c.Silent);
    EXPECT_EQ(parsed.InstallDir, c.Folder);
  }
}

TEST(SetupCommandLine, QuotesGroupWordsAndBackslashesAreOrdinary) {
  struct TCase {
    std::u16string Line;
    std::vector<std::u16string> Arguments;
  };
  const std::vector<TCase> cases = {
      {u"setup.exe", {}},
      {u"\"C:\\Program Files\\setup.exe\"  -silent", {u"-silent"}},
      // A folder that ends in a backslash before its closing quote.
      {u"setup.exe -id \"C:\\Games\\X\\\" -silent", {u"-id", u"C:\\Games\\X\\", u"-silent"}},
      {u"setup.exe -id C:\\My\" \"Games\t-SILENT", {u"-id", u"C:\\My Games", u"-SILENT"}},
      {u"setup.exe \"\" x", {u"", u"x"}},
      {u"setup.exe \"unclosed quote -silent", {u"unclosed quote -silent"}},
  };
  for (const TCase& c : cases) {
    SCOPED_TRACE(Utf16ToUtf8(c.Line));
    EXPECT_EQ(SplitSetupCommandLine(c.Line), c.Arguments);
  }
}

// The system with a tick counter of its own: every reading moves it on by
// Step milliseconds, so a wait for the counter passes without real time.
class TFakeTicks final : public ISystemInfo {
 public:
  static constexpr uint32_t Step = 50;
  explicit TFakeTicks(ISystemInfo& inner) : inner_(inner) {}
  // The counter now, without moving it.
  uint32_t Now() const { return ticks_; }

  TVersionFacts VersionFacts() override { return inner_.VersionFacts(); }
  bool SystemMetric(TSystemMetric metric) override { return inner_.SystemMetric(metric); }
  uint64_t PhysicalMemory() override { return inner_.PhysicalMemory(); }
  uint64_t TimeStampCounter() override { return inner_.TimeStampCounter(); }
  TPriorityState RaisePriority() override { return inner_.RaisePriority(); }
  void RestorePriority(const TPriorityState& state) override { inner_.RestorePriority(state); }
  TProcessorPin PinThreadToFirstProcessor() override { return inner_.PinThreadToFirstProcessor(); }
  void ReleaseProcessorPin(const TProcessorPin& pin) override { inner_.ReleaseProcessorPin(pin); }
  uint16_t DefaultLanguageId() override { return inner_.DefaultLanguageId(); }
  // Starts just below the wrap, so a wait across it is covered too.
  uint32_t TickCount() override { return ticks_ += Step; }
  std::vector<std::string> EnvironmentBlock() override { return inner_.EnvironmentBlock(); }
  std::string ExecutablePath() override { return inner_.ExecutablePath(); }
  [[noreturn]] void ExitNow(int code) override {
    inner_.ExitNow(code);
    std::abort();  // the inner one does not return either
  }

 private:
  ISystemInfo& inner_;
  uint32_t ticks_ = 0xFFFFFF00u;
};

// Puts another system in place for the lifetime of the object.
class TSystemOverride {
 public:
  explicit TSystemOverride(ISystemInfo& replacement) : saved_(Platform().System) { Platform().System = &replacement; }
  ~TSystemOverride() { Platform().System = saved_; }
  TSystemOverride(const TSystemOverride&) = delete;
  TSystemOverride& operator=(const TSystemOverride&) = delete;

 private:
  ISystemInfo* saved_;
};

// What the stand-in windows saw, in order.
struct TStartupLog {
  std::vector<std::string> Window;  // "show", "status:...", "progress:a/b", "close"
  // The fake tick counter, where a test puts one in place, and its readings
  // at the last count shown and at the window's closing.
  const TFakeTicks* Ticks = nullptr;
  uint32_t LastCount = 0;
  uint32_t Closed = 0;
  bool WizardCreated = false;
  bool PagesSetUp = false;
  int NextPresses = 0;
  // Filled by SetPagesUp from the runtime it was given.
  std::function<void(TSetupRuntime&)> OnPagesSetUp;
  // What the wizard answers.
  int LoopResult = kExitCancelled;
  int SilentAfterPresses = 3;  // 0: never
  int SilentResult = kExitCompleted;
};

class TStandInVerificationWindow final : public IVerificationWindow {
 public:
  explicit TStandInVerificationWindow(TStartupLog& log) : log_(log) {}
  void Show() override { log_.Window.push_back("show"); }
  void SetStatus(const std::u16string& text) override {
    log_.Window.push_back("status:" + WideToAnsi(text));
    if (log_.Ticks) log_.LastCount = log_.Ticks->Now();
  }
  void SetProgress(uint32_t position, uint32_t maximum) override {
    log_.Window.push_back("progress:" + std::to_string(position) + "/" + std::to_string(maximum));
  }
  void Repaint() override {}
  void Close() override {
    log_.Window.push_back("close");
    if (log_.Ticks) log_.Closed = log_.Ticks->Now();
  }

 private:
  TStartupLog& log_;
};

class TStandInWizard final : public IWizard {
 public:
  TStandInWizard(TStartupLog& log, TSetupRuntime& runtime) : log_(log), runtime_(runtime) {}
  void SetPagesUp() override {
    log_.PagesSetUp = true;
    if (log_.OnPagesSetUp) log_.OnPagesSetUp(runtime_);
  }
  void NextButtonClick() override { ++log_.NextPresses; }
  int RunMessageLoop() override { return log_.LoopResult; }
  std::optional<int> SilentResult() override {
    if (log_.SilentAfterPresses != 0 && log_.NextPresses >= log_.SilentAfterPresses) return log_.SilentResult;
    return std::nullopt;
  }

 private:
  TStartupLog& log_;
  TSetupRuntime& runtime_;
};

class TStandInInterface final : public IUserInterface {
 public:
  explicit TStandInInterface(TStartupLog& log) : log_(log) {}
  std::unique_ptr<IVerificationWindow> CreateVerificationWindow() override {
    return std::make_unique<TStandInVerificationWindow>(log_);
  }
  std::unique_ptr<IWizard> CreateWizard(TSetupRuntime& runtime) override {
    log_.WizardCreated = true;
    return std::make_unique<TStandInWizard>(log_, runtime);
  }

 private:
  TStartupLog& log_;
};

class StartupTest : public test::TempFolderTest {
 protected:
  StartupTest() {
    info_.SetupName = "Startup Test";
    info_.ShortName = "Startup";
    info_.InstallDir = temp_ / "Default";
    // Lines: file (group 1), zrpupdate (group 2, an update group), file (group 3).
    script_.Append(7, {"payload\\", "1"});
    script_.Append(11, {"mods\\", "secret", "data.zrp", "2"});
    script_.Append(0, {"label"});
    script_.Append(7, {"more\\", "3"});
    groups_ = {
        {"a.txt", 1, test::TextBytes(1000)},       // 1000 unpacked
        {"b.bin", 2, test::RandomBytes(300, 1)},   // stored raw: 300
        {"c.txt", 2, test::TextBytes(4000)},       // compressed: its stored size
        {"d.txt", 3, test::TextBytes(50)},         // 50
        {"orphan.txt", 9, test::TextBytes(7000)},  // no line owns group 9
    };
  }

  std::string Archive() const { return temp_ / "setup.pak"; }

  // Writes the setup archive from the fields; Drop names entries left out.
  void WriteSetup(const std::vector<std::string>& drop = {}) {
    std::vector<TTestEntry> entries;
    auto wanted = [&drop](const std::string& name) { return std::find(drop.begin(), drop.end(), name) == drop.end(); };
    if (wanted("SetupInfo")) entries.push_back({"SetupInfo", 0, setupInfoBytes_ ? *setupInfoBytes_ : SerializeSetupInfo(info_)});
    if (wanted("CompiledLines"))
      entries.push_back({"CompiledLines", 0, scriptBytes_ ? *scriptBytes_ : script_.Serialize()});
    entries.push_back({"empty.txt", 0, {}});
    if (wanted("LANGUAGE-English"))
      entries.push_back({"LANGUAGE-English", 0, test::ReadFile(test::FixturePath("every-keyword/languages/English.wri"))});
    entries.insert(entries.end(), groups_.begin(), groups_.end());
    ASSERT_NO_FATAL_FAILURE(test::WriteArchive(Archive(), entries));
  }

  int Start(std::vector<std::string> arguments) {
    TStandInInterface ui(log_);
    return RunSetupProgram(arguments, ui);
  }

  std::vector<std::string> Statuses() const {
    std::vector<std::string> statuses;
    for (const std::string& event : log_.Window)
      if (event.rfind("status:", 0) == 0) statuses.push_back(event.substr(7));
    return statuses;
  }

  TSetupInfo info_;
  TCompLines script_;
  std::vector<TTestEntry> groups_;
  std::optional<TBytes> setupInfoBytes_;
  std::optional<TBytes> scriptBytes_;
  TStartupLog log_;
  test::TScriptedAnswers answers_;
};

TEST_F(StartupTest, AnythingButAnIntactArchiveIsAnInvalidHeader) {
  ASSERT_NO_FATAL_FAILURE(test::WriteFile(temp_ / "plain.txt", "no archive here"));
  ASSERT_NO_FATAL_FAILURE(WriteSetup());
  ASSERT_NO_FATAL_FAILURE(test::WriteFile(temp_ / "damaged.pak", test::ReadFile(Archive())));
  auto size = test::ReadFile(temp_ / "damaged.pak").size();
  ASSERT_NO_FATAL_FAILURE(
      test::PatchU32(temp_ / "damaged.pak", size - kPakHeaderSize + kPakHeaderTableOffsetOffset, uint32_t(size)));
  // A DataStart that is not where the first entry starts (the uninstaller
  // would copy a cut program), and two entries sharing one stream.
  ASSERT_NO_FATAL_FAILURE(test::WriteFile(temp_ / "datastart.pak", test::ReadFile(Archive())));
  ASSERT_NO_FATAL_FAILURE(
      test::PatchU32(temp_ / "datastart.pak", size - kPakHeaderSize + kPakHeaderDataStartOffset, 4096));
  ASSERT_NO_FATAL_FAILURE(test::WriteFile(temp_ / "shared.pak", test::ReadFile(Archive())));
  {
    TPak probe;
    ASSERT_TRUE(probe.Create(Archive()));
    ASSERT_EQ(probe.Files()[0].Name, "SetupInfo");
    const uint64_t into = test::RecordFieldOffset(Archive(), 1, test::TRecordField::Checksum);
    TBytes fields(16);
    PutU32(fields.data(), probe.Files()[0].Checksum);
    PutU32(fields.data() + 4, probe.Files()[0].Offset);
    PutU32(fields.data() + 8, probe.Files()[0].StoredSize);
    PutU32(fields.data() + 12, probe.Files()[0].Size);
    probe.Close();
    ASSERT_NO_FATAL_FAILURE(test::PatchBytes(temp_ / "shared.pak", into, fields));
  }
  struct TCase {
    std::string Name;
    std::vector<std::string> Arguments;
  };
  // Without an existing file as first argument the program's own file is
  // opened, and this test program carries no archive.
  const std::vector<TCase> cases = {{"no arguments", {}},
                                    {"a folder", {temp_.Path()}},
                                    {"a plain file", {temp_ / "plain.txt"}},
                                    {"a table beyond the header", {temp_ / "damaged.pak"}},
                                    {"a data start past the first entry", {temp_ / "datastart.pak"}},
                                    {"two entries sharing one stream", {temp_ / "shared.pak"}}};
  for (const TCase& c : cases) {
    SCOPED_TRACE(c.Name);
    log_ = TStartupLog();
    answers_.Set("");
    EXPECT_EQ(Start(c.Arguments), kExitStartupFailed);
    EXPECT_EQ(Statuses(), std::vector<std::string>{"Loading Header"});
    auto shown = answers_.Shown();
    ASSERT_EQ(shown.size(), 1u);
    EXPECT_EQ(WideToAnsi(shown[0].Text), "Invalid Setup Header. No Contents or Corrupted Contents.");
    EXPECT_EQ(WideToAnsi(shown[0].Caption), "Error");
    EXPECT_FALSE(log_.PagesSetUp);
  }
}

TEST_F(StartupTest, AnEmptyArchivePassesVerificationAndLacksItsSetupInformation) {
  ASSERT_NO_FATAL_FAILURE(test::WriteArchive(Archive(), {}));
  EXPECT_EQ(Start({Archive()}), kExitStartupFailed);
  EXPECT_EQ(Statuses(), (std::vector<std::string>{"Loading Header", "Status: 0 out of 0 files verifyed"}));
  auto shown = answers_.Shown();
  ASSERT_EQ(shown.size(), 1u);
  EXPECT_EQ(WideToAnsi(shown[0].Text), "Error: Setup Information Missing. Setup is corrupt");
  EXPECT_EQ(WideToAnsi(shown[0].Caption), "Verification Error");
}

TEST_F(StartupTest, AnEntryThatFailsVerificationIsNamedAndEndsTheRun) {
  groups_ = {{"a.txt", 1, test::TextBytes(1000)}, {"b.bin", 1, test::RandomBytes(2000, 2)}};
  ASSERT_NO_FATAL_FAILURE(WriteSetup({"LANGUAGE-English"}));
  TPak probe;
  ASSERT_TRUE(probe.Create(Archive()));
  ASSERT_EQ(probe.Files()[4].Name, "b.bin");
  uint32_t dataAt = probe.Files()[4].Offset;
  probe.Close();
  ASSERT_NO_FATAL_FAILURE(test::FlipByte(Archive(), dataAt + 10));

  EXPECT_EQ(Start({Archive()}), kExitVerificationFailed);
  const std::vector<std::string> statuses = {"Loading Header",
                                             "Status: 0 out of 5 files verifyed",
                                             "Status: 1 out of 5 files verifyed",
                                             "Status: 2 out of 5 files verifyed",
                                             "Status: 3 out of 5 files verifyed",
                                             "Status: 4 out of 5 files verifyed"};
  EXPECT_EQ(Statuses(), statuses);
  auto shown = answers_.Shown();
  ASSERT_EQ(shown.size(), 1u);
  EXPECT_EQ(WideToAnsi(shown[0].Text), "Error: Verification Failed. Setup is corrupt.\rID: 4 Filename: b.bin");
  EXPECT_EQ(WideToAnsi(shown[0].Caption), "Verification Error");
}

TEST_F(StartupTest, ABrokenSetupIsRefusedWithItsMessageBeforeTheWizard) {
  struct TCase {
    std::string Name;
    std::function<void()> Break;
    std::string Text;
    std::string Caption;
  };
  const std::vector<TCase> cases = {
      {"no compiled lines", [this] { WriteSetup({"CompiledLines"}); },
       "Error: Compiled Lines Missing. Setup is corrupt", "Verification Error"},
      {"compiled lines cut short",
       [this] {
         TBytes bytes = script_.Serialize();
         bytes.resize(bytes.size() - 3);
         scriptBytes_ = bytes;
         WriteSetup();
       },
       "Error: Compiled Lines Damaged. Setup is corrupt\rThe compiled script is damaged: it ends before its last line "
       "(4 lines)",
       "Verification Error"},
      {"a command this program does not have",
       [this] {
         script_.Append(33, {"x"});
         WriteSetup();
       },
       "Error: Compiled Lines Damaged. Setup is corrupt\rLine 4 names command 33, which this setup program does not "
       "have.",
       "Verification Error"},
      {"an uninstaller without its log",
       [this] {
         info_.IsUninstaller = 1;
         info_.UninstallPrefix = "Demo_";
         WriteSetup({"CompiledLines"});
       },
       "Error: install log is missing", "Setup Error"},
      {"no installation folder",
       [this] {
         info_.InstallDir.clear();
         info_.InstallDirRegKeys[0] = TREGKEY{kRootCodeCurrentUser, "Software\\TailpackStartupTests\\Missing", "Path"};
         WriteSetup();
       },
       "Error: Registry Key Not Found. Please Install Software", "Error"},
  };
  for (const TCase& c : cases) {
    SCOPED_TRACE(c.Name);
    info_ = TSetupInfo();
    info_.InstallDir = temp_ / "Default";
    script_ = TCompLines();
    script_.Append(7, {"payload\\", "1"});
    script_.Append(11, {"mods\\", "secret", "data.zrp", "2"});
    script_.Append(0, {"label"});
    script_.Append(7, {"more\\", "3"});
    setupInfoBytes_.reset();
    scriptBytes_.reset();
    log_ = TStartupLog();
    answers_.Set("");
    ASSERT_NO_FATAL_FAILURE(c.Break());
    EXPECT_EQ(Start({Archive(), "-silent"}), kExitStartupFailed);
    auto shown = answers_.Shown();
    ASSERT_EQ(shown.size(), 1u);
    EXPECT_EQ(WideToAnsi(shown[0].Text), c.Text);
    EXPECT_EQ(WideToAnsi(shown[0].Caption), c.Caption);
    EXPECT_FALSE(log_.PagesSetUp);
    EXPECT_TRUE(log_.Window.empty());  // silent: no verification window
  }
}

// The entry has passed its checksum: a record cut short is what the setup
// holds, and it is read as far as it goes.
TEST_F(StartupTest, ASetupInformationCutShortIsReadAsFarAsItGoes) {
  info_.HasUninstaller = 1;
  const TBytes full = SerializeSetupInfo(info_);
  struct TCase {
    std::string Name;
    size_t Kept;
    std::string SetupName, ShortName;
    uint8_t HasUninstaller;
  };
  const std::vector<TCase> cases = {
      {"without its last byte", full.size() - 1, "Startup Test", "Startup", 0},
      {"inside the short name", 2 + 12 + 2 + 3, "Startup Test", "Sta", 0},
  };
  for (const TCase& c : cases) {
    SCOPED_TRACE(c.Name);
    setupInfoBytes_ = TBytes(full.begin(), full.begin() + static_cast<std::ptrdiff_t>(c.Kept));
    ASSERT_NO_FATAL_FAILURE(WriteSetup());
    log_ = TStartupLog();
    answers_.Set("");
    std::optional<TSetupInfo> loaded;
    log_.OnPagesSetUp = [&](TSetupRuntime& runtime) { loaded = runtime.SetupInfo.Info; };
    EXPECT_EQ(Start({Archive(), "-silent", "-id", temp_ / "Chosen"}), kExitCompleted);
    EXPECT_TRUE(answers_.Shown().empty());
    ASSERT_TRUE(loaded);
    EXPECT_EQ(loaded->SetupName, c.SetupName);
    EXPECT_EQ(loaded->ShortName, c.ShortName);
    EXPECT_EQ(loaded->HasUninstaller, c.HasUninstaller);
  }
}

TEST_F(StartupTest, ASilentRunLoadsEverythingAndPressesNextUntilTheWizardEndsIt) {
  ASSERT_NO_FATAL_FAILURE(WriteSetup());
  TPak probe;
  ASSERT_TRUE(probe.Create(Archive()));
  uint32_t compressedC = probe.Files()[probe.FindIndex("c.txt", 2).value()].StoredSize;
  ASSERT_GT(compressedC, 0u);
  probe.Close();
  const std::string folder = temp_ / "Chosen";
  bool checked = false;
  log_.SilentResult = kExitInstallationAborted;
  log_.OnPagesSetUp = [&](TSetupRuntime& runtime) {
    checked = true;
    EXPECT_TRUE(runtime.Silent);
    EXPECT_EQ(runtime.SetupInfo.Info.InstallDir, folder);
    EXPECT_EQ(runtime.SetupInfo.Info.SetupName, "Startup Test");
    EXPECT_EQ(runtime.GroupRaw, (std::vector<bool>{false, false, true, false}));
    EXPECT_EQ(runtime.SpaceRequired, 1000u + 300u + compressedC + 50u);
    EXPECT_EQ(runtime.SpaceRequiredText, FormatSize(runtime.SpaceRequired));
    EXPECT_GT(runtime.SpaceAvailable, 0u);
    EXPECT_EQ(runtime.Script.Lines.size(), 4u);
    EXPECT_EQ(runtime.Commands.Commands.size(), 32u);
    ASSERT_EQ(runtime.Languages.LanguageList().size(), 1u);
    EXPECT_EQ(runtime.GetString(TStringId::FailureText), u"The installation failed.");
    EXPECT_TRUE(runtime.ArchiveFromCommandLine);
    EXPECT_FALSE(runtime.Variables.ProgramFilesDir.empty());
    EXPECT_EQ(runtime.Variables.ProgramFilesDir.back(), '\\');
    EXPECT_FALSE(runtime.Variables.SysVars.empty());
    // The error report tells about this run meanwhile.
    EXPECT_EQ(CurrentErrorReportFacts().SetupName, "Startup Test");
    EXPECT_EQ(CurrentErrorReportFacts().PakFileCount, 9u);
    EXPECT_EQ(CurrentErrorReportFacts().Arguments.size(), 4u);
  };
  EXPECT_EQ(Start({Archive(), "-silent", "-id", folder}), kExitInstallationAborted);
  EXPECT_TRUE(checked);
  EXPECT_EQ(log_.NextPresses, 3);
  EXPECT_TRUE(log_.Window.empty());
  EXPECT_TRUE(answers_.Shown().empty());
  EXPECT_TRUE(CurrentErrorReportFacts().SetupName.empty());
}

TEST_F(StartupTest, TheInstallationFolderComesFromTheFirstRegistryValueThatHasOne) {
  const std::string key = "Software\\TailpackStartupTests\\Folder";
  {
    auto opened = Registry().OpenKey(kRootCurrentUser, key, TRegistryAccess::CreateIfMissing);
    ASSERT_TRUE(opened && opened->WriteString("Path", temp_ / "FromRegistry") && opened->WriteString("Empty", ""));
  }
  info_.InstallDirRegKeys[0] = TREGKEY{kRootCodeCurrentUser, key, ""};       // unused slot
  info_.InstallDirRegKeys[1] = TREGKEY{kRootCodeCurrentUser, key, "Empty"};  // empty: next one
  info_.InstallDirRegKeys[2] = TREGKEY{kRootCodeCurrentUser, key, "Path"};
  ASSERT_NO_FATAL_FAILURE(WriteSetup());
  std::string found;
  log_.OnPagesSetUp = [&](TSetupRuntime& runtime) { found = runtime.SetupInfo.Info.InstallDir; };
  EXPECT_EQ(Start({Archive(), "-silent"}), kExitCompleted);
  EXPECT_EQ(found, temp_ / "FromRegistry");
}

TEST_F(StartupTest, AnInteractiveRunCountsTheEntriesKeepsTheWindowAWhileAndRunsTheWizard) {
  groups_ = {{"a.txt", 1, test::TextBytes(10)}};
  ASSERT_NO_FATAL_FAILURE(WriteSetup({"LANGUAGE-English"}));
  TFakeTicks ticks(System());
  TSystemOverride useTicks(ticks);
  log_.Ticks = &ticks;
  EXPECT_EQ(Start({Archive()}), kExitCancelled);
  const std::vector<std::string> events = {"status:Loading Header",
                                           "progress:0/100",
                                           "show",
                                           "status:Status: 0 out of 4 files verifyed",
                                           "progress:0/4",
                                           "status:Status: 1 out of 4 files verifyed",
                                           "progress:1/4",
                                           "status:Status: 2 out of 4 files verifyed",
                                           "progress:2/4",
                                           "status:Status: 3 out of 4 files verifyed",
                                           "progress:3/4",
                                           "status:Status: 4 out of 4 files verifyed",
                                           "progress:4/4",
                                           "close"};
  EXPECT_EQ(log_.Window, events);
  // The window stays for more than half a second after the last count.
  EXPECT_GT(static_cast<uint32_t>(log_.Closed - log_.LastCount), 500u);
  EXPECT_TRUE(log_.PagesSetUp);
  EXPECT_EQ(log_.NextPresses, 0);
}

TEST_F(StartupTest, ASilentRunThatNeverEndsIsStoppedAndSaysSo) {
  ASSERT_NO_FATAL_FAILURE(WriteSetup());
  log_.SilentAfterPresses = 0;
  EXPECT_EQ(Start({Archive(), "-silent"}), kExitStartupFailed);
  EXPECT_EQ(log_.NextPresses, 10000);
  auto shown = answers_.Shown();
  ASSERT_EQ(shown.size(), 1u);
  EXPECT_EQ(WideToAnsi(shown[0].Text), "Error: The unattended setup did not reach its end.");
}

TEST_F(StartupTest, AnUninstallerLoadsItsLogAndNeedsNoScript) {
  info_.IsUninstaller = 1;
  info_.UninstallPrefix = "Demo_";
  ASSERT_TRUE(Files().CreateFolder(info_.InstallDir));
  TUninstallList log;
  log.AddFile("$INSTDIR\\game.exe");
  log.AddFolder(info_.InstallDir);
  ASSERT_TRUE(log.SaveToFile(info_.InstallDir, "Demo_").Ok());
  ASSERT_NO_FATAL_FAILURE(WriteSetup({"CompiledLines"}));
  bool checked = false;
  log_.OnPagesSetUp = [&](TSetupRuntime& runtime) {
    checked = true;
    EXPECT_TRUE(runtime.IsUninstaller());
    EXPECT_EQ(runtime.UninstallList.Files, log.Files);
    EXPECT_EQ(runtime.UninstallList.Folders, log.Folders);
    EXPECT_TRUE(runtime.Script.Lines.empty());
    EXPECT_EQ(runtime.SpaceRequiredText, "0.00 Bytes");
  };
  EXPECT_EQ(Start({Archive(), "-silent"}), kExitCompleted);
  EXPECT_TRUE(checked);
}

TEST_F(StartupTest, AnUninstallerReadsTheLogOfTheFolderItIsGiven) {
  // The folder recorded at installation has its log; -id names another.
  info_.IsUninstaller = 1;
  info_.UninstallPrefix = "Demo_";
  TUninstallList recorded;
  recorded.Files = {"$INSTDIR\\game.exe"};
  ASSERT_TRUE(Files().CreateFolder(info_.InstallDir));
  ASSERT_TRUE(recorded.SaveToFile(info_.InstallDir, "Demo_").Ok());
  ASSERT_NO_FATAL_FAILURE(WriteSetup({"CompiledLines"}));

  // A folder without a log of its own is refused, whatever the recorded one holds.
  const std::string other = temp_ / "Other";
  ASSERT_TRUE(Files().CreateFolder(other));
  EXPECT_EQ(Start({Archive(), "-silent", "-id", other}), kExitStartupFailed);
  auto shown = answers_.Shown();
  ASSERT_EQ(shown.size(), 1u);
  EXPECT_EQ(WideToAnsi(shown[0].Text), "Error: install log is missing");
  EXPECT_EQ(WideToAnsi(shown[0].Caption), "Setup Error");
  EXPECT_FALSE(log_.PagesSetUp);

  // A folder with its own log (an installation moved there) is uninstalled by it.
  TUninstallList moved;
  moved.Files = {"$INSTDIR\\moved.exe"};
  ASSERT_TRUE(moved.SaveToFile(other, "Demo_").Ok());
  std::vector<std::string> loaded;
  log_.OnPagesSetUp = [&](TSetupRuntime& runtime) {
    loaded = runtime.UninstallList.Files;
    EXPECT_EQ(runtime.SetupInfo.Info.InstallDir, other);
    EXPECT_FALSE(runtime.UninstallLogDamaged);
  };
  EXPECT_EQ(Start({Archive(), "-silent", "-id", other}), kExitCompleted);
  EXPECT_EQ(loaded, moved.Files);
}

TEST_F(StartupTest, ADamagedUninstallLogIsLoadedAsFarAsItGoesAndMarked) {
  info_.IsUninstaller = 1;
  info_.UninstallPrefix = "Demo_";
  TUninstallList log;
  log.Files = {"$INSTDIR\\first.exe", "$INSTDIR\\second.exe"};
  TBytes bytes = log.Serialize();
  bytes.resize(bytes.size() - 3);
  ASSERT_TRUE(Files().CreateFolder(info_.InstallDir));
  ASSERT_NO_FATAL_FAILURE(test::WriteFile(TUninstallList::LogPath(info_.InstallDir, "Demo_"), bytes));
  ASSERT_NO_FATAL_FAILURE(WriteSetup({"CompiledLines"}));
  bool checked = false;
  log_.OnPagesSetUp = [&](TSetupRuntime& runtime) {
    checked = true;
    EXPECT_TRUE(runtime.UninstallLogDamaged);
    EXPECT_EQ(runtime.UninstallList.Files, std::vector<std::string>{"$INSTDIR\\first.exe"});
  };
  Start({Archive(), "-silent"});
  EXPECT_TRUE(checked);
}

TEST_F(StartupTest, ANetworkFolderKeepsItsNameAndGetsTheFreeSpaceOfItsShare) {
  ASSERT_NO_FATAL_FAILURE(WriteSetup());
  ASSERT_TRUE(Files().CreateFolder(temp_ / "share"));
  test::TNetworkShareMap share(Files(), "\\\\srv\\share\\", temp_ / "share\\");
  TFileSystemOverride override(share);
  struct TCase {
    const char* Folder;
    uint64_t Free;
  } cases[] = {
      {"\\\\srv\\share\\Game", test::TNetworkShareMap::kShareFreeSpace},
      {"\\\\SRV\\Share", test::TNetworkShareMap::kShareFreeSpace},
      {"\\\\srv", 0},       // no share named: nothing to ask
      {"\\\\\\share\\x", 0},  // no server named
  };
  for (const TCase& c : cases) {
    SCOPED_TRACE(c.Folder);
    std::string folder;
    uint64_t free = 1;
    log_.OnPagesSetUp = [&](TSetupRuntime& runtime) {
      folder = runtime.SetupInfo.Info.InstallDir;
      free = runtime.SpaceAvailable;
    };
    Start({Archive(), "-silent", "-id", c.Folder});
    EXPECT_EQ(folder, c.Folder);
    EXPECT_EQ(free, c.Free);
  }
}

// The archive hands the DecompSize text back; start-up shows it before the
// refusal that names the entry, as two boxes in that order.
TEST_F(StartupTest, AnEntryOfTheWrongLengthShowsTheDecompSizeBoxBeforeTheRefusal) {
  TPak pak;
  ASSERT_TRUE(pak.Create(Archive(), true));
  ASSERT_NO_FATAL_FAILURE(test::WriteEntryOneByteShort(pak, "short.txt", 1));
  ASSERT_TRUE(pak.WriteHeader().Ok());
  pak.Close();

  EXPECT_EQ(Start({Archive()}), kExitVerificationFailed);
  auto shown = answers_.Shown();
  ASSERT_EQ(shown.size(), 2u);
  EXPECT_EQ(WideToAnsi(shown[0].Text), "short.txt\r\rError: DecompSize - 999 OrigSize - 1000");
  EXPECT_EQ(WideToAnsi(shown[0].Caption), "Error");
  EXPECT_EQ(WideToAnsi(shown[1].Text), "Error: Verification Failed. Setup is corrupt.\rID: 0 Filename: short.txt");
  EXPECT_EQ(WideToAnsi(shown[1].Caption), "Verification Error");
}

using StartupDeathTest = StartupTest;

TEST_F(StartupDeathTest, AnEntryThatCannotBeInflatedEndsInTheReportOfTheVerificationStage) {
  GTEST_FLAG_SET(death_test_style, "threadsafe");
  // A stream whose checksum is right but which is no zlib stream at all.
  TPak pak;
  ASSERT_TRUE(pak.Create(Archive(), true));
  TPackedEntry broken;
  broken.Stored = test::RandomBytes(64, 3);
  broken.Size = 500;
  broken.StoredSize = 64;
  broken.Checksum = Crc32(broken.Stored.data(), broken.Stored.size());
  ASSERT_TRUE(pak.WritePacked(pak.AddFile("broken.txt", "", 1), broken).Ok());
  ASSERT_TRUE(pak.WriteHeader().Ok());
  pak.Close();
  EXPECT_EXIT(
      {
        test::TTempFolderRedirect redirect(Files(), temp_.Path() + "\\");
        TFileSystemOverride override(redirect);
        test::TQuietShell shell;
        Platform().Shell = &shell;
        THeadlessMessageBoxes boxes;  // tells on standard error
        SetMessageBoxes(boxes);
        Start({Archive(), "-silent"});
      },
      ::testing::ExitedWithCode(kExitErrorReport), "Verification Stage Error: ");
}

}  // namespace
}  // namespace tailpack
