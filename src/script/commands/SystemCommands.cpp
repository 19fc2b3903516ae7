#include "script/commands/SystemCommands.h"

#include "platform/Platform.h"
#include "script/RunState.h"
#include "script/CompLines.h"
#include "script/commands/RunSupport.h"
#include "setupinfo/RegistryAccessor.h"
#include "setupinfo/RegistryRoots.h"
#include "system/FileHelpers.h"
#include "system/ShellHelpers.h"
#include "uninstall/UninstallList.h"

namespace tailpack {

namespace {

// The URL protocol's keys are always below the classes root.
constexpr const char* kClassesRootName = "HKCR";
// How long "execute" sleeps on its program before it looks whether the run
// is being aborted or the application closes.
constexpr uint32_t kExecuteFlagInterval = 20;

// Writes one string value into a key below the current root (created when
// missing); false when the value could not be stored.
bool WriteValue(TRegistryAccessor& registry, const std::string& key, const std::string& name,
                const std::string& data) {
  if (!registry.OpenKey(key, true)) return false;
  bool written = registry.WriteString(name, data);
  registry.CloseKey();
  return written;
}

// A value the setup meant to write and could not is never passed over: the
// user is told and the run ends as failed, while the script goes on. The
// uninstall record is made regardless, so whatever did arrive is removed.
void ReportUnwrittenValue(TRunState& runtime, const std::string& root, const std::string& key,
                          const std::string& name) {
  ReportRunFailure(runtime, "Cannot write the registry value \"" + name + "\" under \"" + root + "\\" + key + "\"");
}

}  // namespace

void TWriteRegStrCommand::SFXProcess(TRunState& runtime, int32_t row) {
  const TCompLine& line = RunLine(runtime, row);
  SelectRootKey(runtime, Param(line, 0));
  if (!WriteValue(runtime.Registry, Param(line, 1), Param(line, 2), Expand(runtime, Param(line, 3))))
    ReportUnwrittenValue(runtime, Param(line, 0), Param(line, 1), Param(line, 2));
  // The record keeps the data as written, path variables and all.
  runtime.UninstallList.AddRegistryValue(MakeRegistryLine(Param(line, 0), Param(line, 1), Param(line, 2), Param(line, 3)));
}

void TWriteRegStr_URLCommand::SFXProcess(TRunState& runtime, int32_t row) {
  const TCompLine& line = RunLine(runtime, row);
  const std::string& key = Param(line, 0);
  SelectRootKey(runtime, kClassesRootName);
  bool written = WriteValue(runtime.Registry, key, "", "URL:" + key + " Protocol");
  written = WriteValue(runtime.Registry, key, "URL Protocol", "") && written;
  written = WriteValue(runtime.Registry, key + "\\DefaultIcon\\", "", Expand(runtime, Param(line, 1))) && written;
  std::string command = "\"" + Expand(runtime, Param(line, 2)) + "\"";
  for (size_t i = 3; i < line.Params.size(); ++i) command += " \"" + line.Params[i] + "\"";
  written = WriteValue(runtime.Registry, key + "\\shell\\open\\command\\", "", command) && written;
  if (!written)
    ReportRunFailure(runtime, "Cannot register the URL protocol \"" + key + "\": its values under \"" +
                                  kClassesRootName + "\\" + key + "\" could not be written");

  runtime.UninstallList.AddRegistryValue(MakeRegistryLine(kClassesRootName, key, "", ""));
  runtime.UninstallList.AddRegistryValue(MakeRegistryLine(kClassesRootName, key, "URL Protocol", ""));
  runtime.UninstallList.AddRegistryValue(MakeRegistryLine(kClassesRootName, key + "\\DefaultIcon\\", "", ""));
  runtime.UninstallList.AddRegistryValue(MakeRegistryLine(kClassesRootName, key + "\\shell\\open\\command\\", "", ""));
}

void TCreateShortCutCommand::SFXProcess(TRunState& runtime, int32_t row) {
  const TCompLine& line = RunLine(runtime, row);
  std::string linkFile = Expand(runtime, Param(line, 0));
  std::string target = Expand(runtime, Param(line, 1));
  std::string arguments = Expand(runtime, Param(line, 2));
  // Without a fourth parameter the icon file is the target itself, which
  // leaves the link without an icon location.
  std::string iconFile = line.ParamCount >= 4 ? Expand(runtime, Param(line, 3)) : target;
  CreateShortcut(linkFile, target, arguments, 0, iconFile, 1, ExtractFileDir(target), &runtime.UninstallList);
  runtime.UninstallList.AddFile(linkFile);
}

void TExecuteCommand::SFXProcess(TRunState& runtime, int32_t row) {
  TCompLine& line = RunLine(runtime, row);
  if (line.Params.empty()) return;
  line.Params[0] = Expand(runtime, line.Params[0]);
  std::string parameters;
  if (line.Params.size() > 1) {
    line.Params[1] = Expand(runtime, line.Params[1]);
    parameters = line.Params[1];
  }
  // A program that cannot be started is not reported; the script goes on.
  TStartedProgram started = Shell().Execute(line.Params[0], parameters);
  // Without a process (the request went to a program already running) there
  // is nothing to wait for.
  if (!started.Started || !started.Process) return;
  // Asleep on the process; the flags that end the wait early are looked at
  // between waits.
  while (!started.Process->WaitForExit(kExecuteFlagInterval)) {
    if (runtime.ScriptAborted || runtime.Terminating) return;
  }
}

}  // namespace tailpack
