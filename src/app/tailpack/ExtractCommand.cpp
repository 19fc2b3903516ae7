// tailpack extract: writes the entries of one group, or of every group, into
// a folder.

#include <cstdio>
#include <memory>
#include <optional>
#include <set>

#include "CLI/CLI.hpp"
#include "app/tailpack/Commands.h"
#include "app/tailpack/ToolSupport.h"
#include "archive/EntryName.h"
#include "archive/Pak.h"
#include "base/Errors.h"
#include "base/ProgressReporter.h"
#include "base/Text.h"
#include "platform/HostPaths.h"
#include "platform/Platform.h"
#include "platform/Terminal.h"
#include "system/FileHelpers.h"
#include "system/MessageBoxes.h"

namespace tailpack {

namespace {

struct TExtractOptions {
  std::string Archive;
  std::string Output;
  std::optional<uint16_t> Group;
};

// Shows the status lines of an extraction on the terminal's status line.
class TStatusLineReporter final : public IProgressReporter {
 public:
  explicit TStatusLineReporter(TTerminalStatus& status) : status_(status) {}
  void SetStatusText(const std::u16string& text) override { status_.Show(Utf16ToUtf8(text)); }
  void StepProgress(bool) override {}

 private:
  TTerminalStatus& status_;
};

// The extraction of a group stopped on a stream that cannot be inflated; the
// message names the entry, found by inflating the group's entries again (only
// on this failure path, so a good archive is inflated once).
std::string DescribeInflateFailure(TPak& pak, uint16_t group, const ETailpackError& error) {
  std::string entry;
  pak.ForEachInGroup(group, [&](uint32_t index) {
    if (!entry.empty()) return;
    try {
      // Only the exception matters: the entries before the one that stopped
      // the extraction passed it, so none has a length to report.
      (void)pak.ExtractFile(index);
    } catch (const ETailpackError&) {
      entry = "entry " + std::to_string(index) + " \"" + pak.Files()[index].Name + "\"";
    }
  });
  if (entry.empty()) entry = "an entry";
  return entry + " of group " + std::to_string(group) + " cannot be inflated: " + error.what();
}

int RunExtract(const TExtractOptions& options) {
  TPak pak;
  if (int code = OpenArchive(options.Archive, pak); code != kToolExitSuccess) return code;

  std::set<uint16_t> groups;
  for (const TPakFile& entry : pak.Files())
    if (!options.Group || entry.Group == *options.Group) groups.insert(entry.Group);
  if (options.Group && groups.empty()) {
    PrintError("group " + std::to_string(*options.Group) + " has no entries in \"" + options.Archive + "\"");
    return kToolExitExtractFailed;
  }

  // Every name is checked before anything is written, so a refused archive
  // leaves the output folder untouched.
  bool allSafe = true;
  for (const TPakFile& entry : pak.Files()) {
    if (!groups.count(entry.Group)) continue;
    if (TStatus check = CheckEntryName(entry.Name); !check) {
      PrintError(TerminalText(check.Message()) + " (group " + std::to_string(entry.Group) + ")");
      allSafe = false;
    }
  }
  if (!allSafe) {
    PrintError("nothing extracted");
    return kToolExitExtractFailed;
  }

  auto output = WindowsPathFromHost(options.Output);
  if (!output) {
    PrintError("\"" + options.Output + "\" lies on no mapped drive");
    return kToolExitExtractFailed;
  }
  CreateFolderChain(*output, nullptr);
  if (!Files().FolderExists(*output)) {
    PrintError("cannot create the folder \"" + options.Output + "\"");
    return kToolExitExtractFailed;
  }

  TTerminalStatus status(IsTerminal(TStandardStream::Output));
  TStatusLineReporter reporter(status);
  pak.SetProgress(&reporter);
  pak.SetStatusTemplate([] { return std::u16string(u"Extracting <%FILENAME%>"); });
  uint32_t extracted = 0;
  for (uint16_t group : groups) {
    std::string folder = options.Group ? *output : EntryTargetPath(*output, "group-" + std::to_string(group));
    TStatus result = TStatus::Success();
    try {
      // Nothing goes through a link planted anywhere below the output folder.
      result = pak.ExtractGroup(folder, group, *output);
    } catch (const ETailpackError& error) {
      result = TStatus::Failure(DescribeInflateFailure(pak, group, error));
    }
    ShowMessageIfAny(result.Notice(), kDecompSizeCaption);
    if (!result) {
      status.Finish();
      PrintError(TerminalText(result.Message()));
      return kToolExitExtractFailed;
    }
    extracted += pak.CountInGroup(group);
  }
  status.Finish();
  std::printf("Extracted %u entries from %zu group%s into %s\n", extracted, groups.size(),
              groups.size() == 1 ? "" : "s", HostText(options.Output).c_str());
  return kToolExitSuccess;
}

}  // namespace

void AddExtractCommand(CLI::App& app, int& exitCode) {
  auto options = std::make_shared<TExtractOptions>();
  CLI::App* command = app.add_subcommand(
      "extract", "Extract one group into DIR, or every group N into DIR/group-N");
  command->add_option("ARCHIVE", options->Archive, "Setup executable or archive file")->required();
  command->add_option("-o,--output", options->Output, "Folder to extract into (created when missing)")
      ->required();
  command->add_option("-g,--group", options->Group, "Extract only this group (0 is the setup's own material)")
      ->check(CLI::Range(0, 65535));
  command->callback([options, &exitCode] { exitCode = RunExtract(*options); });
}

}  // namespace tailpack
