#pragma once
// The setup archive: entries appended to a host file (or forming a file of
// their own), an entry table after them and a 16-byte header at the very end
// that points to the table. TPak reads it (look-up by name and group, CRC-32
// checks, inflation, chunked copies of very large entries, extraction of a
// whole group) and writes it (append entries, then the table and header).
// All file access goes through the platform's file system; paths are Windows
// paths. docs/formats/setup-archive.md describes the format.

#include <array>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "base/Bytes.h"
#include "base/Status.h"

namespace tailpack {

class IFile;
class IInstallRecorder;
class IProgressReporter;
class TStreamInflater;

// Entries of this size and larger are stored raw, carry no checksum, are not
// verified and are copied to disk in chunks instead of being held in memory.
constexpr uint32_t kLargeFileLimit = 73400320;  // 70 MiB
constexpr uint32_t kLargeFileChunk = 26214400;  // 25 MiB
// FileCount is a 16-bit field.
constexpr uint32_t kMaxPakEntries = 65535;
// Entry names are pak strings with a 16-bit length.
constexpr uint32_t kMaxPakNameLength = 65535;

// The header's layout: offsets of its fields within its 16 bytes.
constexpr uint32_t kPakHeaderIdOffset = 0;
constexpr uint32_t kPakHeaderVersionOffset = 4;
constexpr uint32_t kPakHeaderFileCountOffset = 6;
constexpr uint32_t kPakHeaderDataStartOffset = 8;
constexpr uint32_t kPakHeaderTableOffsetOffset = 12;
constexpr uint32_t kPakHeaderSize = 16;
static_assert(kPakHeaderTableOffsetOffset + 4 == kPakHeaderSize, "the header is 16 bytes");

// A table record after its name: Checksum, Offset, StoredSize, Size (u32
// each) and Group (u16).
constexpr uint32_t kPakRecordFixedSize = 4 * 4 + 2;
static_assert(kPakRecordFixedSize == 18, "the fixed part of a record is 18 bytes");

constexpr std::array<char, 4> kPakMagic = {'Z', 'R', 'P', 'F'};
constexpr uint16_t kPakVersion = 1;

struct TPakHeader {
  std::array<char, 4> ID{};
  uint16_t Version = 0;
  uint16_t FileCount = 0;
  uint32_t DataStart = 0;
  uint32_t TableOffset = 0;

  bool HasMagic() const { return ID == kPakMagic; }
  std::string IdText() const { return std::string(ID.begin(), ID.end()); }
  // Field by field, little-endian.
  static TPakHeader Decode(const uint8_t (&bytes)[kPakHeaderSize]);
  std::array<uint8_t, kPakHeaderSize> Encode() const;
};

struct TPakFile {
  std::string Name;
  std::string SourceFile;  // writer only: the file whose contents become the entry; never stored
  uint32_t Checksum = 0;
  uint32_t Offset = 0;
  uint32_t StoredSize = 0;  // 0: stored raw
  uint32_t Size = 0;
  uint16_t Group = 0;

  // How many bytes the entry occupies in the archive.
  uint32_t StoredLength() const { return StoredSize != 0 ? StoredSize : Size; }
  bool IsLarge() const { return Size >= kLargeFileLimit; }
};

// One entry packed by the PackData rules, ready to be appended.
struct TPackedEntry {
  TBytes Stored;            // the bytes that go into the archive
  uint32_t Size = 0;        // uncompressed length
  uint32_t StoredSize = 0;  // length of the zlib stream; 0 when stored raw
  uint32_t Checksum = 0;    // CRC-32 of Stored
};

// Packs one buffer: a level-9 zlib stream unless that is longer than the data
// or the data is at or above kLargeFileLimit, in which case the bytes are kept
// raw. Touches no shared state, so a builder may pack entries on several
// threads and append them in table order with TPak::WritePacked.
TPackedEntry PackBuffer(const uint8_t* data, uint32_t length);

// The caption of the box that tells of a compressed entry inflating to
// another length than its Size. The archive shows no box itself: the text
// comes back in the result (TEntryBytes::Message, TStatus::Notice(),
// TVerificationResult::Message) and the caller shows it.
inline constexpr const char* kDecompSizeCaption = "Error";
// That box's text: the entry's name, the length it inflated to and its Size.
std::string DecompSizeMessage(const TPakFile& entry, uint64_t inflatedLength);

// An entry's bytes as TPak::ExtractFile found them, used like an optional.
// Message is the DecompSize text when a stream inflated to another length
// than its Size (Bytes are then absent), empty otherwise; the caller shows it.
struct TEntryBytes {
  std::optional<TBytes> Bytes;
  std::string Message;

