// tailpack zrp: list, extract, check and create the data archives that
// "zrpupdate" lines update.

#include <cstdio>
#include <memory>

#include "CLI/CLI.hpp"
#include "app/tailpack/Commands.h"
#include "app/tailpack/GameDataToolSupport.h"
#include "app/tailpack/ToolSupport.h"
#include "base/Numbers.h"
#include "gamedata/DataArchiveReader.h"
#include "gamedata/DosDate.h"
#include "gamedata/EmptyArchives.h"
#include "platform/Platform.h"

namespace tailpack {

namespace {

struct TZrpOptions {
  std::string Archive;
  std::string Output;
};

const char* KindText(uint8_t kind) { return kind == kZrpKindData ? "data" : kind == kZrpKindSound ? "sound" : "?"; }

std::string TrailerText(const TZrpTrailer& trailer) {
  switch (trailer.Form) {
    case TZrpTrailerForm::None:
      return "none";
    case TZrpTrailerForm::Old:
      return "ZRP2";
    case TZrpTrailerForm::Current:
      return "ZRP3/" + TerminalText(trailer.Tag);
  }
  return "?";
}

// Opens the archive for reading; kToolExitSuccess or the code to exit with.
int OpenForReading(const std::string& hostPath, TDataArchiveReader& reader) {
  auto path = CorePath(hostPath);
  if (!path) return kToolExitUnreadable;
  if (!Files().FileExists(*path)) {
    PrintError("cannot open \"" + hostPath + "\"");
    return kToolExitUnreadable;
  }
  TStatus opened = reader.Open(*path);
  if (reader.RestoredFromJournal())
    PrintError("\"" + hostPath + "\" was restored from the journal of an update that did not finish");
  if (!opened) {
    PrintError("\"" + hostPath + "\" is not a readable data archive: " + TerminalText(opened.Message()));
    return kToolExitUnreadable;
  }
  return kToolExitSuccess;
}

int RunList(const TZrpOptions& options) {
  TDataArchiveReader reader;
  if (int code = OpenForReading(options.Archive, reader); code != kToolExitSuccess) return code;
  const TZrpDirectory& directory = reader.Directory();
  const TExtraInfo& extra = directory.Trailer.Extra;
  std::printf("Archive %s: %zu entries, table at offset %llu; trailer %s, password: %s, official: %s\n",
              options.Archive.c_str(), directory.Entries.size(), static_cast<unsigned long long>(directory.TableStart),
              TrailerText(directory.Trailer).c_str(), extra.HasPassword ? "yes" : "no", extra.Official ? "yes" : "no");
  std::printf("%5s  %-5s  %-10s  %10s  %10s  %10s  %s\n", "Index", "Kind", "Date", "Size", "Stored", "Offset", "Name");
  uint64_t totalSize = 0, totalStored = 0;
  for (size_t i = 0; i < directory.Entries.size(); ++i) {
    const TPakSystemEntry& entry = directory.Entries[i];
    std::printf("%5zu  %-5s  %-10s  %10u  %10u  %10u  %s\n", i, KindText(entry.Kind), DosDateText(entry.Date).c_str(),
                entry.OriginalSize, entry.StoredSize, entry.Offset, TerminalText(entry.Name).c_str());
    totalSize += entry.OriginalSize;
    totalStored += entry.StoredSize;
  }
  std::printf("%zu entries; total size %llu bytes (%s), stored in %llu bytes (%s)\n", directory.Entries.size(),
              static_cast<unsigned long long>(totalSize), FormatSize(totalSize).c_str(),
              static_cast<unsigned long long>(totalStored), FormatSize(totalStored).c_str());
  return kToolExitSuccess;
}

int RunExtract(const TZrpOptions& options) {
  TDataArchiveReader reader;
  if (int code = OpenForReading(options.Archive, reader); code != kToolExitSuccess) return code;
  std::string folder;
  if (!PrepareOutputFolder(options.Output, folder)) return kToolExitExtractFailed;
  for (const TPakSystemEntry& entry : reader.Directory().Entries) {
    TBytes content;
    if (TStatus read = reader.ReadContent(entry, content); !read) {
      PrintError(TerminalText(read.Message()));
      return kToolExitExtractFailed;
    }
    if (!WriteExtracted(folder, entry.Name, content)) return kToolExitExtractFailed;
  }
  std::printf("Extracted %zu entries into %s\n", reader.Directory().Entries.size(), options.Output.c_str());
  return kToolExitSuccess;
}

int RunCheck(const TZrpOptions& options) {
  TDataArchiveReader reader;
  if (int code = OpenForReading(options.Archive, reader); code != kToolExitSuccess) return code;
  std::vector<std::string> faults = reader.Check();
  for (const std::string& fault : faults) PrintError(options.Archive + ": " + TerminalText(fault));
  if (!faults.empty()) return kToolExitCheckFailed;
  std::printf("OK: %zu entries checked; trailer %s, footer and table intact\n", reader.Directory().Entries.size(),
              TrailerText(reader.Directory().Trailer).c_str());
  return kToolExitSuccess;
}

int RunCreate(const TZrpOptions& options) {
  auto path = CorePath(options.Archive);
  if (!path) return kToolExitWriteFailed;
  if (TStatus created = CreateEmptyDataArchive(*path); !created) {
    PrintError(TerminalText(created.Message()));
    return kToolExitWriteFailed;
  }
  std::printf("Created the empty data archive %s\n", options.Archive.c_str());
  return kToolExitSuccess;
}

void AddAction(CLI::App& parent, const std::string& name, const std::string& description, bool output,
               int (*run)(const TZrpOptions&), int& exitCode) {
  auto options = std::make_shared<TZrpOptions>();
  CLI::App* command = parent.add_subcommand(name, description);
  command->add_option("ARCHIVE", options->Archive, "Data archive")->required();
  if (output)
    command->add_option("-o,--output", options->Output, "Folder to extract into (created when missing)")->required();
  command->callback([options, run, &exitCode] { exitCode = run(*options); });
}

}  // namespace

void AddZrpCommand(CLI::App& app, int& exitCode) {
  CLI::App* zrp = app.add_subcommand("zrp", "List, extract, check or create a data archive (as zrpupdate updates)");
  zrp->require_subcommand(1);
  AddAction(*zrp, "list", "List the entries: kind, date, sizes, offset and name", false, RunList, exitCode);
  AddAction(*zrp, "extract", "Write every entry into DIR (data entries inflated, sound entries as stored)", true,
            RunExtract, exitCode);
  AddAction(*zrp, "check", "Check the trailer, footer, table and every entry", false, RunCheck, exitCode);
  AddAction(*zrp, "create", "Create an empty data archive (no entries, no password)", false, RunCreate, exitCode);
}

}  // namespace tailpack
