// The POSIX file system: Windows paths through the drive map, Windows
// semantics where the core relies on them (a rename never replaces, a
// read-only file cannot be deleted, folders cannot be opened as files).

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <sys/statvfs.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstdlib>

#include "base/Text.h"
#include "platform/HostPaths.h"
#include "platform/Platform.h"
#include "platform/posix/DriveMap.h"

namespace tailpack {

namespace {

class TPosixFile final : public IFile {
 public:
  explicit TPosixFile(int descriptor) : fd_(descriptor) {}
  ~TPosixFile() override { close(fd_); }
  TPosixFile(const TPosixFile&) = delete;
  TPosixFile& operator=(const TPosixFile&) = delete;

  uint32_t Read(void* buffer, uint32_t count) override {
    uint32_t total = 0;
    while (total < count) {
      ssize_t got = read(fd_, static_cast<char*>(buffer) + total, count - total);
      if (got < 0 && errno == EINTR) continue;
      if (got <= 0) break;
      total += static_cast<uint32_t>(got);
    }
    return total;
  }

  uint32_t Write(const void* buffer, uint32_t count) override {
    uint32_t total = 0;
    while (total < count) {
      ssize_t put = write(fd_, static_cast<const char*>(buffer) + total, count - total);
      if (put < 0 && errno == EINTR) continue;
      if (put <= 0) break;
      total += static_cast<uint32_t>(put);
    }
    return total;
  }

  bool Seek(uint64_t position) override {
    return lseek(fd_, static_cast<off_t>(position), SEEK_SET) == static_cast<off_t>(position);
  }

  std::optional<uint64_t> Position() override {
    off_t at = lseek(fd_, 0, SEEK_CUR);
    if (at < 0) return std::nullopt;
    return static_cast<uint64_t>(at);
  }

  std::optional<uint64_t> Size() override {
    struct stat info;
    if (fstat(fd_, &info) != 0) return std::nullopt;
    return static_cast<uint64_t>(info.st_size);
  }

  bool Truncate() override {
    auto at = Position();
    return at && ftruncate(fd_, static_cast<off_t>(*at)) == 0;
  }

  bool Flush() override { return fsync(fd_) == 0 || errno == EINVAL; }

 private:
  int fd_;
};

// Windows wildcard matching: "*" any run, "?" one character, case-insensitive;
// "*.*" matches names without a dot too.
bool MatchesWildcard(const std::string& name, const std::string& pattern) {
  if (pattern == "*.*" || pattern == "*") return true;
  size_t n = 0, p = 0, starP = std::string::npos, starN = 0;
  while (n < name.size()) {
    if (p < pattern.size() && (pattern[p] == '?' || AnsiLowerChar(pattern[p]) == AnsiLowerChar(name[n]))) {
      ++n;
      ++p;
    } else if (p < pattern.size() && pattern[p] == '*') {
      starP = p++;
      starN = n;
    } else if (starP != std::string::npos) {
      p = starP + 1;
      n = ++starN;
    } else {
      return false;
    }
  }
  while (p < pattern.size() && pattern[p] == '*') ++p;
  return p == pattern.size();
}

std::optional<uint32_t> HostAttributes(const std::string& host) {
  struct stat info;
  if (lstat(host.c_str(), &info) != 0) return std::nullopt;
  uint32_t attributes = 0;
  if (S_ISLNK(info.st_mode)) {
    attributes |= kAttributeReparsePoint;
    struct stat target;
    if (stat(host.c_str(), &target) == 0) info = target;
  }
  if (S_ISDIR(info.st_mode)) attributes |= kAttributeDirectory;
  else attributes |= kAttributeArchive;
  if ((info.st_mode & S_IWUSR) == 0) attributes |= kAttributeReadOnly;
  return attributes;
}

class TPosixFileSystem final : public IFileSystem {
 public:
  std::unique_ptr<IFile> Open(const std::string& path, TFileMode mode, TFileShare) override {
    auto host = posix::ToHostPath(path);
    if (!host) return nullptr;
    int flags = O_CLOEXEC;
    switch (mode) {
      case TFileMode::OpenRead: flags |= O_RDONLY; break;
      case TFileMode::OpenReadWrite: flags |= O_RDWR; break;
      case TFileMode::CreateAlways: flags |= O_RDWR | O_CREAT | O_TRUNC; break;
      case TFileMode::CreateNew: flags |= O_RDWR | O_CREAT | O_EXCL | O_NOFOLLOW; break;
    }
    int fd = open(host->c_str(), flags, 0644);
    if (fd < 0) return nullptr;
    struct stat info;
    if (fstat(fd, &info) != 0 || S_ISDIR(info.st_mode)) {
      close(fd);
      return nullptr;
    }
    return std::make_unique<TPosixFile>(fd);
  }

