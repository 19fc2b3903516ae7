#pragma once
// The layout of a VFS archive: a header with an MD5 digest, a table of block
// chain links, a fixed table of root entries, then equal-sized blocks; and
// its ".ht" hash file. docs/formats/vfs-archive.md describes both.

#include <array>
#include <cstdint>
#include <string>
#include <string_view>

#include "base/Bytes.h"
#include "base/Status.h"
#include "platform/Crypto.h"

namespace tailpack {

constexpr uint32_t kVfsDigestOffset = 28;
constexpr uint32_t kVfsTextSizeOffset = 44;  // the digest covers the file from here on
constexpr uint32_t kVfsTextLength = 256;
constexpr uint32_t kVfsFixedHeaderSize = 52;  // the header without Extra
constexpr uint32_t kVfsBlockEntrySize = 8;
constexpr uint32_t kVfsEntrySize = 88;
constexpr uint32_t kVfsNameLength = 65;
// A node's root slot is 8 bits wide, so no more root slots can be used.
constexpr uint32_t kVfsMaxRootSlots = 256;
constexpr uint32_t kVfsFlagFile = 1;
constexpr uint32_t kVfsFlagFolder = 2;
constexpr uint32_t kVfsFlagCompressed = 8;
constexpr uint32_t kVfsChunkInput = 50000;  // bytes per compressed chunk
constexpr uint32_t kVfsHashRecordSize = 21;

struct TVFSHeader {
  std::array<uint8_t, 4> Ident{};
  int32_t BlockSize = 0;
  int32_t BlockCount = 0;
  uint32_t RootCount = 0;
  uint32_t Reserved1 = 0;
  uint32_t Reserved2 = 0;
  int32_t Reserved3 = 0;
  TMd5Digest Digest{};
  int32_t TextSize = kVfsTextLength;
  std::array<uint8_t, kVfsTextLength> Text{};
  TBytes Extra;  // TextSize - 256 bytes
  int32_t UsedBlocks = 0;

  // Bytes from Ident to the digest, and from TextSize to UsedBlocks.
  TBytes EncodeFront() const;
  TBytes EncodeBack() const;
};

// Where the parts of an archive lie, computed from its header in 64 bits.
struct TVfsLayout {
  uint64_t BlockTableStart = 0;
  uint64_t RootTableStart = 0;
  uint64_t DataStart = 0;
  uint64_t End = 0;  // where the last block ends

  static TVfsLayout Of(const TVFSHeader& header);
};

// Checks a header against the file's size: positive block size and counts,
// at most 256 root slots, TextSize of at least 256, and every part inside
// the file. The message says what is wrong.
TStatus CheckVfsHeader(const TVFSHeader& header, uint64_t fileSize);

struct TVFSBlockEntry {
  uint32_t Used = 0;
  int32_t Next = 0;  // next block counted from 1; -1 ends the chain; 0 free
  bool IsFree() const { return Next == 0; }
};

struct TVFSEntry {
  std::string Name;  // at most 65 characters
  uint32_t Flags = 0;
  uint32_t Date = 0;
  int32_t FirstBlock = 0;  // counted from 1
  uint32_t StoredSize = 0;
  uint32_t OriginalSize = 0;

  bool IsFile() const { return (Flags & kVfsFlagFile) != 0; }
  bool IsFolder() const { return (Flags & kVfsFlagFolder) != 0; }
  bool IsCompressed() const { return (Flags & kVfsFlagCompressed) != 0; }

  // From 88 bytes: the name ends at its first zero byte or after 65.
  static TVFSEntry Decode(const uint8_t* bytes);
  void EncodeInto(uint8_t* bytes) const;
};

// The hash of a key text: h = h * 65599 + byte, modulo 2^32.
uint32_t VfsHash(std::string_view keyText);
// The key text of an entry named Name whose full path is Path: the folder
// part without its final backslash, "/" and the name; the name alone at the
// root.
std::string VfsHashKeyText(std::string_view path, std::string_view name);

}  // namespace tailpack
