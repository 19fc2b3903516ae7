#include "runtime/Startup.h"

#include <algorithm>
#include <chrono>
#include <exception>
#include <memory>
#include <optional>
#include <thread>

#include "archive/SetupEntryNames.h"
#include "archive/Verification.h"
#include "base/ExitCodes.h"
#include "base/Numbers.h"
#include "base/Text.h"
#include "diag/ErrorReport.h"
#include "platform/HostPaths.h"
#include "platform/Platform.h"
#include "platform/ProcessSecurity.h"
#include "platform/TextCase.h"
#include "platform/TextCodec.h"
#include "runtime/SetupRuntime.h"
#include "runtime/WizardInterface.h"
#include "setupinfo/RegistryAccessor.h"
#include "setupinfo/RegistryRoots.h"
#include "system/FileHelpers.h"
#include "system/MessageBoxes.h"

namespace tailpack {

namespace {

constexpr const char* kVerificationContext = "Verification Stage";
// The verification window stays at least this long after its last entry, so
// it is seen rather than flashed.
constexpr uint32_t kVerificationMinimumMs = 500;
// No wizard has this many pages: a silent run that presses Next this often
// without ending is stuck and must not spin for ever.
constexpr int kSilentNextLimit = 10000;

constexpr const char* kCorruptCaption = "Verification Error";

// An exit that a message explains: the message is shown, then start-up ends
// with the code.
int Refuse(const std::string& text, const std::string& caption, int exitCode) {
  ShowMessage(text, caption, TMessageIcon::Error);
  return exitCode;
}

// The setup archive named as the first argument: on Windows a path as given,
// on POSIX also a path of the host.
std::optional<std::string> ArchiveArgument(const std::vector<std::string>& arguments) {
  if (arguments.empty() || arguments[0].empty()) return std::nullopt;
  if (auto host = WindowsPathFromHost(arguments[0]); host && Files().FileExists(*host)) return host;
  if (Files().FileExists(arguments[0])) return arguments[0];
  return std::nullopt;
}

std::u16string VerifiedText(uint32_t done, uint32_t count) {
  return Wide("Status: " + std::to_string(done) + " out of " + std::to_string(count) + " files verifyed");
}

void WaitSince(uint32_t start, uint32_t milliseconds) {
  // Unsigned difference: right across the tick counter's wrap. The start was
  // read somewhere within its millisecond, so one tick more makes sure the
  // full time has passed.
  while (System().TickCount() - start <= milliseconds) std::this_thread::sleep_for(std::chrono::milliseconds(1));
}

// Keeps the error report's facts pointing at this run while it lasts.
class TReportFactsRegistration {
 public:
  explicit TReportFactsRegistration(const TSetupRuntime& runtime) {
    SetErrorReportFacts([&runtime] {
      TErrorReportFacts facts;
      facts.SetupName = runtime.SetupInfo.Info.SetupName;
      facts.SetupExeName = runtime.SetupInfo.Info.SetupExeName;
      facts.PakId = runtime.Pak.Header().IdText();
      facts.PakVersion = runtime.Pak.Header().Version;
      facts.PakFileCount = runtime.Pak.Header().FileCount;
      facts.Arguments = runtime.Arguments;
      return facts;
    });
  }
  ~TReportFactsRegistration() { SetErrorReportFacts({}); }
  TReportFactsRegistration(const TReportFactsRegistration&) = delete;
  TReportFactsRegistration& operator=(const TReportFactsRegistration&) = delete;
};

// Opens the archive and checks every entry while the window counts them.
// Gives the sizes of the grouped entries, or the exit code of a refusal.
std::optional<int> OpenAndVerify(TSetupRuntime& runtime, IUserInterface& ui, uint64_t& groupedTotal) {
  std::unique_ptr<IVerificationWindow> window;
  if (!runtime.Silent) {
    window = ui.CreateVerificationWindow();
    window->SetStatus(u"Loading Header");
    window->SetProgress(0, 100);
    window->Show();
    window->Repaint();
  }
  auto archive = ArchiveArgument(runtime.Arguments);
  runtime.ArchiveFromCommandLine = archive.has_value();
  std::string fileName = archive ? *archive : System().ExecutablePath();
  // A table that cannot be read whole is as unusable as a missing one.
  if (!runtime.Pak.Create(fileName) || !runtime.Pak.IsValid())
    return Refuse("Invalid Setup Header. No Contents or Corrupted Contents.", "Error", kExitStartupFailed);

  const uint32_t count = runtime.Pak.FileCount();
  if (window) {
    window->SetStatus(VerifiedText(0, count));
    window->SetProgress(0, count);
    window->Repaint();
  }
  try {
    TVerificationResult result = VerifyArchive(runtime.Pak, [&window](uint32_t index, uint32_t total, const TPakFile&) {
      if (!window) return;
      window->SetStatus(VerifiedText(index + 1, total));
      window->SetProgress(index + 1, total);
      window->Repaint();
    });
    if (result.FailedIndex) {
      const uint32_t failed = *result.FailedIndex;
      ShowMessageIfAny(result.Message, kDecompSizeCaption);
      return Refuse("Error: Verification Failed. Setup is corrupt.\rID: " + std::to_string(failed) +
                        " Filename: " + runtime.Pak.Files()[failed].Name,
                    kCorruptCaption, kExitVerificationFailed);
    }
    groupedTotal = result.GroupedSize;
    WaitSince(System().TickCount(), kVerificationMinimumMs);
  } catch (const std::exception& failure) {
    ErrorReport(failure.what(), kVerificationContext);
  }
  if (window) window->Close();
  return std::nullopt;
}

// The root of the first CD-ROM drive in the platform's order; empty when none.
std::string FirstCDDrive() {
  for (const std::string& root : Files().LogicalDrives())
    if (Files().DriveType(root) == TDriveType::CdRom) return root;
  return {};
}

std::string SpecialFolderWithBackslash(TSpecialFolder folder) {
  auto path = Shell().SpecialFolder(folder);
  return path ? IncludeTrailingBackslash(*path) : std::string();
}

// The folder of an earlier installation from the first registry location
// that holds one; reading needs no write access.
std::string ReadInstallDirFromRegistry(TSetupRuntime& runtime) {
  for (const TREGKEY& location : runtime.SetupInfo.Info.InstallDirRegKeys) {
    if (location.Key.empty()) continue;
    runtime.Registry.SetRootKey(RootKeyHandle(location.Root));
    if (!runtime.Registry.OpenKeyReadOnly(location.Path)) continue;
    auto value = runtime.Registry.ReadString(location.Key);
    runtime.Registry.CloseKey();
    if (value && !value->empty()) return *value;
  }
  return {};
}

// The root whose free space an installation into Folder uses: its drive
// ("C:\"), or for a network folder its share ("\\server\share\"); nothing
// for anything else.
std::optional<std::string> FreeSpaceRoot(const std::string& folder) {
  if (folder.empty()) return std::nullopt;
  char letter = UpperAnsiChar(folder[0]);
  if (letter >= 'A' && letter <= 'Z') return std::string(1, letter) + ":\\";
  if (folder.rfind("\\\\", 0) != 0) return std::nullopt;
  size_t serverEnd = folder.find('\\', 2);
  if (serverEnd == std::string::npos || serverEnd == 2) return std::nullopt;
  size_t shareEnd = std::min(folder.find('\\', serverEnd + 1), folder.size());
  if (shareEnd == serverEnd + 1) return std::nullopt;
  return folder.substr(0, shareEnd) + "\\";
}

// Free space the platform cannot tell leaves the values as they were.
void ReadSpaceAvailable(TSetupRuntime& runtime) {
  auto root = FreeSpaceRoot(runtime.SetupInfo.Info.InstallDir);
  if (!root) return;
  if (auto free = Files().FreeSpace(*root)) {
    runtime.SpaceAvailable = *free;
    runtime.SpaceAvailableText = FormatSize(*free);
  }
}

std::optional<int> LoadCompiledScript(TSetupRuntime& runtime) {
  uint32_t size = 0;
  auto bytes = runtime.Pak.FindFile(kCompiledLinesEntry, 0, size);
  ShowMessageIfAny(bytes.Message, kDecompSizeCaption);
  if (!bytes) return Refuse("Error: Compiled Lines Missing. Setup is corrupt", kCorruptCaption, kExitStartupFailed);
  if (TStatus loaded = runtime.Script.LoadFromBuffer(bytes->data(), static_cast<uint32_t>(bytes->size())); !loaded)
    return Refuse("Error: Compiled Lines Damaged. Setup is corrupt\r" + loaded.Message(), kCorruptCaption,
                  kExitStartupFailed);
  RegisterCommands(runtime.Commands);
  // A command number this program does not have would run nothing or, worse,
  // something else: such a script is refused before anything is installed.
  for (const TCompLine& line : runtime.Script.Lines) {
    if (line.CommandIndex > 0 && !runtime.Commands.Find(line.CommandIndex))
      return Refuse("Error: Compiled Lines Damaged. Setup is corrupt\rLine " + std::to_string(line.Row) +
                        " names command " + std::to_string(line.CommandIndex) + ", which this setup program does not have.",
                    kCorruptCaption, kExitStartupFailed);
  }
  return std::nullopt;
}

// The space an installation needs: unpacked sizes for plain groups, stored
// sizes for update groups (which are merged as stored).
uint64_t SpaceRequiredByGroups(TSetupRuntime& runtime) {
  runtime.GroupRaw.assign(1, false);
  for (const TCompLine& line : runtime.Script.Lines) {
    if (line.CommandIndex <= 0) continue;
    if (uint8_t kind = runtime.Commands.Find(line.CommandIndex)->FileKind(); kind != 0)
      runtime.GroupRaw.push_back(kind == 2);
  }
  uint64_t total = 0;
  for (const TPakFile& entry : runtime.Pak.Files()) {
    if (entry.Group < 1 || entry.Group >= runtime.GroupRaw.size()) continue;
    if (!runtime.GroupRaw[entry.Group] || (entry.StoredSize == 0 && entry.Size > 0)) total += entry.Size;
    else total += entry.StoredSize;
  }
  return total;
}

void LoadLanguages(TSetupRuntime& runtime) {
  // Every "LANGUAGE-" entry of the setup's own material counts, wherever it
  // lies among the others (an empty entry before it does not end the search).
  runtime.Pak.ForEachInGroup(0, [&runtime](uint32_t index) {
    const TPakFile& entry = runtime.Pak.Files()[index];
    if (entry.Size == 0 || !StartsWithNoCase(entry.Name, kLanguageEntryPrefix)) return;
    auto bytes = runtime.Pak.ExtractFile(index);
    ShowMessageIfAny(bytes.Message, kDecompSizeCaption);
    if (bytes) runtime.Languages.Add(bytes->data(), static_cast<uint32_t>(bytes->size()));
  });
  int current = runtime.Languages.FindByLangID(runtime.SystemLangID);
  runtime.Languages.Current = current >= 0 ? current : 0;
}

// The uninstall log of the folder the uninstaller works on, the folder that
// "$INSTDIR" will mean: with "-id" that folder's own log, never the one of the
// folder recorded at installation, whose entries would otherwise be replayed
// against another folder's files.
std::optional<int> LoadUninstallLog(TSetupRuntime& runtime) {
  const TSetupInfo& info = runtime.SetupInfo.Info;
  const std::string& given = runtime.CmdInstallDir.empty() ? info.InstallDir : runtime.CmdInstallDir;
  std::string folder = IncludeTrailingBackslash(runtime.Variables.ExpandPathVars(given));
  if (!Files().FileExists(TUninstallList::LogPath(folder, info.UninstallPrefix)))
    return Refuse("Error: install log is missing", "Setup Error", kExitStartupFailed);
  // A log that cannot be read whole is not refused: the uninstallation
  // replays what could be read and says so at its end.
  runtime.UninstallLogDamaged = !runtime.UninstallList.LoadFromFile(folder, info.UninstallPrefix);
  return std::nullopt;
}

// Everything between the verification and the wizard; the exit code of a
// refusal, or nothing when the wizard may start.
std::optional<int> LoadSetup(TSetupRuntime& runtime, uint64_t groupedTotal) {
  runtime.Variables.CDDrive = FirstCDDrive();
  runtime.SpaceRequired = groupedTotal;
  runtime.SpaceRequiredText = FormatSize(groupedTotal);

  uint32_t size = 0;
  auto setupInfo = runtime.Pak.FindFile(kSetupInfoEntry, 0, size);
  ShowMessageIfAny(setupInfo.Message, kDecompSizeCaption);
  if (!setupInfo)
    return Refuse("Error: Setup Information Missing. Setup is corrupt", kCorruptCaption, kExitStartupFailed);
  // A record cut short reads as far as it goes; it has passed its checksum.
  runtime.SetupInfo.LoadFromBuffer(*setupInfo);
  TSetupInfo& info = runtime.SetupInfo.Info;

  uint64_t required = 0;
  if (!runtime.IsUninstaller()) {
    if (auto refused = LoadCompiledScript(runtime)) return refused;
    required = SpaceRequiredByGroups(runtime);
  }
  runtime.SpaceRequired = required;
  runtime.SpaceRequiredText = FormatSize(required);

  runtime.Variables.ProgramFilesDir = SpecialFolderWithBackslash(TSpecialFolder::ProgramFiles);
  runtime.Variables.StartMenuProgramsDir = SpecialFolderWithBackslash(TSpecialFolder::StartMenuPrograms);
  runtime.Variables.DesktopDir = SpecialFolderWithBackslash(TSpecialFolder::Desktop);
  runtime.Variables.SysVars = TPathVariables::ReadSysVars(System().EnvironmentBlock());
  if (runtime.IsUninstaller())
    if (auto refused = LoadUninstallLog(runtime)) return refused;

  LoadLanguages(runtime);

  if (!runtime.CmdInstallDir.empty()) {
    info.InstallDir = runtime.CmdInstallDir;
    ReadSpaceAvailable(runtime);
  } else if (!runtime.IsUninstaller()) {
    if (std::string found = ReadInstallDirFromRegistry(runtime); !found.empty()) info.InstallDir = found;
    if (info.InstallDir.empty())
      return Refuse("Error: Registry Key Not Found. Please Install Software", "Error", kExitStartupFailed);
    ReadSpaceAvailable(runtime);
  }
  return std::nullopt;
}

int HandOver(TSetupRuntime& runtime, IWizard& wizard) {
  wizard.SetPagesUp();
  if (!runtime.Silent) return wizard.RunMessageLoop();
  // The run normally ends inside the wizard's completion step.
  for (int press = 0; press < kSilentNextLimit; ++press) {
    wizard.NextButtonClick();
    if (auto result = wizard.SilentResult()) return *result;
  }
  return Refuse("Error: The unattended setup did not reach its end.", "Error", kExitStartupFailed);
}

int RunSetup(const std::vector<std::string>& arguments, IUserInterface& ui) {
  TSetupRuntime runtime;
  TReportFactsRegistration facts(runtime);
  runtime.Arguments = arguments;
  runtime.SystemLangID = System().DefaultLanguageId();
  TSetupCommandLine commandLine = ParseSetupCommandLine(arguments);
  runtime.Silent = commandLine.Silent;
  runtime.CmdInstallDir = commandLine.InstallDir;
  // Made before the archive is opened, as its window owns the worker thread;
  // it stays hidden until its pages are set up.
  std::unique_ptr<IWizard> wizard = ui.CreateWizard(runtime);

  uint64_t groupedTotal = 0;
  if (auto refused = OpenAndVerify(runtime, ui, groupedTotal)) return *refused;
  if (auto refused = LoadSetup(runtime, groupedTotal)) return *refused;
  return HandOver(runtime, *wizard);
}

}  // namespace

TSetupCommandLine ParseSetupCommandLine(const std::vector<std::string>& arguments) {
  TSetupCommandLine commandLine;
  for (size_t i = 0; i < arguments.size(); ++i) {
    std::string argument = LowerAnsi(arguments[i]);
    // The argument after "-id" is taken whatever it is, and still examined
    // as an argument of its own on the next pass.
    if (argument == "-silent") commandLine.Silent = true;
    else if (argument == "-id") commandLine.InstallDir = i + 1 < arguments.size() ? arguments[i + 1] : std::string();
  }
  return commandLine;
}

std::vector<std::u16string> SplitSetupCommandLine(std::u16string_view commandLine) {
  std::vector<std::u16string> words;
  size_t at = 0;
  auto isSeparator = [](char16_t c) { return c <= u' '; };
  while (true) {
    while (at < commandLine.size() && isSeparator(commandLine[at])) ++at;
    if (at >= commandLine.size()) break;
    std::u16string word;
    bool quoted = false;
    for (; at < commandLine.size() && (quoted || !isSeparator(commandLine[at])); ++at) {
      if (commandLine[at] == u'"') quoted = !quoted;
      else word.push_back(commandLine[at]);
    }
    words.push_back(std::move(word));
  }
  // The first word is the program's own name.
  if (!words.empty()) words.erase(words.begin());
  return words;
}

int RunSetupProgram(const std::vector<std::string>& arguments, IUserInterface& ui) {
  HardenProcess();
  // The process keeps every processor: verification and extraction inflate on
  // more than one, and a program the setup starts inherits the process's
  // affinity. Only the processor-speed reading of an error report pins its
  // own thread for a moment.
  // The program keeps "." as its decimal separator whatever the user's
  // locale: its number texts never consult the locale.
  try {
    return RunSetup(arguments, ui);
  } catch (const std::exception& failure) {
    ErrorReport(failure.what(), "");
  } catch (...) {
    ErrorReport("Unknown exception", "");
  }
}

}  // namespace tailpack
