#include "setupinfo/PathVariables.h"

#include <utility>

#include "platform/Platform.h"
#include "platform/TextCase.h"
#include "platform/TextCodec.h"
#include "system/FileHelpers.h"

namespace tailpack {

namespace {

// A stretch of an expansion: the caller's text, or the value a variable stood
// for. Values are never searched again, so a value that holds a variable's
// name (a folder called "$INSTDIR", an environment value naming itself) stays
// as it is and every expansion ends.
struct TPiece {
  std::u16string Text;
  bool IsValue = false;
};

using TPieces = std::vector<TPiece>;

bool TextHolds(const TPieces& pieces, std::u16string_view pattern) {
  for (const TPiece& piece : pieces)
    if (!piece.IsValue && FindNoCase(piece.Text, pattern) != std::u16string::npos) return true;
  return false;
}

// Puts Value in place of every occurrence of Pattern (any letter case) in the
// caller's text.
void Substitute(TPieces& pieces, std::u16string_view pattern, const std::u16string& value) {
  if (!TextHolds(pieces, pattern)) return;
  TPieces result;
  for (TPiece& piece : pieces) {
    if (piece.IsValue) {
      result.push_back(std::move(piece));
      continue;
    }
    size_t start = 0;
    for (size_t at = FindNoCase(piece.Text, pattern); at != std::u16string::npos;
         at = FindNoCase(piece.Text, pattern, start)) {
      result.push_back(TPiece{piece.Text.substr(start, at - start), false});
      result.push_back(TPiece{value, true});
      start = at + pattern.size();
    }
    result.push_back(TPiece{piece.Text.substr(start), false});
  }
  pieces = std::move(result);
}

// Where a variable's value meets the caller's text and both bring a separator
// ("$PROGRAMFILES\Foo" with a value ending in "\"), the text's backslashes
// there are dropped: the value keeps its own, so a network folder keeps its
// leading "\\". Everywhere else backslashes stay as written.
std::u16string JoinPieces(const TPieces& pieces) {
  std::u16string joined;
  bool anything = false;       // a non-empty piece has been appended
  bool lastWasValue = false;   // the kind of that piece
  bool emptyBetween = false;   // a variable without a value came after it
  for (const TPiece& piece : pieces) {
    if (piece.Text.empty()) {
      if (piece.IsValue) emptyBetween = true;
      continue;
    }
    std::u16string_view text = piece.Text;
    bool meets = anything && (piece.IsValue != lastWasValue || (emptyBetween && !piece.IsValue));
    if (meets && !joined.empty() && joined.back() == u'\\' && text.front() == u'\\') {
      if (piece.IsValue) {
        while (!joined.empty() && joined.back() == u'\\') joined.pop_back();
      } else {
        while (!text.empty() && text.front() == u'\\') text.remove_prefix(1);
      }
    }
    joined.append(text);
    anything = true;
    lastWasValue = piece.IsValue;
    emptyBetween = false;
  }
  return joined;
}

void SubstituteEnvironment(TPieces& pieces, const std::vector<TSysVar>& variables) {
  if (variables.empty() || !TextHolds(pieces, u"%")) return;
  for (const TSysVar& variable : variables)
    Substitute(pieces, u"%" + AnsiToWide(variable.Name) + u"%", AnsiToWide(variable.Value));
}

// A folder as it is matched when compacting: without its trailing
// backslashes, drive roots too ("C:\" is "C:"), so the variable is always
// followed by the separator that starts the rest ("$INSTDIR\bin\x").
std::string FolderWithoutBackslash(std::string folder) {
  while (!folder.empty() && folder.back() == '\\') folder.pop_back();
  return folder;
}

}  // namespace

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
  TPieces pieces{TPiece{text, false}};
  Substitute(pieces, u"$INSTDIR", installDir);
  Substitute(pieces, u"$INSTALLDIR", installDir);
  Substitute(pieces, u"$SMPROGRAMS", AnsiToWide(StartMenuProgramsDir));
  Substitute(pieces, u"$PROGRAMFILES", AnsiToWide(ProgramFilesDir));
  // The platform is asked only when the folder is wanted.
  if (TextHolds(pieces, u"$APPDATA")) Substitute(pieces, u"$APPDATA", AppDataWithBackslash());
  Substitute(pieces, u"$DESKTOP", AnsiToWide(DesktopDir));
  Substitute(pieces, u"$CDDRIVE", AnsiToWide(CDDrive));
  Substitute(pieces, u"$LANGUAGESELECTION", AnsiToWide(LanguageSelection));
  SubstituteEnvironment(pieces, SysVars);
  return JoinPieces(pieces);
}

std::string TPathVariables::ExpandPathVars(const std::string& text) const {
  return WideToAnsi(ExpandPathVars(AnsiToWide(text)));
}

std::vector<std::pair<std::string, const char*>> TPathVariables::CompactFolders() const {
  // The installation folder first, so a path inside an installation folder
  // in the program-files folder is recorded with "$INSTDIR".
  return {{InstallDir ? *InstallDir : std::string(), "$INSTDIR"},
          {StartMenuProgramsDir, "$SMPROGRAMS"},
          {ProgramFilesDir, "$PROGRAMFILES"},
          {DesktopDir, "$DESKTOP"}};
}

std::string TPathVariables::CompactPathVars(const std::string& path) const {
  // Only a folder that begins the path and ends at a separator (or with the
  // path) is replaced: "C:\Demo" is no part of "C:\Demo Editor\x". Nothing
  // else changes, so ExpandLoggedPath gives back exactly this path.
  for (const auto& [folder, variable] : CompactFolders()) {
    std::string matched = FolderWithoutBackslash(folder);
    if (matched.empty() || !StartsWithNoCase(path, matched)) continue;
    std::string rest = path.substr(matched.size());
    if (rest.empty() || rest[0] == '\\') return variable + rest;
  }
  return path;
}

std::string TPathVariables::ExpandLoggedPath(const std::string& logged) const {
  for (const auto& [folder, variable] : CompactFolders()) {
    if (!StartsWithNoCase(logged, variable)) continue;
    std::string matched = FolderWithoutBackslash(folder);
    // A folder this machine does not have: the entry names nothing here, and
    // must not turn into a path below some drive's root.
    if (matched.empty()) return logged;
    std::string rest = logged.substr(std::string_view(variable).size());
    if (rest.empty()) return matched;
    // A rest without its separator comes from logs written before folders
    // were matched at a separator, when the folder's own "\" was replaced.
    return IncludeTrailingBackslash(matched) + (rest[0] == '\\' ? rest.substr(1) : rest);
  }
  return logged;
}

std::u16string TPathVariables::ExpandEnvVars(const std::u16string& text) const {
  TPieces pieces{TPiece{text, false}};
  SubstituteEnvironment(pieces, SysVars);
  std::u16string result;
  for (const TPiece& piece : pieces) result += piece.Text;
  return result;
}

}  // namespace tailpack
