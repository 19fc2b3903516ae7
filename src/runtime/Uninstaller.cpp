#include "runtime/Uninstaller.h"

#include <algorithm>

#include "archive/CertificateTable.h"
#include "archive/Pak.h"
#include "archive/SetupEntryNames.h"
#include "platform/Platform.h"
#include "platform/TextCase.h"
#include "runtime/SetupRuntime.h"
#include "setupinfo/RegistryAccessor.h"
#include "setupinfo/SetupInfo.h"
#include "system/FileHelpers.h"
#include "system/MessageBoxes.h"
#include "system/PrivateTempFolder.h"
#include "system/ShellHelpers.h"

namespace tailpack {

namespace {

constexpr const char* kUninstallKeyParent = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\";
constexpr const char* kDefaultUninstallerName = "Uninstall.exe";

// A registration that cannot be stored is a failure: the installed program
// would be missing from the system's list and could not be removed from it.
TStatus RegisterInstallation(TSetupRuntime& runtime) {
  const TSetupInfo& info = runtime.SetupInfo.Info;
  // Without a short name the values would land in the list's own key.
  if (info.ShortName.empty()) return TStatus::Success();
  const std::string key = UninstallRegistryKey(info.ShortName);
  TRegistryAccessor& registry = runtime.Registry;
  registry.SetRootKey(kRootLocalMachine);
  if (!registry.OpenKey(key, true)) return TStatus::Failure("Cannot create the registry key \"HKLM\\" + key + "\"");
  bool written = registry.WriteString("DisplayName", info.ShortName);
  // Quoted, so a path with blanks can never be read as a shorter program
  // followed by arguments.
  written = registry.WriteString("UninstallString", "\"" + UninstallerPath(info) + "\"") && written;
  registry.CloseKey();
  if (!written) return TStatus::Failure("Cannot write the uninstall registration under \"HKLM\\" + key + "\"");
  return TStatus::Success();
}

// Writes the program part of the running executable (its first Length
// bytes) as a new file. Only that part is read: the archive behind it may
// be hundreds of megabytes that the uninstaller does not carry.
TStatus CopyProgram(const std::string& host, uint64_t length, const std::string& target) {
  auto source = Files().Open(host, TFileMode::OpenRead, TFileShare::ReadWrite);
  if (!source) return TStatus::Failure("Cannot read the setup program \"" + host + "\"");
  auto output = Files().Open(target, TFileMode::CreateAlways, TFileShare::None);
  if (!output) return TStatus::Failure("Cannot create \"" + target + "\"");
  constexpr uint32_t kPiece = 1024 * 1024;
  TBytes piece(static_cast<size_t>(std::min<uint64_t>(length, kPiece)));
  for (uint64_t left = length; left > 0;) {
    const auto count = static_cast<uint32_t>(std::min<uint64_t>(left, kPiece));
    if (source->Read(piece.data(), count) != count)
      return TStatus::Failure("Cannot read the setup program \"" + host + "\"");
    if (output->Write(piece.data(), count) != count) return TStatus::Failure("Cannot write \"" + target + "\" completely");
    left -= count;
  }
  // A signed setup's certificates stay behind: the copy must not name them.
  if (!DropDanglingCertificateTable(*output) || !output->Flush() || output->Size() != length)
    return TStatus::Failure("Cannot write \"" + target + "\" completely");
  output.reset();
  // Where the file system knows which files are programs (POSIX), it must
  // know this one.
  if (!Files().MakeExecutable(target)) return TStatus::Failure("Cannot make \"" + target + "\" a program");
  return TStatus::Success();
}

// Gives the new program the setup's uninstaller icon, where the platform has
// executable resources. The icon passes through the run's private folder,
// never a fixed name in the shared temporary folder.
void ReplaceUninstallerIcon(TPak& pak, const std::string& uninstaller) {
  for (uint32_t i = 0; i < pak.FileCount(); ++i) {
    const TPakFile& entry = pak.Files()[i];
    if (entry.Group != 0 || !SameTextAnsi(entry.Name, kUninstallIconEntry)) continue;
    auto icon = pak.ExtractFile(i);
    ShowMessageIfAny(icon.Message, kDecompSizeCaption);
    auto folder = RunTempFolder().Path();
    if (!icon || !folder) continue;
    std::string iconFile = *folder + "icon.ico";
    if (WriteBufferToFile(iconFile, icon->data(), static_cast<uint32_t>(icon->size())))
      ReplaceIcon(iconFile, uninstaller);
    Files().Delete(iconFile);
  }
}

// Copies one entry of the running archive into the new one under NewName.
TStatus CopyEntry(TPak& from, uint32_t index, TPak& to, const std::string& newName) {
  const TPakFile entry = from.Files()[index];
  if (entry.IsLarge()) {
    // Never held whole in memory: through a file in the private folder.
    auto folder = RunTempFolder().Path();
    if (!folder) return TStatus::Failure("Cannot create a private temporary folder");
    std::string temporary = *folder + "entry.temp";
    TStatus status = from.ExtractLargeFile(temporary, entry.Name, entry.Size, index);
    if (status) status = to.WriteSourceFile(to.AddFile(newName, temporary, 0));
    Files().Delete(temporary);
    return status;
  }
  TEntryBytes data;
  if (entry.Size > 0) {
    data = from.ExtractFile(index);
    ShowMessageIfAny(data.Message, kDecompSizeCaption);
    if (!data) return TStatus::Failure("The entry \"" + entry.Name + "\" is damaged: its data fails its check");
  }
  uint32_t added = to.AddFile(newName, "", 0);
  return to.WriteData(added, data ? data->data() : nullptr, entry.Size);
}

TStatus AppendArchive(TSetupRuntime& runtime, const std::string& uninstaller) {
  TPak output;
  if (!output.Create(uninstaller, false, true)) return TStatus::Failure("Cannot open \"" + uninstaller + "\"");
  TPak& pak = runtime.Pak;
  for (uint32_t i = 0; i < pak.FileCount(); ++i) {
    const TPakFile& entry = pak.Files()[i];
    if (entry.Group != 0) continue;
    auto newName = UninstallerEntryName(entry.Name);
    if (!newName) continue;
    if (TStatus status = CopyEntry(pak, i, output, *newName); !status) return status;
  }
  // Only the uninstaller's copy is marked: the running installation must not
  // behave like an uninstaller on its finish page.
  TSetupInfo info = runtime.SetupInfo.Info;
  info.IsUninstaller = 1;
  TBytes record = SerializeSetupInfo(info);
  if (TStatus status = output.WriteData(output.AddFile(kSetupInfoEntry, "", 0), record.data(),
                                        static_cast<uint32_t>(record.size()));
      !status)
    return status;
  return output.WriteHeader();
}

}  // namespace

std::string UninstallRegistryKey(const std::string& shortName) { return kUninstallKeyParent + shortName; }

std::string UninstallerPath(const TSetupInfo& info) {
  const std::string& name = info.UninstallExeName.empty() ? std::string(kDefaultUninstallerName) : info.UninstallExeName;
  return IncludeTrailingBackslash(info.InstallDir) + name;
}

std::optional<std::string> UninstallerEntryName(const std::string& name) {
  if (!StartsWithNoCase(name, kUninstallEntryPrefix) || SameTextAnsi(name, kUninstallIconEntry)) return std::nullopt;
  std::string rest = name.substr(std::string_view(kUninstallEntryPrefix).size());
  if (rest.empty()) return std::nullopt;
  return rest;
}

std::optional<uint64_t> ProgramLength(const std::string& executable) {
  std::optional<uint64_t> size;
  {
    auto file = Files().Open(executable, TFileMode::OpenRead, TFileShare::ReadWrite);
    if (!file) return std::nullopt;
    size = file->Size();
  }
  if (!size) return std::nullopt;
  // DataStart counts only when the archive behind it is laid out as written:
  // a header that claims less would cut the program short. Without a sound
  // archive the whole file is the program (an uninstaller with a dead archive
  // inside still runs; one cut short does not).
  TPak pak;
  if (!pak.Create(executable) || !pak.IsValid()) return size;
  return pak.Header().DataStart;
}

TStatus CreateUninstaller(TSetupRuntime& runtime, const std::string& hostExecutable) {
  if (runtime.Pak.FileCount() == 0) return TStatus::Success();
  const TSetupInfo& info = runtime.SetupInfo.Info;
  std::string uninstaller = UninstallerPath(info);
  // The program part comes from the running program itself, never from an
  // archive named on the command line, which may hold no program at all.
  auto length = ProgramLength(hostExecutable);
  if (!length)
    return TStatus::Failure("The uninstaller \"" + uninstaller + "\" could not be written: the setup program \"" +
                            hostExecutable + "\" cannot be read");

  CreateFolderChain(info.InstallDir, &runtime.UninstallList);
  // Made whole beside its place, then moved there in one step: an
  // uninstaller that cannot be written leaves the one of an earlier
  // installation, which the system's list still names, never none.
  const std::string partial = uninstaller + ".partial";
  TStatus status = CopyProgram(hostExecutable, *length, partial);
  if (status) {
    ReplaceUninstallerIcon(runtime.Pak, partial);
    status = AppendArchive(runtime, partial);
  }
  if (status) status = MovePartialIntoPlace(partial, uninstaller);
  if (!status) {
    // Half an uninstaller would only fail later, when it is needed.
    Files().Delete(partial);
    return TStatus::Failure("The uninstaller \"" + uninstaller + "\" could not be written: " + status.Message());
  }
  // Registered only now that the file is complete and on the disk: the
  // system's list must never name an uninstaller that is not there. A
  // registration that cannot be stored is the run's failure.
  return RegisterInstallation(runtime);
}

TStatus CreateUninstaller(TSetupRuntime& runtime) { return CreateUninstaller(runtime, System().ExecutablePath()); }

}  // namespace tailpack
