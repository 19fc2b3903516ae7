// tailpack script: the compiled script of a setup, readably.

#include <cstdio>
#include <map>
#include <memory>

#include "CLI/CLI.hpp"
#include "app/tailpack/Commands.h"
#include "app/tailpack/ToolSupport.h"
#include "archive/Pak.h"
#include "archive/SetupEntryNames.h"
#include "base/Numbers.h"
#include "script/CommandList.h"
#include "script/CompLines.h"
#include "uninstall/Cipher.h"
#include "uninstall/CipherKeys.h"

namespace tailpack {

namespace {

struct TScriptOptions {
  std::string Archive;
};

std::string Quoted(const std::string& ansi) {
  std::string text = "\"";
  for (char c : TerminalText(ansi)) text += c == '"' ? std::string("\"\"") : std::string(1, c);
  return text + "\"";
}

// Which parameters of a command hold jump targets, and which are enciphered.
bool IsJumpTarget(const std::string& keyword, size_t index) {
  return (keyword == "goto" && index == 0) || (keyword == "iffileexists" && (index == 1 || index == 2)) ||
         (keyword == "messagebox" && (index == 2 || index == 3));
}

bool IsEnciphered(const std::string& keyword, size_t index) {
  return (keyword == "zrpupdate" || keyword == "zrpofficial") && index == 1;
}

std::string DescribeParameter(const TCompLine& line, const TCommandClass* command, size_t index,
                              const std::map<int32_t, std::string>& labels) {
  const std::string& value = line.Params[index];
  if (!command) return Quoted(value);
  if (IsEnciphered(command->Keyword, index))
    return "{enciphered " + Quoted(DecryptWithDigitKey(kArchiveUpdateKey, value)) + "}";
  if (command->FileKind() != 0 && index + 1 == line.Params.size()) return "[group " + value + "]";
  if (IsJumpTarget(command->Keyword, index)) {
    int32_t row = StrToIntOrMinus1(value);
    if (row < 0) return "(no jump)";
    auto label = labels.find(row);
    return "-> row " + value + (label != labels.end() ? " (" + TerminalText(label->second) + ")" : "");
  }
  return Quoted(value);
}

int RunScript(const TScriptOptions& options) {
  TPak pak;
  if (int code = OpenArchive(options.Archive, pak); code != kToolExitSuccess) return code;
  uint32_t size = 0;
  auto bytes = pak.FindFile(kCompiledLinesEntry, 0, size);
  ShowMessageIfAny(bytes.Message, kDecompSizeCaption);
  if (!bytes) {
    PrintError("the archive has no intact \"CompiledLines\" entry");
    return kToolExitUnreadable;
  }
  TCompLines script;
  if (TStatus loaded = script.LoadFromBuffer(bytes->data(), size); !loaded) {
    PrintError(loaded.Message());
    return kToolExitUnreadable;
  }
  TCommandList commands;
  RegisterCommands(commands);
  std::map<int32_t, std::string> labels;
  for (const TCompLine& line : script.Lines)
    if (line.CommandIndex == 0 && !line.Params.empty()) labels[line.Row] = line.Params[0];

  std::printf("%zu lines\n", script.Lines.size());
  for (const TCompLine& line : script.Lines) {
    const TCommandClass* command = commands.Find(line.CommandIndex);
    std::string text;
    if (line.CommandIndex == 0) {
      text = (line.Params.empty() ? std::string("(label)") : TerminalText(line.Params[0])) + ":";
    } else {
      text = command ? command->Keyword : "command " + std::to_string(line.CommandIndex) + " (unknown)";
      for (size_t i = 0; i < line.Params.size(); ++i) text += " " + DescribeParameter(line, command, i, labels);
    }
    std::printf("%5d  %s\n", line.Row, text.c_str());
  }
  return kToolExitSuccess;
}

}  // namespace

void AddScriptCommand(CLI::App& app, int& exitCode) {
  auto options = std::make_shared<TScriptOptions>();
  CLI::App* command = app.add_subcommand(
      "script", "Print the compiled script of a setup: rows, commands, parameters, jump targets and groups");
  command->add_option("SETUP", options->Archive, "Setup executable or archive file")->required();
  command->callback([options, &exitCode] { exitCode = RunScript(*options); });
}

}  // namespace tailpack
