#include "script/commands/FlowCommands.h"

#include "base/Numbers.h"
#include "base/ProgressChannel.h"
#include "platform/Platform.h"
#include "platform/TextCodec.h"
#include "script/RunState.h"
#include "script/commands/RunSupport.h"
#include "system/MessageBoxes.h"

namespace tailpack {

// Jumps work through CurrentRow: the walk adds one before every step, so
// setting it to a label's row runs the line after the label next.

void TGotoCommand::SFXProcess(TRunState& runtime, int32_t row) {
  int32_t target = StrToIntOrMinus1(Param(RunLine(runtime, row), 0));
  if (target >= 0) runtime.CurrentRow = target;
}

void TIfFileExistsCommand::SFXProcess(TRunState& runtime, int32_t row) {
  const TCompLine& line = RunLine(runtime, row);
  int32_t foundTarget = StrToIntOrMinus1(Param(line, 1));
  int32_t missingTarget = StrToIntOrMinus1(Param(line, 2));
  std::string path = Expand(runtime, ResolveCDDrive(Param(line, 0)));
  // A folder of that name does not count as the file.
  bool exists = Files().FileExists(path);
  if (exists && foundTarget >= 0) runtime.CurrentRow = foundTarget;
  else if (!exists && missingTarget >= 0) runtime.CurrentRow = missingTarget;
}

void TMessageBoxCommand::SFXProcess(TRunState& runtime, int32_t row) {
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

void TMessageCommand::SFXProcess(TRunState& runtime, int32_t row) {
  runtime.Progress.SetStatusText(runtime.Languages.Translate(AnsiToWide(Param(RunLine(runtime, row), 0))));
}

void TFailureCommand::SFXProcess(TRunState& runtime, int32_t) {
  runtime.Progress.SetFileLabel(runtime.GetString(TStringId::FailureText));
  runtime.ScriptAborted = true;
}

}  // namespace tailpack
