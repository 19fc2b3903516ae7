#include "system/PathSafety.h"

#include <algorithm>

#include "platform/Platform.h"
#include "platform/TextCase.h"
#include "system/FileHelpers.h"

namespace tailpack {

namespace {

bool IsDriveLetter(char c) { return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z'); }

std::vector<std::string> SplitComponents(std::string_view text) {
  std::vector<std::string> parts;
  size_t start = 0;
  while (start <= text.size()) {
    size_t end = text.find('\\', start);
    if (end == std::string_view::npos) end = text.size();
    parts.emplace_back(text.substr(start, end - start));
    start = end + 1;
  }
  return parts;
}

// The root of a path ("X:\", "X:", "\\server\share", "\" or nothing) and
// where the rest begins. Separators are backslashes by now.
std::string SplitRoot(const std::string& path, size_t& restStart) {
  if (path.size() >= 2 && path[0] == '\\' && path[1] == '\\') {
    // "\\server\share": the two names after the doubled backslash.
    std::vector<std::string> names;
    size_t position = 2;
    while (names.size() < 2 && position < path.size()) {
      size_t end = path.find('\\', position);
      if (end == std::string::npos) end = path.size();
      if (end > position) names.push_back(path.substr(position, end - position));
      position = end + 1;
    }
    restStart = std::min(position, path.size());
    std::string root = "\\\\";
    for (size_t i = 0; i < names.size(); ++i) root += (i > 0 ? "\\" : "") + names[i];
    return root;
  }
  if (path.size() >= 2 && path[1] == ':' && IsDriveLetter(path[0])) {
    bool rooted = path.size() >= 3 && path[2] == '\\';
    restStart = rooted ? 3 : 2;
    return path.substr(0, restStart);
  }
  if (!path.empty() && path[0] == '\\') {
    restStart = 1;
    return "\\";
  }
  restStart = 0;
  return {};
}

bool IsStrictlyBelow(const std::string& folder, const std::string& path) {
  if (folder.empty() || path.size() <= folder.size() || !SameTextAnsi(path.substr(0, folder.size()), folder))
    return false;
  return folder.back() == '\\' || path[folder.size()] == '\\';
}

}  // namespace

std::string NormalizeWindowsPath(std::string_view input) {
  std::string path(input);
  std::replace(path.begin(), path.end(), '/', '\\');
  size_t restStart = 0;
  const std::string root = SplitRoot(path, restStart);
  std::vector<std::string> parts;
  for (std::string part : SplitComponents(std::string_view(path).substr(restStart))) {
    if (part == "..") {
      if (!parts.empty()) parts.pop_back();
      continue;
    }
    while (!part.empty() && (part.back() == '.' || part.back() == ' ')) part.pop_back();
    if (!part.empty()) parts.push_back(std::move(part));
  }
  std::string result = root;
  for (size_t i = 0; i < parts.size(); ++i) {
    bool needsSeparator = !result.empty() && result.back() != '\\' && !(result.size() == 2 && result[1] == ':');
    if (needsSeparator) result += '\\';
    result += parts[i];
  }
  return result;
}

bool IsSameOrBelow(std::string_view folder, std::string_view path) {
  const std::string normalFolder = NormalizeWindowsPath(folder);
  const std::string normalPath = NormalizeWindowsPath(path);
  if (normalFolder.empty()) return false;
  return SameTextAnsi(normalFolder, normalPath) || IsStrictlyBelow(normalFolder, normalPath);
}

std::string WorkingFolderOf(const std::string& path, const std::vector<std::string>& folders) {
  const std::string normalPath = NormalizeWindowsPath(path);
  std::string best;
  for (const std::string& folder : folders) {
    std::string normalFolder = NormalizeWindowsPath(folder);
    if (normalFolder.size() > best.size() && IsStrictlyBelow(normalFolder, normalPath)) best = normalFolder;
  }
  return best.empty() ? ExtractFileDir(normalPath) : best;
}

std::optional<std::string> LinkBelow(const std::string& base, const std::string& path) {
  const std::string normalBase = NormalizeWindowsPath(base);
  const std::string normalPath = NormalizeWindowsPath(path);
  if (!IsStrictlyBelow(normalBase, normalPath)) return std::nullopt;
  size_t restStart = normalBase.size() + (normalBase.back() == '\\' ? 0 : 1);
  std::vector<std::string> parts = SplitComponents(std::string_view(normalPath).substr(restStart));
  std::string current = normalBase;
  // The last component is the operation's own business: a file is opened
  // without following a link there, a link in a folder's place is removed
  // itself.
  for (size_t i = 0; i + 1 < parts.size(); ++i) {
    current = IncludeTrailingBackslash(current) + parts[i];
    auto attributes = Files().Attributes(current);
    if (!attributes) return std::nullopt;  // nothing more below
    // Any link counts, also one whose target is missing now (it may appear).
    if (*attributes & kAttributeReparsePoint) return current;
    if ((*attributes & kAttributeDirectory) == 0) return std::nullopt;
  }
  return std::nullopt;
}

TStatus CheckTreeRemovable(const std::string& folder) {
  const std::string normal = NormalizeWindowsPath(folder);
  if (normal.size() < 3 || normal[1] != ':' || normal[2] != '\\' || !IsDriveLetter(normal[0]))
    return TStatus::Failure("\"" + folder + "\" is not a folder on a drive");
  if (normal.size() == 3) return TStatus::Failure("\"" + folder + "\" is the root of a drive");
  for (const std::string& system : Shell().SystemFolders()) {
    if (SameTextAnsi(NormalizeWindowsPath(system), normal))
      return TStatus::Failure("\"" + folder + "\" is the system folder \"" + system + "\"");
    if (IsStrictlyBelow(normal, NormalizeWindowsPath(system)))
      return TStatus::Failure("\"" + folder + "\" holds the system folder \"" + system + "\"");
  }
  return TStatus::Success();
}

}  // namespace tailpack
