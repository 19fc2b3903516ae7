#pragma once
// The first half of "tailpack build": read and compile a setup script, and
// work out every entry of the setup archive in its fixed order. Nothing is
// written here.

#include <cstdint>
#include <string>
#include <vector>

#include "base/Bytes.h"
#include "script/Compiler.h"

namespace tailpack {

struct TPlannedEntry {
  std::string Name;
  uint16_t Group = 0;
  std::string Source;  // a file to pack, or empty when Data holds the bytes
  TBytes Data;
  uint64_t Size = 0;   // bytes before packing
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
// script; relative sources are taken from the script's folder.
TSetupPlan PlanSetup(const std::string& scriptPath);

}  // namespace tailpack
