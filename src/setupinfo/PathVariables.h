#pragma once
// Path variables ("$INSTDIR", "$PROGRAMFILES", ..., and "%NAME%" environment
// references) in the paths of scripts and pages: expanded when a path is used,
// and the reverse substitution that records installed paths in variable form.

#include <functional>
#include <optional>
#include <string>
#include <utility>
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

  // Every variable replaced (case-insensitive); where a value ending in "\"
  // meets text beginning with "\" one separator is kept. Other backslashes,
  // such as the leading "\\" of a network path, stay as written.
  std::u16string ExpandPathVars(const std::u16string& text) const;
  std::string ExpandPathVars(const std::string& text) const;
  // An installed path as the uninstall log records it: a leading installation,
  // start-menu, program-files or desktop folder (in that order) that ends at a
  // separator becomes its variable ("$INSTDIR\bin\x"); anything else stays.
  std::string CompactPathVars(const std::string& path) const;
  // The inverse of CompactPathVars: exactly the path that was recorded. Only
  // a leading variable is expanded; the rest is taken as written.
  std::string ExpandLoggedPath(const std::string& logged) const;
  // Only the "%NAME%" references.
  std::u16string ExpandEnvVars(const std::u16string& text) const;

 private:
  std::u16string AppDataWithBackslash() const;
  // The folders CompactPathVars replaces, with their variables, in order.
  std::vector<std::pair<std::string, const char*>> CompactFolders() const;
};

}  // namespace tailpack
