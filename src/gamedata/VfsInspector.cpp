#include "gamedata/VfsInspector.h"

#include <set>

#include "gamedata/GameDataErrors.h"
#include "gamedata/VfsContent.h"
#include "gamedata/VfsFile.h"
#include "gamedata/VfsHashFile.h"
#include "gamedata/VfsTree.h"
#include "platform/Platform.h"
#include "system/FileHelpers.h"

namespace tailpack {

namespace {

std::string Quoted(const TTreeFileInfo& node) { return "\"" + node.Path + "\""; }

void CheckBlocks(TVFSFile& vfs, std::vector<std::string>& faults) {
  uint64_t inUse = 0, mismatched = 0;
  for (const TVFSBlockEntry& block : vfs.BlockTable()) {
    if (!block.IsFree()) ++inUse;
    if ((block.Used != 0) == block.IsFree()) ++mismatched;
  }
  if (mismatched != 0)
    faults.push_back(std::to_string(mismatched) +
                     " block table entries have a used flag that disagrees with their link");
  if (static_cast<uint64_t>(vfs.Header().UsedBlocks) != inUse)
    faults.push_back("the header counts " + std::to_string(vfs.Header().UsedBlocks) + " used blocks, the table " +
                     std::to_string(inUse));
  uint64_t reachable = 0;
  for (const TTreeFileInfo& node : vfs.Tree().Nodes())
    if (node.Live()) reachable += vfs.Chain(*node.Entry).size();
  if (reachable < inUse)
    faults.push_back(std::to_string(inUse - reachable) + " blocks are in use but belong to no entry");
}

void CheckEntries(TVFSFile& vfs, std::vector<std::string>& faults) {
  const auto& nodes = vfs.Tree().Nodes();
  for (size_t i = 0; i < nodes.size(); ++i) {
    const TTreeFileInfo& node = nodes[i];
    if (!node.Live()) continue;
    const TVFSEntry& entry = *node.Entry;
    if (entry.Name.empty()) faults.push_back("an entry in \"" + vfs.Tree().Node(node.Parent).Path + "\" has no name");
    if (entry.IsFile() == entry.IsFolder())
      faults.push_back(Quoted(node) + " has the flags " + std::to_string(entry.Flags) + ", which make it " +
                       (entry.IsFile() ? "both a file and a folder" : "neither file nor folder"));
    if (entry.IsFolder()) {
      if (entry.StoredSize % kVfsEntrySize != 0)
        faults.push_back("the folder " + Quoted(node) + " holds " + std::to_string(entry.StoredSize) +
                         " bytes, not a whole number of 88-byte entries");
      std::set<std::string> names;
      for (int32_t child : node.Children) {
        if (child < 0) continue;
        std::string name = vfs.Tree().Node(child).Entry->Name;
        for (char& c : name)
          if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
        if (!names.insert(name).second)
          faults.push_back("the folder " + Quoted(node) + " holds \"" + vfs.Tree().Node(child).Entry->Name +
                           "\" twice");
      }
    } else if (entry.IsFile()) {
      TBytes content;
      if (TStatus read = ReadVfsContent(vfs, static_cast<int32_t>(i), content); !read)
        faults.push_back(Quoted(node) + ": " + read.Message());
    }
  }
}

void CheckHashFile(TVFSFile& vfs, std::vector<std::string>& faults) {
  std::string path = VfsHashFilePath(vfs.FileName());
  std::vector<TVFSHashRecord> expected = vfs.Tree().BuildHashRecords();
  bool exists = Files().Exists(path);
  if (expected.empty()) {
    if (exists) faults.push_back(path + " exists, but the archive holds no files");
    return;
  }
  if (!exists) {
    faults.push_back(path + " is missing");
    return;
  }
  auto bytes = TryReadWholeFile(path);
  if (!bytes) {
    faults.push_back(path + " cannot be read");
    return;
  }
  auto records = DecodeHashFile(*bytes);
  if (!records) {
    faults.push_back(path + " is damaged: its record count does not match its size");
    return;
  }
  if (records->size() != expected.size()) {
    faults.push_back(path + " holds " + std::to_string(records->size()) + " records; the archive's files make " +
                     std::to_string(expected.size()));
    return;
  }
  if (EncodeHashFile(*records) != EncodeHashFile(expected))
    faults.push_back(path + " does not match the archive's files (a hash, size, block or uniqueness flag differs)");
}

}  // namespace

TStatus ReadVfsContent(TVFSFile& vfs, int32_t node, TBytes& content) {
  const TVFSEntry& entry = *vfs.Tree().Node(node).Entry;
  try {
    auto stored = vfs.ReadFile(entry);
    return UnpackVfsFile(entry, stored ? stored->Data() : TBytes{}, content);
  } catch (const EArchiveError& damage) {
    return TStatus::Failure(damage.what());
  }
}

std::vector<std::string> CheckVfsArchive(TVFSFile& vfs) {
  std::vector<std::string> faults;
  auto size = vfs.FileSize();
  if (size && *size != vfs.Layout().End)
    faults.push_back("the file has " + std::to_string(*size - vfs.Layout().End) + " bytes after its last block");
  auto digest = vfs.ComputeDigest();
  if (!digest)
    faults.push_back("the MD5 digest cannot be computed");
  else if (*digest != vfs.Header().Digest)
    faults.push_back("the MD5 digest in the header does not match the contents");
  CheckBlocks(vfs, faults);
  CheckEntries(vfs, faults);
  CheckHashFile(vfs, faults);
  return faults;
}

}  // namespace tailpack
