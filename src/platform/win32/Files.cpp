// The Win32 file system: the wide API with the core's ANSI paths converted at
// the boundary.

#include <windows.h>
#include <wincrypt.h>

#include <algorithm>
#include <climits>
#include <set>
#include <mutex>
#include <vector>

#include "platform/Platform.h"
#include "platform/TextCase.h"
#include "platform/win32/Handles.h"
#include "platform/win32/PrivateFolderSecurity.h"
#include "platform/win32/WidePaths.h"
#include "platform/win32/WideText.h"

namespace tailpack {

namespace {

using win32::FromWide;
using win32::ToWide;
using win32::ToWidePath;
using win32::TPrivateFolderSecurity;
using win32::TWinHandle;

class TWin32File final : public IFile {
 public:
  explicit TWin32File(TWinHandle handle) : handle_(std::move(handle)) {}

  uint32_t Read(void* buffer, uint32_t count) override {
    uint32_t total = 0;
    while (total < count) {
      DWORD got = 0;
      if (!ReadFile(handle_.Get(), static_cast<char*>(buffer) + total, count - total, &got, nullptr) || got == 0)
        break;
      total += got;
    }
    return total;
  }

  uint32_t Write(const void* buffer, uint32_t count) override {
    uint32_t total = 0;
    while (total < count) {
      DWORD put = 0;
      if (!WriteFile(handle_.Get(), static_cast<const char*>(buffer) + total, count - total, &put, nullptr) ||
          put == 0)
        break;
      total += put;
    }
    return total;
  }

  bool Seek(uint64_t position) override {
    if (position > static_cast<uint64_t>(LLONG_MAX)) return false;
    LARGE_INTEGER distance;
    distance.QuadPart = static_cast<LONGLONG>(position);
    return SetFilePointerEx(handle_.Get(), distance, nullptr, FILE_BEGIN) != 0;
  }

  std::optional<uint64_t> Position() override {
    LARGE_INTEGER zero{};
    LARGE_INTEGER at{};
    if (!SetFilePointerEx(handle_.Get(), zero, &at, FILE_CURRENT)) return std::nullopt;
    return static_cast<uint64_t>(at.QuadPart);
  }

  std::optional<uint64_t> Size() override {
    LARGE_INTEGER size{};
    if (!GetFileSizeEx(handle_.Get(), &size)) return std::nullopt;
    return static_cast<uint64_t>(size.QuadPart);
  }

  bool Truncate() override { return SetEndOfFile(handle_.Get()) != 0; }

  bool Flush() override { return FlushFileBuffers(handle_.Get()) != 0; }

  bool Close() override {
    if (!handle_) return true;
    return CloseHandle(handle_.Release()) != 0;
  }