  explicit operator bool() const { return Bytes.has_value(); }
  TBytes& operator*() { return *Bytes; }
  const TBytes& operator*() const { return *Bytes; }
  TBytes* operator->() { return &*Bytes; }
  const TBytes* operator->() const { return &*Bytes; }
};

class TPak {
 public:
  TPak();
  ~TPak();
  TPak(const TPak&) = delete;
  TPak& operator=(const TPak&) = delete;

  // --- Opening ---------------------------------------------------------------
  // With both flags false opens FileName for reading and reads the header and
  // table. With Append opens the existing file to add an archive after its
  // bytes (DataStart = its length); with only CreateNew creates or truncates
  // it. Returns false when the file cannot be opened, or when a host to append
  // to is too long for the 32-bit offsets.
  bool Create(const std::string& fileName, bool createNew = false, bool append = false);
  // Reads the header from the last 16 bytes and, when the magic is there, the
  // table. A table that runs past the header or ends inside a record is
  // damaged, and so is one whose entries do not lie as the writer puts them:
  // the stored bytes of the first at DataStart, each entry's after the end of
  // the one before it in table order, all before the table (entries of Size
  // 0 have no stored bytes and no place to check). The table is then left
  // empty, TableDamaged() tells and Damage() says why.
  void ReadHeader();
  void Close();

  bool IsOpen() const { return file_ != nullptr; }
  const std::string& FileName() const { return fileName_; }
  const TPakHeader& Header() const { return header_; }
  const std::vector<TPakFile>& Files() const { return files_; }
  uint32_t FileCount() const { return static_cast<uint32_t>(files_.size()); }
  uint32_t Cursor() const { return cursor_; }
  bool TableDamaged() const { return tableDamaged_; }
  // Why the table is damaged; empty when it is not.
  const std::string& Damage() const { return damage_; }
  // The magic is there and the whole table could be read.
  bool IsValid() const { return header_.HasMagic() && !tableDamaged_; }

  // Who hears the status lines and steps of ExtractGroup and
  // ExtractLargeFile (may be null: nobody).
  void SetProgress(IProgressReporter* progress) { progress_ = progress; }
  // What their status lines say: the template yields the status text with
  // "<%FILENAME%>" where the name goes (the language's string 18 at run time).
  void SetStatusTemplate(std::function<std::u16string()> statusTemplate);
  // Who hears of every file and folder that extraction creates (may be null).
  void SetRecorder(IInstallRecorder* recorder) { recorder_ = recorder; }
  // Who is asked whether to try again when ExtractGroup cannot create or
  // completely write a file (another program holds it open, the drive is
  // full), given the failure's message; true writes that file again. Empty:
  // nobody, the extraction fails at once.
  void SetRetryQuestion(std::function<bool(const std::string& message)> question) {
    retryQuestion_ = std::move(question);
  }

  // --- Reading ---------------------------------------------------------------
  // Every index is a table position; an index beyond the table yields nothing
  // or false. An entry whose stored bytes do not lie inside the archive's data
  // area fails like one with a wrong checksum.

  // The stored bytes when they could all be read and match their checksum.
  // Nothing for entries at or above kLargeFileLimit, which are never held whole.
  std::optional<TBytes> ReadStored(uint32_t index);
  // The entry's Size bytes, inflated when compressed; nothing when the stored
  // bytes fail their check, the entry is empty or is at or above
  // kLargeFileLimit. A stream that inflates to another length yields nothing
  // and the DecompSize message for the caller to show; one that cannot be
  // inflated at all raises EDecompressionError.
  TEntryBytes ExtractFile(uint32_t index);
  // True when the entry is intact: its stored bytes match their checksum and
  // a compressed one inflates to its Size, as ExtractFile would find, but
  // read and inflated piece by piece without holding the entry. Large
  // entries are not read: their stored bytes only have to lie inside the
  // data area. An empty entry has nothing that could fail.
  bool VerifyFile(uint32_t index);
  // VerifyFile's verdict, so a reader of its own (OpenReader) may find it on
  // another thread: the length is what the stored bytes make (inflated when
  // compressed) when they are intact but make another length than Size. A
  // stream that cannot be inflated at all raises EDecompressionError.
  enum class TEntryVerdict { Intact, Damaged, WrongLength };
  struct TEntryCheck {
    TEntryVerdict Verdict = TEntryVerdict::Damaged;
    uint64_t Length = 0;
  };
  TEntryCheck CheckEntry(uint32_t index);
  // What the user must be told of that verdict: the DecompSize message for a
  // wrong length, empty otherwise.
  std::string CheckMessage(uint32_t index, const TEntryCheck& check) const;

