#include "builder/SetupPlan.h"

#include <algorithm>
#include <map>

#include "archive/EntryName.h"
#include "base/FileHelpers.h"
#include "base/Text.h"
#include "builder/SourceScript.h"
#include "platform/Platform.h"
#include "script/CommandList.h"
#include "script/commands/InfoCommands.h"
#include "setup/SetupInfo.h"

namespace tailpack {

namespace {

uint64_t FileSize(const std::string& path) {
  auto file = Files().Open(path, TFileMode::OpenRead, TFileShare::Read);
  return file ? file->Size().value_or(0) : 0;
}

// Every file below Folder (ending in "\"), names relative to it, in a stable order.
void ListFiles(const std::string& folder, const std::string& relative, std::vector<std::string>& names) {
  for (const TFolderEntry& entry : Files().FindFiles(folder + relative + "*")) {
    if (entry.IsFolder()) ListFiles(folder, relative + entry.Name + "\\", names);
    else names.push_back(relative + entry.Name);
  }
}

class TPlanner {
 public:
  explicit TPlanner(TSetupPlan& plan) : plan_(plan), compiler_(plan.Compiler) {}

  void Run();

 private:
  void Error(int line, const std::string& text) { plan_.Errors.push_back(TBuildMessage{line, text}); }
  void Warning(int line, const std::string& text) { plan_.Warnings.push_back(TBuildMessage{line, text}); }
  int SourceLine(int32_t row) const {
    return row >= 0 && static_cast<size_t>(row) < rowLines_.size() ? rowLines_[static_cast<size_t>(row)] : 0;
  }

  void CollectLines(const TSourceScript& source);
  void CompileLines();
  void CheckSources(const TCompLine& line, const TCommandClass& command, int lineNumber);
  void PlanEntries();
  void AddLayout(const std::string& layout, const std::string& prefix, bool keepIcon);
  void AddEntry(const std::string& name, uint16_t group, const std::string& source);