 private:
  TWinHandle handle_;
};

// Windows compares names without regard to case.
std::wstring PathKey(std::wstring path) {
  if (!path.empty()) CharUpperBuffW(path.data(), static_cast<DWORD>(path.size()));
  return path;
}

// The device of the volume that holds Root ("C:\" gives "\\.\C:"), for a
// flush of the whole volume; empty when it has none (a network share).
std::wstring VolumeDevice(const std::wstring& root) {
  if (root.size() == 3 && root[1] == L':' && root[2] == L'\\') return L"\\\\.\\" + root.substr(0, 2);
  wchar_t name[MAX_PATH + 1] = {};
  if (!GetVolumeNameForVolumeMountPointW(root.c_str(), name, MAX_PATH)) return {};
  std::wstring device = name;
  if (!device.empty() && device.back() == L'\\') device.pop_back();
  return device;
}

// A path without the long-name prefix: "\\?\C:\x" gives "C:\x",
// "\\?\UNC\server\share" gives "\\server\share".
std::wstring WithoutLongPrefix(const std::wstring& path) {
  if (path.compare(0, 8, L"\\\\?\\UNC\\") == 0) return L"\\\\" + path.substr(8);
  if (path.compare(0, 4, L"\\\\?\\") == 0) return path.substr(4);
  return path;
}

// The root of the volume that holds Folder ("C:\" or the folder a volume is
// mounted on); for a name too long for the system's lookup, its drive.
std::wstring VolumeRoot(const std::wstring& folder) {
  wchar_t root[MAX_PATH + 1] = {};
  if (GetVolumePathNameW(folder.c_str(), root, MAX_PATH)) return WithoutLongPrefix(root);
  std::wstring plain = WithoutLongPrefix(folder);
  if (plain.size() >= 3 && plain[1] == L':' && plain[2] == L'\\') return plain.substr(0, 3);
  return {};
}

enum class TVolumeFlush { Flushed, NotOffered, Failed };

// Flushes everything written to the volume: one flush instead of one per
// file. Windows allows it to administrators (a setup runs as one); for
// others, and where the system does not offer it (Wine refuses it), it is
// not offered. Failed means the disk did not take what was written.
TVolumeFlush FlushVolume(const std::wstring& root) {
  std::wstring device = VolumeDevice(root);
  if (device.empty()) return TVolumeFlush::NotOffered;
  TWinHandle volume(CreateFileW(device.c_str(), GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                nullptr, OPEN_EXISTING, 0, nullptr));
  if (!volume) return TVolumeFlush::NotOffered;
  if (FlushFileBuffers(volume.Get())) return TVolumeFlush::Flushed;
  switch (GetLastError()) {
    case ERROR_INVALID_FUNCTION:
    case ERROR_NOT_SUPPORTED:
    case ERROR_ACCESS_DENIED:
    case ERROR_INVALID_PARAMETER:
      return TVolumeFlush::NotOffered;
    default:
      return TVolumeFlush::Failed;
  }
}

// The folders written into since the last flush, and with them the volumes
// the flush at the end has to reach.
//
// Durability on Windows: the installed files are not flushed one by one
// (each flush waits for the disk, and under Wine costs a host fsync), but
// with one flush of each volume written to. Where the volume flush is not
// allowed or not offered, no file is flushed alone either: the files are
// complete and closed, and reach the disk with the system's own write-back
// within seconds; only what has to stand on its own (the uninstall log, the
// uninstaller, the registry) keeps a flush of its own.
class TWrittenVolumes {
 public:
  void Note(const std::wstring& file) {
    std::wstring full = win32::FullPathName(file).value_or(file);
    std::wstring folder = full.substr(0, full.find_last_of(L'\\') + 1);
    std::lock_guard guard(lock_);
    folders_.insert(PathKey(folder));
  }

  bool FlushAll() {
    std::set<std::wstring> folders;
    {
      std::lock_guard guard(lock_);
      folders.swap(folders_);
    }
    std::set<std::wstring> volumes;
    for (const std::wstring& folder : folders) {
      std::wstring root = VolumeRoot(folder);
      if (!root.empty()) volumes.insert(PathKey(root));
    }
    // A volume flush that is not offered is no failure: nothing was lost,
    // the system writes the files back in its own time.
    bool flushed = true;
    for (const std::wstring& volume : volumes) flushed = FlushVolume(volume) != TVolumeFlush::Failed && flushed;
    return flushed;
  }

 private:
  std::mutex lock_;
  std::set<std::wstring> folders_;  // upper-cased, with their final backslash
};

TWrittenVolumes& WrittenVolumes() {
  static TWrittenVolumes written;
  return written;
}

class TFindHandle {
 public:
  explicit TFindHandle(HANDLE handle) : handle_(handle) {}
  ~TFindHandle() {
    if (handle_ != INVALID_HANDLE_VALUE) FindClose(handle_);
  }
  TFindHandle(const TFindHandle&) = delete;
  TFindHandle& operator=(const TFindHandle&) = delete;
  HANDLE Get() const { return handle_; }
  bool Valid() const { return handle_ != INVALID_HANDLE_VALUE; }

 private:
  HANDLE handle_;
};

class TCryptProvider {
 public:
  TCryptProvider() {
    if (!CryptAcquireContextW(&provider_, nullptr, nullptr, PROV_RSA_FULL, CRYPT_VERIFYCONTEXT | CRYPT_SILENT))
      provider_ = 0;
  }
  ~TCryptProvider() {
    if (provider_) CryptReleaseContext(provider_, 0);
  }
  TCryptProvider(const TCryptProvider&) = delete;
  TCryptProvider& operator=(const TCryptProvider&) = delete;

