#include "builder/CompileSteps.h"

#include <vector>

#include "gamedata/DataArchiveFormat.h"
#include "script/CommandClass.h"
#include "setupinfo/RegistryRoots.h"
#include "uninstall/Cipher.h"
#include "uninstall/CipherKeys.h"

namespace tailpack {

namespace {

// The archive's group field is 16-bit, and 0 is the setup's own material.
constexpr uint16_t kMaxDataGroup = 65535;

// The compiler's line of a row (the row is checked by HasMinParams first).
TCompLine& LineOf(TCompiler& compiler, int32_t row) { return compiler.Lines.Lines[static_cast<size_t>(row)]; }

bool HasMinParams(const TCompiler& compiler, const TCommandClass& command, int32_t row) {
  if (row < 0 || static_cast<size_t>(row) >= compiler.Lines.Lines.size()) return false;
  return compiler.Lines.Lines[static_cast<size_t>(row)].ParamCount >= command.MinParams;
}

// Opens the next data group for a line: appends its number as the line's last
// parameter and adds what parameter 0 names to it. Group numbers are 16-bit
// in the archive: past the last one the compiler's error is set and nothing
// is added.
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

// Resolves each of the line's label parameters, going on after a label that
// is not found so every missing label of the line is reported.
void ResolveLabels(TCompiler& compiler, int32_t row, const TLabelParameters& labels) {
  for (size_t index : labels.Indices) compiler.ResolveLabel(LineOf(compiler, row), index, labels.ZeroMeansNone);
}

// Enciphers parameter Index under the archive-update key.
void EncipherParameter(TCompLine& line, size_t index) {
  if (index < line.Params.size()) line.Params[index] = EncryptWithDigitKey(kArchiveUpdateKey, line.Params[index]);
}

// What a meta command's line puts into the setup information.
void ApplySetupInfo(TCompiler& compiler, TSetupInfoField field, const std::vector<std::string>& params) {
  TSetupInfo& info = compiler.Info;
  switch (field) {
    case TSetupInfoField::None: return;
    case TSetupInfoField::Name:
      info.SetupName = params[0];
      info.ShortName = params[0];
      return;
    case TSetupInfoField::ShortName: info.ShortName = params[0]; return;
    case TSetupInfoField::OutFile: info.SetupExeName = params[0]; return;
    case TSetupInfoField::InstallDir: info.InstallDir = params[0]; return;
    case TSetupInfoField::InstallDirRegKey: {
      uint16_t& slot = compiler.FileList.RegKeySlot;
      info.InstallDirRegKeys[slot] = TREGKEY{RootKeyFromShortName(params[0]), params[1], params[2]};
      // Lines beyond the fifth keep overwriting the last slot.
      if (slot + 1u < kInstallDirRegKeyCount) ++slot;
      return;
    }
    // The change log is a group-0 entry under this name; the builder packs it.
    case TSetupInfoField::Changelog: info.Changelog = params[0]; return;
    case TSetupInfoField::Pages: info.Pages = params[0]; return;
    case TSetupInfoField::UninstallPages:
      info.UninstallPages = params[0];
      info.HasUninstaller = 1;
      return;
    case TSetupInfoField::UninstallPrefix:
      info.UninstallPrefix = params[0] + "_";
      info.UninstallExeName = params[0] + "_Uninstall.exe";
      return;
  }
}

}  // namespace

bool CompileCommand(TCompiler& compiler, const TCommandClass& command, int32_t row) {
  if (!HasMinParams(compiler, command, row)) return false;
  ResolveLabels(compiler, row, command.LabelParameters());
  // The archive's trailer cannot hold a longer password: the archive could
  // not be read again after the update.
  if (auto password = command.PasswordParameter();
      password && LineOf(compiler, row).Params[*password].size() > kZrpMaxPasswordLength) {
    compiler.Fail("the password is longer than " + std::to_string(kZrpMaxPasswordLength) + " characters", row);
    return true;
  }
  if (command.FileKind() != 0) {
    auto nameParameter = command.GroupNameParameter();
    std::string groupName = nameParameter ? LineOf(compiler, row).Params[*nameParameter] : std::string();
    CompileDataGroup(compiler, row, groupName);
  }
  if (auto enciphered = command.EncipheredParameter()) EncipherParameter(LineOf(compiler, row), *enciphered);
  if (std::string prefix = command.LanguageEntryPrefix(); !prefix.empty()) {
    const std::string name = LineOf(compiler, row).Params[0];
    compiler.AddSourceFile(LanguageSourceFile(compiler, name), prefix + name, "", 0);
  }
  ApplySetupInfo(compiler, command.SetupInfoField(), LineOf(compiler, row).Params);
  return true;
}

std::string LanguageSourceFile(const TCompiler& compiler, const std::string& name) {
  return compiler.ProgramFolder + "\\languages\\" + name + ".wri";
}

}  // namespace tailpack
