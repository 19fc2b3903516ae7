#pragma once
// Whole-file reads and writes, folder chains and trees, and the small path
// and name=value helpers, all over the platform's file system.

#include <memory>
#include <optional>
#include <string>
#include <string_view>

#include "base/Bytes.h"
#include "base/Status.h"
#include "platform/FileSystem.h"

namespace tailpack {

class IFile;
class IInstallRecorder;

// The whole file; raises EIOError when it cannot be opened at all, and gives
// nothing when it can be sized but not opened again for reading.
std::optional<TBytes> ReadWholeFile(const std::string& path);
// The whole file, read through one shared open; nothing when it cannot be
// opened or read completely (never raises).
std::optional<TBytes> TryReadWholeFile(const std::string& path);

// When a file written whole is on disk.
enum class TDurability {
  // Flushed before the write returns: the install log, the uninstaller.
  Flushed,
  // Written and closed, made durable later with the rest of a run's files by
  // one IFileSystem::FlushWrittenFiles: the files an installation extracts.
  WithTheRun,
};

// The two ways writing a file fails on the system's side, both retryable
// (TStatus::Retryable): the user may close the program that holds the file,
// or free space on the drive, and try again.
TStatus FileNotCreated(const std::string& path);
TStatus FileNotWrittenCompletely(const std::string& path);

// A file written piece by piece that ends complete or not at all: Finish
// closes it (flushing first when the durability asks for it) and reports a
// short write or an error the system tells on closing; a file that was not
// finished, or failed to finish, is removed.
class TWholeFileWriter {
 public:
  // Creates (or truncates) Path, in a folder that exists; with
  // TFileMode::CreateNew only a file that is not there yet.
  explicit TWholeFileWriter(std::string path, TFileMode mode = TFileMode::CreateAlways);
  ~TWholeFileWriter();
  TWholeFileWriter(const TWholeFileWriter&) = delete;
  TWholeFileWriter& operator=(const TWholeFileWriter&) = delete;

  // Whether the file could be created.
  bool Opened() const { return file_ != nullptr || finished_; }
  // Appends Count bytes; false once a write has come up short (nothing more
  // is written then).
  bool Write(const uint8_t* data, size_t count);
  TStatus Finish(TDurability durability);

 private:
  std::string path_;
  std::unique_ptr<IFile> file_;
  bool complete_ = true;
  bool finished_ = false;
};

// Creates (or truncates) the file and writes Count bytes, in a folder that
// exists. A file that cannot be written completely (a short write, or an
// error the system reports on flushing or closing) is removed again and the
// failure returned, so no truncated file is left behind.
TStatus WriteWholeFile(const std::string& path, const uint8_t* data, uint32_t count,
                       TDurability durability = TDurability::Flushed);

// Writes the file anew without ever leaving it missing or cut: the bytes go
// to "PATH.partial" first, flushed, which then takes the place of a file at
// Path in one step and has its name stored. On any failure a file that was
// at Path stays as it was, and no "PATH.partial" is left.
TStatus ReplaceWholeFile(const std::string& path, const uint8_t* data, uint32_t count);

// Moves a finished "PATH.partial" (PartialPath) into the place of Path in
// one step and stores its name; removes it when that fails.
TStatus MovePartialIntoPlace(const std::string& partialPath, const std::string& path);

// Creates the folders of Path, then creates (or truncates) the file and writes
// Count bytes. A file that cannot be written completely is removed again and
// the failure returned, so no truncated file is left behind.
TStatus WriteBufferToFile(const std::string& path, const uint8_t* data, uint32_t count,
                          IInstallRecorder* recorder = nullptr, TDurability durability = TDurability::Flushed);

// Creates each missing folder of an absolute drive path ("X:\..."), from the
// root downwards, and reports every folder it created to Recorder. Other
// paths are left alone.
void CreateFolderChain(const std::string& path, IInstallRecorder* recorder);

// Removes a folder with everything below it. Links are removed, never
// followed. A folder that CheckTreeRemovable refuses (not an absolute drive
// path, a drive root, a system folder or one that holds a system folder, all
// judged after ".." and the like are resolved) is left alone entirely.
// Returns false when something could not be removed (the rest is still
// removed) or the folder was refused.
bool DeleteTree(const std::string& folder);

// Makes the name of the file at Path durable after it was created or
// removed: flushes the folder that holds it (the current folder for a bare
// name). A file's own flush does not cover its folder everywhere.
bool FlushNameOf(const std::string& path);

// Appends "\" unless the text is empty or already ends in "\".
std::string IncludeTrailingBackslash(std::string_view text);
// The folder part of a path including its final "\" (empty when none), and the
// name after it.
std::string ExtractFilePath(std::string_view path);
std::string ExtractFileName(std::string_view path);
// The folder part without the final "\".
std::string ExtractFileDir(std::string_view path);

// Splits at the first "="; without "=" both parts are empty.
void SplitNameValue(std::string_view text, std::string& name, std::string& value);
// Splits at the first "="; without "=" Name is empty and Value the whole text.
void SplitAtEquals(std::string_view text, std::string& name, std::string& value);

// True for "X:\" followed by at least one more character, X a letter.
bool IsAbsoluteDrivePath(std::string_view path);

}  // namespace tailpack