  bool Random(BYTE* bytes, DWORD count) { return provider_ && CryptGenRandom(provider_, count, bytes); }

 private:
  HCRYPTPROV provider_ = 0;
};

// A name nobody can predict: 80 random bits as 16 characters that
// stay distinct on a case-insensitive file system.
std::optional<std::string> RandomName(TCryptProvider& random) {
  static constexpr char kAlphabet[] = "abcdefghijklmnopqrstuvwxyz234567";
  BYTE bytes[16];
  if (!random.Random(bytes, sizeof bytes)) return std::nullopt;
  std::string name = "tailpack-";
  for (BYTE byte : bytes) name += kAlphabet[byte & 31];
  return name;
}

// Windows refuses to open a read-only file for writing whoever asks; Wine
// leaves that to the host's file permissions, which do not bind a root user.
// Asking first keeps the rule the same everywhere.
bool IsReadOnlyFile(const std::string& path) {
  DWORD attributes = GetFileAttributesW(ToWidePath(path).c_str());
  return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_READONLY) &&
         !(attributes & FILE_ATTRIBUTE_DIRECTORY);
}

bool IsReparsePoint(const std::wstring& path) {
  DWORD attributes = GetFileAttributesW(path.c_str());
  return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_REPARSE_POINT);
}

// Removes a link that stands where a file is to be created: a file link
// goes; a folder link (which no file can replace) is refused. True when
// nothing but a plain file or nothing at all stands there afterwards.
bool ReplaceLinkByNothing(const std::wstring& path) {
  DWORD attributes = GetFileAttributesW(path.c_str());
  if (attributes == INVALID_FILE_ATTRIBUTES || !(attributes & FILE_ATTRIBUTE_REPARSE_POINT)) return true;
  if (attributes & FILE_ATTRIBUTE_DIRECTORY) return false;
  return DeleteFileW(path.c_str()) != 0;
}