  TSetupPlan& plan_;
  TCompiler& compiler_;
  TCommandList commands_;
  std::vector<int> rowLines_;
  int currentLine_ = 0;
  std::string folder_;
};

void TPlanner::Run() {
  folder_ = ExtractFileDir(plan_.ScriptPath);
  auto text = TryReadWholeFile(plan_.ScriptPath);
  if (!text) {
    Error(0, "cannot read the script");
    return;
  }
  TSourceScript source = ParseSourceScript(*text);
  for (const TSourceError& error : source.Errors) Error(error.LineNumber, error.Message);

  RegisterCommands(commands_);
  compiler_.SourceFolder = folder_;
  compiler_.ProgramFolder = folder_;
  compiler_.OnWarning = [this](const std::string& text) { Warning(currentLine_, text); };
  CollectLines(source);
  if (!plan_.Ok()) return;
  CompileLines();
  if (!plan_.Ok()) return;
  PlanEntries();
  if (!compiler_.Info.SetupExeName.empty()) {
    const std::string& out = compiler_.Info.SetupExeName;
    plan_.OutFile = IsAbsoluteDrivePath(out) || out.rfind("\\\\", 0) == 0 ? out : folder_ + "\\" + out;
  }
}

void TPlanner::CollectLines(const TSourceScript& source) {
  for (const TSourceLine& line : source.Lines) {
    if (line.IsLabel) {
      compiler_.Lines.Append(0, {line.Keyword});
    } else {
      int32_t index = commands_.IndexOfKeyword(line.Keyword);
      if (index == 0) {
        Error(line.LineNumber, "unknown command \"" + line.Keyword + "\"");
        continue;
      }
      compiler_.Lines.Append(index, line.Params);
    }
    rowLines_.push_back(line.LineNumber);
  }
  if (compiler_.Lines.Lines.size() > 0xFFFF) Error(0, "the script has more than 65,535 lines");
}

void TPlanner::CompileLines() {
  for (size_t row = 0; row < compiler_.Lines.Lines.size(); ++row) {
    const TCompLine& line = compiler_.Lines.Lines[row];
    TCommandClass* command = commands_.Find(line.CommandIndex);
    if (!command) continue;  // a label line
    currentLine_ = rowLines_[row];
    if (!command->Compile(compiler_, static_cast<int32_t>(row))) {
      Error(currentLine_, "\"" + command->Keyword + "\" needs at least " + std::to_string(command->MinParams) +
                              " parameter" + (command->MinParams == 1 ? "" : "s"));
      continue;
    }
    if (!compiler_.Error.Message.empty()) {
      Error(SourceLine(compiler_.Error.Line), compiler_.Error.Message);
      compiler_.Error = TCompilerError{};
      continue;
    }
    CheckSources(compiler_.Lines.Lines[row], *command, currentLine_);
  }
}

// The compile steps pack nothing for a source that is missing or a folder
// written without its trailing "\"; a person building a setup wants to know.
void TPlanner::CheckSources(const TCompLine& line, const TCommandClass& command, int lineNumber) {
  if (command.FileKind() != 0) {
    const std::string& source = line.Params[0];
    std::string full = folder_ + "\\" + source;
    if (Files().FolderExists(full) && (source.empty() || source.back() != '\\'))
      Error(lineNumber, "the folder \"" + source + "\" must end with \"\\\" to be packed");
    else if (!Files().Exists(full))
      Error(lineNumber, "the source \"" + source + "\" does not exist");
  } else if (command.Keyword == "language" || command.Keyword == "uninstalllanguage") {
    std::string file = TLanguageFileCommand::LanguageFile(compiler_, line.Params[0]);
    if (!Files().FileExists(file)) Error(lineNumber, "the language file \"" + file + "\" does not exist");
  } else if (command.Keyword == "changelog") {
    if (!Files().FileExists(folder_ + "\\" + line.Params[0]))
      Error(lineNumber, "the change log \"" + line.Params[0] + "\" does not exist");
  }
}

void TPlanner::AddEntry(const std::string& name, uint16_t group, const std::string& source) {
  TStatus valid = CheckEntryName(name);
  if (!valid) {
    Error(0, valid.Message());
    return;
  }
  TPlannedEntry entry;
  entry.Name = name;
  entry.Group = group;
  entry.Source = source;
  entry.Size = FileSize(source);
  plan_.Entries.push_back(std::move(entry));
}

void TPlanner::AddLayout(const std::string& layout, const std::string& prefix, bool keepIcon) {
  std::string folder = folder_ + "\\layout\\" + layout + "\\";
  if (!Files().FileExists(folder + "Pages.txt")) {
    Error(0, "the layout folder \"" + folder + "\" has no \"Pages.txt\"");
    return;
  }
  std::vector<std::string> names;
  ListFiles(folder, "", names);
  for (const std::string& name : names) {
    if (SameTextAnsi(name, "icon.ico")) {
      // The uninstaller's icon replaces the icon of the uninstaller program.
      if (keepIcon) AddEntry(prefix + "ICON.ICO", 0, folder + name);
      continue;
    }
    AddEntry(prefix + name, 0, folder + name);
  }
}

void TPlanner::PlanEntries() {
  const TSetupInfo& info = compiler_.Info;
  TPlannedEntry setupInfo{"SetupInfo", 0, "", SerializeSetupInfo(info), 0};
  setupInfo.Size = setupInfo.Data.size();
  plan_.Entries.push_back(std::move(setupInfo));
  TPlannedEntry lines{"CompiledLines", 0, "", compiler_.Lines.Serialize(), 0};
  lines.Size = lines.Data.size();
  plan_.Entries.push_back(std::move(lines));
  // Languages come before any other material: start-up stops reading group
  // 0 for languages at the first entry without data.
  for (const TFile& file : compiler_.FileList.Groups[0].Files) AddEntry(file.EntryName, 0, file.Source);
  if (!info.Changelog.empty()) AddEntry(info.Changelog, 0, folder_ + "\\" + info.Changelog);
  if (!info.Pages.empty()) AddLayout(info.Pages, "", false);
  if (!info.UninstallPages.empty()) AddLayout(info.UninstallPages, "UNINSTALL_", true);
  for (size_t group = 1; group < compiler_.FileList.Groups.size(); ++group)
    for (const TFile& file : compiler_.FileList.Groups[group].Files)
      AddEntry(file.EntryName, static_cast<uint16_t>(group), file.Source);
  if (plan_.Entries.size() > 65535) Error(0, "the setup would hold more than 65,535 entries");
}

}  // namespace

TSetupPlan PlanSetup(const std::string& scriptPath) {
  TSetupPlan plan;
  plan.ScriptPath = scriptPath;
  TPlanner(plan).Run();
  return plan;
}

}  // namespace tailpack
