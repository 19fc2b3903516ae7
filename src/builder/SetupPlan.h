#pragma once
// The first half of "tailpack build": read and compile a setup script, and
// work out every entry of the setup archive in its fixed order. Nothing is
// written here.

#include <cstdint>
#include <string>
#include <vector>

#include "base/Bytes.h"
#include "builder/Compiler.h"

namespace tailpack {

struct TPlannedEntry {
  std::string Name;
  uint16_t Group = 0;
  std::string Source;  // a file to pack, or empty when Data holds the bytes
  TBytes Data;
  uint64_t Size = 0;   // bytes before packing
  int LineNumber = 0;  // the script line that brought it in; 0 for "SetupInfo" and "CompiledLines"
};

struct TBuildMessage {
  int LineNumber = 0;  // 0: not tied to a line
  std::string Text;
};

struct TSetupPlan {
  std::string ScriptPath;
  TCompiler Compiler;
  std::vector<TPlannedEntry> Entries;
  std::vector<TBuildMessage> Errors;
  std::vector<TBuildMessage> Warnings;
  // The "outfile" line's file, resolved against the script's folder.
  std::string OutFile;

  bool Ok() const { return Errors.empty(); }
};

// Reads the script (a Windows path) and plans the archive. Languages come
// from "languages\<name>.wri" and layouts from "layout\<name>\" beside the
// script; relative sources are taken from the script's folder. Everything the
// archive format cannot hold (a text over 65,535 bytes, more than 65,535
// lines, groups or entries, an entry of 4 GiB or more), every source that
// cannot be read or named on Windows, is an error of the line that asks for
// it; errors and warnings come in line order.
TSetupPlan PlanSetup(const std::string& scriptPath);

}  // namespace tailpack
