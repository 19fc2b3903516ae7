#include "archive/CertificateTable.h"

#include <algorithm>
#include <array>
#include <cstring>

#include "archive/Pak.h"
#include "base/Bytes.h"
#include "platform/FileSystem.h"

namespace tailpack {

namespace {

// PE layout: the DOS header names the PE signature; the optional header's
// magic tells 32 from 64 bits and where the data directories begin.
constexpr uint64_t kPeOffsetField = 0x3C;
constexpr uint32_t kCoffHeaderSize = 20;
constexpr uint16_t kPe32Magic = 0x10B;
constexpr uint16_t kPe32PlusMagic = 0x20B;
constexpr uint32_t kDirectoryCountOffset32 = 92;
constexpr uint32_t kDirectoryCountOffset64 = 108;
constexpr uint32_t kSecurityDirectory = 4;
constexpr uint32_t kSigningPadding = 8;

bool ReadAt(IFile& file, uint64_t offset, void* buffer, uint32_t count) {
  return file.Seek(offset) && file.Read(buffer, count) == count;
}

}  // namespace

std::optional<TCertificateTable> FindCertificateTable(IFile& file) {
  uint8_t dos[0x40];
  if (!ReadAt(file, 0, dos, sizeof dos) || dos[0] != 'M' || dos[1] != 'Z') return std::nullopt;
  const uint64_t pe = GetU32(dos + kPeOffsetField);
  uint8_t signature[4];
  if (!ReadAt(file, pe, signature, 4) || std::memcmp(signature, "PE\0\0", 4) != 0) return std::nullopt;
  const uint64_t optional = pe + 4 + kCoffHeaderSize;
  uint8_t magicBytes[2];
  if (!ReadAt(file, optional, magicBytes, 2)) return std::nullopt;
  const uint16_t magic = GetU16(magicBytes);
  uint32_t countOffset = 0;
  if (magic == kPe32Magic) countOffset = kDirectoryCountOffset32;
  else if (magic == kPe32PlusMagic) countOffset = kDirectoryCountOffset64;
  else return std::nullopt;
  uint8_t countBytes[4];
  if (!ReadAt(file, optional + countOffset, countBytes, 4) || GetU32(countBytes) <= kSecurityDirectory)
    return std::nullopt;
  TCertificateTable table;
  table.EntryOffset = optional + countOffset + 4 + kSecurityDirectory * 8;
  uint8_t entry[8];
  if (!ReadAt(file, table.EntryOffset, entry, 8)) return std::nullopt;
  // The security entry holds a file offset, not a virtual address.
  table.Offset = GetU32(entry);
  table.Size = GetU32(entry + 4);
  if (table.Offset == 0 || table.Size == 0) return std::nullopt;
  return table;
}

uint64_t ArchiveEndBeforeCertificates(IFile& file, uint64_t length) {
  auto table = FindCertificateTable(file);
  if (!table || table->Offset + table->Size > length || table->Offset < kPakHeaderSize) return length;
  // The trailer lies right before the table, or before up to 7 zero bytes
  // that align the table.
  const uint64_t lowest = table->Offset >= kSigningPadding - 1 + kPakHeaderSize ? table->Offset - (kSigningPadding - 1)
                                                                                 : kPakHeaderSize;
  std::array<uint8_t, kSigningPadding - 1 + kPakHeaderSize> tail{};
  const uint64_t tailStart = lowest - kPakHeaderSize;
  const auto tailLength = static_cast<uint32_t>(table->Offset - tailStart);
  if (!ReadAt(file, tailStart, tail.data(), tailLength)) return length;
  for (uint64_t end = table->Offset; end >= lowest; --end) {
    const size_t at = static_cast<size_t>(end - kPakHeaderSize - tailStart);
    if (std::equal(kPakMagic.begin(), kPakMagic.end(), tail.begin() + static_cast<ptrdiff_t>(at))) return end;
    // Only zero bytes may stand between the trailer and the table.
    if (tail[static_cast<size_t>(end - 1 - tailStart)] != 0) break;
    if (end == lowest) break;
  }
  return length;
}

bool DropDanglingCertificateTable(IFile& file) {
  auto table = FindCertificateTable(file);
  if (!table) return true;
  auto length = file.Size();
  if (!length) return false;
  if (table->Offset + table->Size <= *length) return true;
  const uint8_t zero[8] = {};
  return file.Seek(table->EntryOffset) && file.Write(zero, sizeof zero) == sizeof zero;
}

}  // namespace tailpack
