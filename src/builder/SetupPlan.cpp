#include "builder/SetupPlan.h"

#include <algorithm>
#include <map>
#include <optional>
#include <set>

#include "archive/EntryName.h"
#include "archive/Pak.h"
#include "archive/SetupEntryNames.h"
#include "base/Numbers.h"
#include "builder/CompileSteps.h"
#include "builder/SourceScript.h"
#include "platform/Platform.h"
#include "platform/TextCase.h"
#include "script/CommandList.h"
#include "setupinfo/SetupInfo.h"
#include "system/FileHelpers.h"

namespace tailpack {

namespace {

// Texts of the compiled script and the setup information are pak strings,
// and the compiled script counts its lines in 16 bits.
constexpr size_t kMaxText = 65535;
constexpr size_t kMaxLines = 65535;
// Entry sizes and offsets are 32-bit.
constexpr uint64_t kMaxEntrySize = 0xFFFFFFFFull;

std::string Thousands(uint64_t value) {
  std::string digits = std::to_string(value);
  for (size_t at = digits.size(); at > 3; at -= 3) digits.insert(at - 3, ",");
  return digits;
}

// "1", "1 or 2", "1, 2 or 7".
std::string CountsText(const std::vector<int32_t>& counts) {
  std::string text;
  for (size_t i = 0; i < counts.size(); ++i) {
    if (i > 0) text += i + 1 == counts.size() ? " or " : ", ";
    text += std::to_string(counts[i]);
  }
  return text;
}

std::string TooLong(const std::string& what, size_t size) {
  return what + " is " + Thousands(size) + " bytes long; the setup format holds at most " + Thousands(kMaxText) +
         " bytes per text";
}

// The text fields of the setup information, named as the script sets them.
std::vector<std::pair<std::string, const std::string*>> SetupInfoTexts(const TSetupInfo& info) {
  std::vector<std::pair<std::string, const std::string*>> texts = {
      {"the setup's name", &info.SetupName},
      {"the setup's short name", &info.ShortName},
      {"the output file name", &info.SetupExeName},
      {"the uninstaller's file name", &info.UninstallExeName},
      {"the uninstall log's prefix", &info.UninstallPrefix},
      {"the installation folder", &info.InstallDir},
      {"the change log's name", &info.Changelog},
      {"the wizard layout's name", &info.Pages},
      {"the uninstaller layout's name", &info.UninstallPages}};
  for (const TREGKEY& key : info.InstallDirRegKeys) {
    texts.emplace_back("the registry key of \"installdirregkey\"", &key.Path);
    texts.emplace_back("the value name of \"installdirregkey\"", &key.Key);
  }
  return texts;
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
  // A path as the script would name it: relative to the script's folder
  // when it lies below it.
  std::string Shown(const std::string& path) const {
    std::string base = folder_ + "\\";
    return StartsWithNoCase(path, base) ? path.substr(base.size()) : path;
  }
  static std::string EntryKey(int32_t group, const std::string& name) {
    return std::to_string(group) + "\n" + LowerAnsi(name);
  }

  void BindCompiler();
  void CollectLines(const TSourceScript& source);
  void CompileLines();
  void CompileLine(size_t row);
  void CheckSources(const TCompLine& line, const TCommandClass& command, int lineNumber);
  void CheckSetupInfo(const TSetupInfo& before, int lineNumber);
  void CheckTextLengths();
  void WarnEndlessJumps();
  void PlanEntries();
  void ListLayout(const std::string& folder, const std::string& relative, int lineNumber,
                  std::vector<std::string>& names);
  void AddLayout(const std::string& layout, const std::string& prefix, bool keepIcon, int lineNumber);
  void AddEntry(const std::string& name, uint16_t group, const std::string& source, int lineNumber);

  TSetupPlan& plan_;
  TCompiler& compiler_;
  TCommandList commands_;
  std::vector<int> rowLines_;
  int currentLine_ = 0;
  std::string folder_;
  // Which line added (or last replaced) each file of the compiler's groups.
  std::map<std::string, int> entryLines_;
  // The lines whose setup information decides the group-0 material.
  int pagesLine_ = 0;
  int uninstallPagesLine_ = 0;
  int changelogLine_ = 0;
  bool tooManyEntries_ = false;
  // The groups whose files go into data or VFS archives: the setup updates
  // those from entries held whole in memory, so no entry may be large.
  std::set<int32_t> updateGroups_;
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
  BindCompiler();
  CollectLines(source);
  if (plan_.Ok()) {
    CompileLines();
    CheckTextLengths();
    WarnEndlessJumps();
  }
  if (plan_.Ok()) PlanEntries();
  if (plan_.Ok() && !compiler_.Info.SetupExeName.empty()) {
    const std::string& out = compiler_.Info.SetupExeName;
    plan_.OutFile = IsAbsoluteDrivePath(out) || out.rfind("\\\\", 0) == 0 ? out : folder_ + "\\" + out;
  }
  auto byLine = [](const TBuildMessage& a, const TBuildMessage& b) { return a.LineNumber < b.LineNumber; };
  std::stable_sort(plan_.Errors.begin(), plan_.Errors.end(), byLine);
  std::stable_sort(plan_.Warnings.begin(), plan_.Warnings.end(), byLine);
}

void TPlanner::BindCompiler() {
  compiler_.SourceFolder = folder_;
  compiler_.ProgramFolder = folder_;
  compiler_.OnWarning = [this](const std::string& text) { Warning(currentLine_, text); };
  compiler_.OnError = [this](const TCompilerError& error) {
    Error(error.Line >= 0 ? SourceLine(error.Line) : currentLine_, error.Message);
  };
  compiler_.OnFileAdded = [this](const TFile& file) { entryLines_[EntryKey(file.Group, file.EntryName)] = currentLine_; };
}

void TPlanner::CollectLines(const TSourceScript& source) {
  for (const TSourceLine& line : source.Lines) {
    if (compiler_.Lines.Lines.size() == kMaxLines) {
      Error(line.LineNumber, "a setup script holds at most " + Thousands(kMaxLines) +
                                 " lines (labels included, comments and blank lines not); this is one more");
      return;
    }
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
}

void TPlanner::CompileLines() {
  for (size_t row = 0; row < compiler_.Lines.Lines.size(); ++row) CompileLine(row);
}

void TPlanner::CompileLine(size_t row) {
  const TCompLine& line = compiler_.Lines.Lines[row];
  TCommandClass* command = commands_.Find(line.CommandIndex);
  if (!command) return;  // a label line
  currentLine_ = rowLines_[row];
  size_t written = line.Params.size();
  std::optional<TSetupInfo> before;
  if (command->SetupInfoOnly) before = compiler_.Info;
  size_t errorsBefore = plan_.Errors.size();
  if (!CompileCommand(compiler_, *command, static_cast<int32_t>(row))) {
    Error(currentLine_, "\"" + command->Keyword + "\" needs at least " + std::to_string(command->MinParams) +
                            " parameter" + (command->MinParams == 1 ? "" : "s"));
    return;
  }
  compiler_.Error = TCompilerError{};
  std::vector<int32_t> forms = command->RunnableParamCounts();
  if (!forms.empty() && std::find(forms.begin(), forms.end(), static_cast<int32_t>(written)) == forms.end()) {
    // The setup knows these forms only and skips any other line with a
    // message box; the person building it should hear of it first.
    Warning(currentLine_, "\"" + command->Keyword + "\" takes " + CountsText(forms) + " parameters, not " +
                              std::to_string(written) + ": the setup will show \"" + command->ParamCountComplaint() +
                              "\" and install nothing for this line");
  }
  switch (command->SetupInfoField()) {
    case TSetupInfoField::Pages: pagesLine_ = currentLine_; break;
    case TSetupInfoField::UninstallPages: uninstallPagesLine_ = currentLine_; break;
    case TSetupInfoField::Changelog: changelogLine_ = currentLine_; break;
    default: break;
  }
  if (command->FileKind() == 2) {
    // The compile step appended the group's number.
    const std::vector<std::string>& params = compiler_.Lines.Lines[row].Params;
    if (auto group = params.empty() ? std::nullopt : ParseInteger(params.back())) updateGroups_.insert(*group);
  }
  if (before) CheckSetupInfo(*before, currentLine_);
  if (plan_.Errors.size() == errorsBefore) CheckSources(compiler_.Lines.Lines[row], *command, currentLine_);
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
  } else if (!command.LanguageEntryPrefix().empty()) {
    std::string file = LanguageSourceFile(compiler_, line.Params[0]);
    if (!Files().FileExists(file)) Error(lineNumber, "the language file \"" + Shown(file) + "\" does not exist");
  } else if (command.SetupInfoField() == TSetupInfoField::Changelog) {
    if (!Files().FileExists(folder_ + "\\" + line.Params[0]))
      Error(lineNumber, "the change log \"" + line.Params[0] + "\" does not exist");
  }
}

// A meta line that makes a field of the setup information longer than a pak
// string can hold ("prefix" adds "_Uninstall.exe" to its text, for example).
void TPlanner::CheckSetupInfo(const TSetupInfo& before, int lineNumber) {
  auto old = SetupInfoTexts(before);
  auto now = SetupInfoTexts(compiler_.Info);
  for (size_t i = 0; i < now.size(); ++i) {
    if (*now[i].second != *old[i].second && now[i].second->size() > kMaxText) {
      Error(lineNumber, TooLong(now[i].first, now[i].second->size()));
      return;
    }
  }
}

// Every parameter travels as a pak string; a longer one would be cut.
void TPlanner::CheckTextLengths() {
  const auto& lines = compiler_.Lines.Lines;
  for (size_t row = 0; row < lines.size(); ++row) {
    const TCompLine& line = lines[row];
    for (size_t i = 0; i < line.Params.size(); ++i) {
      if (line.Params[i].size() <= kMaxText) continue;
      Error(SourceLine(static_cast<int32_t>(row)),
            TooLong(line.CommandIndex == 0 ? std::string("the label's name") : "parameter " + std::to_string(i + 1),
                    line.Params[i].size()));
    }
  }
}

// A "goto" that, through labels and other "goto" lines only, lands on itself
// again never lets the setup end.
void TPlanner::WarnEndlessJumps() {
  const auto& lines = compiler_.Lines.Lines;
  auto isGoto = [&](size_t row) {
    const TCommandClass* command = commands_.Find(lines[row].CommandIndex);
    return command && command->AlwaysJumps() && !lines[row].Params.empty();
  };
  // The next line that runs after a goto at Row: the one after its target
  // (or after the goto itself when it has none), labels skipped.
  auto nextRun = [&](size_t row) {
    int32_t target = StrToIntOrMinus1(lines[row].Params[0]);
    size_t next = target >= 0 ? static_cast<size_t>(target) + 1 : row + 1;
    while (next < lines.size() && lines[next].CommandIndex <= 0) ++next;
    return next;
  };
  std::vector<bool> reported(lines.size(), false);
  for (size_t start = 0; start < lines.size(); ++start) {
    if (!isGoto(start) || reported[start]) continue;
    std::set<size_t> visited{start};
    std::vector<size_t> chain{start};
    for (size_t next = nextRun(start); next < lines.size() && isGoto(next); next = nextRun(next)) {
      if (next == start) {
        Warning(SourceLine(static_cast<int32_t>(start)),
                "this \"goto\" comes back to itself without any command in between: the setup would never end");
        for (size_t row : chain) reported[row] = true;
        break;
      }
      if (!visited.insert(next).second) break;  // a loop elsewhere; its own lines report it
      chain.push_back(next);
    }
  }
}

void TPlanner::AddEntry(const std::string& name, uint16_t group, const std::string& source, int lineNumber) {
  if (TStatus valid = CheckEntryName(name); !valid) {
    Error(lineNumber, valid.Message());
    return;
  }
  if (name.size() > kMaxPakNameLength) {
    Error(lineNumber, TooLong("the entry name \"" + name.substr(0, 64) + "...\"", name.size()));
    return;
  }
  auto file = Files().Open(source, TFileMode::OpenRead, TFileShare::Read);
  auto size = file ? file->Size() : std::nullopt;
  if (!size) {
    Error(lineNumber, "cannot read \"" + Shown(source) + "\"");
    return;
  }
  if (*size > kMaxEntrySize) {
    Error(lineNumber, "\"" + Shown(source) + "\" is " + Thousands(*size) +
                          " bytes; an entry of a setup holds less than 4 GiB");
    return;
  }
  if (*size >= kLargeFileLimit && updateGroups_.count(group) != 0) {
    Error(lineNumber, "\"" + Shown(source) + "\" is " + Thousands(*size) +
                          " bytes; files of 70 MiB and more cannot go into an archive update");
    return;
  }
  if (plan_.Entries.size() >= kMaxPakEntries) {
    if (!tooManyEntries_)
      Error(lineNumber, "the setup would hold more than " + Thousands(kMaxPakEntries) + " entries: \"" + name +
                            "\" would be entry " + Thousands(plan_.Entries.size() + 1));
    tooManyEntries_ = true;
    return;
  }
  TPlannedEntry entry;
  entry.Name = name;
  entry.Group = group;
  entry.Source = source;
  entry.Size = *size;
  entry.LineNumber = lineNumber;
  plan_.Entries.push_back(std::move(entry));
}

// Every file below Folder (ending in "\"), names relative to it, in a stable
// order. Links to folders are not followed: one pointing up the tree would
// make the listing endless.
void TPlanner::ListLayout(const std::string& folder, const std::string& relative, int lineNumber,
                          std::vector<std::string>& names) {
  for (const TFolderEntry& entry : Files().FindFiles(folder + relative + "*")) {
    if (entry.IsFolder() && (entry.Attributes & kAttributeReparsePoint) != 0)
      Warning(lineNumber, "the folder link \"" + Shown(folder + relative + entry.Name) +
                              "\" is not followed: nothing below it is packed");
    else if (entry.IsFolder())
      ListLayout(folder, relative + entry.Name + "\\", lineNumber, names);
    else
      names.push_back(relative + entry.Name);
  }
}

void TPlanner::AddLayout(const std::string& layout, const std::string& prefix, bool keepIcon, int lineNumber) {
  std::string folder = folder_ + "\\layout\\" + layout + "\\";
  if (!Files().FileExists(folder + kPagesEntry)) {
    Error(lineNumber, "the layout folder \"" + Shown(folder) + "\" has no \"" + std::string(kPagesEntry) + "\"");
    return;
  }
  std::vector<std::string> names;
  ListLayout(folder, "", lineNumber, names);
  for (const std::string& name : names) {
    if (SameTextAnsi(name, "icon.ico")) {
      // The uninstaller's icon replaces the icon of the uninstaller program.
      if (keepIcon) AddEntry(kUninstallIconEntry, 0, folder + name, lineNumber);
      continue;
    }
    AddEntry(prefix + name, 0, folder + name, lineNumber);
  }
}

void TPlanner::PlanEntries() {
  const TSetupInfo& info = compiler_.Info;
  TPlannedEntry setupInfo{kSetupInfoEntry, 0, "", SerializeSetupInfo(info), 0, 0};
  setupInfo.Size = setupInfo.Data.size();
  plan_.Entries.push_back(std::move(setupInfo));
  TPlannedEntry lines{kCompiledLinesEntry, 0, "", compiler_.Lines.Serialize(), 0, 0};
  lines.Size = lines.Data.size();
  plan_.Entries.push_back(std::move(lines));
  auto lineOf = [this](int32_t group, const std::string& name) {
    auto found = entryLines_.find(EntryKey(group, name));
    return found != entryLines_.end() ? found->second : 0;
  };
  // Languages come before any other material: start-up stops reading group
  // 0 for languages at the first entry without data.
  for (const TFile& file : compiler_.FileList.Groups[0].Files)
    AddEntry(file.EntryName, 0, file.Source, lineOf(0, file.EntryName));
  if (!info.Changelog.empty()) AddEntry(info.Changelog, 0, folder_ + "\\" + info.Changelog, changelogLine_);
  if (!info.Pages.empty()) AddLayout(info.Pages, "", false, pagesLine_);
  if (!info.UninstallPages.empty()) AddLayout(info.UninstallPages, kUninstallEntryPrefix, true, uninstallPagesLine_);
  for (size_t group = 1; group < compiler_.FileList.Groups.size(); ++group)
    for (const TFile& file : compiler_.FileList.Groups[group].Files)
      AddEntry(file.EntryName, static_cast<uint16_t>(group), file.Source,
               lineOf(static_cast<int32_t>(group), file.EntryName));
}

}  // namespace

TSetupPlan PlanSetup(const std::string& scriptPath) {
  TSetupPlan plan;
  plan.ScriptPath = scriptPath;
  TPlanner(plan).Run();
  return plan;
}

}  // namespace tailpack
