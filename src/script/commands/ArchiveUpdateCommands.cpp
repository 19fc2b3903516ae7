#include "script/commands/ArchiveUpdateCommands.h"

#include "script/commands/CompileSupport.h"

namespace tailpack {

bool TZRPUpdateCommand::Compile(TCompiler& compiler, int32_t row) {
  if (!HasMinParams(compiler, row)) return false;
  // Lines naming the same data archive share one group.
  std::string archive = LineOf(compiler, row).Params[2];
  CompileDataGroup(compiler, row, archive);
  EncipherParameter(LineOf(compiler, row), 1);
  return true;
}

bool TZRPOfficialCommand::Compile(TCompiler& compiler, int32_t row) {
  if (!HasMinParams(compiler, row)) return false;
  EncipherParameter(LineOf(compiler, row), 1);
  return true;
}

bool TVFSUpdateCommand::Compile(TCompiler& compiler, int32_t row) {
  if (!HasMinParams(compiler, row)) return false;
  std::string archive = LineOf(compiler, row).Params[1];
  CompileDataGroup(compiler, row, archive);
  return true;
}

}  // namespace tailpack
