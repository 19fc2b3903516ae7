#include "script/commands/CompileSupport.h"

#include "uninstall/Cipher.h"
#include "uninstall/CipherKeys.h"

namespace tailpack {

namespace {

// The archive's group field is 16-bit, and 0 is the setup's own material.
constexpr uint16_t kMaxDataGroup = 65535;

}  // namespace

void CompileDataGroup(TCompiler& compiler, int32_t row, const std::string& groupName) {
  TCompLine& line = LineOf(compiler, row);
  if (compiler.FileList.GroupCounter == kMaxDataGroup) {
    compiler.Fail("a setup holds at most " + std::to_string(kMaxDataGroup) + " data groups", line.Row);
    return;
  }
  int32_t group = ++compiler.FileList.GroupCounter;
  line.Params.push_back(std::to_string(group));
  line.ParamCount = static_cast<int32_t>(line.Params.size());
  // AddPath may reach into other lines' groups, never into this line's
  // parameters, so the reference above stays valid.
  std::string source = line.Params[0];
  compiler.AddPath(source, group, "", false, groupName);
}

bool ResolveLabels(TCompiler& compiler, int32_t row, std::initializer_list<size_t> indices) {
  bool allFound = true;
  for (size_t index : indices) allFound = compiler.ResolveLabel(LineOf(compiler, row), index, true) && allFound;
  return allFound;
}

void EncipherParameter(TCompLine& line, size_t index) {
  if (index < line.Params.size()) line.Params[index] = EncryptWithDigitKey(kArchiveUpdateKey, line.Params[index]);
}

}  // namespace tailpack