  // The entry read as the extraction reads it, for a reader that prepares
  // entries ahead of their writing: Sink gets its bytes in order (inflated
  // when compressed), none before the stored bytes have passed their check
  // (an entry past the read window is then read twice); the verdict tells
  // how it read. Large entries are not read (damaged here). A stream that
  // cannot be inflated raises EDecompressionError; when Sink stops the
  // reading the verdict is Damaged.
  TEntryCheck StreamEntry(uint32_t index, const std::function<bool(const uint8_t*, size_t)>& sink);

  // Writes the entry (below the large-entry limit) to Target only when no
  // file is there yet, showing nothing, for a thread that writes entries
  // ahead of their turn: true when the file is there whole and closed; false
  // with nothing left behind, when the usual extraction in its turn finds
  // and reports what went wrong. A stream that cannot be inflated raises
  // EDecompressionError.
  bool ExtractFreshEntry(uint32_t index, const std::string& target);

  // A second reader of the same archive for another thread: the file opened
  // again for reading, with this reader's header and table (not read again,
  // so both see the same entries). Nothing when the file cannot be opened.
  std::unique_ptr<TPak> OpenReader() const;

  // The first entry of Group named Name (case-insensitive), extracted, with
  // its Size; nothing and Size 0 when there is none. Leaves the cursor alone.
  TEntryBytes FindFile(std::string_view name, uint16_t group, uint32_t& size);
  // The index of that entry, without extracting it.
  std::optional<uint32_t> FindIndex(std::string_view name, uint16_t group) const;

  // Stateful walk over a group through Cursor: First restarts it. Each call
  // gives the next entry's Size and Name (and its contents when Extract is
  // true); Name is empty and Size 0 when the group is exhausted.
  TEntryBytes FindFirstInGroup(uint16_t group, uint32_t& size, bool extract, std::string& name);
  TEntryBytes FindNextInGroup(uint16_t group, uint32_t& size, bool extract, std::string& name);
  // The same walk, giving table indices.
  bool FirstIndexInGroup(uint16_t group, uint32_t& index);
  bool NextIndexInGroup(uint16_t group, uint32_t& index);
  // Calls Callback with every index of the group in table order.
  void ForEachInGroup(uint16_t group, const std::function<void(uint32_t)>& callback) const;
  // Entries whose Group is not 0, and entries of one group.
  uint32_t CountGrouped() const;
  uint32_t CountInGroup(uint16_t group) const;

  // Copies the entry's Size raw bytes to TargetPath in kLargeFileChunk pieces,
  // posting the status line before each. The target's folder must exist. A
  // short read or write removes the partial target and returns the failure.
  // The target is closed, not flushed (see ExtractGroup).
  TStatus ExtractLargeFile(const std::string& targetPath, const std::string& name, uint32_t size,
                           uint32_t index);
  // Extracts every entry of Group below Folder, recording each target (and
  // each folder created) with the recorder, posting a status line and a
  // progress step per entry. Every name is checked first: when one is unsafe
  // nothing is written. An entry that cannot be extracted or written stops
  // the extraction with a failure and leaves no file behind; so does a
  // target that lies behind a link (a symbolic link or junction) below
  // Boundary, the folder the extraction works in (Folder when empty, or a
  // folder that holds it, such as the installation folder). Nothing is
  // written through such a link. A compressed entry that inflates to another
  // length fails with the DecompSize message as the status's Notice(), for
  // the caller to show before the failure itself. The files are written and
  // closed, not flushed one by one: the caller makes them durable together
  // (IFileSystem::FlushWrittenFiles). A file that cannot be created or
  // written completely is asked about (SetRetryQuestion); when the answer is
  // not to try again the failure's message is empty: the user has been told.
  TStatus ExtractGroup(const std::string& folder, uint16_t group, const std::string& boundary = {});

