// The POSIX file system: Windows paths through the drive map, Windows
// semantics where the core relies on them (a rename never replaces, a
// read-only file can be neither written nor deleted, folders cannot be opened
// as files, links are never followed when removing). The read-only attribute
// is the owner's write bit and is checked here rather than left to the
// kernel, because a setup often runs as root, which the kernel lets write
// anything.

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <sys/statvfs.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <mutex>
#include <utility>
#include <vector>

#include "platform/HostPaths.h"
#include "platform/Platform.h"
#include "platform/TextCase.h"
#include "platform/posix/Descriptor.h"
#include "platform/posix/DriveMap.h"
#include "platform/posix/FolderListings.h"

namespace tailpack {

namespace {

using posix::TDescriptor;

struct TDirCloser {
  void operator()(DIR* dir) const { closedir(dir); }
};

class TPosixFile final : public IFile {
 public:
  explicit TPosixFile(int descriptor) : fd_(descriptor) {}

  uint32_t Read(void* buffer, uint32_t count) override {
    uint32_t total = 0;
    while (total < count) {
      ssize_t got = read(fd_.Get(), static_cast<char*>(buffer) + total, count - total);
      if (got < 0 && errno == EINTR) continue;
      if (got <= 0) break;
      total += static_cast<uint32_t>(got);
    }
    return total;
  }

  uint32_t Write(const void* buffer, uint32_t count) override {
    uint32_t total = 0;
    while (total < count) {
      ssize_t put = write(fd_.Get(), static_cast<const char*>(buffer) + total, count - total);
      if (put < 0 && errno == EINTR) continue;
      if (put <= 0) break;
      total += static_cast<uint32_t>(put);
    }
    written_ = written_ || total > 0;
    return total;
  }

  bool Seek(uint64_t position) override {
    if (position > static_cast<uint64_t>(INT64_MAX)) return false;
    return lseek(fd_.Get(), static_cast<off_t>(position), SEEK_SET) == static_cast<off_t>(position);
  }

  std::optional<uint64_t> Position() override {
    off_t at = lseek(fd_.Get(), 0, SEEK_CUR);
    if (at < 0) return std::nullopt;
    return static_cast<uint64_t>(at);
  }

  std::optional<uint64_t> Size() override {
    struct stat info;
    if (fstat(fd_.Get(), &info) != 0) return std::nullopt;
    return static_cast<uint64_t>(info.st_size);
  }

  bool Truncate() override {
    auto at = Position();
    return at && ftruncate(fd_.Get(), static_cast<off_t>(*at)) == 0;
  }

  bool Flush() override { return fsync(fd_.Get()) == 0 || errno == EINVAL; }

  bool Close() override {
    if (fd_.Get() < 0) return true;
    // Starts writing the data out now, without waiting for it, so the one
    // flush at the end of a run finds little left to wait for.
    if (written_) sync_file_range(fd_.Get(), 0, 0, SYNC_FILE_RANGE_WRITE);
    return close(fd_.Release()) == 0;
  }

 private:
  TDescriptor fd_;
  bool written_ = false;
};

// The file systems written to since the last flush, each with a descriptor
// opened before the first write to it: syncfs through that descriptor pushes
// the whole file system to disk and reports every write-back error since the
// descriptor was opened, so the files themselves need no flush of their own.
class TWrittenFileSystems {
 public:
  // Notes the file system of a file just opened (or created) for writing in
  // Folder.
  void Note(int written, dev_t device, const std::string& folder) {
    std::lock_guard guard(lock_);
    for (const auto& known : descriptors_)
      if (known.first == device) return;
    // The folder rather than the file: a file the run deletes later would
    // otherwise keep its space until the flush.
    int descriptor = open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (descriptor < 0) descriptor = fcntl(written, F_DUPFD_CLOEXEC, 0);
    descriptors_.emplace_back(device, std::make_unique<TDescriptor>(descriptor));
  }

