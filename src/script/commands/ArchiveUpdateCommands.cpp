#include "script/commands/ArchiveUpdateCommands.h"

#include "script/commands/CompileSupport.h"
#include "script/commands/RunSupport.h"
#include "setup/SetupRuntime.h"

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

namespace {

// The archive updates come with a later version. Until then a line that asks
// for one must not pass for done: the user is told and the run ends failed.
void RefuseUnavailable(TSetupRuntime& runtime, const std::string& keyword) {
  AbortRun(runtime, "The command \"" + keyword + "\" is not available in this version of the setup program.");
}

}  // namespace

void TZRPUpdateCommand::SFXProcess(TSetupRuntime& runtime, int32_t) { RefuseUnavailable(runtime, Keyword); }

void TZRPOfficialCommand::SFXProcess(TSetupRuntime& runtime, int32_t) { RefuseUnavailable(runtime, Keyword); }

void TDuplicateEntryCommand::SFXProcess(TSetupRuntime& runtime, int32_t) { RefuseUnavailable(runtime, Keyword); }

void TVFSUpdateCommand::SFXProcess(TSetupRuntime& runtime, int32_t) { RefuseUnavailable(runtime, Keyword); }

}  // namespace tailpack
