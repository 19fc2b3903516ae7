#include "script/CommandClass.h"

#include "builder/Compiler.h"

namespace tailpack {

bool TCommandClass::HasMinParams(const TCompiler& compiler, int32_t row) const {
  if (row < 0 || static_cast<size_t>(row) >= compiler.Lines.Lines.size()) return false;
  return compiler.Lines.Lines[static_cast<size_t>(row)].ParamCount >= MinParams;
}

bool TCommandClass::Compile(TCompiler& compiler, int32_t row) { return HasMinParams(compiler, row); }

void TCommandClass::SFXProcess(TSetupRuntime&, int32_t) {}

}  // namespace tailpack
