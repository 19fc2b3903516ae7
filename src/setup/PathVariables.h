#pragma once
// Path variables ("$INSTDIR", "$PROGRAMFILES", ..., and "%NAME%" environment
// references) in the paths of scripts and pages: expanded when a path is used,
// and the reverse substitution that records installed paths in variable form.

#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace tailpack {

struct TSysVar {
  std::string Name;
  std::string Value;
};

class TPathVariables {
 public:
  TPathVariables();

  // The installation folder, bound to the setup information's field so every
  // expansion sees its current value.
  const std::string* InstallDir = nullptr;
  // Set at start-up, each ending in "\".
  std::string StartMenuProgramsDir;
  std::string ProgramFilesDir;
  std::string DesktopDir;
  // Root of the first CD-ROM drive ("D:\"), empty when there is none.
  std::string CDDrive;
  // The caption of the language chosen on the language-selection page.
  std::string LanguageSelection = "English";
  std::vector<TSysVar> SysVars;
  // The user's application-data folder; asked at each expansion.
  std::function<std::optional<std::string>()> AppDataFolder;

  // The environment block as variables: every entry split at its first "=",
  // in block order; a first entry beginning with "=" (the hidden current-folder
  // entries of Windows) is skipped.
  static std::vector<TSysVar> ReadSysVars(const std::vector<std::string>& environmentBlock);

  // Every variable replaced (case-insensitive), then every run of backslashes
  // made one backslash.
  std::u16string ExpandPathVars(const std::u16string& text) const;
  std::string ExpandPathVars(const std::string& text) const;
  // Installed folders turned back into variables, the installation folder first.
  std::string CompactPathVars(const std::string& text) const;
  // Only the "%NAME%" references.
  std::u16string ExpandEnvVars(const std::u16string& text) const;

 private:
  std::u16string AppDataWithBackslash() const;
};

}  // namespace tailpack
