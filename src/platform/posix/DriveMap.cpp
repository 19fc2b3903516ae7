#include "platform/posix/DriveMap.h"

#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <mutex>

#include "base/Text.h"
#include "platform/HostPaths.h"
#include "platform/TextCase.h"
#include "platform/TextCodec.h"
#include "platform/posix/FolderListings.h"

namespace tailpack::posix {

namespace {

std::optional<TDriveType> TypeFromWord(const std::string& word) {
  std::string lower = LowerAnsi(word);
  if (lower == "fixed") return TDriveType::Fixed;
  if (lower == "removable") return TDriveType::Removable;
  if (lower == "cdrom") return TDriveType::CdRom;
  if (lower == "remote") return TDriveType::Remote;
  if (lower == "ram") return TDriveType::RamDisk;
  return std::nullopt;
}

std::string CurrentHostFolder() {
  std::string buffer(4096, '\0');
  if (!getcwd(buffer.data(), buffer.size())) return "/";
  buffer.resize(buffer.find('\0'));
  return buffer;
}

// Removes "." and ".." lexically and doubled or trailing slashes; relative
// paths are taken from the current folder.
std::string CleanHostPath(const std::string& path) {
  std::string absolute = !path.empty() && path[0] == '/' ? path : CurrentHostFolder() + "/" + path;
  std::vector<std::string> parts;
  size_t start = 0;
  while (start <= absolute.size()) {
    size_t end = absolute.find('/', start);
    if (end == std::string::npos) end = absolute.size();
    std::string part = absolute.substr(start, end - start);
    start = end + 1;
    if (part.empty() || part == ".") continue;
    if (part == "..") {
      if (!parts.empty()) parts.pop_back();
      continue;
    }
    parts.push_back(part);
  }
  std::string clean;
  for (const auto& part : parts) clean += "/" + part;
  return clean.empty() ? "/" : clean;
}

std::vector<TDrive> ParseDrives(const char* variable) {
  std::vector<TDrive> drives;
  auto put = [&drives](TDrive drive) {
    auto same = std::find_if(drives.begin(), drives.end(), [&](const TDrive& d) { return d.Letter == drive.Letter; });
    if (same != drives.end()) *same = drive; else drives.push_back(drive);
  };
  if (variable && *variable) {
    std::string text = variable;
    size_t start = 0;
    while (start <= text.size()) {
      size_t end = text.find(';', start);
      if (end == std::string::npos) end = text.size();
      std::string item = Trim(text.substr(start, end - start));
      start = end + 1;
      if (item.size() < 3 || item[1] != '=') continue;
      char letter = UpperAnsiChar(item[0]);
      if (letter < 'A' || letter > 'Z') continue;
      TDrive drive{letter, item.substr(2), TDriveType::Fixed, false};
      size_t colon = drive.HostRoot.rfind(':');
      if (colon != std::string::npos) {
        if (auto type = TypeFromWord(drive.HostRoot.substr(colon + 1))) {
          drive.Type = *type;
          drive.HostRoot.resize(colon);
        }
      }
      if (drive.HostRoot.empty()) continue;
      drive.HostRoot = CleanHostPath(drive.HostRoot);
      put(drive);
    }
  } else {
    put(TDrive{'C', UserDataFolder() + "/drive_c", TDriveType::Fixed, true});
  }
  if (std::none_of(drives.begin(), drives.end(), [](const TDrive& d) { return d.Letter == 'Z'; }))
    put(TDrive{'Z', "/", TDriveType::Fixed, false});
  std::sort(drives.begin(), drives.end(), [](const TDrive& a, const TDrive& b) { return a.Letter < b.Letter; });
  return drives;
}

// Characters Windows refuses in a file or folder name.
bool IsValidComponent(const std::string& part) {
  for (char c : part) {
    auto byte = static_cast<unsigned char>(c);
    if (byte < 0x20 || std::string_view("<>:\"|?*").find(c) != std::string_view::npos) return false;
  }
  return true;
}

// Splits a Windows path after its root into components, resolving "." and
// ".." lexically as Windows does; ".." never climbs above the root. Windows
// also drops trailing dots and blanks of each name ("a." is "a"), so a name
// created here stays reachable under the same spelling there. Nothing when a
// component holds a character Windows forbids.
std::optional<std::vector<std::string>> Components(const std::string& rest) {
  std::vector<std::string> parts;
  size_t start = 0;
  while (start <= rest.size()) {
    size_t end = rest.find('\\', start);
    if (end == std::string::npos) end = rest.size();
    std::string part = rest.substr(start, end - start);
    start = end + 1;
    if (part == "..") {
      if (!parts.empty()) parts.pop_back();
      continue;
    }
    while (!part.empty() && (part.back() == '.' || part.back() == ' ')) part.pop_back();
    if (part.empty()) continue;
    if (!IsValidComponent(part)) return std::nullopt;
    parts.push_back(part);
  }
  return parts;
}

bool HostExists(const std::string& path) {
  struct stat info;
  return lstat(path.c_str(), &info) == 0;
}

// Appends one component, matching an existing name case-insensitively: the
// exact spelling first, then the folder's (kept) listing.
std::string AppendComponent(const std::string& folder, const std::string& ansiName) {
  std::string base = folder == "/" ? "" : folder;
  std::string exact = base + "/" + AnsiToHostName(ansiName);
  if (HostExists(exact)) return exact;
  if (auto found = FolderListings().Find(folder, ansiName)) return base + "/" + *found;
  return exact;
}

}  // namespace

std::string UserDataFolder() {
  std::string base;
  if (const char* data = std::getenv("XDG_DATA_HOME"); data && *data == '/') {
    base = data;
  } else if (const char* home = std::getenv("HOME"); home && *home == '/') {
    base = std::string(home) + "/.local/share";
  } else {
    base = "/tmp";
  }
  return CleanHostPath(base) + "/tailpack";
}

void MakeHostFolders(const std::string& path) {
  for (size_t i = 1; i <= path.size(); ++i)
    if (i == path.size() || path[i] == '/') mkdir(path.substr(0, i).c_str(), 0755);
}

std::vector<TDrive> CurrentDrives() {
  // Tests change the variable between cases; parse again only when it changes.
  static std::mutex lock;
  static std::string lastText = "\x01";
  static std::vector<TDrive> drives;
  std::lock_guard guard(lock);
  const char* variable = std::getenv("TAILPACK_DRIVES");
  std::string text = variable ? variable : "";
  if (!variable || !*variable) text += "\x02" + UserDataFolder();  // the default depends on these too
  if (text != lastText) {
    drives = ParseDrives(variable);
    lastText = text;
  }
  return drives;
}

std::optional<TDrive> FindDrive(char letter) {
  letter = UpperAnsiChar(letter);
  for (const TDrive& drive : CurrentDrives())
    if (drive.Letter == letter) return drive;
  return std::nullopt;
}

bool EnsureDriveRoot(const TDrive& drive) {
  struct stat info;
  if (stat(drive.HostRoot.c_str(), &info) == 0) return S_ISDIR(info.st_mode);
  if (!drive.CreateOnUse) return false;
  MakeHostFolders(drive.HostRoot);
  return stat(drive.HostRoot.c_str(), &info) == 0 && S_ISDIR(info.st_mode);
}

std::string AnsiToHostName(const std::string& ansi) { return Utf16ToUtf8(AnsiToWide(ansi)); }
std::string HostNameToAnsi(const std::string& hostName) { return WideToAnsi(Utf8ToUtf16(hostName)); }

std::optional<std::string> ToHostPath(const std::string& windowsPath) {
  if (windowsPath.empty()) return std::nullopt;
  std::string path = windowsPath;
  std::replace(path.begin(), path.end(), '/', '\\');
  // Network shares and device paths ("\\server\share", "\\?\C:\") have no host form.
  if (path.rfind("\\\\", 0) == 0) return std::nullopt;
  std::string host;
  std::string rest;
  // Only a drive made on first use needs its folder made here; the others'
  // folders are there or not, and a path on them fails when not.
  if (path.size() >= 2 && path[1] == ':') {
    auto drive = FindDrive(path[0]);
    if (!drive) return std::nullopt;
    if (drive->CreateOnUse) EnsureDriveRoot(*drive);
    host = drive->HostRoot;
    rest = path.substr(2);
  } else if (path[0] == '\\') {
    auto drive = FindDrive('C');
    if (!drive) return std::nullopt;
    if (drive->CreateOnUse) EnsureDriveRoot(*drive);
    host = drive->HostRoot;
    rest = path;
  } else {
    host = ".";  // relative to the current folder
    rest = path;
  }
  auto parts = Components(rest);
  if (!parts) return std::nullopt;
  if (parts->empty()) return host;
  // Names are nearly always spelt as they exist: when the whole path, or all
  // of it but a new last name, exists as written, one look settles every
  // component that a walk would have looked at one by one.
  std::string folder = host;
  for (size_t i = 0; i + 1 < parts->size(); ++i) folder = (folder == "/" ? "" : folder) + "/" + AnsiToHostName((*parts)[i]);
  const std::string& last = parts->back();
  std::string whole = (folder == "/" ? "" : folder) + "/" + AnsiToHostName(last);
  if (HostExists(whole)) return whole;
  if (parts->size() == 1 || HostExists(folder)) {
    if (auto found = FolderListings().Find(folder, last)) return (folder == "/" ? "" : folder) + "/" + *found;
    return whole;
  }
  for (const std::string& part : *parts) host = AppendComponent(host, part);
  return host;
}

}  // namespace tailpack::posix

namespace tailpack {

std::optional<std::string> HostPathFromWindows(const std::string& windowsPath) {
  return posix::ToHostPath(windowsPath);
}

std::optional<std::string> WindowsPathFromHost(const std::string& hostPath) {
  if (hostPath.empty()) return std::nullopt;
  std::string clean = posix::CleanHostPath(hostPath);
  std::optional<posix::TDrive> best;
  for (const posix::TDrive& drive : posix::CurrentDrives()) {
    const std::string& root = drive.HostRoot;
    bool covers = root == "/" || clean == root || clean.rfind(root + "/", 0) == 0;
    if (covers && (!best || root.size() > best->HostRoot.size())) best = drive;
  }
  if (!best) return std::nullopt;
  std::string rest = best->HostRoot == "/" ? clean : clean.substr(best->HostRoot.size());
  std::string windows = std::string(1, best->Letter) + ":";
  for (char c : posix::HostNameToAnsi(rest)) windows += c == '/' ? '\\' : c;
  if (windows.size() == 2) windows += '\\';
  return windows;
}

}  // namespace tailpack
