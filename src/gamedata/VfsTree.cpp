#include "gamedata/VfsTree.h"

#include <algorithm>
#include <cstring>

#include "archive/Zlib.h"
#include "base/Errors.h"
#include "base/Text.h"
#include "gamedata/DosDate.h"
#include "gamedata/GameDataErrors.h"
#include "gamedata/VfsFile.h"

namespace tailpack {

namespace {

std::string AsciiLower(const std::string& text) {
  std::string lower = text;
  for (char& c : lower)
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  return lower;
}

std::vector<std::string> SplitPath(const std::string& path) {
  std::vector<std::string> parts;
  size_t start = 0;
  for (;;) {
    size_t at = path.find('\\', start);
    parts.push_back(path.substr(start, at == std::string::npos ? std::string::npos : at - start));
    if (at == std::string::npos) return parts;
    start = at + 1;
  }
}

}  // namespace

// --- Bookkeeping ---------------------------------------------------------------

int32_t TVFSTree::AddNode(TVFSEntry* entry, std::unique_ptr<TVFSEntry> owned, int32_t parent, uint8_t slot) {
  int32_t index = static_cast<int32_t>(nodes_.size());
  if (!freeSlots_.empty()) {
    index = *freeSlots_.begin();
    freeSlots_.erase(freeSlots_.begin());
  } else {
    nodes_.emplace_back();
  }
  TTreeFileInfo& node = At(index);
  node.Index = index;
  node.Owned = std::move(owned);
  node.Entry = node.Owned ? node.Owned.get() : entry;
  node.Children.clear();
  node.Parent = parent;
  node.Slot = slot;
  node.Path = parent < 0 ? node.Entry->Name : At(parent).Path + "\\" + node.Entry->Name;
  if (parent >= 0) {
    auto& children = At(parent).Children;
    auto empty = std::find(children.begin(), children.end(), -1);
    if (empty != children.end())
      *empty = index;
    else
      children.push_back(index);
  }
  IndexPath(index);
  return index;
}

int32_t TVFSTree::AddRootNode(uint32_t slot) {
  return AddNode(&owner_.RootTable()[slot], nullptr, -1, static_cast<uint8_t>(slot));
}

int32_t TVFSTree::AddChildNode(std::unique_ptr<TVFSEntry> entry, int32_t parent) {
  return AddNode(nullptr, std::move(entry), parent, kNoRootSlot);
}

void TVFSTree::IndexPath(int32_t index) { byPath_[AsciiLower(At(index).Path)].insert(index); }

void TVFSTree::UnindexPath(int32_t index) {
  auto found = byPath_.find(AsciiLower(At(index).Path));
  if (found == byPath_.end()) return;
  found->second.erase(index);
  if (found->second.empty()) byPath_.erase(found);
}

void TVFSTree::FreeNode(int32_t index) {
  TTreeFileInfo& node = At(index);
  UnindexPath(index);
  node.Index = -1;
  node.Path.clear();
  node.Children.clear();
  node.Entry = nullptr;
  node.Owned.reset();
  freeSlots_.insert(index);
}

void TVFSTree::RemoveChild(int32_t parent, int32_t child) {
  for (int32_t& slot : At(parent).Children)
    if (slot == child) slot = -1;
}

uint32_t TVFSTree::ChildCount(int32_t node) const {
  const auto& children = Node(node).Children;
  return static_cast<uint32_t>(std::count_if(children.begin(), children.end(), [](int32_t c) { return c >= 0; }));
}

uint32_t TVFSTree::FileCount() const {
  return static_cast<uint32_t>(std::count_if(nodes_.begin(), nodes_.end(),
                                             [](const TTreeFileInfo& n) { return n.Live() && n.Entry->IsFile(); }));
}

void TVFSTree::Clear() {
  nodes_.clear();
  freeSlots_.clear();
  byPath_.clear();
}

// --- Lookup ----------------------------------------------------------------------

int32_t TVFSTree::FindByPath(const std::string& path) const {
  auto found = byPath_.find(AsciiLower(path));
  return found == byPath_.end() ? -1 : *found->second.begin();
}

int32_t TVFSTree::FindChild(int32_t parent, const std::string& name) const {
  if (parent < 0) return FindByPath(name);
  for (int32_t child : Node(parent).Children)
    if (child >= 0 && SameTextAscii(Node(child).Entry->Name, name)) return child;
  return -1;
}

int32_t TVFSTree::FindDeepestFolder(const std::string& path) const {
  std::string rest = path;
  if (!rest.empty() && rest.back() == '\\') rest.pop_back();
  while (!rest.empty()) {
    int32_t found = FindByPath(rest);
    if (found >= 0 && Node(found).Entry->IsFolder()) return found;
    if (!rest.empty() && rest.back() == '\\') rest.pop_back();
    size_t cut = rest.rfind('\\');
    rest = cut == std::string::npos ? std::string() : rest.substr(0, cut);
  }
  return -1;
}

// --- Folders on disk ---------------------------------------------------------------

void TVFSTree::LoadAll() {
  std::vector<bool> claimed(owner_.BlockTable().size(), false);
  // Nodes are added while this runs; each takes at least one block of its
  // own, so there can never be more nodes than blocks.
  for (size_t a = 0; a < nodes_.size(); ++a) {
    if (!nodes_[a].Live()) continue;
    const TVFSEntry entry = *nodes_[a].Entry;
    for (int32_t block : owner_.Chain(entry)) {
      if (claimed[static_cast<size_t>(block)])
        throw EArchiveError("\"" + nodes_[a].Path + "\" uses block " + std::to_string(block + 1) +
                            ", which another entry uses too (a folder inside itself?)");
      claimed[static_cast<size_t>(block)] = true;
    }
    if (!entry.IsFolder() || entry.StoredSize == 0) continue;
    auto content = owner_.ReadFile(entry);
    if (!content) continue;
    const TBytes& data = content->Data();
    for (size_t at = 0; at + kVfsEntrySize <= data.size(); at += kVfsEntrySize)
      AddChildNode(std::make_unique<TVFSEntry>(TVFSEntry::Decode(&data[at])), static_cast<int32_t>(a));
  }
}

TBytes TVFSTree::BuildFolderData(int32_t folder) const {
  TBytes data(size_t{ChildCount(folder)} * kVfsEntrySize, 0);
  size_t at = 0;
  for (int32_t child : Node(folder).Children) {
    if (child < 0) continue;
    Node(child).Entry->EncodeInto(&data[at]);
    at += kVfsEntrySize;
  }
  return data;
}

void TVFSTree::WriteRootSlot(int32_t node) { owner_.WriteRootSlot(Node(node).Slot, *Node(node).Entry); }

void TVFSTree::FreeChain(int32_t node) { owner_.FreeChain(*Node(node).Entry); }

void TVFSTree::RewriteParent(int32_t node) {
  int32_t parent = Node(node).Parent;
  TBytes data = BuildFolderData(parent);
  TVFSEntry& entry = *At(parent).Entry;
  if (entry.StoredSize == data.size()) {
    owner_.OverwriteFile(entry, data.empty() ? nullptr : data.data(), static_cast<uint32_t>(data.size()));
    return;
  }
  FreeChain(parent);
  owner_.WriteFile(entry, data.empty() ? nullptr : data.data(), static_cast<uint32_t>(data.size()));
  if (Node(parent).Parent < 0)
    WriteRootSlot(parent);
  else
    RewriteParent(parent);
}

// --- Changes ---------------------------------------------------------------------------

int32_t TVFSTree::NewRootEntry() {
  auto& roots = owner_.RootTable();
  for (uint32_t slot = 0; slot < roots.size(); ++slot) {
    if (!roots[slot].Name.empty()) continue;
    roots[slot] = TVFSEntry{};
    return AddRootNode(slot);
  }
  return -1;
}

int32_t TVFSTree::CreateNewFileDir(int32_t parent, const std::string& name, bool writeNow, uint32_t flags) {
  // An empty name would read as a free root slot or a name-less child.
  if (name.empty()) throw EArchiveError("an entry without a name cannot be stored in " + owner_.FileName());
  std::string cut = name.substr(0, kVfsNameLength);
  int32_t index;
  if (parent < 0) {
    index = NewRootEntry();
    if (index < 0) throw EArchiveError(owner_.FileName() + " has no free root slot for \"" + cut + "\"");
    UnindexPath(index);
    At(index).Entry->Name = cut;
    At(index).Path = cut;
    IndexPath(index);
  } else {
    auto entry = std::make_unique<TVFSEntry>();
    entry->Name = cut;
    index = AddChildNode(std::move(entry), parent);
  }
  TVFSEntry& entry = *At(index).Entry;
  entry.Flags = flags;
  entry.Date = 0;
  entry.FirstBlock = 0;
  entry.StoredSize = 0;
  entry.OriginalSize = 0;
  if (writeNow) {
    owner_.WriteFile(entry, nullptr, 0);
    if (parent < 0)
      WriteRootSlot(index);
    else
      RewriteParent(index);
  }
  return index;
}

int32_t TVFSTree::FindOrCreateFolder(int32_t parent, const std::string& name) {
  std::string cut = name.substr(0, kVfsNameLength);
  int32_t found = FindChild(parent, cut);
  if (found < 0) return CreateNewFileDir(parent, cut, true, kVfsFlagFolder);
  // A file of that name cannot take children: its content would be
  // overwritten with a folder's.
  if (!Node(found).Entry->IsFolder())
    throw EArchiveError("\"" + Node(found).Path + "\" in " + owner_.FileName() + " is a file, not a folder");
  return found;
}

int32_t TVFSTree::CreateFolderPath(int32_t parent, const std::string& path) {
  int32_t folder = parent;
  for (const std::string& part : SplitPath(path)) folder = FindOrCreateFolder(folder, part);
  return folder;
}

void TVFSTree::DeleteNode(int32_t node, bool nested) {
  std::vector<int32_t> children = Node(node).Children;
  for (int32_t child : children)
    if (child >= 0) DeleteNode(child, true);
  FreeChain(node);
  int32_t parent = Node(node).Parent;
  if (nested && parent >= 0) {
    RemoveChild(parent, node);
    FreeNode(node);
    return;
  }
  if (parent < 0) {
    // The slot in memory keeps its name until the archive is reopened, so it
    // is not handed out again in this session.
    owner_.ClearRootSlot(Node(node).Slot);
  } else {
    RemoveChild(parent, node);
    RewriteParent(node);
  }
  FreeNode(node);
}

void TVFSTree::DeleteByPath(const std::string& path, bool nested) {
  int32_t found = FindByPath(path);
  if (found >= 0) DeleteNode(found, nested);
}

std::optional<TBytes> TVFSTree::InternalCompressFile(const uint8_t* data, uint32_t size) {
  if (size == 0) return std::nullopt;
  TBytes output;
  output.reserve(size);
  for (uint32_t position = 0; position < size;) {
    uint32_t chunk = std::min(kVfsChunkInput, size - position);
    TBytes stream = Deflate(data + position, chunk);
    if (stream.empty()) throw EAssertionFailed("TVFSTree.InternalCompressFile: ACSize = 0", "Global/VFS_Unit", 799);
    if (output.size() + 4 + stream.size() > size) return std::nullopt;
    AppendU32(output, static_cast<uint32_t>(stream.size()));
    output.insert(output.end(), stream.begin(), stream.end());
    position += chunk;
  }
  return output;
}

void TVFSTree::StoreFileData(TVFSEntry& entry, const uint8_t* data, uint32_t size) {
  entry.StoredSize = size;
  entry.Date = TodayDosDate();
  if (!entry.IsFile()) return;
  entry.OriginalSize = size;
  auto chunks = InternalCompressFile(data, size);
  if (chunks) {
    entry.Flags += kVfsFlagCompressed;
    entry.StoredSize = static_cast<uint32_t>(chunks->size());
    owner_.WriteFile(entry, chunks->data(), entry.StoredSize);
    return;
  }
  entry.OriginalSize = 0;
  owner_.WriteFile(entry, size == 0 ? nullptr : data, size);
}

int32_t TVFSTree::PutFile(const std::string& path, const uint8_t* data, uint32_t size) {
  std::string folderPart;
  size_t lastSeparator = path.rfind('\\');
  if (path.find('.') != std::string::npos && lastSeparator != std::string::npos)
    folderPart = path.substr(0, lastSeparator);

  int32_t folder = -1;
  if (!folderPart.empty()) {
    folder = FindDeepestFolder(folderPart);
    if (folder < 0) {
      folder = CreateFolderPath(-1, folderPart);
    } else if (!SameTextAscii(Node(folder).Path, folderPart)) {
      folder = CreateFolderPath(folder, folderPart.substr(Node(folder).Path.size() + 1));
    }
  }

  size_t nameStart = path.find_last_of("\\:");
  std::string name = path.substr(nameStart == std::string::npos ? 0 : nameStart + 1).substr(0, kVfsNameLength);
  DeleteByPath(folder < 0 ? name : Node(folder).Path + "\\" + name, true);
  int32_t index = CreateNewFileDir(folder, name, false, kVfsFlagFile);
  StoreFileData(*At(index).Entry, data, size);
  if (folder < 0)
    WriteRootSlot(index);
  else
    RewriteParent(index);
  return index;
}

std::vector<TVFSHashRecord> TVFSTree::BuildHashRecords() const {
  THashTableBuilder builder;
  for (const TTreeFileInfo& node : nodes_) {
    if (!node.Live() || !node.Entry->IsFile()) continue;
    const TVFSEntry& entry = *node.Entry;
    builder.Insert(TVFSHashRecord{VfsHash(VfsHashKeyText(node.Path, entry.Name)), entry.Flags, entry.StoredSize,
                                  entry.OriginalSize, entry.FirstBlock, 1});
  }
  return builder.Records();
}

}  // namespace tailpack
