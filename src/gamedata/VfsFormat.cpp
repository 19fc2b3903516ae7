#include "gamedata/VfsFormat.h"

#include <algorithm>
#include <cstring>

namespace tailpack {

TBytes TVFSHeader::EncodeFront() const {
  TBytes out(Ident.begin(), Ident.end());
  AppendU32(out, static_cast<uint32_t>(BlockSize));
  AppendU32(out, static_cast<uint32_t>(BlockCount));
  AppendU32(out, RootCount);
  AppendU32(out, Reserved1);
  AppendU32(out, Reserved2);
  AppendU32(out, static_cast<uint32_t>(Reserved3));
  out.insert(out.end(), Digest.begin(), Digest.end());
  return out;
}

TBytes TVFSHeader::EncodeBack() const {
  TBytes out;
  AppendU32(out, static_cast<uint32_t>(TextSize));
  out.insert(out.end(), Text.begin(), Text.end());
  out.insert(out.end(), Extra.begin(), Extra.end());
  AppendU32(out, static_cast<uint32_t>(UsedBlocks));
  return out;
}

TVfsLayout TVfsLayout::Of(const TVFSHeader& header) {
  TVfsLayout layout;
  layout.BlockTableStart = kVfsFixedHeaderSize + static_cast<uint64_t>(std::max(header.TextSize, 0));
  layout.RootTableStart =
      layout.BlockTableStart + uint64_t{kVfsBlockEntrySize} * static_cast<uint64_t>(std::max(header.BlockCount, 0));
  layout.DataStart = layout.RootTableStart + uint64_t{kVfsEntrySize} * header.RootCount;
  layout.End = layout.DataStart + static_cast<uint64_t>(std::max(header.BlockSize, 0)) *
                                      static_cast<uint64_t>(std::max(header.BlockCount, 0));
  return layout;
}

TStatus CheckVfsHeader(const TVFSHeader& header, uint64_t fileSize) {
  if (header.BlockSize <= 0) return TStatus::Failure("the block size is " + std::to_string(header.BlockSize));
  if (header.BlockCount <= 0) return TStatus::Failure("the block count is " + std::to_string(header.BlockCount));
  if (header.RootCount == 0) return TStatus::Failure("the root table has no slots");
  if (header.RootCount > kVfsMaxRootSlots)
    return TStatus::Failure("the root table has " + std::to_string(header.RootCount) +
                            " slots; at most 256 can be used");
  if (header.TextSize < static_cast<int32_t>(kVfsTextLength))
    return TStatus::Failure("the text size is " + std::to_string(header.TextSize) + ", less than 256");
  TVfsLayout layout = TVfsLayout::Of(header);
  if (layout.End > fileSize)
    return TStatus::Failure("the header describes " + std::to_string(layout.End) + " bytes, but the file has " +
                            std::to_string(fileSize));
  return TStatus::Success();
}

TVFSEntry TVFSEntry::Decode(const uint8_t* bytes) {
  TVFSEntry entry;
  const uint8_t* end = std::find(bytes, bytes + kVfsNameLength, 0);
  entry.Name.assign(reinterpret_cast<const char*>(bytes), static_cast<size_t>(end - bytes));
  entry.Flags = GetU32(bytes + 68);
  entry.Date = GetU32(bytes + 72);
  entry.FirstBlock = static_cast<int32_t>(GetU32(bytes + 76));
  entry.StoredSize = GetU32(bytes + 80);
  entry.OriginalSize = GetU32(bytes + 84);
  return entry;
}

void TVFSEntry::EncodeInto(uint8_t* bytes) const {
  std::memset(bytes, 0, kVfsEntrySize);
  std::memcpy(bytes, Name.data(), std::min<size_t>(Name.size(), kVfsNameLength));
  PutU32(bytes + 68, Flags);
  PutU32(bytes + 72, Date);
  PutU32(bytes + 76, static_cast<uint32_t>(FirstBlock));
  PutU32(bytes + 80, StoredSize);
  PutU32(bytes + 84, OriginalSize);
}

uint32_t VfsHash(std::string_view keyText) {
  uint32_t hash = 0;
  for (char c : keyText) hash = hash * 65599u + static_cast<uint8_t>(c);
  return hash;
}

std::string VfsHashKeyText(std::string_view path, std::string_view name) {
  std::string_view folder = path.substr(0, path.size() >= name.size() ? path.size() - name.size() : 0);
  if (folder.size() >= 2 && folder.back() == '\\')
    return std::string(folder.substr(0, folder.size() - 1)) + "/" + std::string(name);
  return std::string(name);
}

}  // namespace tailpack
