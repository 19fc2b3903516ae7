// tailpack build: a setup script in, a setup executable out.

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <thread>

#include "CLI/CLI.hpp"
#include "app/tailpack/Commands.h"
#include "app/tailpack/ToolSupport.h"
#include "base/Numbers.h"
#include "builder/SetupPlan.h"
#include "builder/SetupWriter.h"
#include "platform/HostPaths.h"
#include "platform/Interruption.h"
#include "platform/Platform.h"
#include "platform/Terminal.h"
#include "system/FileHelpers.h"

namespace tailpack {

namespace {

struct TBuildOptions {
  std::string Script;
  std::string Output;
  std::string Stub;
  bool NoStub = false;
  unsigned Threads = 0;
};

// The stub when none is named: the Windows x86-64 runtime beside the tool (or
// in the win64 build of the same tree), else the native runtime beside it.
std::optional<std::string> DefaultStub() {
  if (const char* chosen = std::getenv("TAILPACK_STUB"); chosen && *chosen) return WindowsPathFromHost(chosen);
  std::string toolFolder = ExtractFileDir(System().ExecutablePath());
  for (const std::string& candidate :
       {toolFolder + "\\tailpack-setup-win64.exe", toolFolder + "\\tailpack-setup.exe",
        toolFolder + "\\..\\..\\win64\\src\\tailpack-setup.exe", toolFolder + "\\tailpack-setup"}) {
    if (Files().FileExists(candidate)) return candidate;
  }
  return std::nullopt;
}

// "SCRIPT(LINE): error: message", or "SCRIPT: ..." for the script as a whole.
void PrintMessage(const std::string& script, const TBuildMessage& message, const char* kind) {
  std::string where = HostText(script);
  if (message.LineNumber > 0) where += "(" + std::to_string(message.LineNumber) + ")";
  std::fprintf(stderr, "%s: %s%s\n", where.c_str(), kind, TerminalText(message.Text).c_str());
}

void PrintMessages(const std::string& script, const std::vector<TBuildMessage>& messages, const char* kind) {
  for (const TBuildMessage& message : messages) PrintMessage(script, message, kind);
}

std::string ProgressLine(const TBuildProgress& progress, double seconds) {
  double rate = seconds > 0 ? static_cast<double>(progress.BytesDone) / seconds : 0;
  return "Packed " + std::to_string(progress.EntriesDone) + " of " + std::to_string(progress.EntryCount) +
         " entries, " + FormatSize(progress.BytesDone) + " of " + FormatSize(progress.ByteCount) + " (" +
         FormatSize(static_cast<uint64_t>(rate)) + "/s)";
}

int RunBuild(const TBuildOptions& options) {
  auto script = WindowsPathFromHost(options.Script);
  if (!script || !Files().FileExists(*script)) {
    PrintError("cannot find the script \"" + HostText(options.Script) + "\"");
    return kToolExitScriptErrors;
  }
  TSetupPlan plan = PlanSetup(*script);
  PrintMessages(options.Script, plan.Warnings, "warning: ");
  PrintMessages(options.Script, plan.Errors, "error: ");
  if (!plan.Ok()) return kToolExitScriptErrors;

  TWriteOptions write;
  write.Threads = options.Threads;
  if (!options.Output.empty()) {
    auto output = WindowsPathFromHost(options.Output);
    if (!output) {
      PrintError("\"" + HostText(options.Output) + "\" lies on no mapped drive");
      return kToolExitWriteFailed;
    }
    write.OutputPath = *output;
  } else if (!plan.OutFile.empty()) {
    write.OutputPath = plan.OutFile;
  } else {
    PrintError("no output file: give -o or an \"outfile\" line in the script");
    return kToolExitScriptErrors;
  }
  if (!options.NoStub) {
    auto stub = options.Stub.empty() ? DefaultStub() : WindowsPathFromHost(options.Stub);
    if (!stub || !Files().FileExists(*stub)) {
      PrintError(options.Stub.empty() ? "no tailpack-setup stub found beside the tool: name one with --stub"
                                      : "cannot find the stub \"" + HostText(options.Stub) + "\"");
      return kToolExitWriteFailed;
    }
    write.StubPath = *stub;
  }

  TTerminalStatus status(IsTerminal(TStandardStream::Output));
  auto started = std::chrono::steady_clock::now();
  write.OnProgress = [&](const TBuildProgress& progress) {
    std::chrono::duration<double> elapsed = std::chrono::steady_clock::now() - started;
    status.Show(ProgressLine(progress, elapsed.count()));
  };
  // From here on Ctrl-C lets the writer remove its half-written file first.
  CatchInterruptions();
  write.StopRequested = InterruptionRequested;
  TWriteResult written = WriteSetup(plan, write);
  status.Finish();
  if (written.Interrupted) {
    PrintError(written.Status.Message());
    return kToolExitInterrupted;
  }
  if (!written) {
    // Entries name the line that asked for them; a full disk or a thread
    // that cannot start concern no line.
    if (written.LineNumber > 0)
      PrintMessage(options.Script, TBuildMessage{written.LineNumber, written.Status.Message()}, "error: ");
    else
      PrintError(TerminalText(written.Status.Message()));
    return written.ScriptError ? kToolExitScriptErrors : kToolExitWriteFailed;
  }
  uint64_t bytes = 0;
  for (const auto& entry : plan.Entries) bytes += entry.Size;
  std::printf("Built %s: %zu entries, %s\n", TerminalText(HostPathFromWindows(write.OutputPath).value_or(write.OutputPath)).c_str(),
              plan.Entries.size(), FormatSize(bytes).c_str());
  return kToolExitSuccess;
}

}  // namespace

void AddBuildCommand(CLI::App& app, int& exitCode) {
  auto options = std::make_shared<TBuildOptions>();
  CLI::App* command = app.add_subcommand(
      "build", "Build a setup executable from a setup script (see docs/script-language.md)");
  command->add_option("SCRIPT", options->Script, "The setup script")->required();
  command->add_option("-o,--output", options->Output, "The setup to write (default: the script's \"outfile\")");
  command->add_option("--stub", options->Stub,
                      "The tailpack-setup program to append the archive to (default: the Windows x86-64 "
                      "runtime beside the tool, else the native one; or $TAILPACK_STUB)");
  command->add_flag("--no-stub", options->NoStub, "Write the archive alone, without a program in front");
  command->add_option("-j,--threads", options->Threads,
                      "Packing threads (default: one per processor; at most twice the processors and one per "
                      "entry are started)");
  command->callback([options, &exitCode] { exitCode = RunBuild(*options); });
}

}  // namespace tailpack
