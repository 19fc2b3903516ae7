#include "script/commands/InfoCommands.h"

#include "script/RunState.h"
#include "script/commands/RunSupport.h"

namespace tailpack {

namespace {

// The folder (expanded) and prefix (as written, empty when absent) of a log line.
void LogPlace(TRunState& runtime, int32_t row, std::string& folder, std::string& prefix) {
  const TCompLine& line = RunLine(runtime, row);
  folder = Expand(runtime, Param(line, 0));
  prefix = line.ParamCount >= 2 ? Param(line, 1) : std::string();
}

}  // namespace

void TUninstallLogLoadCommand::SFXProcess(TRunState& runtime, int32_t row) {
  std::string folder;
  std::string prefix;
  LogPlace(runtime, row, folder, prefix);
  // A missing log leaves the list as it is, so records made earlier in this
  // run survive; a cut one gives its complete entries. The script goes on
  // either way: the line has no failure of its own to report.
  (void)runtime.UninstallList.LoadFromFile(folder, prefix);
}

void TUninstallLogSaveCommand::SFXProcess(TRunState& runtime, int32_t row) {
  std::string folder;
  std::string prefix;
  LogPlace(runtime, row, folder, prefix);
  // A log that could not be written would leave an installation nobody can
  // remove: the user hears of it and the run ends as failed.
  if (TStatus saved = runtime.UninstallList.SaveToFile(folder, prefix); !saved)
    ReportRunFailure(runtime, saved.Message());
}

}  // namespace tailpack
