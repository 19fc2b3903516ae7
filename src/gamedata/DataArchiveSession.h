#pragma once
// One data archive open for an update: opening it (asking Retry/Cancel while
// it cannot be opened), restoring a journal left beside it, its directory,
// the cut at the table, appending stored bytes, and writing the new directory.
// The update is atomic: until Commit has written and flushed the new
// directory, the archive can always be restored to what it was, and an
// object destroyed before a successful Commit restores it.

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <unordered_map>
#include <vector>

#include "base/Bytes.h"
#include "base/Status.h"
#include "gamedata/DataArchiveFormat.h"

namespace tailpack {

class IFile;
class IUpdateHost;

class TDataArchiveSession {
 public:
  explicit TDataArchiveSession(IUpdateHost& host);
  // Restores the archive when it was cut and not committed.
  ~TDataArchiveSession();
  TDataArchiveSession(const TDataArchiveSession&) = delete;
  TDataArchiveSession& operator=(const TDataArchiveSession&) = delete;

  // Opens the archive for reading and writing, making it writable first and
  // asking the user to retry while that fails (a failure with an empty
  // message when the user cancels: the user has been told), restores it from
  // a journal beside it and reads its directory.
  TStatus Open(const std::string& path);

  const std::string& Path() const { return path_; }
  TExtraInfo& Extra() { return extra_; }

  // The live record with that name (case-insensitive), if any.
  TPakSystemEntry* Find(const std::string& name);
  // The stored bytes of a record; nothing when they cannot be read.
  std::optional<TBytes> ReadStored(const TPakSystemEntry& entry);

  // Saves the tail in the journal, then cuts the file at its table. From here
  // on the archive has no directory until Commit.
  TStatus Cut();
  // Appends stored bytes and gives the offset they went to. A short write,
  // or an archive that would outgrow its 32-bit offsets, restores the
  // archive and fails saying so.
  TStatus Append(const TBytes& stored, uint32_t& offset);
  // Adds a record at the end of the directory. A record of the same name
  // leaves the directory, and the new record keeps that record's spelling.
  void AddRecord(TPakSystemEntry entry);

  // Writes the directory and the trailer with fresh seeds, flushes the
  // archive and removes the journal. On any failure the archive is restored
  // and the failure returned.
  TStatus Commit();
  // Puts the archive back as it was before Cut.
  TStatus Restore();
  // Restores the archive and fails with Reason and what became of the
  // archive.
  TStatus Abandon(const std::string& reason);

 private:
  // The message of a write that came up short, with what became of the
  // archive (Restore's outcome).
  std::string DiskFullMessage(const TStatus& restored) const;

  TStatus OpenFile();
  TStatus ReadDirectory();
  std::vector<const TPakSystemEntry*> LiveEntries() const;

  IUpdateHost& host_;
  std::string path_;
  std::unique_ptr<IFile> file_;
  TExtraInfo extra_;
  uint64_t tableStart_ = 0;
  uint64_t appendPosition_ = 0;
  bool cut_ = false;
  bool committed_ = false;
  // Records in directory order; a replaced record leaves a hole.
  std::vector<std::optional<TPakSystemEntry>> entries_;
  // Lower-cased name -> position of its live record.
  std::unordered_map<std::string, size_t> byName_;
};

}  // namespace tailpack
