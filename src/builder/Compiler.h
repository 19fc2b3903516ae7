#pragma once
// What the commands' compile steps work on: the script lines being compiled,
// the setup information being filled and the files that go into each data
// group of the archive being built.

#include <cstdint>
#include <deque>
#include <functional>
#include <string>
#include <vector>

#include "script/CompLines.h"
#include "setupinfo/SetupInfo.h"

namespace tailpack {

struct TCompilerError {
  std::string Message;
  int32_t Line = -1;
};

// One file to pack.
struct TFile {
  std::string Source;     // full path of the file
  std::string EntryName;  // the archive entry's name
  int32_t Group = 0;
};

struct TGroup {
  std::string Name;  // lower case; empty for unnamed groups
  std::vector<TFile> Files;
};

class TCompilerFileList {
 public:
  TCompilerFileList() { Reset(); }

  std::vector<TGroup> Groups;  // index = data group number; 0 = outside any group
  int32_t AddedCount = 0;
  uint16_t GroupCounter = 0;   // the last data group number handed out
  uint16_t RegKeySlot = 0;     // the next "installdirregkey" slot, 0 to 4

  void Reset();
  // Makes sure the group exists; an existing group is left alone.
  void EnsureGroup(int32_t number, const std::string& name);
};

class TCompiler {
 public:
  std::function<void(const std::string&)> OnWarning;
  std::function<void(const std::string&)> OnLog;
  // Hears every error as it is made (Error keeps only the last), so a line
  // with two problems reports both. Line -1: the line being compiled.
  std::function<void(const TCompilerError&)> OnError;
  // Hears every file added to a group, and every file whose source a later
  // line replaced, so a builder knows which line each entry comes from.
  std::function<void(const TFile&)> OnFileAdded;
  // Relative source paths are taken from here; empty: used as written.
  std::string SourceFolder;
  // The folder that holds "languages\" and "layout\".
  std::string ProgramFolder;
  TSetupInfo Info;
  TCompLines Lines;
  TCompilerFileList FileList;
  TCompilerError Error;

  void Warn(const std::string& text) const;
  void Log(const std::string& text) const;
  // Records an error: Error becomes it and OnError hears it.
  void Fail(const std::string& message, int32_t line = -1);

  // Adds one file, or every file below a folder path ending in "\", to a
  // group (named groups merge with earlier groups of the same name).
  void AddPath(const std::string& path, int32_t group, const std::string& prefix, bool absolute,
               const std::string& groupName);
  void AddSourceFile(const std::string& source, const std::string& entryName, const std::string& prefix,
                     int32_t group);
  // Replaces parameter Index of the line by the row of the first label line
  // with that name; "0" becomes "-1" when ZeroMeansNone, and a decimal row
  // number without such a label stays. False, with Error set to
  // "Label not found - " and the label, when there is no such label.
  bool ResolveLabel(TCompLine& line, size_t index, bool zeroMeansNone);

 private:
  void WalkFolder(std::deque<std::string>& queue, const std::string& root, int32_t group,
                  const std::string& prefix);
  // False, after telling why, for a listed item whose name no Windows file
  // can carry (the walk would otherwise drop it without a word).
  bool CheckListedName(const std::string& fullPath, const std::string& name);
  // A path below SourceFolder as the script names it.
  std::string ScriptRelative(const std::string& fullPath) const;
  std::string LayoutIconPath() const;
};

}  // namespace tailpack
