#pragma once
// Keeps a VFS update atomic. Before a block, the block table, the root table
// or the header is overwritten for the first time in an update, its original
// bytes are saved here, and the journal is flushed before the overwrite; the
// ".ht" file's old contents are saved before it is replaced. Save drops the
// journal once the archive and its hash file are written and flushed. An
// archive opened with a journal beside it is rolled back first: every
// complete record is written back. A record that is not complete was never
// flushed, so the region it would cover was never touched.

#include <cstdint>
#include <memory>
#include <optional>
#include <string>

#include "base/Bytes.h"
#include "base/Status.h"

namespace tailpack {

class IFile;

class TVfsJournal {
 public:
  // The journal of the archive at Path: the path with ".journal" appended.
  static std::string PathFor(const std::string& archivePath);

  explicit TVfsJournal(std::string archivePath);
  ~TVfsJournal();
  TVfsJournal(const TVfsJournal&) = delete;
  TVfsJournal& operator=(const TVfsJournal&) = delete;

  // Keeps the original Bytes found at Offset of the archive; the journal is
  // created on first use. Flush before overwriting them.
  TStatus Save(uint64_t offset, const uint8_t* bytes, uint32_t length);
  // Keeps the hash file's old contents, or that there was none.
  TStatus SaveHashFile(const std::optional<TBytes>& contents);
  // Makes everything saved so far durable (nothing to do when nothing was
  // saved since the last flush).
  TStatus Flush();
  // True once something was saved since the last Drop.
  bool Active() const { return file_ != nullptr; }
  // Removes the journal: the update is complete.
  TStatus Drop();

  // Rolls the archive (open for writing) and its hash file back to what a
  // journal beside it saved, flushes them and removes the journal. Succeeds
  // when there is none; fails, keeping the journal, when the archive cannot
  // be written.
  static TStatus RollBack(const std::string& archivePath, IFile& archive, const std::string& hashFilePath);

 private:
  TStatus Append(const TBytes& record);

  std::string archivePath_;
  std::string path_;
  std::unique_ptr<IFile> file_;
  bool unflushed_ = false;
  bool nameFlushed_ = false;  // the journal's folder was flushed since it was created
};

}  // namespace tailpack
