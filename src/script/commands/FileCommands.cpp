#include "script/commands/FileCommands.h"

#include "script/commands/CompileSupport.h"

namespace tailpack {

bool TFileCommand::Compile(TCompiler& compiler, int32_t row) {
  if (!HasMinParams(compiler, row)) return false;
  CompileDataGroup(compiler, row, "");
  return true;
}

}  // namespace tailpack