  // --- Writing ---------------------------------------------------------------
  // Appends a record with those fields and all numbers 0; returns its index.
  uint32_t AddFile(const std::string& name, const std::string& sourceFile, uint16_t group);
  // Packs Data by the PackBuffer rules into the record's Size, StoredSize and
  // Checksum and returns the stored bytes.
  TBytes PackData(uint32_t index, const uint8_t* data, uint32_t length);
  // Packs the record's SourceFile the same way. A file at or above
  // kLargeFileLimit is never read whole: its record gets its Size,
  // StoredSize 0 and Checksum 0 and nothing is returned (WriteSourceFile
  // copies it in chunks). Nothing also when the file cannot be read.
  std::optional<TBytes> PackSourceFile(uint32_t index);
  // Pack, then append the stored bytes at the end of the file and set Offset.
  // Fail, leaving the archive file as it was, when the source cannot be read,
  // a write comes up short, or the entry would not fit the format (more than
  // kMaxPakEntries entries, a name over 65,535 bytes, data past 4 GiB).
  TStatus WriteData(uint32_t index, const uint8_t* data, uint32_t length);
  TStatus WriteSourceFile(uint32_t index);
  // Appends an entry packed elsewhere (PackBuffer) under the same rules.
  TStatus WritePacked(uint32_t index, const TPackedEntry& packed);
  // Appends the table and the header. Fails for a table the format cannot
  // hold or a short write.
  TStatus WriteHeader();

 private:
  class TReadWindow;
  // How an entry's stored bytes read.
  struct TEntryRead {
    bool Intact = false;   // all there, and they match the checksum
    bool Stopped = false;  // the sink stopped the reading
    uint64_t Length = 0;   // the bytes they make: inflated, or as stored
  };
  using TByteSink = std::function<bool(const uint8_t* data, size_t length)>;

  // Hands the entry's stored bytes to Consume in order, in pieces that stay
  // in the processor's cache: from the read window when they fit it, else
  // read piece by piece. False when they cannot all be read or Consume
  // returned false.
  bool ForEachStoredPiece(const TPakFile& entry, const TByteSink& consume);
  bool StoredBytesMatch(const TPakFile& entry);
  // Reads the entry once: its stored bytes are checked against the checksum
  // and, when compressed, inflated; Sink gets the entry's bytes in order.
  // With CheckFirst no byte reaches Sink before the check has passed (an
  // entry past the read window is then read twice, checked on the first
  // reading). A stream that cannot be
  // inflated raises EDecompressionError, but only when its stored bytes pass
  // their check: a damaged entry simply is not intact.
  TEntryRead ReadEntry(const TPakFile& entry, const TByteSink& sink, bool checkFirst);
  // Writes one entry below the large-entry limit to Target. Fresh: only as a
  // new file, and without showing anything (ExtractFreshEntry).
  TStatus ExtractEntry(uint32_t index, const std::string& target, bool fresh);
  uint64_t DataEnd() const;
  std::optional<TBytes> ReadRange(uint64_t offset, uint32_t length);
  bool StoredBytesInside(const TPakFile& entry) const;
  TStatus CheckWritable(uint32_t index) const;
  TStatus AppendStored(uint32_t index, const uint8_t* data, uint32_t length);
  TStatus CopySourceFileRaw(uint32_t index, IFile& source, uint32_t size);
  bool WalkGroup(uint16_t group, uint32_t& index);
  void PostStatus(const std::string& fileNameText);
  TPakFile& Record(uint32_t index);
  void MarkDamaged(std::string reason);

  std::string fileName_;
  std::unique_ptr<IFile> file_;
  TPakHeader header_;
  std::vector<TPakFile> files_;
  uint32_t cursor_ = 0;
  bool tableDamaged_ = false;
  std::string damage_;
  // Where stored bytes may lie: up to the table once one was read, else the
  // whole file.
  std::optional<uint64_t> dataEnd_;
  std::function<std::u16string()> statusTemplate_;
  IProgressReporter* progress_ = nullptr;
  IInstallRecorder* recorder_ = nullptr;
  std::function<bool(const std::string&)> retryQuestion_;
  // Large sequential reads: a group of small entries costs one read per
  // window, not a seek and a read each. Emptied whenever the file changes.
  std::unique_ptr<TReadWindow> window_;
  TBytes piece_;  // for entries past the window
  std::unique_ptr<TStreamInflater> inflater_;  // one for every entry, reset for each
};

}  // namespace tailpack