  // Notes the file system of a folder just created.
  void NoteFolder(const std::string& folder) {
    struct stat info;
    if (stat(folder.c_str(), &info) != 0) return;
    {
      std::lock_guard guard(lock_);
      for (const auto& known : descriptors_)
        if (known.first == info.st_dev) return;
    }
    TDescriptor descriptor(open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (descriptor.Get() >= 0) Note(descriptor.Get(), info.st_dev, folder);
  }

  bool FlushAll() {
    std::lock_guard guard(lock_);
    bool flushed = true;
    for (const auto& [device, descriptor] : descriptors_) {
      // Without any descriptor nothing could tell whether the data arrived.
      if (descriptor->Get() < 0 || syncfs(descriptor->Get()) != 0) flushed = false;
    }
    descriptors_.clear();
    return flushed;
  }

 private:
  std::mutex lock_;
  std::vector<std::pair<dev_t, std::unique_ptr<TDescriptor>>> descriptors_;
};

TWrittenFileSystems& WrittenFileSystems() {
  static TWrittenFileSystems written;
  return written;
}

std::string HostFolderOf(const std::string& host) {
  size_t slash = host.rfind('/');
  if (slash == std::string::npos) return ".";
  return slash == 0 ? "/" : host.substr(0, slash);
}

// "*" any run, "?" one character, case-insensitive.
bool MatchPlain(const std::string& name, const std::string& pattern) {
  size_t n = 0, p = 0, starP = std::string::npos, starN = 0;
  while (n < name.size()) {
    if (p < pattern.size() && pattern[p] != '*' &&
        (pattern[p] == '?' || LowerAnsiChar(pattern[p]) == LowerAnsiChar(name[n]))) {
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

// Windows wildcard matching. Beyond plain globbing, a final ".*" may also
// match the end of a name without an extension ("*.*" matches "README",
// "setup.*" matches "setup"), and a pattern ending in "." matches only names
// without a dot ("*." lists the names without an extension).
bool MatchesWildcard(const std::string& name, const std::string& pattern) {
  if (pattern.empty()) return false;
  if (pattern.back() == '.') {
    std::string stem = pattern;
    while (!stem.empty() && stem.back() == '.') stem.pop_back();
    return !stem.empty() && name.find('.') == std::string::npos && MatchPlain(name, stem);
  }
  if (MatchPlain(name, pattern)) return true;
  return pattern.size() >= 2 && pattern.compare(pattern.size() - 2, 2, ".*") == 0 &&
         MatchPlain(name, pattern.substr(0, pattern.size() - 2));
}

// The attributes of a host path, the link itself rather than its target: a
// link is a reparse point, and a folder when it points to one.
std::optional<uint32_t> HostAttributes(const std::string& host, struct stat* found = nullptr) {
  struct stat own;
  struct stat& info = found ? *found : own;
  if (lstat(host.c_str(), &info) != 0) return std::nullopt;
  if (S_ISLNK(info.st_mode)) {
    struct stat target;
    bool folder = stat(host.c_str(), &target) == 0 && S_ISDIR(target.st_mode);
    return kAttributeReparsePoint | (folder ? kAttributeDirectory : kAttributeArchive);
  }
  uint32_t attributes = S_ISDIR(info.st_mode) ? kAttributeDirectory : kAttributeArchive;
  if ((info.st_mode & S_IWUSR) == 0) attributes |= kAttributeReadOnly;
  return attributes;
}

// The identities of the folders the drive letters are mapped to. Such a
// folder met inside another drive (C:'s folder seen through Z:) is what a
// mounted volume is on Windows: a reparse point that a tree removal does not
// enter, and it is never removed itself.
struct TFolderIdentity {
  dev_t Device;
  ino_t Inode;
  char Letter;
};

std::vector<TFolderIdentity> DriveRootIdentities() {
  std::vector<TFolderIdentity> roots;
  for (const posix::TDrive& drive : posix::CurrentDrives()) {
    struct stat info;
    if (stat(drive.HostRoot.c_str(), &info) == 0 && S_ISDIR(info.st_mode))
      roots.push_back({info.st_dev, info.st_ino, drive.Letter});
  }
  return roots;
}

bool IsAmong(const struct stat& info, const std::vector<TFolderIdentity>& roots) {
  return std::any_of(roots.begin(), roots.end(), [&info](const TFolderIdentity& root) {
    return root.Device == info.st_dev && root.Inode == info.st_ino;
  });
}

// Whether a folder (Info, as lstat gave it: no link), reached through the
// Windows path Path, is the folder of a drive other than the one Path starts
// on (C:'s folder seen through Z:).
bool IsOtherDrivesFolder(const std::string& path, const struct stat& info) {
  // A rooted path without a drive ("\\a") starts on C:, as the drive map reads it.
  char letter = path.size() >= 2 && path[1] == ':' ? UpperAnsiChar(path[0]) : (!path.empty() && path[0] == '\\' ? 'C' : '\0');
  bool someDrivesFolder = false;
  bool ownDrivesFolder = false;
  for (const TFolderIdentity& root : DriveRootIdentities()) {
    if (root.Device != info.st_dev || root.Inode != info.st_ino) continue;
    someDrivesFolder = true;
    ownDrivesFolder = ownDrivesFolder || root.Letter == letter;
  }
  return someDrivesFolder && !ownDrivesFolder;
}

bool IsReadOnlyFile(const struct stat& info) { return S_ISREG(info.st_mode) && (info.st_mode & S_IWUSR) == 0; }

// Opens a host file that must be a regular file. O_NONBLOCK keeps a FIFO that
// happens to carry the name from blocking the open; it is cleared afterwards.
// A descriptor opened for writing notes its file system for the final flush.
int OpenRegularFile(const std::string& host, int flags, mode_t mode) {
  TDescriptor fd(open(host.c_str(), flags | O_NONBLOCK | O_CLOEXEC, mode));
  if (fd.Get() < 0) return -1;
  struct stat info;
  if (fstat(fd.Get(), &info) != 0 || !S_ISREG(info.st_mode)) return -1;
  int status = fcntl(fd.Get(), F_GETFL);
  if (status < 0 || fcntl(fd.Get(), F_SETFL, status & ~O_NONBLOCK) != 0) return -1;
  if ((flags & O_ACCMODE) != O_RDONLY) WrittenFileSystems().Note(fd.Get(), info.st_dev, HostFolderOf(host));
  return fd.Release();
}

// Removes a link that stands where a file is to be written, so the file
// replaces the link and what it points to stays as it is. A link to a folder
// is refused instead: no file takes a folder's place, as on Windows.
bool RemoveFileLink(const std::string& host) {
  struct stat target;
  if (stat(host.c_str(), &target) == 0 && S_ISDIR(target.st_mode)) return false;
  return unlink(host.c_str()) == 0;
}

// Copies everything from In to Out.
bool CopyContent(int in, int out) {
  std::vector<char> buffer(1 << 20);
  for (;;) {
    ssize_t got = read(in, buffer.data(), buffer.size());
    if (got < 0 && errno == EINTR) continue;
    if (got < 0) return false;
    if (got == 0) return true;
    ssize_t done = 0;
    while (done < got) {
      ssize_t put = write(out, buffer.data() + done, static_cast<size_t>(got - done));
      if (put < 0 && errno == EINTR) continue;
      if (put <= 0) return false;
      done += put;
    }
  }
}

// Copies one host file like CopyFile: content and attributes (mode).
bool CopyHostFile(const std::string& from, const std::string& to, bool failIfExists) {
  TDescriptor in(OpenRegularFile(from, O_RDONLY, 0));
  if (in.Get() < 0) return false;
  struct stat source;
  if (fstat(in.Get(), &source) != 0) return false;
  struct stat existing;
  bool exclusive = failIfExists;
  if (lstat(to.c_str(), &existing) == 0) {
    if (failIfExists) return false;
    if (S_ISLNK(existing.st_mode)) {
      // A link at the destination is replaced, never written through.
      if (!RemoveFileLink(to)) return false;
      exclusive = true;
    } else {
      // Copying a file onto itself would truncate it before reading it.
      if (existing.st_dev == source.st_dev && existing.st_ino == source.st_ino) return false;
      if (!S_ISREG(existing.st_mode) || IsReadOnlyFile(existing)) return false;
    }
  }
  int flags = O_WRONLY | O_CREAT | O_NOFOLLOW | (exclusive ? O_EXCL : O_TRUNC);
  TDescriptor out(OpenRegularFile(to, flags, 0600));
  if (out.Get() < 0) return false;
  bool ok = CopyContent(in.Get(), out.Get()) && fchmod(out.Get(), source.st_mode & 07777) == 0;
  ok = close(out.Release()) == 0 && ok;
  if (!ok) unlink(to.c_str());
  return ok;
}

// The host path of Path with its last component spelt as given rather than
// as an existing item spells it, so that a rename can change letter case.
std::optional<std::string> HostPathAsSpelt(const std::string& windowsPath, const std::string& resolved) {
  std::string path = windowsPath;
  std::replace(path.begin(), path.end(), '/', '\\');
  while (!path.empty() && (path.back() == '\\' || path.back() == '.' || path.back() == ' ')) path.pop_back();
  std::string requested = path.substr(path.find_last_of("\\:") + 1);
  size_t slash = resolved.rfind('/');
  if (requested.empty() || slash == std::string::npos) return std::nullopt;
  if (!SameTextAnsi(posix::HostNameToAnsi(resolved.substr(slash + 1)), requested)) return std::nullopt;
  return resolved.substr(0, slash + 1) + posix::AnsiToHostName(requested);
}

// Renames without ever replacing an existing name.
bool RenameNoReplace(const std::string& from, const std::string& to, const struct stat& source) {
  if (renameat2(AT_FDCWD, from.c_str(), AT_FDCWD, to.c_str(), RENAME_NOREPLACE) == 0) return true;
  if (errno == EINVAL || errno == ENOSYS) {
    // The file system cannot rename without replacing; a hard link fails
    // when the name exists, so it stands in for files.
    if (!S_ISREG(source.st_mode) || link(from.c_str(), to.c_str()) != 0) return false;
    if (unlink(from.c_str()) == 0) return true;
    unlink(to.c_str());
    return false;
  }
  if (errno == EXDEV && S_ISREG(source.st_mode)) {
    // Drives may live on different host file systems; MoveFile copies files
    // across volumes, and so does this.
    if (!CopyHostFile(from, to, true)) return false;
    if (unlink(from.c_str()) == 0) return true;
    unlink(to.c_str());
    return false;
  }
  return false;
}

class TPosixFileSystem final : public IFileSystem {
 public:
  std::unique_ptr<IFile> Open(const std::string& path, TFileMode mode, TFileShare) override {
    auto host = posix::ToHostPath(path);
    if (!host) return nullptr;
    // Writes never go through a link at the last component: an existing
    // file opened for writing must not be one, and creating one replaces a
    // link there (what it points to stays as it is). Reads may follow links.
    int flags = 0;
    switch (mode) {
      case TFileMode::OpenRead: flags = O_RDONLY; break;
      case TFileMode::OpenReadWrite: flags = O_RDWR | O_NOFOLLOW; break;
      case TFileMode::CreateAlways: flags = O_RDWR | O_CREAT | O_TRUNC | O_NOFOLLOW; break;
      case TFileMode::CreateNew: flags = O_RDWR | O_CREAT | O_EXCL | O_NOFOLLOW; break;
    }
    if (mode == TFileMode::OpenReadWrite || mode == TFileMode::CreateAlways) {
      struct stat info;
      if (lstat(host->c_str(), &info) == 0) {
        if (IsReadOnlyFile(info)) return nullptr;
        if (S_ISLNK(info.st_mode) && mode == TFileMode::CreateAlways) {
          if (!RemoveFileLink(*host)) return nullptr;
          flags = O_RDWR | O_CREAT | O_EXCL | O_NOFOLLOW;  // a link planted meanwhile fails the open
        }
      }
    }
    int fd = OpenRegularFile(*host, flags, 0644);
    if (fd < 0) return nullptr;
    if (flags & O_CREAT) posix::FolderListings().NoteAdded(*host);
    return std::make_unique<TPosixFile>(fd);
  }

  std::optional<uint32_t> Attributes(const std::string& path) override {
    auto host = posix::ToHostPath(path);
    if (!host) return std::nullopt;
    struct stat info;
    auto attributes = HostAttributes(*host, &info);
    // Only a real folder can be another drive's (a link already is a reparse point).
    if (attributes && S_ISDIR(info.st_mode) && IsOtherDrivesFolder(path, info)) *attributes |= kAttributeReparsePoint;
    return attributes;
  }

  bool SetAttributes(const std::string& path, uint32_t attributes) override {
    auto host = posix::ToHostPath(path);
    struct stat info;
    // A link's own attributes cannot be stored here; changing its target's
    // mode instead would reach outside the tree being worked on.
    if (!host || lstat(host->c_str(), &info) != 0 || S_ISLNK(info.st_mode)) return false;
    mode_t mode = info.st_mode & 07777;
    if (attributes & kAttributeReadOnly) mode &= ~static_cast<mode_t>(S_IWUSR | S_IWGRP | S_IWOTH);
    else mode |= S_IWUSR;
    return chmod(host->c_str(), mode) == 0;
  }

  std::vector<TFolderEntry> FindFiles(const std::string& pattern) override {
    std::vector<TFolderEntry> entries;
    size_t separator = pattern.find_last_of("\\/:");
    std::string folder = separator == std::string::npos ? "" : pattern.substr(0, separator + 1);
    std::string wildcard = separator == std::string::npos ? pattern : pattern.substr(separator + 1);
    auto host = posix::ToHostPath(folder.empty() ? "." : folder);
    if (!host) return entries;
    std::unique_ptr<DIR, TDirCloser> dir(opendir(host->c_str()));
    if (!dir) return entries;
    const std::vector<TFolderIdentity> driveRoots = DriveRootIdentities();
    while (dirent* item = readdir(dir.get())) {
      std::string hostName = item->d_name;
      if (hostName == "." || hostName == "..") continue;
      std::string name = posix::HostNameToAnsi(hostName);
      if (!MatchesWildcard(name, wildcard)) continue;
      std::string full = (*host == "/" ? "" : *host) + "/" + hostName;
      auto attributes = HostAttributes(full);
      if (!attributes) continue;
      struct stat info;
      bool known = lstat(full.c_str(), &info) == 0;
      uint64_t size = known && S_ISREG(info.st_mode) ? static_cast<uint64_t>(info.st_size) : 0;
      if (known && S_ISDIR(info.st_mode) && IsAmong(info, driveRoots)) *attributes |= kAttributeReparsePoint;
      entries.push_back(TFolderEntry{name, *attributes, size});
    }
    // NTFS lists a folder in the order of its upper-cased names; the host's
    // order is arbitrary, so sort the same way to keep listings reproducible.
    std::sort(entries.begin(), entries.end(), [](const TFolderEntry& a, const TFolderEntry& b) {
      std::string upperA = UpperAnsi(a.Name), upperB = UpperAnsi(b.Name);
      return upperA != upperB ? upperA < upperB : a.Name < b.Name;
    });
    return entries;
  }

  bool CreateFolder(const std::string& path) override {
    auto host = posix::ToHostPath(path);
    if (!host || mkdir(host->c_str(), 0755) != 0) return false;
    posix::FolderListings().NoteAdded(*host);
    WrittenFileSystems().NoteFolder(*host);
    return true;
  }

  bool RemoveFolder(const std::string& path) override {
    auto host = posix::ToHostPath(path);
    if (!host) return false;
    auto attributes = HostAttributes(*host);
    if (!attributes || (*attributes & kAttributeDirectory) == 0) return false;
    // A link to a folder goes itself; what it points to stays.
    bool removed = false;
    if (*attributes & kAttributeReparsePoint) {
      removed = unlink(host->c_str()) == 0;
    } else {
      // The folder of a drive letter stays, whichever drive names it.
      struct stat info;
      if (stat(host->c_str(), &info) != 0 || IsAmong(info, DriveRootIdentities())) return false;
      removed = rmdir(host->c_str()) == 0;
    }
    if (removed) posix::FolderListings().NoteRemoved(*host);
    return removed;
  }

  bool Copy(const std::string& source, const std::string& destination, bool failIfExists) override {
    auto from = posix::ToHostPath(source);
    auto to = posix::ToHostPath(destination);
    if (!from || !to || !CopyHostFile(*from, *to, failIfExists)) return false;
    posix::FolderListings().NoteAdded(*to);
    return true;
  }

  bool Rename(const std::string& oldPath, const std::string& newPath) override {
    auto from = posix::ToHostPath(oldPath);
    auto to = posix::ToHostPath(newPath);
    struct stat source;
    if (!from || !to || lstat(from->c_str(), &source) != 0) return false;
    std::string target = *to;
    if (*to == *from) {
      // The same item under another letter case: a change of spelling, which
      // Windows allows.
      auto spelt = HostPathAsSpelt(newPath, *to);
      if (!spelt) return false;
      if (*spelt == *from) return true;
      target = *spelt;
    }
    if (!RenameNoReplace(*from, target, source)) return false;
    posix::FolderListings().NoteRemoved(*from);
    posix::FolderListings().NoteAdded(target);
    return true;
  }

  bool RenameReplacing(const std::string& oldPath, const std::string& newPath) override {
    auto from = posix::ToHostPath(oldPath);
    auto to = posix::ToHostPath(newPath);
    struct stat source;
    if (!from || !to || lstat(from->c_str(), &source) != 0 || !S_ISREG(source.st_mode)) return false;
    // As on Windows, neither a folder nor a read-only file is replaced.
    auto target = HostAttributes(*to);
    if (target && (*target & (kAttributeDirectory | kAttributeReadOnly))) return false;
    if (rename(from->c_str(), to->c_str()) != 0) return false;
    posix::FolderListings().NoteRemoved(*from);
    posix::FolderListings().NoteAdded(*to);
    return true;
  }

  bool Delete(const std::string& path) override {
    auto host = posix::ToHostPath(path);
    if (!host) return false;
    auto attributes = HostAttributes(*host);
    // Folders, links to folders included, go through RemoveFolder.
    if (!attributes || (*attributes & (kAttributeDirectory | kAttributeReadOnly))) return false;
    if (unlink(host->c_str()) != 0) return false;
    posix::FolderListings().NoteRemoved(*host);
    return true;
  }

  bool MakeExecutable(const std::string& path) override {
    auto host = posix::ToHostPath(path);
    struct stat info;
    // Only a regular file, never what a link points to.
    if (!host || lstat(host->c_str(), &info) != 0 || !S_ISREG(info.st_mode)) return false;
    return chmod(host->c_str(), (info.st_mode & 07777) | S_IXUSR) == 0;
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
    // Like Windows, list only drives that are there.
    std::vector<std::string> roots;
    for (const auto& drive : posix::CurrentDrives()) {
      struct stat info;
      bool present = drive.CreateOnUse || (stat(drive.HostRoot.c_str(), &info) == 0 && S_ISDIR(info.st_mode));
      if (present) roots.push_back(std::string(1, drive.Letter) + ":\\");
    }
    return roots;
  }

  TDriveType DriveType(const std::string& root) override {
    if (root.size() < 2 || root[1] != ':') return TDriveType::NoRootFolder;
    auto drive = posix::FindDrive(root[0]);
    if (!drive || !posix::EnsureDriveRoot(*drive)) return TDriveType::NoRootFolder;
    return drive->Type;
  }

  std::optional<uint64_t> FreeSpace(const std::string& root) override {
    if (root.size() < 2 || root[1] != ':') return std::nullopt;
    auto drive = posix::FindDrive(root[0]);
    struct statvfs info;
    if (!drive || !posix::EnsureDriveRoot(*drive) || statvfs(drive->HostRoot.c_str(), &info) != 0)
      return std::nullopt;
    return static_cast<uint64_t>(info.f_bavail) * info.f_frsize;
  }

  bool FlushWrittenFiles() override { return WrittenFileSystems().FlushAll(); }

  bool FlushFolder(const std::string& folder) override {
    auto host = posix::ToHostPath(folder);
    if (!host) return false;
    TDescriptor directory(open(host->c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    return directory.Get() >= 0 && fsync(directory.Get()) == 0;
  }
};

}  // namespace

IFileSystem& NativeFileSystem() {
  static TPosixFileSystem fileSystem;
  return fileSystem;
}

}  // namespace tailpack
