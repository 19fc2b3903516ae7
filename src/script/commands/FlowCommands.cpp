#include "script/commands/FlowCommands.h"

#include "base/Numbers.h"
#include "base/ProgressChannel.h"
#include "platform/Platform.h"
#include "platform/TextCodec.h"
#include "script/commands/CompileSupport.h"
#include "script/commands/RunSupport.h"
#include "setup/SetupRuntime.h"
#include "ui/MessageBoxes.h"

namespace tailpack {

bool TGotoCommand::Compile(TCompiler& compiler, int32_t row) {
  if (!HasMinParams(compiler, row)) return false;
  TCompLine& line = LineOf(compiler, row);
  if (line.CommandIndex == 1) compiler.ResolveLabel(line, 0, false);
  return true;
}

bool TIfFileExistsCommand::Compile(TCompiler& compiler, int32_t row) {
  if (!HasMinParams(compiler, row)) return false;
  ResolveLabels(compiler, row, {1, 2});
  return true;
}

bool TMessageBoxCommand::Compile(TCompiler& compiler, int32_t row) {
  if (!HasMinParams(compiler, row)) return false;
  ResolveLabels(compiler, row, {2, 3});
  return true;
}

// Jumps work through CurrentRow: the walk adds one before every step, so
// setting it to a label's row runs the line after the label next.

void TGotoCommand::SFXProcess(TSetupRuntime& runtime, int32_t row) {
  int32_t target = StrToIntOrMinus1(Param(RunLine(runtime, row), 0));
  if (target >= 0) runtime.CurrentRow = target;
}

void TIfFileExistsCommand::SFXProcess(TSetupRuntime& runtime, int32_t row) {
  const TCompLine& line = RunLine(runtime, row);
  int32_t foundTarget = StrToIntOrMinus1(Param(line, 1));
  int32_t missingTarget = StrToIntOrMinus1(Param(line, 2));
  std::string path = Expand(runtime, ResolveCDDrive(Param(line, 0)));
  // A folder of that name does not count as the file.
  bool exists = Files().FileExists(path);
  if (exists && foundTarget >= 0) runtime.CurrentRow = foundTarget;
  else if (!exists && missingTarget >= 0) runtime.CurrentRow = missingTarget;
}

void TMessageBoxCommand::SFXProcess(TSetupRuntime& runtime, int32_t row) {
  const TCompLine& line = RunLine(runtime, row);
  int32_t okTarget = StrToIntOrMinus1(Param(line, 2));
  int32_t cancelTarget = StrToIntOrMinus1(Param(line, 3));
  std::string caption = Expand(runtime, Param(line, 1));
  std::string text = Expand(runtime, Param(line, 0));
  TMessageResult answer =
      MessageBoxes().Show(AnsiToWide(text), AnsiToWide(caption), TMessageButtons::OkCancel, TMessageIcon::Question);
  // Targets land on the label line itself, which does nothing; a label on
  // row 0 can therefore not be a target here.
  if (answer == TMessageResult::Ok) {
    if (okTarget > 0) runtime.CurrentRow = okTarget - 1;
  } else if (cancelTarget > 0) {
    runtime.CurrentRow = cancelTarget - 1;
  }
}

void TMessageCommand::SFXProcess(TSetupRuntime& runtime, int32_t row) {
  runtime.Progress.SetStatusText(runtime.Languages.Translate(AnsiToWide(Param(RunLine(runtime, row), 0))));
}

void TFailureCommand::SFXProcess(TSetupRuntime& runtime, int32_t) {
  runtime.Progress.SetFileLabel(runtime.GetString(23));
  runtime.ScriptAborted = true;
}

}  // namespace tailpack
