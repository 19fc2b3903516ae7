#pragma once
// The ".ht" file beside a VFS archive: a record count and 21-byte records
// sorted by the hash of each file's key, for fast lookup by the installed
// software.

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "base/Bytes.h"
#include "base/Status.h"

namespace tailpack {

struct TVFSHashRecord {
  uint32_t Hash = 0;
  uint32_t Flags = 0;
  uint32_t StoredSize = 0;
  uint32_t OriginalSize = 0;
  int32_t FirstBlock = 0;
  uint8_t Unique = 1;  // 0 when another file has the same hash
};

// The hash file of an archive: the path with its extension replaced by ".ht".
std::string VfsHashFilePath(const std::string& archivePath);

// Inserts records one by one, as the archive's saving does: a record whose
// hash is already present marks that one not unique and is dropped (so is a
// record whose hash is 0, which marks an empty slot); the others are kept in
// ascending hash order.
class THashTableBuilder {
 public:
  void Insert(const TVFSHashRecord& record);
  const std::vector<TVFSHashRecord>& Records() const { return records_; }

 private:
  std::vector<TVFSHashRecord> records_;
};

// The file's bytes for these records.
TBytes EncodeHashFile(const std::vector<TVFSHashRecord>& records);
// The records of a file's bytes; nothing when the count does not match the size.
std::optional<std::vector<TVFSHashRecord>> DecodeHashFile(const TBytes& bytes);

class TVFSHashFile {
 public:
  // Reads the hash file. A missing or unreadable one fails and leaves
  // nothing loaded; a damaged one (its count and size disagree) fails too,
  // but counts as loaded with no records, so it is rebuilt from nothing
  // rather than trusted. Loaded tells whether a file was read.
  TStatus Load(const std::string& path);
  void Clear();
  bool Loaded() const { return loaded_; }
  std::vector<TVFSHashRecord>& Records() { return records_; }

 private:
  bool loaded_ = false;
  std::vector<TVFSHashRecord> records_;
};

}  // namespace tailpack
