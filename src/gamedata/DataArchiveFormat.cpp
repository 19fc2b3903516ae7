#include "gamedata/DataArchiveFormat.h"

#include <algorithm>
#include <cstring>
#include <functional>

#include "archive/Zlib.h"
#include "base/Errors.h"
#include "gamedata/InflateLimit.h"
#include "platform/Crypto.h"
#include "platform/FileSystem.h"
#include "platform/Platform.h"
#include "platform/SystemInfo.h"
#include "uninstall/Cipher.h"

namespace tailpack {

namespace {

constexpr uint32_t kNameOffset = 24;
constexpr uint32_t kNameArea = 128;

using TRangeReader = std::function<std::optional<TBytes>(uint64_t offset, uint32_t length)>;

bool StartsWith(const uint8_t* bytes, const char* text) { return std::memcmp(bytes, text, 4) == 0; }

bool IsLetterOrDigit(uint8_t c) { return (c >= '0' && c <= '9') || (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z'); }

// The old form keeps the password in plain text: the leading run of letters
// and digits of its 9-byte field.
std::string OldFormPassword(const uint8_t* field) {
  std::string password;
  for (int i = 0; i < 9 && IsLetterOrDigit(field[i]); ++i) password += static_cast<char>(field[i]);
  return password;
}

void ReadExtraBlock(const uint8_t* block, uint32_t length, TZrpTrailer& trailer) {
  if (length < 4) return;
  trailer.Tag.assign(reinterpret_cast<const char*>(block), 4);
  if (trailer.Tag != "EIH1" && trailer.Tag != "EIH2") return;
  if (length < 8) {
    trailer.PasswordReadable = false;
    return;
  }
  TQuellEncryptionType cipher;
  cipher.SeedA = block[4];
  cipher.SeedB = block[5];
  uint32_t passwordLength = GetU16(block + 6);
  if (8 + passwordLength > length) {
    trailer.PasswordReadable = false;
    return;
  }
  if (passwordLength > 0) {
    if (!cipher.SeedsUsable()) {
      trailer.PasswordReadable = false;
      return;
    }
    trailer.Extra.Password = cipher.Decrypt(std::string_view(reinterpret_cast<const char*>(block + 8), passwordLength));
  }
  trailer.Extra.HasPassword = !trailer.Extra.Password.empty();
  if (trailer.Tag == "EIH2" && 8 + passwordLength < length) trailer.Extra.Official = block[8 + passwordLength] != 0;
}

TStatus Corrupt(const std::string& reason) { return TStatus::Failure(reason); }

TStatus ReadDirectory(uint64_t fileSize, const TRangeReader& read, TZrpDirectory& directory) {
  directory = TZrpDirectory{};
  directory.FileSize = fileSize;
  uint32_t tailLength = static_cast<uint32_t>(std::min<uint64_t>(fileSize, kZrpMarkerSearch + 6));
  auto tail = read(fileSize - tailLength, tailLength);
  if (!tail) return Corrupt("the end of the file cannot be read");
  directory.Trailer = ParseTrailer(tail->data(), tail->size());
  const TZrpTrailer& trailer = directory.Trailer;
  if (!trailer.PasswordReadable) return Corrupt("the password in the trailer cannot be deciphered");

  if (fileSize < uint64_t{trailer.Length} + kZrpFooterSize) return Corrupt("the file is too short for a footer");
  uint64_t footerStart = fileSize - trailer.Length - kZrpFooterSize;
  auto footerBytes = read(footerStart, kZrpFooterSize);
  if (!footerBytes) return Corrupt("the footer cannot be read");
  directory.Footer = TZrpFooter::Decode(footerBytes->data());
  const TZrpFooter& footer = directory.Footer;
  if (footer.FormatNumber != kZrpFormatNumber)
    return Corrupt("the footer's format number is " + std::to_string(footer.FormatNumber) + ", not 5");
  if (footer.Reserved != 0) return Corrupt("the footer's reserved word is not 0");
  if (footer.CompressedSize > footerStart)
    return Corrupt("the table (" + std::to_string(footer.CompressedSize) + " bytes) is larger than the file before it");
  if (uint64_t{footer.Count} * kZrpRecordSize != footer.TableSize)
    return Corrupt("the table size " + std::to_string(footer.TableSize) + " does not hold " +
                   std::to_string(footer.Count) + " records of 152 bytes");
  if (!MayInflateTo(footer.CompressedSize, footer.TableSize))
    return Corrupt("the table cannot inflate to " + std::to_string(footer.TableSize) + " bytes");

  directory.TableStart = footerStart - footer.CompressedSize;
  auto compressed = read(directory.TableStart, footer.CompressedSize);
  if (!compressed) return Corrupt("the table cannot be read");
  TInflated table;
  try {
    table = Inflate(compressed->data(), compressed->size(), footer.TableSize);
  } catch (const EDecompressionError&) {
    return Corrupt("the table is not a valid zlib stream");
  }
  if (table.TotalLength != footer.TableSize)
    return Corrupt("the table inflates to " + std::to_string(table.TotalLength) + " bytes, not " +
                   std::to_string(footer.TableSize));

  directory.Entries.reserve(footer.Count);
  for (uint32_t i = 0; i < footer.Count; ++i) {
    const uint8_t* record = table.Bytes.data() + uint64_t{i} * kZrpRecordSize;
    TPakSystemEntry entry = TPakSystemEntry::Decode(record);
    if (TPakSystemEntry::StoredNameLength(record) > kZrpMaxNameLength)
      return Corrupt("record " + std::to_string(i) + " has a name longer than 127 characters");
    if (uint64_t{entry.Offset} + entry.StoredSize > directory.TableStart)
      return Corrupt("the stored bytes of \"" + entry.Name + "\" lie outside the data area");
    directory.Entries.push_back(std::move(entry));
  }
  return TStatus::Success();
}

}  // namespace

TPakSystemEntry TPakSystemEntry::Decode(const uint8_t* record) {
  TPakSystemEntry entry;
  entry.Signature = {record[0], record[1]};
  entry.Kind = record[2];
  entry.Reserved = record[3];
  entry.Date = GetU32(record + 4);
  entry.StoredSize = GetU32(record + 8);
  entry.OriginalSize = GetU32(record + 12);
  entry.Offset = GetU32(record + 16);
  uint32_t length = std::min<uint32_t>(record[kNameOffset], kZrpMaxNameLength);
  entry.Name.assign(reinterpret_cast<const char*>(record + kNameOffset + 1), length);
  return entry;
}

void TPakSystemEntry::EncodeInto(uint8_t* record) const {
  std::memset(record, 0, kZrpRecordSize);
  record[0] = Signature[0];
  record[1] = Signature[1];
  record[2] = Kind;
  record[3] = Reserved;
  PutU32(record + 4, Date);
  PutU32(record + 8, StoredSize);
  PutU32(record + 12, OriginalSize);
  PutU32(record + 16, Offset);
  size_t length = std::min<size_t>(Name.size(), kZrpMaxNameLength);
  record[kNameOffset] = static_cast<uint8_t>(length);
  std::memcpy(record + kNameOffset + 1, Name.data(), length);
  static_assert(kNameOffset + kNameArea == kZrpRecordSize, "the name area ends the record");
}

TZrpTrailer ParseTrailer(const uint8_t* tail, size_t tailLength) {
  TZrpTrailer trailer;
  if (tailLength >= kZrpOldTrailerSize) {
    const uint8_t* old = tail + tailLength - kZrpOldTrailerSize;
    if (StartsWith(old, "ZRP2")) {
      trailer.Form = TZrpTrailerForm::Old;
      trailer.Length = kZrpOldTrailerSize;
      trailer.Extra.Password = OldFormPassword(old + 4);
      trailer.Extra.HasPassword = !trailer.Extra.Password.empty();
      return trailer;
    }
  }
  for (uint32_t i = 0; i <= kZrpMarkerSearch && i + 6 <= tailLength; ++i) {
    const uint8_t* marker = tail + tailLength - i - 6;
    if (!StartsWith(marker, "ZRP3")) continue;
    // A marker right at the end has no block: the file has no trailer.
    if (i == 0) break;
    trailer.Form = TZrpTrailerForm::Current;
    trailer.Length = i + 6;
    trailer.FormatNumber = GetU16(marker + 4);
    ReadExtraBlock(marker + 6, i, trailer);
    break;
  }
  return trailer;
}

TZrpFooter TZrpFooter::Decode(const uint8_t* bytes) {
  return TZrpFooter{GetU32(bytes), GetU32(bytes + 4), GetU32(bytes + 8), GetU32(bytes + 12), GetU32(bytes + 16)};
}

void TZrpFooter::AppendTo(TBytes& out) const {
  AppendU32(out, CompressedSize);
  AppendU32(out, TableSize);
  AppendU32(out, FormatNumber);
  AppendU32(out, Count);
  AppendU32(out, Reserved);
}

TStatus ReadZrpDirectory(IFile& file, TZrpDirectory& directory) {
  auto size = file.Size();
  if (!size) return Corrupt("the file's size cannot be read");
  return ReadDirectory(
      *size,
      [&file](uint64_t offset, uint32_t length) -> std::optional<TBytes> {
        TBytes bytes(length);
        if (!file.Seek(offset) || file.Read(bytes.data(), length) != length) return std::nullopt;
        return bytes;
      },
      directory);
}

TStatus ParseZrpDirectory(const uint8_t* data, size_t size, TZrpDirectory& directory) {
  return ReadDirectory(
      size,
      [data, size](uint64_t offset, uint32_t length) -> std::optional<TBytes> {
        if (offset > size || length > size - offset) return std::nullopt;
        return TBytes(data + offset, data + offset + length);
      },
      directory);
}

void MaskStream(TBytes& stream) {
  if (stream.size() <= 4) return;
  uint32_t first = GetU32(stream.data()) ^ Crc32(stream.data() + 4, stream.size() - 4);
  PutU32(stream.data(), first);
}

TBytes BuildZrpTail(const std::vector<const TPakSystemEntry*>& entries, const TExtraInfo& extra, uint8_t seedA,
                    uint8_t seedB) {
  TBytes table(entries.size() * kZrpRecordSize);
  for (size_t i = 0; i < entries.size(); ++i) entries[i]->EncodeInto(table.data() + i * kZrpRecordSize);
  TBytes tail = Deflate(table.data(), table.size());

  TZrpFooter footer;
  footer.CompressedSize = static_cast<uint32_t>(tail.size());
  footer.TableSize = static_cast<uint32_t>(table.size());
  footer.FormatNumber = kZrpFormatNumber;
  footer.Count = static_cast<uint32_t>(entries.size());
  footer.AppendTo(tail);

  TQuellEncryptionType cipher;
  cipher.SeedA = seedA;
  cipher.SeedB = seedB;
  std::string enciphered = cipher.Encrypt(extra.Password);
  AppendBytes(tail, "ZRP3");
  AppendU16(tail, 1);
  AppendBytes(tail, "EIH2");
  AppendU8(tail, seedA);
  AppendU8(tail, seedB);
  AppendU16(tail, static_cast<uint16_t>(enciphered.size()));
  AppendBytes(tail, enciphered);
  AppendU8(tail, extra.Official ? 1 : 0);
  return tail;
}

std::array<uint8_t, 2> FreshSeeds() {
  // Small positive numbers; a seed whose key would be empty is drawn again.
  for (uint32_t attempt = 0;; ++attempt) {
    uint8_t random[2] = {0, 0};
    if (!RandomBytes(random, sizeof random)) {
      // Without a random source the clock still varies the seeds, and the
      // attempt number makes sure the loop moves on.
      uint32_t ticks = System().TickCount() + attempt * 7919;
      random[0] = static_cast<uint8_t>(ticks);
      random[1] = static_cast<uint8_t>(ticks >> 8);
    }
    TQuellEncryptionType cipher;
    cipher.SeedA = static_cast<uint8_t>(1 + random[0] % 200);
    cipher.SeedB = static_cast<uint8_t>(1 + random[1] % 200);
    if (cipher.SeedsUsable()) return {cipher.SeedA, cipher.SeedB};
  }
}

}  // namespace tailpack