  std::optional<uint32_t> Attributes(const std::string& path) override {
    auto host = posix::ToHostPath(path);
    if (!host) return std::nullopt;
    return HostAttributes(*host);
  }

  bool SetAttributes(const std::string& path, uint32_t attributes) override {
    auto host = posix::ToHostPath(path);
    struct stat info;
    if (!host || stat(host->c_str(), &info) != 0) return false;
    mode_t mode = info.st_mode & 07777;
    if (attributes & kAttributeReadOnly) mode &= ~static_cast<mode_t>(S_IWUSR | S_IWGRP | S_IWOTH);
    else mode |= S_IWUSR;
    return chmod(host->c_str(), mode) == 0;
  }

  std::vector<TFolderEntry> FindFiles(const std::string& pattern) override {
    std::vector<TFolderEntry> entries;
    size_t separator = pattern.find_last_of("\\:");
    std::string folder = separator == std::string::npos ? "" : pattern.substr(0, separator + 1);
    std::string wildcard = separator == std::string::npos ? pattern : pattern.substr(separator + 1);
    auto host = posix::ToHostPath(folder.empty() ? "." : folder);
    if (!host) return entries;
    DIR* dir = opendir(host->c_str());
    if (!dir) return entries;
    while (dirent* item = readdir(dir)) {
      std::string hostName = item->d_name;
      if (hostName == "." || hostName == "..") continue;
      std::string name = posix::HostNameToAnsi(hostName);
      if (!MatchesWildcard(name, wildcard)) continue;
      std::string full = (*host == "/" ? "" : *host) + "/" + hostName;
      auto attributes = HostAttributes(full);
      if (!attributes) continue;
      struct stat info;
      uint64_t size = stat(full.c_str(), &info) == 0 && S_ISREG(info.st_mode) ? static_cast<uint64_t>(info.st_size) : 0;
      entries.push_back(TFolderEntry{name, *attributes, size});
    }
    closedir(dir);
    // Windows lists NTFS folders in name order; keep listings reproducible.
    std::sort(entries.begin(), entries.end(),
              [](const TFolderEntry& a, const TFolderEntry& b) { return AnsiLower(a.Name) < AnsiLower(b.Name); });
    return entries;
  }

  bool CreateFolder(const std::string& path) override {
    auto host = posix::ToHostPath(path);
    return host && mkdir(host->c_str(), 0755) == 0;
  }

  bool RemoveFolder(const std::string& path) override {
    auto host = posix::ToHostPath(path);
    if (!host) return false;
    struct stat info;
    if (lstat(host->c_str(), &info) == 0 && S_ISLNK(info.st_mode)) return unlink(host->c_str()) == 0;
    return rmdir(host->c_str()) == 0;
  }

