#include "script/commands/CompileSupport.h"

#include "uninstall/Cipher.h"
#include "uninstall/CipherKeys.h"

namespace tailpack {

void CompileDataGroup(TCompiler& compiler, int32_t row, const std::string& groupName) {
  TCompLine& line = LineOf(compiler, row);
  int32_t group = ++compiler.FileList.GroupCounter;
  line.Params.push_back(std::to_string(group));
  line.ParamCount = static_cast<int32_t>(line.Params.size());
  // AddPath may reach into other lines' groups, never into this line's
  // parameters, so the reference above stays valid.
  std::string source = line.Params[0];
  compiler.AddPath(source, group, "", false, groupName);
}

void EncipherParameter(TCompLine& line, size_t index) {
  if (index < line.Params.size()) line.Params[index] = EncryptWithDigitKey(kArchiveUpdateKey, line.Params[index]);
}

}  // namespace tailpack
