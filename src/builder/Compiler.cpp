#include "builder/Compiler.h"

#include "archive/EntryName.h"
#include "platform/Platform.h"
#include "platform/TextCase.h"
#include "system/FileHelpers.h"

namespace tailpack {

void TCompilerFileList::Reset() {
  Groups.clear();
  EnsureGroup(0, "");
  AddedCount = 0;
  GroupCounter = 0;
  RegKeySlot = 0;
}

void TCompilerFileList::EnsureGroup(int32_t number, const std::string& name) {
  if (number < 0 || static_cast<size_t>(number) < Groups.size()) return;
  Groups.resize(static_cast<size_t>(number) + 1);
  Groups[static_cast<size_t>(number)].Name = LowerAnsi(name);
}

void TCompiler::Warn(const std::string& text) const {
  if (OnWarning) OnWarning(text);
}

void TCompiler::Log(const std::string& text) const {
  if (OnLog) OnLog(text);
}

void TCompiler::Fail(const std::string& message, int32_t line) {
  Error.Message = message;
  Error.Line = line;
  if (OnError) OnError(Error);
}

std::string TCompiler::ScriptRelative(const std::string& fullPath) const {
  std::string base = SourceFolder.empty() ? std::string() : IncludeTrailingBackslash(SourceFolder);
  return !base.empty() && StartsWithNoCase(fullPath, base) ? fullPath.substr(base.size()) : fullPath;
}

bool TCompiler::CheckListedName(const std::string& fullPath, const std::string& name) {
  // A host file system may hold names Windows refuses (a trailing dot, "?",
  // a tab, a "\" inside a name); such a file could never be installed.
  TStatus check = name.find('\\') != std::string::npos
                      ? TStatus::Failure("\"\\\" cannot be part of a file name")
                      : CheckEntryName(name);
  if (check) return true;
  std::string reason = check.Message();
  std::string generic = "Unsafe entry name \"" + name + "\": ";
  if (reason.rfind(generic, 0) == 0) reason = reason.substr(generic.size());
  Fail("\"" + ScriptRelative(fullPath) + "\" cannot be packed: its name is not a Windows file name (" + reason + ")");
  return false;
}

void TCompiler::AddPath(const std::string& path, int32_t group, const std::string& prefix, bool absolute,
                        const std::string& groupName) {
  FileList.EnsureGroup(group, groupName);
  std::string full = absolute || SourceFolder.empty() ? path : SourceFolder + "\\" + path;
  if (!Files().FolderExists(full)) {
    if (Files().FileExists(full)) AddSourceFile(full, ExtractFileName(full), prefix, group);
    return;
  }
  std::deque<std::string> queue{full};
  while (!queue.empty()) WalkFolder(queue, full, group, prefix);
}

std::string TCompiler::LayoutIconPath() const {
  std::string layout = Info.Pages;
  if (!layout.empty() && layout.back() != '\\' && layout.back() != '/') layout += '\\';
  return LowerAnsi(ProgramFolder + "\\layout\\" + layout + "icon.ico");
}

void TCompiler::WalkFolder(std::deque<std::string>& queue, const std::string& root, int32_t group,
                           const std::string& prefix) {
  std::string folder = queue.front();
  queue.pop_front();
  // The pattern is the folder's path and "*.*" with no separator between
  // them, so only a folder written with its trailing "\" is listed.
  if (folder.empty() || folder.back() != '\\') return;
  std::string icon = LayoutIconPath();
  for (const TFolderEntry& entry : Files().FindFiles(folder + "*.*")) {
    std::string full = folder + entry.Name;
    if (!CheckListedName(full, entry.Name)) continue;
    if (entry.IsFolder() && (entry.Attributes & kAttributeReparsePoint) != 0) {
      // A link to a folder may lead back up the tree and make the walk
      // endless; what it points to is not packed.
      Warn("the folder link \"" + ScriptRelative(full) + "\" is not followed: nothing below it is packed");
    } else if (entry.IsFolder()) {
      queue.push_back(full + "\\");
    } else if (LowerAnsi(full) != icon) {
      AddSourceFile(full, full.substr(root.size()), prefix, group);
    }
  }
}

void TCompiler::AddSourceFile(const std::string& source, const std::string& entryName, const std::string& prefix,
                              int32_t group) {
  if (!Files().FileExists(source)) return;
  Log("Adding To List " + entryName + " Current Count: " + std::to_string(FileList.AddedCount));
  FileList.EnsureGroup(group, "");
  const std::string& name = FileList.Groups[static_cast<size_t>(group)].Name;
  if (group != 0 && !name.empty()) {
    for (size_t other = 1; other < FileList.Groups.size(); ++other) {
      if (static_cast<int32_t>(other) == group || FileList.Groups[other].Name != name) continue;
      for (TFile& file : FileList.Groups[other].Files) {
        if (SameTextAnsi(file.EntryName, entryName)) {
          file.Source = source;
          file.EntryName = entryName;
          Warn("Replacing Previous Instance of " + entryName);
          if (OnFileAdded) OnFileAdded(file);
          return;
        }
      }
    }
  }
  int32_t target = group;
  if (group != 0 && !name.empty()) {
    for (size_t other = 1; other < FileList.Groups.size(); ++other) {
      if (FileList.Groups[other].Name == name) {
        target = static_cast<int32_t>(other);
        break;
      }
    }
  }
  FileList.Groups[static_cast<size_t>(target)].Files.push_back(TFile{source, prefix + entryName, target});
  ++FileList.AddedCount;
  if (OnFileAdded) OnFileAdded(FileList.Groups[static_cast<size_t>(target)].Files.back());
}

bool TCompiler::ResolveLabel(TCompLine& line, size_t index, bool zeroMeansNone) {
  if (index >= line.Params.size()) return false;
  std::string& label = line.Params[index];
  if (zeroMeansNone && label == "0") {
    label = "-1";
    return true;
  }
  for (const TCompLine& candidate : Lines.Lines) {
    if (candidate.CommandIndex == 0 && !candidate.Params.empty() && LowerAnsi(candidate.Params[0]) == LowerAnsi(label)) {
      label = std::to_string(candidate.Row);
      return true;
    }
  }
  // A target that is already a row number stands as it is.
  bool decimal = !label.empty() && label.find_first_not_of("0123456789", label[0] == '-' ? 1 : 0) == std::string::npos &&
                 label != "-";
  if (decimal) return true;
  Fail("Label not found - " + label, line.Row);
  return false;
}

}  // namespace tailpack
