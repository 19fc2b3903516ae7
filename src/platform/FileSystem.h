#pragma once
// Files, folders and drives as the core sees them: Windows paths (8-bit ANSI,
// drive letters, backslashes, case-insensitive names) on every platform. The
// win32 implementation calls the wide API; the posix one maps drive letters to
// host folders.

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace tailpack {

// Win32 file attribute bits, the only attribute vocabulary of the core.
constexpr uint32_t kAttributeReadOnly = 0x01;
constexpr uint32_t kAttributeHidden = 0x02;
constexpr uint32_t kAttributeSystem = 0x04;
constexpr uint32_t kAttributeDirectory = 0x10;
constexpr uint32_t kAttributeArchive = 0x20;
constexpr uint32_t kAttributeNormal = 0x80;
// A symbolic link or junction: removed itself, never followed when deleting.
constexpr uint32_t kAttributeReparsePoint = 0x400;

// Win32 drive type numbers (GetDriveType).
enum class TDriveType : uint32_t {
  Unknown = 0,
  NoRootFolder = 1,
  Removable = 2,
  Fixed = 3,
  Remote = 4,
  CdRom = 5,
  RamDisk = 6,
};

// Writes never go through a link (a symbolic link, a junction) at the last
// component of the path; reads may.
enum class TFileMode {
  OpenRead,       // existing file, read only
  OpenReadWrite,  // existing file, read and write; fails for a link
  CreateAlways,   // create or truncate, read and write; a link at the name is replaced by the file
  CreateNew,      // create; fails when the name exists (a link counts as existing)
};

enum class TFileShare {
  None,       // exclusive
  Read,       // others may read
  ReadWrite,  // others may read, write and delete
};

// An open file. Closing happens in the destructor.
class IFile {
 public:
  virtual ~IFile() = default;
  // Reads up to Count bytes at the current position; returns how many were read.
  virtual uint32_t Read(void* buffer, uint32_t count) = 0;
  // Writes Count bytes at the current position; returns how many were written.
  virtual uint32_t Write(const void* buffer, uint32_t count) = 0;
  virtual bool Seek(uint64_t position) = 0;
  virtual std::optional<uint64_t> Position() = 0;
  virtual std::optional<uint64_t> Size() = 0;
  // Makes the current position the end of the file.
  virtual bool Truncate() = 0;
  // Pushes written data to the disk now. Files that need not be durable on
  // their own (the files an installation extracts) skip this and are made
  // durable together by IFileSystem::FlushWrittenFiles.
  virtual bool Flush() = 0;
  // Closes the file; false when the system reports that written data could
  // not be stored (some file systems tell only now). Everything else fails
  // afterwards. The destructor closes a file that is still open.
  virtual bool Close() = 0;
};

struct TFolderEntry {
  std::string Name;  // name only, no folder
  uint32_t Attributes = 0;
  uint64_t Size = 0;
  bool IsFolder() const { return (Attributes & kAttributeDirectory) != 0; }
};

class IFileSystem {
 public:
  virtual ~IFileSystem() = default;

  // Opens or creates a file; nothing when that fails.
  virtual std::unique_ptr<IFile> Open(const std::string& path, TFileMode mode,
                                      TFileShare share = TFileShare::Read) = 0;
  // The attribute bits of a file or folder; nothing when it does not exist.
  virtual std::optional<uint32_t> Attributes(const std::string& path) = 0;
  virtual bool SetAttributes(const std::string& path, uint32_t attributes) = 0;
  // Lists what matches a pattern the way FindFirstFile does: the folder part
  // up to the last backslash, then a name with "*" and "?" wildcards. The
  // entries "." and ".." are never returned.
  virtual std::vector<TFolderEntry> FindFiles(const std::string& pattern) = 0;
  virtual bool CreateFolder(const std::string& path) = 0;
  // Removes an empty folder.
  virtual bool RemoveFolder(const std::string& path) = 0;
  // Method names avoid the Win32 macros CopyFile, MoveFile and DeleteFile.
  // A link at Destination is replaced by the copy, never written through.
  virtual bool Copy(const std::string& source, const std::string& destination, bool failIfExists) = 0;
  virtual bool Rename(const std::string& oldPath, const std::string& newPath) = 0;
  // Renames the file OldPath to NewPath in one step, replacing a file that
  // NewPath names: NewPath names the old file or the new one at every
  // moment, never neither. For a file made whole beside the one it
  // replaces; fails for a folder at NewPath and between volumes.
  virtual bool RenameReplacing(const std::string& oldPath, const std::string& newPath) = 0;
  virtual bool Delete(const std::string& path) = 0;
  // Lets the current user start the file as a program: on POSIX the owner's
  // execute permission is added (nobody else's); Windows starts any program
  // file, so there the file only has to exist.
  virtual bool MakeExecutable(const std::string& path) = 0;

  // The system's temporary folder, ending in a backslash.
  virtual std::string TempFolder() = 0;
  // Creates a new folder with a random name under Parent that only the
  // current user (and, on Windows, Administrators and SYSTEM) can read.
  virtual std::optional<std::string> CreatePrivateFolder(const std::string& parent) = 0;

  // Roots of the logical drives, such as "C:\", in the platform's order.
  virtual std::vector<std::string> LogicalDrives() = 0;
  virtual TDriveType DriveType(const std::string& root) = 0;
  // Bytes the caller may still write on the drive of Root; nothing when unknown.
  virtual std::optional<uint64_t> FreeSpace(const std::string& root) = 0;

  // Makes durable, without a flush per file, everything this process has
  // written through Open (for writing), Copy and CreateFolder since the last
  // call: on POSIX one syncfs per file system written to (it also reports
  // write-back errors since the first write); on Windows one flush per volume
  // written to where the system allows it (administrators; Wine does not
  // offer it), else the system's own write-back. False when the system
  // reports that something could not be stored.
  virtual bool FlushWrittenFiles() = 0;
  // Makes the names in Folder durable now: a file created, renamed or
  // deleted there is still so after a power failure. A journal relies on
  // this: its name must be on the disk before the file it protects changes.
  // POSIX flushes the folder itself; Windows logs every change of a name in
  // the file system's own journal, which a flush of the file commits, so there
  // it only checks that the folder exists.
  virtual bool FlushFolder(const std::string& folder) = 0;

  // Conveniences over Attributes.
  bool Exists(const std::string& path) { return Attributes(path).has_value(); }
  bool FileExists(const std::string& path) {
    auto attributes = Attributes(path);
    return attributes && (*attributes & kAttributeDirectory) == 0;
  }
  bool FolderExists(const std::string& path) {
    auto attributes = Attributes(path);
    return attributes && (*attributes & kAttributeDirectory) != 0;
  }
};

}  // namespace tailpack
