#include "setup/PathVariables.h"

#include "base/FileHelpers.h"
#include "base/Text.h"
#include "platform/Platform.h"
#include "platform/TextCodec.h"

namespace tailpack {

TPathVariables::TPathVariables()
    : AppDataFolder([] { return Shell().SpecialFolder(TSpecialFolder::AppData); }) {}

std::vector<TSysVar> TPathVariables::ReadSysVars(const std::vector<std::string>& environmentBlock) {
  std::vector<TSysVar> variables;
  for (size_t i = 0; i < environmentBlock.size(); ++i) {
    if (i == 0 && !environmentBlock[i].empty() && environmentBlock[i][0] == '=') continue;
    TSysVar variable;
    SplitNameValue(environmentBlock[i], variable.Name, variable.Value);
    variables.push_back(std::move(variable));
  }
  return variables;
}

std::u16string TPathVariables::AppDataWithBackslash() const {
  auto folder = AppDataFolder ? AppDataFolder() : std::nullopt;
  if (!folder || folder->empty()) return {};
  return AnsiToWide(*folder) + u"\\";
}

std::u16string TPathVariables::ExpandPathVars(const std::u16string& text) const {
  std::u16string installDir = InstallDir ? AnsiToWide(*InstallDir) : std::u16string();
  std::u16string result = ReplaceAllNoCase(text, u"$INSTDIR", installDir);
  result = ReplaceAllNoCase(result, u"$INSTALLDIR", installDir);
  result = ReplaceAllNoCase(result, u"$SMPROGRAMS", AnsiToWide(StartMenuProgramsDir));
  result = ReplaceAllNoCase(result, u"$PROGRAMFILES", AnsiToWide(ProgramFilesDir));
  if (result.find(u'$') != std::u16string::npos) result = ReplaceAllNoCase(result, u"$APPDATA", AppDataWithBackslash());
  result = ReplaceAllNoCase(result, u"$DESKTOP", AnsiToWide(DesktopDir));
  result = ReplaceAllNoCase(result, u"$CDDRIVE", AnsiToWide(CDDrive));
  result = ReplaceAllNoCase(result, u"$LANGUAGESELECTION", AnsiToWide(LanguageSelection));
  result = ExpandEnvVars(result);
  // A folder value ending in "\" followed by "\" in the script leaves a
  // doubled separator; every run of backslashes becomes one.
  std::u16string single;
  single.reserve(result.size());
  for (char16_t c : result)
    if (!(c == u'\\' && !single.empty() && single.back() == u'\\')) single.push_back(c);
  return single;
}

std::string TPathVariables::ExpandPathVars(const std::string& text) const {
  return WideToAnsi(ExpandPathVars(AnsiToWide(text)));
}

namespace {

// A folder as it is matched when compacting: without its trailing "\" (drive
// roots excepted), so "C:\Game\" and "C:\Game" both give "$INSTDIR\bin\x"
// rather than "$INSTDIRbin\x". Expanding puts the separator back, since runs
// of backslashes become one.
std::u16string CompactForm(const std::string& folder) {
  std::u16string wide = AnsiToWide(folder);
  if (wide.size() > 3 && wide.back() == u'\\') wide.pop_back();
  return wide;
}

}  // namespace

std::string TPathVariables::CompactPathVars(const std::string& text) const {
  std::u16string result = AnsiToWide(text);
  if (InstallDir) result = ReplaceAllNoCase(result, CompactForm(*InstallDir), u"$INSTDIR");
  result = ReplaceAllNoCase(result, CompactForm(StartMenuProgramsDir), u"$SMPROGRAMS");
  result = ReplaceAllNoCase(result, CompactForm(ProgramFilesDir), u"$PROGRAMFILES");
  // The application-data folder itself is not turned into a variable.
  if (result.find(u'$') != std::u16string::npos) result = ReplaceAllNoCase(result, u"$APPDATA", AppDataWithBackslash());
  result = ReplaceAllNoCase(result, CompactForm(DesktopDir), u"$DESKTOP");
  return WideToAnsi(ExpandEnvVars(result));
}

std::u16string TPathVariables::ExpandEnvVars(const std::u16string& text) const {
  if (text.find(u'%') == std::u16string::npos || SysVars.empty()) return text;
  std::u16string result = text;
  for (const TSysVar& variable : SysVars)
    result = ReplaceAllNoCase(result, u"%" + AnsiToWide(variable.Name) + u"%", AnsiToWide(variable.Value));
  return result;
}

}  // namespace tailpack
