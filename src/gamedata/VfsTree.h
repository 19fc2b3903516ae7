#pragma once
// The folder tree of an open VFS archive: the root entries and, once loaded,
// every folder's children. It finds entries by path, creates folders, adds
// and replaces files, and keeps each folder's content on disk in step with
// every change, from the changed entry up to its root entry. Paths compare
// ignoring ASCII letter case.

#include <cstdint>
#include <memory>
#include <optional>
#include <set>
#include <string>
#include <unordered_map>
#include <vector>

#include "base/Bytes.h"
#include "gamedata/VfsFormat.h"
#include "gamedata/VfsHashFile.h"

namespace tailpack {

class TVFSFile;

constexpr uint8_t kNoRootSlot = 255;

struct TTreeFileInfo {
  int32_t Index = -1;          // -1: a free node slot
  std::string Path;            // the parent's path, "\" and the name; the name at the root
  TVFSEntry* Entry = nullptr;  // a root entry's slot in the root table, or Owned
  std::unique_ptr<TVFSEntry> Owned;
  std::vector<int32_t> Children;  // -1: an empty child slot
  int32_t Parent = -1;
  uint8_t Slot = kNoRootSlot;

  bool Live() const { return Index >= 0; }
};

class TVFSTree {
 public:
  explicit TVFSTree(TVFSFile& owner) : owner_(owner) {}

  const std::vector<TTreeFileInfo>& Nodes() const { return nodes_; }
  const TTreeFileInfo& Node(int32_t index) const { return nodes_[static_cast<size_t>(index)]; }

  // --- Bookkeeping ------------------------------------------------------------
  int32_t AddRootNode(uint32_t slot);
  int32_t AddChildNode(std::unique_ptr<TVFSEntry> entry, int32_t parent);
  void FreeNode(int32_t index);
  void RemoveChild(int32_t parent, int32_t child);
  uint32_t ChildCount(int32_t node) const;
  uint32_t FileCount() const;
  void Clear();

  // --- Lookup -------------------------------------------------------------------
  int32_t FindByPath(const std::string& path) const;
  int32_t FindChild(int32_t parent, const std::string& name) const;
  int32_t FindDeepestFolder(const std::string& path) const;

  // --- Folders on disk ----------------------------------------------------------
  // Adds every folder's children, checking each entry's chain on the way: a
  // block that two entries claim (a folder inside itself among them) raises
  // EArchiveError, so loading always ends.
  void LoadAll();
  TBytes BuildFolderData(int32_t folder) const;
  void WriteRootSlot(int32_t node);
  void FreeChain(int32_t node);
  // The content of the node's parent changed: rewrite it, and its parent in
  // turn when it had to move to a new chain.
  void RewriteParent(int32_t node);

  // --- Changes --------------------------------------------------------------------
  int32_t NewRootEntry();
  int32_t CreateNewFileDir(int32_t parent, const std::string& name, bool writeNow, uint32_t flags);
  int32_t FindOrCreateFolder(int32_t parent, const std::string& name);
  int32_t CreateFolderPath(int32_t parent, const std::string& path);
  void DeleteNode(int32_t node, bool nested);
  void DeleteByPath(const std::string& path, bool nested);
  // 50000-byte pieces as length-prefixed zlib streams; nothing when that
  // would not be smaller than the data (or there is no data).
  static std::optional<TBytes> InternalCompressFile(const uint8_t* data, uint32_t size);
  void StoreFileData(TVFSEntry& entry, const uint8_t* data, uint32_t size);
  // Adds or replaces the file at Path (a name, or folders, "\" and a name;
  // a path without a "." goes to the root under its last part).
  int32_t PutFile(const std::string& path, const uint8_t* data, uint32_t size);

  // The ".ht" records of every file, as Save writes them.
  std::vector<TVFSHashRecord> BuildHashRecords() const;

 private:
  TTreeFileInfo& At(int32_t index) { return nodes_[static_cast<size_t>(index)]; }
  int32_t AddNode(TVFSEntry* entry, std::unique_ptr<TVFSEntry> owned, int32_t parent, uint8_t slot);
  void IndexPath(int32_t index);
  void UnindexPath(int32_t index);

  TVFSFile& owner_;
  std::vector<TTreeFileInfo> nodes_;
  // Free node slots; the lowest is reused first, so node order (which
  // decides lookups and the hash file) does not depend on how it is kept.
  std::set<int32_t> freeSlots_;
  // ASCII-lowered path -> live nodes with that path, in node order.
  std::unordered_map<std::string, std::set<int32_t>> byPath_;
};

}  // namespace tailpack
