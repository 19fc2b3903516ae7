#include "script/commands/FlowCommands.h"

#include "script/commands/CompileSupport.h"

namespace tailpack {

bool TGotoCommand::Compile(TCompiler& compiler, int32_t row) {
  if (!HasMinParams(compiler, row)) return false;
  TCompLine& line = LineOf(compiler, row);
  if (line.CommandIndex == 1) compiler.ResolveLabel(line, 0, false);
  return true;
}

bool TIfFileExistsCommand::Compile(TCompiler& compiler, int32_t row) {
  if (!HasMinParams(compiler, row)) return false;
  TCompLine& line = LineOf(compiler, row);
  compiler.ResolveLabel(line, 1, true) && compiler.ResolveLabel(line, 2, true);
  return true;
}

bool TMessageBoxCommand::Compile(TCompiler& compiler, int32_t row) {
  if (!HasMinParams(compiler, row)) return false;
  TCompLine& line = LineOf(compiler, row);
  compiler.ResolveLabel(line, 2, true) && compiler.ResolveLabel(line, 3, true);
  return true;
}

}  // namespace tailpack
