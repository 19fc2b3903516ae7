#pragma once
// The layout of a data archive: stored entries, then a zlib-compressed table
// of 152-byte records, a 20-byte footer and a trailer with the password and
// the official flag. docs/formats/data-archive.md describes it. Everything
// here works on bytes in memory or on an open file and changes nothing on
// disk.

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "base/Bytes.h"
#include "base/Status.h"

namespace tailpack {

class IFile;

constexpr uint32_t kZrpRecordSize = 152;
constexpr uint32_t kZrpFooterSize = 20;
constexpr uint32_t kZrpFormatNumber = 5;
constexpr uint32_t kZrpOldTrailerSize = 13;
// The current trailer's marker is looked for at most this many bytes before
// the end (plus its own 6), so its block, and with it the password, is short.
constexpr uint32_t kZrpMarkerSearch = 50;
constexpr uint32_t kZrpMaxPasswordLength = kZrpMarkerSearch - 9;
constexpr uint32_t kZrpMaxNameLength = 127;
constexpr uint8_t kZrpKindSound = 1;
constexpr uint8_t kZrpKindData = 2;
constexpr std::array<uint8_t, 2> kZrpSignature = {0x0D, 0x0A};

// One directory record.
struct TPakSystemEntry {
  std::array<uint8_t, 2> Signature = kZrpSignature;
  uint8_t Kind = 0;
  uint8_t Reserved = 0;  // byte 3, written back as read
  uint32_t Date = 0;
  uint32_t StoredSize = 0;
  uint32_t OriginalSize = 0;
  uint32_t Offset = 0;
  std::string Name;  // at most kZrpMaxNameLength characters

  // A record from its 152 bytes; the reserved word at offset 20 is dropped
  // and the name is cut at its length byte (at most 127 characters).
  static TPakSystemEntry Decode(const uint8_t* record);
  // The 152 bytes, zero-filled after the name and in the reserved word.
  void EncodeInto(uint8_t* record) const;
  // The name's length byte as stored, for checks (Decode cuts at 127).
  static uint8_t StoredNameLength(const uint8_t* record) { return record[24]; }
};

struct TExtraInfo {
  bool HasPassword = false;
  bool Official = false;
  std::string Password;
};

enum class TZrpTrailerForm {
  None,     // the footer ends the file
  Old,      // "ZRP2" and a plain 9-byte password field
  Current,  // "ZRP3", a format number and the extra-information block
};

struct TZrpTrailer {
  TZrpTrailerForm Form = TZrpTrailerForm::None;
  uint32_t Length = 0;        // bytes after the footer
  uint16_t FormatNumber = 0;  // current form only
  std::string Tag;            // "EIH2", "EIH1" or what else the block starts with
  TExtraInfo Extra;
  // False when the block's password cannot be deciphered: its seeds give no
  // key, or its length runs past the block.
  bool PasswordReadable = true;
};

// Finds the trailer in the last bytes of a file: Tail holds the file's last
// min(file size, 56) bytes.
TZrpTrailer ParseTrailer(const uint8_t* tail, size_t tailLength);

struct TZrpFooter {
  uint32_t CompressedSize = 0;
  uint32_t TableSize = 0;
  uint32_t FormatNumber = 0;
  uint32_t Count = 0;
  uint32_t Reserved = 0;

  static TZrpFooter Decode(const uint8_t* bytes);
  void AppendTo(TBytes& out) const;
};

struct TZrpDirectory {
  uint64_t FileSize = 0;
  uint64_t TableStart = 0;
  TZrpTrailer Trailer;
  TZrpFooter Footer;
  std::vector<TPakSystemEntry> Entries;  // in table order
};

// Reads the trailer, footer and table of an open archive. Fails, saying why,
// for a footer whose format number is not 5 or whose reserved word is not 0,
// a table that does not fit the file or does not inflate to its size, a
// password that cannot be deciphered, and an impossible record (a name longer
// than 127 characters, stored bytes outside the data area).
TStatus ReadZrpDirectory(IFile& file, TZrpDirectory& directory);
// The same over a whole archive in memory.
TStatus ParseZrpDirectory(const uint8_t* data, size_t size, TZrpDirectory& directory);

// Masks a data entry's zlib stream in place, or unmasks it: the first four
// bytes XOR the CRC-32 of all the bytes after them. Streams of 4 bytes or
// less are left alone.
void MaskStream(TBytes& stream);

// Everything after the stored entries: the table of Entries, the footer and a
// current-form trailer ("EIH2") holding Extra's password enciphered under the
// two seeds, which must both give a key.
TBytes BuildZrpTail(const std::vector<const TPakSystemEntry*>& entries, const TExtraInfo& extra, uint8_t seedA,
                    uint8_t seedB);

// Two fresh seeds from the random source, both giving a key.
std::array<uint8_t, 2> FreshSeeds();

}  // namespace tailpack
