// tailpack verify: checks every entry the way the setup does at start-up.

#include <cstdio>
#include <memory>

#include "CLI/CLI.hpp"
#include "app/tailpack/Commands.h"
#include "app/tailpack/ToolSupport.h"
#include "archive/Pak.h"
#include "archive/Verification.h"
#include "base/Errors.h"
#include "base/Numbers.h"
#include "platform/Terminal.h"
#include "system/MessageBoxes.h"

namespace tailpack {

namespace {

struct TVerifyOptions {
  std::string Archive;
};

void ReportFailure(const TPak& pak, uint32_t index) {
  // The setup's own wording, so both name a broken entry alike.
  PrintError("Error: Verification Failed. Setup is corrupt. ID: " + std::to_string(index) +
             " Filename: " + TerminalText(pak.Files()[index].Name));
}

int RunVerify(const TVerifyOptions& options) {
  TPak pak;
  if (int code = OpenArchive(options.Archive, pak); code != kToolExitSuccess) return code;
  TTerminalStatus status(IsTerminal(TStandardStream::Output));
  // The entry being checked is the one after the last that passed.
  uint32_t nextIndex = 0;
  TVerificationResult result;
  try {
    result = VerifyArchive(pak, [&](uint32_t index, uint32_t count, const TPakFile& entry) {
      nextIndex = index + 1;
      status.Show("Verified " + std::to_string(index + 1) + " of " + std::to_string(count) + ": " +
                  TerminalText(entry.Name));
    });
  } catch (const EDecompressionError&) {
    result.FailedIndex = nextIndex;
  }
  ShowMessageIfAny(result.Message, kDecompSizeCaption);
  status.Finish();
  if (result.FailedIndex) {
    ReportFailure(pak, *result.FailedIndex);
    return kToolExitCheckFailed;
  }
  std::printf("OK: %u entries verified; data groups hold %llu bytes (%s)\n", pak.FileCount(),
              static_cast<unsigned long long>(result.GroupedSize), FormatSize(result.GroupedSize).c_str());
  return kToolExitSuccess;
}

}  // namespace

void AddVerifyCommand(CLI::App& app, int& exitCode) {
  auto options = std::make_shared<TVerifyOptions>();
  CLI::App* command = app.add_subcommand(
      "verify", "Check every entry of a setup archive against its CRC-32 (entries of 70 MiB and more are not read)");
  command->add_option("ARCHIVE", options->Archive, "Setup executable or archive file")->required();
  command->callback([options, &exitCode] { exitCode = RunVerify(*options); });
}

}  // namespace tailpack
