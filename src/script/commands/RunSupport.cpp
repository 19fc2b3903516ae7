#include "script/commands/RunSupport.h"

#include "base/Errors.h"
#include "base/Numbers.h"
#include "base/ProgressChannel.h"
#include "platform/Platform.h"
#include "platform/TextCase.h"
#include "platform/TextCodec.h"
#include "script/RunState.h"
#include "setupinfo/RegistryAccessor.h"
#include "setupinfo/RegistryRoots.h"
#include "system/MessageBoxes.h"

namespace tailpack {

namespace {

const std::string kNoParameter;

}  // namespace

TCompLine& RunLine(TRunState& runtime, int32_t row) {
  auto& lines = runtime.Script.Lines;
  if (row < 0 || static_cast<size_t>(row) >= lines.size())
    throw EListIndexError("Script row out of bounds (" + std::to_string(row) + ")");
  return lines[static_cast<size_t>(row)];
}

const std::string& Param(const TCompLine& line, int32_t index) {
  if (index < 0 || static_cast<size_t>(index) >= line.Params.size()) return kNoParameter;
  return line.Params[static_cast<size_t>(index)];
}

std::string Expand(const TRunState& runtime, const std::string& text) {
  return runtime.Variables.ExpandPathVars(text);
}

std::string ResolveCDDrive(const std::string& path) {
  if (UpperAnsi(path).find("$CDDRIVE") == std::string::npos) return path;
  // The platform hands over the whole drive list (at most 26 roots), so no
  // list can be too long to search.
  for (const std::string& root : Files().LogicalDrives()) {
    if (Files().DriveType(root) != TDriveType::CdRom) continue;
    std::string candidate = ReplaceAllNoCase(path, "$CDDRIVE", root);
    if (Files().FileExists(candidate)) return candidate;
  }
  return path;
}

uint16_t GroupNumber(const std::string& text) {
  int32_t group = StrToInt(text);
  // Group 0 is the setup's own material; nothing beyond 16 bits exists.
  if (group < 1 || group > 0xFFFF) throw EConversionError("'" + text + "' is not a valid data group number");
  return static_cast<uint16_t>(group);
}

void SelectRootKey(TRunState& runtime, const std::string& shortName) {
  runtime.Registry.SetRootKey(RootKeyHandle(RootKeyFromShortName(shortName)));
}

void AbortRun(TRunState& runtime, const std::string& message) {
  if (!message.empty()) ShowMessage(message, "Error", TMessageIcon::Error);
  runtime.Progress.SetFileLabel(runtime.GetString(TStringId::FailureText));
  runtime.InstallFailed = true;
  runtime.ScriptAborted = true;
}

bool AskRetry(const std::string& message) {
  return MessageBoxes().Show(AnsiToWide(message), u"Error", TMessageButtons::RetryCancel, TMessageIcon::Warning) ==
         TMessageResult::Retry;
}

void ReportRunFailure(TRunState& runtime, const std::string& message) {
  ShowMessage(message, "Error", TMessageIcon::Error);
  runtime.InstallFailed = true;
}

}  // namespace tailpack
