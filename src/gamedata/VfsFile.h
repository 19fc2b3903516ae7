#pragma once
// A VFS archive open for reading and updating: its header, block table, root
// table, folder tree and hash file, and the block-level operations the tree
// builds on. Every change goes to disk at once, after the original bytes it
// replaces are safe in the journal; Save writes the header with a new MD5
// digest and the ".ht" file and drops the journal, RollBack undoes
// everything since the last Save. Structural damage (a chain that leaves the
// table, loops or is too short, blocks shared by two entries) and a write
// that needs more free blocks than there are raise EArchiveError before they
// change anything.

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "base/Status.h"
#include "gamedata/VfsFileBuffer.h"
#include "gamedata/VfsFormat.h"
#include "gamedata/VfsHashFile.h"

namespace tailpack {

class IFile;
class TVFSTree;
class TVfsJournal;

class TVFSFile {
 public:
  // Called with (done, total) while the tables are read.
  using TProgress = std::function<void(uint32_t done, uint32_t total)>;

  TVFSFile();
  // Closes without saving: what was written since the last Save is undone
  // when the archive is next opened.
  ~TVFSFile();
  TVFSFile(const TVFSFile&) = delete;
  TVFSFile& operator=(const TVFSFile&) = delete;

  // Opens the archive for reading and writing (others may read and write
  // it), rolls back an update left unfinished, and reads the header and
  // tables. With RebuildHash the whole folder tree is loaded and every chain
  // checked; without it the ".ht" file is loaded. Fails with the reason when
  // the file is not a valid archive. ReadOnly opens it only for reading,
  // unless a journal beside it has to be rolled back; nothing may be written
  // then.
  TStatus Open(const std::string& path, bool rebuildHash, const TProgress& progress = {}, bool readOnly = false);
  bool IsOpen() const { return file_ != nullptr; }

  const std::string& FileName() const { return fileName_; }
  const TVFSHeader& Header() const { return header_; }
  const TVfsLayout& Layout() const { return layout_; }
  std::vector<TVFSEntry>& RootTable() { return rootTable_; }
  const std::vector<TVFSBlockEntry>& BlockTable() const { return blockTable_; }
  TVFSTree& Tree() { return *tree_; }
  TVFSHashFile& HashFile() { return hashFile_; }
  bool RebuildHash() const { return rebuildHash_; }

  // The blocks (counted from 0) of an entry's chain, checked.
  std::vector<int32_t> Chain(const TVFSEntry& entry) const;
  // The entry's content as stored; nothing when StoredSize is 0.
  std::optional<TVFSFileBuffer> ReadFile(const TVFSEntry& entry);
  // Writes content into a new chain of the first free blocks and sets the
  // entry's FirstBlock, StoredSize and Date. No data and size 0 take one
  // block of zeros.
  void WriteFile(TVFSEntry& entry, const uint8_t* data, uint32_t size);
  // Writes content of the entry's StoredSize into its existing chain.
  void OverwriteFile(TVFSEntry& entry, const uint8_t* data, uint32_t size);
  // Marks the entry's chain free.
  void FreeChain(const TVFSEntry& entry);
  // The first (or, skipping it, the second) free block; -1 when there is none.
  int32_t FindFreeBlock(bool skipFirst) const;
  // Writes an entry into a root slot on disk, or zeros over it.
  void WriteRootSlot(uint32_t slot, const TVFSEntry& entry);
  void ClearRootSlot(uint32_t slot);

  // The file's size, and the MD5 digest of its bytes from offset 44 on.
  std::optional<uint64_t> FileSize() const;
  std::optional<TMd5Digest> ComputeDigest();

  // Writes the header (with a new digest unless told to skip it, 16 zero
  // bytes then) and the hash file, flushes, and drops the journal.
  TStatus Save(bool skipDigest = false);
  // Undoes every change since the last Save and closes the archive.
  TStatus RollBack();
  // Closes without saving.
  void Close();

 private:
  TStatus ReadHeaderAndTables(const TProgress& progress);
  void ReadAt(uint64_t offset, uint8_t* bytes, uint32_t length) const;
  void WriteAt(uint64_t offset, const uint8_t* bytes, uint32_t length);
  void WriteBlockEntry(int32_t block, const TVFSBlockEntry& entry);
  // Journal the original bytes before a first overwrite.
  void KeepBlocks(const std::vector<int32_t>& blocks);
  void KeepBlockTable();
  void KeepRootTable();
  void KeepHeader();
  void KeepRegion(uint64_t offset, uint64_t length);
  void FlushJournal();
  TStatus SaveHashFile();

  std::string fileName_;
  std::unique_ptr<IFile> file_;
  TVFSHeader header_;
  TVfsLayout layout_;
  std::vector<TVFSEntry> rootTable_;
  std::vector<TVFSBlockEntry> blockTable_;
  // No block before this one is free, so searches for free blocks start here
  // rather than at the start of a table that may hold millions.
  size_t firstFreeHint_ = 0;
  std::unique_ptr<TVFSTree> tree_;
  TVFSHashFile hashFile_;
  bool rebuildHash_ = false;

  std::unique_ptr<TVfsJournal> journal_;
  std::vector<bool> blocksKept_;
  bool blockTableKept_ = false;
  bool rootTableKept_ = false;
  bool headerKept_ = false;
};

}  // namespace tailpack