// Whether an open handle is a reparse point itself (opened with
// FILE_FLAG_OPEN_REPARSE_POINT, so not its target).
bool HandleIsReparsePoint(HANDLE handle) {
  BY_HANDLE_FILE_INFORMATION information;
  if (!GetFileInformationByHandle(handle, &information)) return true;
  return (information.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0;
}

class TWin32FileSystem final : public IFileSystem {
 public:
  std::unique_ptr<IFile> Open(const std::string& path, TFileMode mode, TFileShare share) override {
    if (path.empty()) return nullptr;
    DWORD access = GENERIC_READ;
    DWORD disposition = OPEN_EXISTING;
    DWORD flags = FILE_ATTRIBUTE_NORMAL;
    switch (mode) {
      case TFileMode::OpenRead: break;
      case TFileMode::OpenReadWrite: access |= GENERIC_WRITE; break;
      case TFileMode::CreateAlways: access |= GENERIC_WRITE; disposition = CREATE_ALWAYS; break;
      case TFileMode::CreateNew:
        // A link planted under the name counts as the name existing.
        access |= GENERIC_WRITE;
        disposition = CREATE_NEW;
        break;
    }
    DWORD shareMode = 0;
    switch (share) {
      case TFileShare::None: break;
      case TFileShare::Read: shareMode = FILE_SHARE_READ; break;
      case TFileShare::ReadWrite: shareMode = FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE; break;
    }
    std::wstring wide = ToWidePath(path);
    if (mode == TFileMode::CreateAlways) {
      // Most files a setup writes are new: creating one where nothing stands
      // needs neither the read-only nor the link checks below, and spares a
      // file system that matches names case-insensitively (Wine) two searches
      // of the folder for a name that is not there.
      TWinHandle created(CreateFileW(wide.c_str(), access, shareMode, nullptr, CREATE_NEW,
                                     flags | FILE_FLAG_OPEN_REPARSE_POINT, nullptr));
      if (created) {
        WrittenVolumes().Note(wide);
        return std::make_unique<TWin32File>(std::move(created));
      }
      // Something stands there (or the folder is missing): the full way.
    }
    if ((access & GENERIC_WRITE) && mode != TFileMode::CreateNew && IsReadOnlyFile(path)) return nullptr;
    if (access & GENERIC_WRITE) {
      // Writes never go through a link (a symbolic link or a junction) at
      // the last component: creating a file replaces a link there, and an
      // existing file opened for writing must not be one. What a link points
      // to stays as it is.
      flags |= FILE_FLAG_OPEN_REPARSE_POINT;
      if (mode == TFileMode::CreateAlways && !ReplaceLinkByNothing(wide)) return nullptr;
    }
    // Without FILE_FLAG_BACKUP_SEMANTICS a folder cannot be opened, which is
    // what the core expects of a file open.
    TWinHandle handle(CreateFileW(wide.c_str(), access, shareMode, nullptr, disposition, flags, nullptr));
    if (!handle) return nullptr;
    if ((access & GENERIC_WRITE) && HandleIsReparsePoint(handle.Get())) return nullptr;
    if (access & GENERIC_WRITE) WrittenVolumes().Note(wide);
    return std::make_unique<TWin32File>(std::move(handle));
  }

  std::optional<uint32_t> Attributes(const std::string& path) override {
    if (path.empty()) return std::nullopt;
    DWORD attributes = GetFileAttributesW(ToWidePath(path).c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES) return std::nullopt;
    return attributes;
  }

  bool SetAttributes(const std::string& path, uint32_t attributes) override {
    return !path.empty() && SetFileAttributesW(ToWidePath(path).c_str(), attributes) != 0;
  }

  std::vector<TFolderEntry> FindFiles(const std::string& pattern) override {
    std::vector<TFolderEntry> entries;
    if (pattern.empty()) return entries;
    WIN32_FIND_DATAW data;
    TFindHandle find(FindFirstFileW(ToWidePath(pattern).c_str(), &data));
    if (!find.Valid()) return entries;
    do {
      std::wstring_view name(data.cFileName);
      if (name == L"." || name == L"..") continue;
      uint64_t size = (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)
                          ? 0
                          : (static_cast<uint64_t>(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
      entries.push_back(TFolderEntry{FromWide(name), data.dwFileAttributes, size});
    } while (FindNextFileW(find.Get(), &data));
    // The order differs between file systems (NTFS sorts, FAT does not); one
    // order everywhere keeps listings, and what is built from them, the same.
    std::sort(entries.begin(), entries.end(),
              [](const TFolderEntry& a, const TFolderEntry& b) { return LowerAnsi(a.Name) < LowerAnsi(b.Name); });
    return entries;
  }

  bool CreateFolder(const std::string& path) override {
    return !path.empty() && CreateDirectoryW(ToWidePath(path).c_str(), nullptr) != 0;
  }

  bool RemoveFolder(const std::string& path) override {
    return !path.empty() && RemoveDirectoryW(ToWidePath(path).c_str()) != 0;
  }

  bool Copy(const std::string& source, const std::string& destination, bool failIfExists) override {
    if (source.empty() || destination.empty() || IsReadOnlyFile(destination)) return false;
    std::wstring to = ToWidePath(destination);
    BOOL exclusive = failIfExists ? TRUE : FALSE;
    if (IsReparsePoint(to)) {
      // A link at the destination is replaced, never written through.
      if (failIfExists || !ReplaceLinkByNothing(to)) return false;
      exclusive = TRUE;
    }
    if (!CopyFileW(ToWidePath(source).c_str(), to.c_str(), exclusive)) return false;
    WrittenVolumes().Note(to);
    return true;
  }

  bool RenameReplacing(const std::string& oldPath, const std::string& newPath) override {
    if (oldPath.empty() || newPath.empty()) return false;
    // Windows refuses to replace a read-only file; Wine replaces it, so the
    // rule is checked here for both.
    auto target = Attributes(newPath);
    if (target && (*target & (kAttributeDirectory | kAttributeReadOnly))) return false;
    // Without MOVEFILE_COPY_ALLOWED a move between volumes fails instead of
    // copying, which would not be one step.
    std::wstring to = ToWidePath(newPath);
    if (!MoveFileExW(ToWidePath(oldPath).c_str(), to.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH))
      return false;
    WrittenVolumes().Note(to);
    return true;
  }

  bool Rename(const std::string& oldPath, const std::string& newPath) override {
    if (oldPath.empty() || newPath.empty()) return false;
    std::wstring from = ToWidePath(oldPath);
    std::wstring to = ToWidePath(newPath);
    if (oldPath == newPath || !SameTextAnsi(oldPath, newPath)) {
      if (!MoveFileW(from.c_str(), to.c_str())) return false;
      // Moved to another volume, the file was written there anew.
      WrittenVolumes().Note(to);
      return true;
    }
    // Only the letter case changes. Windows renames in place; Wine reports
    // success and keeps the old spelling. Going through a unique name works
    // on both; if the second step fails the file gets its old name back.
    if (!Attributes(oldPath)) return false;
    TCryptProvider random;
    auto name = RandomName(random);
    if (!name) return false;
    std::wstring between = ToWidePath(oldPath.substr(0, oldPath.find_last_of("\\/:") + 1) + *name);
    if (!MoveFileW(from.c_str(), between.c_str())) return false;
    if (MoveFileW(between.c_str(), to.c_str())) return true;
    MoveFileW(between.c_str(), from.c_str());
    return false;
  }

  bool Delete(const std::string& path) override {
    return !path.empty() && DeleteFileW(ToWidePath(path).c_str()) != 0;
  }

  bool MakeExecutable(const std::string& path) override {
    // Windows starts any program file; there is no permission to add.
    return FileExists(path);
  }

  std::string TempFolder() override {
    std::vector<wchar_t> buffer(MAX_PATH + 1);
    for (;;) {
      DWORD length = GetTempPathW(static_cast<DWORD>(buffer.size()), buffer.data());
      if (length == 0) return "C:\\";
      if (length < buffer.size()) {
        std::string folder = FromWide(std::wstring_view(buffer.data(), length));
        if (folder.empty() || folder.back() != '\\') folder += '\\';
        return folder;
      }
      buffer.resize(length + 1);
    }
  }

  std::optional<std::string> CreatePrivateFolder(const std::string& parent) override {
    if (parent.empty()) return std::nullopt;
    TPrivateFolderSecurity security;
    if (!security.Build()) return std::nullopt;
    TCryptProvider random;
    std::string prefix = parent.back() == '\\' ? parent : parent + "\\";
    // A collision with an existing name is all but impossible; a few tries
    // cover it without ever reusing a folder someone else made.
    for (int attempt = 0; attempt < 8; ++attempt) {
      auto name = RandomName(random);
      if (!name) return std::nullopt;
      std::string path = prefix + *name;
      SECURITY_ATTRIBUTES attributes = security.Attributes();
      if (CreateDirectoryW(ToWidePath(path).c_str(), &attributes)) return path;
      if (GetLastError() != ERROR_ALREADY_EXISTS) return std::nullopt;
    }
    return std::nullopt;
  }

  std::vector<std::string> LogicalDrives() override {
    std::vector<std::string> roots;
    DWORD needed = GetLogicalDriveStringsW(0, nullptr);
    if (needed == 0) return roots;
    std::vector<wchar_t> buffer(needed + 1, L'\0');
    DWORD length = GetLogicalDriveStringsW(static_cast<DWORD>(buffer.size()), buffer.data());
    if (length == 0 || length >= buffer.size()) return roots;
    for (const wchar_t* root = buffer.data(); *root; root += wcslen(root) + 1) roots.push_back(FromWide(root));
    return roots;
  }

  TDriveType DriveType(const std::string& root) override {
    if (root.empty()) return TDriveType::NoRootFolder;
    UINT type = GetDriveTypeW(ToWide(root).c_str());
    return type <= DRIVE_RAMDISK ? static_cast<TDriveType>(type) : TDriveType::Unknown;
  }

  std::optional<uint64_t> FreeSpace(const std::string& root) override {
    if (root.empty()) return std::nullopt;
    ULARGE_INTEGER available{};
    if (!GetDiskFreeSpaceExW(ToWide(root).c_str(), &available, nullptr, nullptr)) return std::nullopt;
    return available.QuadPart;
  }

  bool FlushWrittenFiles() override { return WrittenVolumes().FlushAll(); }

  bool FlushFolder(const std::string& folder) override { return FolderExists(folder); }
};

}  // namespace

IFileSystem& NativeFileSystem() {
  static TWin32FileSystem fileSystem;
  return fileSystem;
}

}  // namespace tailpack