  bool Copy(const std::string& source, const std::string& destination, bool failIfExists) override {
    auto from = posix::ToHostPath(source);
    auto to = posix::ToHostPath(destination);
    if (!from || !to) return false;
    int in = open(from->c_str(), O_RDONLY | O_CLOEXEC);
    if (in < 0) return false;
    struct stat info;
    if (fstat(in, &info) != 0 || !S_ISREG(info.st_mode)) {
      close(in);
      return false;
    }
    int flags = O_WRONLY | O_CREAT | O_CLOEXEC | (failIfExists ? O_EXCL : O_TRUNC);
    int out = open(to->c_str(), flags, info.st_mode & 0777);
    if (out < 0) {
      close(in);
      return false;
    }
    std::vector<char> buffer(1 << 20);
    bool ok = true;
    for (;;) {
      ssize_t got = read(in, buffer.data(), buffer.size());
      if (got < 0 && errno == EINTR) continue;
      if (got < 0) ok = false;
      if (got <= 0) break;
      ssize_t done = 0;
      while (done < got) {
        ssize_t put = write(out, buffer.data() + done, static_cast<size_t>(got - done));
        if (put < 0 && errno == EINTR) continue;
        if (put <= 0) {
          ok = false;
          break;
        }
        done += put;
      }
      if (!ok) break;
    }
    close(in);
    if (close(out) != 0) ok = false;
    if (!ok) unlink(to->c_str());
    return ok;
  }

  bool Rename(const std::string& oldPath, const std::string& newPath) override {
    auto from = posix::ToHostPath(oldPath);
    auto to = posix::ToHostPath(newPath);
    if (!from || !to) return false;
    // Like MoveFile, never replace an existing destination.
    return renameat2(AT_FDCWD, from->c_str(), AT_FDCWD, to->c_str(), RENAME_NOREPLACE) == 0;
  }

  bool Delete(const std::string& path) override {
    auto host = posix::ToHostPath(path);
    if (!host) return false;
    auto attributes = HostAttributes(*host);
    if (!attributes) return false;
    bool isLink = (*attributes & kAttributeReparsePoint) != 0;
    if (!isLink && (*attributes & (kAttributeDirectory | kAttributeReadOnly))) return false;
    return unlink(host->c_str()) == 0;
  }

  std::string TempFolder() override {
    const char* tmp = std::getenv("TMPDIR");
    std::string host = tmp && *tmp ? tmp : "/tmp";
    auto windows = WindowsPathFromHost(host);
    if (!windows) return "C:\\";
    return *windows + (windows->back() == '\\' ? "" : "\\");
  }

  std::optional<std::string> CreatePrivateFolder(const std::string& parent) override {
    auto host = posix::ToHostPath(parent);
    if (!host) return std::nullopt;
    std::string model = (*host == "/" ? "" : *host) + "/tailpack-XXXXXX";
    if (!mkdtemp(model.data())) return std::nullopt;  // mode 0700
    std::string name = model.substr(model.rfind('/') + 1);
    std::string windows = parent;
    if (!windows.empty() && windows.back() != '\\') windows += '\\';
    return windows + name;
  }

  std::vector<std::string> LogicalDrives() override {
    std::vector<std::string> roots;
    for (const auto& drive : posix::CurrentDrives()) roots.push_back(std::string(1, drive.Letter) + ":\\");
    return roots;
  }

  TDriveType DriveType(const std::string& root) override {
    if (root.size() < 2 || root[1] != ':') return TDriveType::NoRootFolder;
    auto drive = posix::FindDrive(root[0]);
    struct stat info;
    if (!drive || stat(drive->HostRoot.c_str(), &info) != 0 || !S_ISDIR(info.st_mode))
      return TDriveType::NoRootFolder;
    return drive->Type;
  }

  std::optional<uint64_t> FreeSpace(const std::string& root) override {
    if (root.empty()) return std::nullopt;
    auto drive = posix::FindDrive(root[0]);
    struct statvfs info;
    if (!drive || statvfs(drive->HostRoot.c_str(), &info) != 0) return std::nullopt;
    return static_cast<uint64_t>(info.f_bavail) * info.f_frsize;
  }
};

}  // namespace

IFileSystem& NativeFileSystem() {
  static TPosixFileSystem fileSystem;
  return fileSystem;
}

}  // namespace tailpack
