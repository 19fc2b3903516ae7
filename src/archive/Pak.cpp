#include "archive/Pak.h"

#include <algorithm>
#include <cstring>
#include <unordered_map>
#include <unordered_set>

#include "archive/CertificateTable.h"
#include "archive/EntryName.h"
#include "archive/ExtractionAhead.h"
#include "archive/GroupFolders.h"
#include "archive/Zlib.h"
#include "base/Errors.h"
#include "base/InstallRecorder.h"
#include "base/Numbers.h"
#include "base/PakString.h"
#include "base/ProgressReporter.h"
#include "platform/Platform.h"
#include "platform/TextCase.h"
#include "platform/TextCodec.h"
#include "system/FileHelpers.h"
#include "system/PathSafety.h"

namespace tailpack {

namespace {

constexpr uint64_t kMaxOffset = 0xFFFFFFFFull;
constexpr std::u16string_view kFileNameTag = u"<%FILENAME%>";
// The table is read through a window of this size, so a damaged FileCount or
// TableOffset costs no more memory than the records really there.
constexpr uint32_t kTableReadWindow = 64 * 1024;
// Entry data is read in pieces of this size: large enough that a group of
// small files costs few reads, small enough to stay in the processor's cache
// on its way through the checksum, the inflater and into a file.
constexpr uint32_t kDataPiece = 1024 * 1024;

// TPak's own member Files() hides the platform's file system inside the class.
IFileSystem& FileSystem() { return tailpack::Files(); }

// Reads a byte range of a file front to back through a small window; any
// read that would cross the end of the range fails.
class TRangeReader {
 public:
  TRangeReader(IFile& file, uint64_t begin, uint64_t end) : file_(file), position_(begin), end_(end) {}

  bool Read(void* destination, uint32_t count) {
    auto* out = static_cast<uint8_t*>(destination);
    while (count > 0) {
      if (used_ == window_.size() && !Refill()) return false;
      uint32_t piece = std::min<uint32_t>(count, static_cast<uint32_t>(window_.size() - used_));
      std::memcpy(out, window_.data() + used_, piece);
      used_ += piece;
      out += piece;
      count -= piece;
    }
    return true;
  }

 private:
  bool Refill() {
    if (position_ >= end_) return false;
    auto piece = static_cast<uint32_t>(std::min<uint64_t>(kTableReadWindow, end_ - position_));
    window_.resize(piece);
    if (!file_.Seek(position_) || file_.Read(window_.data(), piece) != piece) return false;
    position_ += piece;
    used_ = 0;
    return true;
  }

  IFile& file_;
  uint64_t position_;
  uint64_t end_;
  TBytes window_;
  size_t used_ = 0;
};

// Why the entries of a complete table cannot be this archive's: the data
// starts at DataStart and the entries' stored bytes follow one another in
// table order, each after the end of the one before it, all before the
// table. Checking this once bounds every later read by the file itself: no
// two entries share bytes, so no stream can be inflated twice over, and the
// program part before DataStart (which the uninstaller copies) is exactly
// what precedes the first entry. An entry without stored bytes (Size 0) has
// no place to check. Nothing when the layout is sound.
std::optional<std::string> LayoutProblem(const TPakHeader& header, const std::vector<TPakFile>& table) {
  if (header.DataStart > header.TableOffset)
    return "the data start " + std::to_string(header.DataStart) + " lies past the table at " +
           std::to_string(header.TableOffset);
  std::optional<uint64_t> previousEnd;
  for (size_t i = 0; i < table.size(); ++i) {
    const TPakFile& entry = table[i];
    if (entry.StoredLength() == 0) continue;
    const std::string which = "entry " + std::to_string(i) + " (\"" + entry.Name + "\")";
    if (!previousEnd && entry.Offset != header.DataStart)
      return "the data start " + std::to_string(header.DataStart) + " is not the first entry's offset " +
             std::to_string(entry.Offset) + " (" + which + ")";
    if (previousEnd && entry.Offset < *previousEnd)
      return which + " starts at " + std::to_string(entry.Offset) +
             ", before the end of the entry ahead of it in the table (" + std::to_string(*previousEnd) + ")";
    previousEnd = static_cast<uint64_t>(entry.Offset) + entry.StoredLength();
    if (*previousEnd > header.TableOffset)
      return which + " ends at " + std::to_string(*previousEnd) + ", past the start of the table (" +
             std::to_string(header.TableOffset) + ")";
  }
  return std::nullopt;
}

}  // namespace

std::string DecompSizeMessage(const TPakFile& entry, uint64_t inflatedLength) {
  return entry.Name + "\r\rError: DecompSize - " + std::to_string(inflatedLength) + " OrigSize - " +
         std::to_string(entry.Size);
}

// The archive's data read in windows of kDataPiece bytes for a walk front to
// back over the entries, as verification and extraction go: entries inside
// the window come from memory. Only a walk forward is served from it; going
// back (a new walk, the same entry again) reads the file anew, so what is
// checked is what the file holds now.
class TPak::TReadWindow {
 public:
  // Bytes [Offset, Offset + Length) when they fit a window (reading one that
  // starts at Offset unless the walk goes on inside the current one) and lie
  // before End; nothing otherwise.
  const uint8_t* Get(IFile& file, uint64_t offset, uint32_t length, uint64_t end) {
    if (length > kDataPiece || offset + length > end) return nullptr;
    bool forward = offset >= walked_ && offset >= start_ && offset + length <= start_ + bytes_.size();
    walked_ = offset + length;
    if (forward) return bytes_.data() + (offset - start_);
    auto size = static_cast<uint32_t>(std::min<uint64_t>(kDataPiece, end - offset));
    bytes_.resize(size);
    if (!file.Seek(offset) || file.Read(bytes_.data(), size) != size) {
      bytes_.clear();
      return nullptr;
    }
    start_ = offset;
    return bytes_.data();
  }

 private:
  uint64_t start_ = 0;
  uint64_t walked_ = 0;  // where the last entry served ended
  TBytes bytes_;
};

// --- Header and packing ------------------------------------------------------

TPakHeader TPakHeader::Decode(const uint8_t (&bytes)[kPakHeaderSize]) {
  TPakHeader header;
  std::memcpy(header.ID.data(), bytes + kPakHeaderIdOffset, header.ID.size());
  header.Version = GetU16(bytes + kPakHeaderVersionOffset);
  header.FileCount = GetU16(bytes + kPakHeaderFileCountOffset);
  header.DataStart = GetU32(bytes + kPakHeaderDataStartOffset);
  header.TableOffset = GetU32(bytes + kPakHeaderTableOffsetOffset);
  return header;
}

std::array<uint8_t, kPakHeaderSize> TPakHeader::Encode() const {
  std::array<uint8_t, kPakHeaderSize> bytes{};
  std::memcpy(bytes.data() + kPakHeaderIdOffset, ID.data(), ID.size());
  PutU16(bytes.data() + kPakHeaderVersionOffset, Version);
  PutU16(bytes.data() + kPakHeaderFileCountOffset, FileCount);
  PutU32(bytes.data() + kPakHeaderDataStartOffset, DataStart);
  PutU32(bytes.data() + kPakHeaderTableOffsetOffset, TableOffset);
  return bytes;
}

TPackedEntry PackBuffer(const uint8_t* data, uint32_t length) {
  TPackedEntry packed;
  packed.Size = length;
  if (length > 0 && length < kLargeFileLimit) {
    TBytes stream = Deflate(data, length);
    // A stream as long as the data still counts as compressed.
    if (stream.size() <= length) {
      packed.StoredSize = static_cast<uint32_t>(stream.size());
      packed.Stored = std::move(stream);
    }
  }
  if (packed.StoredSize == 0 && length > 0) packed.Stored.assign(data, data + length);
  packed.Checksum = Crc32(packed.Stored.data(), packed.Stored.size());
  return packed;
}

// --- Opening -------------------------------------------------------------------

TPak::TPak() : statusTemplate_([] { return std::u16string(kFileNameTag); }) {}

TPak::~TPak() = default;

bool TPak::Create(const std::string& fileName, bool createNew, bool append) {
  Close();
  window_.reset();
  fileName_ = fileName;
  header_ = TPakHeader();
  files_.clear();
  cursor_ = 0;
  tableDamaged_ = false;
  damage_.clear();
  dataEnd_.reset();
  if (append) {
    file_ = FileSystem().Open(fileName, TFileMode::OpenReadWrite, TFileShare::None);
    if (!file_) return false;
    auto length = file_->Size();
    // Every offset after the host must fit 32 bits.
    if (!length || *length > kMaxOffset) {
      file_.reset();
      return false;
    }
    header_.DataStart = static_cast<uint32_t>(*length);
    return true;
  }
  if (createNew) {
    file_ = FileSystem().Open(fileName, TFileMode::CreateAlways, TFileShare::None);
    return file_ != nullptr;
  }
  file_ = FileSystem().Open(fileName, TFileMode::OpenRead, TFileShare::ReadWrite);
  if (!file_) return false;
  ReadHeader();
  return true;
}

void TPak::ReadHeader() {
  window_.reset();
  header_ = TPakHeader();
  files_.clear();
  cursor_ = 0;
  tableDamaged_ = false;
  damage_.clear();
  dataEnd_.reset();
  if (!file_) return;
  auto length = file_->Size();
  if (!length) return;
  // A setup signed after it was built carries its certificates after the archive.
  const uint64_t end = ArchiveEndBeforeCertificates(*file_, *length);
  if (end < kPakHeaderSize) return;
  uint64_t headerStart = end - kPakHeaderSize;
  uint8_t bytes[kPakHeaderSize];
  if (!file_->Seek(headerStart) || file_->Read(bytes, kPakHeaderSize) != kPakHeaderSize) return;
  header_ = TPakHeader::Decode(bytes);
  if (!header_.HasMagic()) return;
  // Entry data lies before the table, and the table before the header.
  if (header_.TableOffset > headerStart) {
    MarkDamaged("the table offset " + std::to_string(header_.TableOffset) + " lies past the header");
    return;
  }
  dataEnd_ = header_.TableOffset;
  TRangeReader reader(*file_, header_.TableOffset, headerStart);
  std::vector<TPakFile> table;
  table.reserve(std::min<uint32_t>(header_.FileCount, 4096));
  for (uint32_t i = 0; i < header_.FileCount; ++i) {
    TPakFile entry;
    uint8_t lengthBytes[2];
    if (!reader.Read(lengthBytes, 2)) break;
    entry.Name.resize(GetU16(lengthBytes));
    uint8_t fixed[kPakRecordFixedSize];
    if (!reader.Read(entry.Name.data(), static_cast<uint32_t>(entry.Name.size())) ||
        !reader.Read(fixed, kPakRecordFixedSize))
      break;
    entry.Checksum = GetU32(fixed);
    entry.Offset = GetU32(fixed + 4);
    entry.StoredSize = GetU32(fixed + 8);
    entry.Size = GetU32(fixed + 12);
    entry.Group = GetU16(fixed + 16);
    table.push_back(std::move(entry));
  }
  if (table.size() != header_.FileCount) {
    MarkDamaged(std::to_string(header_.FileCount) + " records announced at offset " +
                std::to_string(header_.TableOffset) + ", " + std::to_string(table.size()) + " found before the header");
    return;
  }
  if (auto problem = LayoutProblem(header_, table)) {
    MarkDamaged(*problem);
    return;
  }
  files_ = std::move(table);
}

void TPak::MarkDamaged(std::string reason) {
  tableDamaged_ = true;
  damage_ = std::move(reason);
}

void TPak::Close() {
  file_.reset();
  window_.reset();
}

void TPak::SetStatusTemplate(std::function<std::u16string()> statusTemplate) {
  statusTemplate_ = std::move(statusTemplate);
}

// --- Reading -------------------------------------------------------------------

uint64_t TPak::DataEnd() const { return dataEnd_ ? *dataEnd_ : file_->Size().value_or(0); }

bool TPak::StoredBytesInside(const TPakFile& entry) const {
  if (!file_) return false;
  return static_cast<uint64_t>(entry.Offset) + entry.StoredLength() <= DataEnd();
}

bool TPak::ForEachStoredPiece(const TPakFile& entry, const TByteSink& consume) {
  const uint32_t length = entry.StoredLength();
  if (length <= kDataPiece) {
    if (!window_) window_ = std::make_unique<TReadWindow>();
    const uint8_t* bytes = window_->Get(*file_, entry.Offset, length, DataEnd());
    return bytes && consume(bytes, length);
  }
  if (!StoredBytesInside(entry) || !file_->Seek(entry.Offset)) return false;
  piece_.resize(kDataPiece);
  for (uint32_t done = 0; done < length;) {
    uint32_t piece = std::min(length - done, kDataPiece);
    if (file_->Read(piece_.data(), piece) != piece || !consume(piece_.data(), piece)) return false;
    done += piece;
  }
  return true;
}

bool TPak::StoredBytesMatch(const TPakFile& entry) {
  uint32_t crc = 0;
  bool read = ForEachStoredPiece(entry, [&crc](const uint8_t* data, size_t length) {
    crc = Crc32(data, length, crc);
    return true;
  });
  return read && crc == entry.Checksum;
}

TPak::TEntryRead TPak::ReadEntry(const TPakFile& entry, const TByteSink& sink, bool checkFirst) {
  TEntryRead result;
  if (entry.IsLarge() || !StoredBytesInside(entry)) return result;
  const uint32_t length = entry.StoredLength();
  // An entry in one piece is checked before any of it goes on anyway; one in
  // many is checked on a reading of its own.
  const bool checkedFirst = checkFirst && length > kDataPiece;
  if (checkedFirst && !StoredBytesMatch(entry)) return result;
  const bool compressed = entry.StoredSize != 0;
  if (!inflater_) inflater_ = std::make_unique<TStreamInflater>();
  TStreamInflater& inflater = *inflater_;
  inflater.Reset();
  uint32_t crc = 0;
  uint32_t left = length;
  std::exception_ptr failure;
  bool read = ForEachStoredPiece(entry, [&](const uint8_t* data, size_t size) {
    if (!checkedFirst) {
      crc = Crc32(data, size, crc);
      left -= static_cast<uint32_t>(size);
      if (left == 0 && crc != entry.Checksum) return false;  // the last piece shows the damage
    }
    if (failure) return true;  // only the checksum goes on: it decides what is reported
    if (!compressed) {
      result.Stopped = !sink(data, size);
      return !result.Stopped;
    }
    try {
      result.Stopped = !inflater.Feed(data, size, sink);
    } catch (const EDecompressionError&) {
      failure = std::current_exception();
    }
    return !result.Stopped;
  });
  if (result.Stopped || !read || (!checkedFirst && crc != entry.Checksum)) return result;
  if (failure) std::rethrow_exception(failure);
  // A stream that ends before its end mark is as unusable as a damaged one.
  if (compressed && !inflater.Ended()) throw EDecompressionError("error");
  result.Intact = true;
  result.Length = compressed ? inflater.TotalOut() : length;
  return result;
}

std::optional<TBytes> TPak::ReadRange(uint64_t offset, uint32_t length) {
  TBytes bytes(length);
  if (!file_->Seek(offset)) return std::nullopt;
  if (length > 0 && file_->Read(bytes.data(), length) != length) return std::nullopt;
  return bytes;
}

std::optional<TBytes> TPak::ReadStored(uint32_t index) {
  if (index >= files_.size()) return std::nullopt;
  const TPakFile& entry = files_[index];
  // A stream may be longer than its data (the format allows it); what is
  // read stays inside the archive's data, which bounds every allocation.
  if (entry.IsLarge() || !StoredBytesInside(entry)) return std::nullopt;
  auto stored = ReadRange(entry.Offset, entry.StoredLength());
  if (!stored || Crc32(stored->data(), stored->size()) != entry.Checksum) return std::nullopt;
  return stored;
}

TEntryBytes TPak::ExtractFile(uint32_t index) {
  TEntryBytes result;
  if (index >= files_.size() || files_[index].Size == 0) return result;
  result.Bytes = ReadStored(index);
  const TPakFile& entry = files_[index];
  if (!result.Bytes || entry.StoredSize == 0) return result;
  TInflated inflated = Inflate(result.Bytes->data(), result.Bytes->size(), entry.Size);
  if (inflated.TotalLength != entry.Size) {
    result.Bytes.reset();
    result.Message = DecompSizeMessage(entry, inflated.TotalLength);
    return result;
  }
  result.Bytes = std::move(inflated.Bytes);
  return result;
}

bool TPak::VerifyFile(uint32_t index) { return CheckEntry(index).Verdict == TEntryVerdict::Intact; }

TPak::TEntryCheck TPak::CheckEntry(uint32_t index) {
  TEntryCheck check;
  if (index >= files_.size()) return check;
  const TPakFile& entry = files_[index];
  if (entry.Size == 0) {
    check.Verdict = TEntryVerdict::Intact;
    return check;
  }
  // Large entries are never read here (that would mean reading 70 MiB and
  // more at every start); they carry no checksum anyway.
  if (entry.IsLarge()) {
    if (entry.StoredSize == 0 && StoredBytesInside(entry)) check.Verdict = TEntryVerdict::Intact;
    return check;
  }
  // What ExtractFile would find, without holding the entry: the inflated
  // bytes are counted, not kept.
  TEntryRead read = ReadEntry(entry, [](const uint8_t*, size_t) { return true; }, false);
  if (!read.Intact) return check;
  check.Verdict = read.Length == entry.Size ? TEntryVerdict::Intact : TEntryVerdict::WrongLength;
  check.Length = read.Length;
  return check;
}

TPak::TEntryCheck TPak::StreamEntry(uint32_t index, const std::function<bool(const uint8_t*, size_t)>& sink) {
  TEntryCheck check;
  if (index >= files_.size() || files_[index].IsLarge()) return check;
  TEntryRead read = ReadEntry(files_[index], sink, true);
  if (!read.Intact) return check;
  check.Verdict = read.Length == files_[index].Size ? TEntryVerdict::Intact : TEntryVerdict::WrongLength;
  check.Length = read.Length;
  return check;
}

std::string TPak::CheckMessage(uint32_t index, const TEntryCheck& check) const {
  if (check.Verdict != TEntryVerdict::WrongLength || index >= files_.size()) return {};
  return DecompSizeMessage(files_[index], check.Length);
}

std::unique_ptr<TPak> TPak::OpenReader() const {
  auto reader = std::make_unique<TPak>();
  reader->file_ = FileSystem().Open(fileName_, TFileMode::OpenRead, TFileShare::ReadWrite);
  if (!reader->file_) return nullptr;
  reader->fileName_ = fileName_;
  reader->header_ = header_;
  reader->files_ = files_;
  reader->tableDamaged_ = tableDamaged_;
  reader->damage_ = damage_;
  reader->dataEnd_ = dataEnd_;
  return reader;
}

std::optional<uint32_t> TPak::FindIndex(std::string_view name, uint16_t group) const {
  for (uint32_t i = 0; i < files_.size(); ++i)
    if (files_[i].Group == group && SameTextAnsi(files_[i].Name, name)) return i;
  return std::nullopt;
}

TEntryBytes TPak::FindFile(std::string_view name, uint16_t group, uint32_t& size) {
  size = 0;
  auto index = FindIndex(name, group);
  if (!index) return {};
  size = files_[*index].Size;
  return ExtractFile(*index);
}

bool TPak::WalkGroup(uint16_t group, uint32_t& index) {
  for (uint32_t i = cursor_; i < files_.size(); ++i) {
    if (files_[i].Group == group) {
      index = i;
      cursor_ = i + 1;
      return true;
    }
  }
  return false;
}

TEntryBytes TPak::FindFirstInGroup(uint16_t group, uint32_t& size, bool extract, std::string& name) {
  cursor_ = 0;
  return FindNextInGroup(group, size, extract, name);
}

TEntryBytes TPak::FindNextInGroup(uint16_t group, uint32_t& size, bool extract, std::string& name) {
  size = 0;
  name.clear();
  uint32_t index = 0;
  if (!WalkGroup(group, index)) return {};
  size = files_[index].Size;
  name = files_[index].Name;
  return extract ? ExtractFile(index) : TEntryBytes{};
}

bool TPak::FirstIndexInGroup(uint16_t group, uint32_t& index) {
  cursor_ = 0;
  return NextIndexInGroup(group, index);
}

bool TPak::NextIndexInGroup(uint16_t group, uint32_t& index) { return WalkGroup(group, index); }

void TPak::ForEachInGroup(uint16_t group, const std::function<void(uint32_t)>& callback) const {
  if (!callback) return;
  for (uint32_t i = 0; i < files_.size(); ++i)
    if (files_[i].Group == group) callback(i);
}

uint32_t TPak::CountGrouped() const {
  return static_cast<uint32_t>(
      std::count_if(files_.begin(), files_.end(), [](const TPakFile& entry) { return entry.Group != 0; }));
}

uint32_t TPak::CountInGroup(uint16_t group) const {
  return static_cast<uint32_t>(
      std::count_if(files_.begin(), files_.end(), [group](const TPakFile& entry) { return entry.Group == group; }));
}

void TPak::PostStatus(const std::string& fileNameText) {
  if (!progress_) return;
  std::u16string text = statusTemplate_ ? statusTemplate_() : std::u16string(kFileNameTag);
  progress_->SetStatusText(ReplaceAllNoCase(text, kFileNameTag, AnsiToWide(fileNameText)));
}

TStatus TPak::ExtractLargeFile(const std::string& targetPath, const std::string& name, uint32_t size,
                               uint32_t index) {
  if (index >= files_.size()) return TStatus::Failure("There is no entry " + std::to_string(index));
  TPakFile range = files_[index];
  range.StoredSize = 0;
  range.Size = size;
  if (!StoredBytesInside(range))
    return TStatus::Failure("The entry \"" + name + "\" lies outside the archive's data (damaged archive)");
  TWholeFileWriter target(targetPath);
  if (!target.Opened()) return FileNotCreated(targetPath);
  const std::string cannotRead = "Cannot read the entry \"" + name + "\" from the archive";
  if (!file_->Seek(files_[index].Offset)) return TStatus::Failure(cannotRead);
  // The status line comes before each chunk; the bytes move in pieces that
  // stay in the processor's cache.
  piece_.resize(std::min(size, kDataPiece));
  uint32_t copied = 0;
  // Runs once even for an empty entry, as every entry gets its status line.
  do {
    PostStatus(name + " - " + FormatSize(copied) + " / " + FormatSize(size));
    const uint32_t chunkEnd = copied + std::min(size - copied, kLargeFileChunk);
    while (copied < chunkEnd) {
      uint32_t piece = std::min(chunkEnd - copied, kDataPiece);
      if (file_->Read(piece_.data(), piece) != piece) return TStatus::Failure(cannotRead);
      if (!target.Write(piece_.data(), piece))
        return FileNotWrittenCompletely(targetPath);
      copied += piece;
    }
  } while (copied < size);
  // Made durable with the rest of the run (IFileSystem::FlushWrittenFiles);
  // an error the system reports on closing still fails the entry.
  return target.Finish(TDurability::WithTheRun);
}

namespace {

// Entries smaller than this are written in their turn only. A small file
// costs a few calls into the system and almost no inflating; under Wine those
// calls queue for its one server process, where a second thread making them
// only adds waiting. The second thread does the large ones meanwhile.
constexpr uint32_t kSmallestAhead = 64 * 1024;

// The entries among Indices whose file another entry writes too, and those
// whose name may be a short alias ("PROGRA~1") of another's.
std::unordered_set<uint32_t> EntriesSharingATarget(const std::vector<TPakFile>& files,
                                                   const std::vector<uint32_t>& indices) {
  std::unordered_map<std::string, uint32_t> first;
  std::unordered_set<uint32_t> shared;
  for (uint32_t index : indices) {
    const std::string& name = files[index].Name;
    if (name.find('~') != std::string::npos) shared.insert(index);
    // Letter case does not tell files apart; the names passed CheckEntryName,
    // so no "/" and no trailing dots or blanks can make two spellings of one.
    auto [it, added] = first.emplace(LowerAnsi(name), index);
    if (!added) {
      shared.insert(it->second);
      shared.insert(index);
    }
  }
  return shared;
}

}  // namespace

TStatus TPak::ExtractEntry(uint32_t index, const std::string& target, bool fresh) {
  const TPakFile& entry = files_[index];
  const TFileMode mode = fresh ? TFileMode::CreateNew : TFileMode::CreateAlways;
  if (entry.Size == 0) {
    TWholeFileWriter empty(target, mode);
    return empty.Finish(TDurability::WithTheRun);
  }
  // Made on the first bytes, which come only once the stored bytes passed
  // their check: a damaged entry never touches a file that is already there.
  std::optional<TWholeFileWriter> writer;
  uint64_t written = 0;
  bool writing = true;
  auto write = [&](const uint8_t* data, size_t length) {
    if (!writer) writer.emplace(target, mode);
    // Bytes past Size are counted by the inflater, never written.
    size_t keep = static_cast<size_t>(std::min<uint64_t>(length, entry.Size - written));
    written += keep;
    writing = writing && writer->Opened() && (keep == 0 || writer->Write(data, keep));
    return writing;
  };
  TEntryCheck check = StreamEntry(index, write);
  if (!writing) {
    if (!writer->Opened()) return FileNotCreated(target);
    return FileNotWrittenCompletely(target);
  }
  if (check.Verdict != TEntryVerdict::Intact)
    return TStatus::Failure("The entry \"" + entry.Name + "\" is damaged: its data fails its check",
                            CheckMessage(index, check));
  if (!writer) writer.emplace(target, mode);  // bytes always came, Size being above 0; kept safe all the same
  return writer->Finish(TDurability::WithTheRun);
}

bool TPak::ExtractFreshEntry(uint32_t index, const std::string& target) {
  if (index >= files_.size() || files_[index].IsLarge()) return false;
  return ExtractEntry(index, target, true).Ok();
}

TStatus TPak::ExtractGroup(const std::string& folder, uint16_t group, const std::string& boundary) {
  const std::string& workingFolder = boundary.empty() ? folder : boundary;
  // Refuse the whole group before anything is written, so an unsafe name
  // never leaves half a group behind.
  for (const TPakFile& entry : files_) {
    if (entry.Group != group) continue;
    if (TStatus check = CheckEntryName(entry.Name); !check) return check;
  }
  // The folders made or found for one file serve the next ones too, on
  // either thread.
  TGroupFolders folders;
  // Checked before any folder is made: a folder link planted in the target
  // would take a file, and the folders made for it, somewhere else. The
  // files of one folder follow each other; the folder that passed for the
  // file before (on the same thread) passes for them too, which spares a
  // look at every folder level for every file.
  std::string checkedFolder[2];
  auto linkOnTheWay = [&](const std::string& target, int lane) -> std::optional<std::string> {
    const std::string targetFolder = ExtractFileDir(target);
    if (SameTextAnsi(targetFolder, checkedFolder[lane])) return std::nullopt;
    if (auto link = LinkBelow(workingFolder, target)) return link;
    checkedFolder[lane] = targetFolder;
    return std::nullopt;
  };
  std::vector<uint32_t> indices;
  ForEachInGroup(group, [&indices](uint32_t index) { indices.push_back(index); });
  // Two entries for one file must be written in table order, the later one
  // last: they are never written ahead.
  const std::unordered_set<uint32_t> sharedTargets = EntriesSharingATarget(files_, indices);
  TExtractionAhead ahead(
      *this, indices,
      [&](TPak& reader, uint32_t index, int lane) {
        const TPakFile& entry = files_[index];
        if (entry.IsLarge() || entry.Size < kSmallestAhead || sharedTargets.count(index) != 0) return false;
        const std::string target = EntryTargetPath(folder, entry.Name);
        if (linkOnTheWay(target, lane)) return false;
        folders.Make(ExtractFileDir(target));
        return reader.ExtractFreshEntry(index, target);
      },
      [&](uint32_t index) { FileSystem().Delete(EntryTargetPath(folder, files_[index].Name)); });
  cursor_ = 0;
  for (size_t position = 0; position < indices.size(); ++position) {
    const uint32_t index = indices[position];
    const TPakFile entry = files_[index];
    cursor_ = index + 1;  // where a group walk would stand
    PostStatus(entry.Name);
    const std::string target = EntryTargetPath(folder, entry.Name);
    const std::string targetFolder = ExtractFileDir(target);
    if (ahead.Take(position)) {
      if (recorder_) recorder_->AddFile(target);
      folders.ReportMade(recorder_);
      if (progress_) progress_->StepProgress(true);
      continue;
    }
    // Folders made ahead, for files after this one, are recorded before it:
    // the uninstall list keeps files and folders apart, each in its order.
    folders.ReportMade(recorder_);
    if (auto link = linkOnTheWay(target, 0))
      return TStatus::Failure("Cannot write \"" + target + "\": \"" + *link +
                              "\" is a link, and nothing is written through it");
    // Entries below the large-entry limit are checked and inflated piece by
    // piece on their way into the file, never held whole.
    auto write = [&] {
      if (entry.IsLarge()) return ExtractLargeFile(target, entry.Name, entry.Size, index);
      return ExtractEntry(index, target, false);
    };
    if (recorder_) recorder_->AddFile(target);
    folders.Make(targetFolder);
    folders.ReportMade(recorder_);
    TStatus status = write();
    if (!status && !FileSystem().FolderExists(targetFolder)) {
      // Something removed a folder made or found earlier: make it again.
      folders.Forget(targetFolder);
      folders.Make(targetFolder);
      folders.ReportMade(recorder_);
      status = write();
    }
    while (!status && status.Retryable()) {
      if (!retryQuestion_) return status;
      if (!retryQuestion_(status.Message())) return TStatus::Failure("");
      status = write();
    }
    if (!status) return status;
    if (progress_) progress_->StepProgress(true);
  }
  // The walk ends by finding no entry; the last status line shows the
  // template without a name.
  PostStatus("");
  return TStatus::Success();
}

// --- Writing -------------------------------------------------------------------

TPakFile& TPak::Record(uint32_t index) {
  if (index >= files_.size()) throw EListIndexError("Setup archive entry index out of bounds (" + std::to_string(index) + ")");
  return files_[index];
}

uint32_t TPak::AddFile(const std::string& name, const std::string& sourceFile, uint16_t group) {
  TPakFile entry;
  entry.Name = name;
  entry.SourceFile = sourceFile;
  entry.Group = group;
  files_.push_back(std::move(entry));
  return static_cast<uint32_t>(files_.size() - 1);
}

TBytes TPak::PackData(uint32_t index, const uint8_t* data, uint32_t length) {
  TPakFile& entry = Record(index);
  TPackedEntry packed = PackBuffer(data, length);
  entry.Size = packed.Size;
  entry.StoredSize = packed.StoredSize;
  entry.Checksum = packed.Checksum;
  return std::move(packed.Stored);
}

namespace {

// The source's length when it can be an entry (below 4 GiB).
std::optional<uint32_t> SourceLength(IFile& source) {
  auto length = source.Size();
  if (!length || *length > kMaxOffset) return std::nullopt;
  return static_cast<uint32_t>(*length);
}

std::optional<TBytes> ReadAll(IFile& source, uint32_t length) {
  TBytes bytes(length);
  if (length > 0 && source.Read(bytes.data(), length) != length) return std::nullopt;
  return bytes;
}

}  // namespace

std::optional<TBytes> TPak::PackSourceFile(uint32_t index) {
  TPakFile& entry = Record(index);
  auto source = FileSystem().Open(entry.SourceFile, TFileMode::OpenRead, TFileShare::Read);
  if (!source) return std::nullopt;
  auto length = SourceLength(*source);
  if (!length) return std::nullopt;
  if (*length >= kLargeFileLimit) {
    entry.Size = *length;
    entry.StoredSize = 0;
    entry.Checksum = 0;
    return std::nullopt;
  }
  auto bytes = ReadAll(*source, *length);
  if (!bytes) return std::nullopt;
  return PackData(index, bytes->data(), *length);
}

TStatus TPak::CheckWritable(uint32_t index) const {
  if (!file_) return TStatus::Failure("The setup archive is not open for writing");
  if (index >= files_.size()) return TStatus::Failure("There is no entry " + std::to_string(index));
  if (index >= kMaxPakEntries)
    return TStatus::Failure("A setup archive cannot hold more than " + std::to_string(kMaxPakEntries) +
                            " entries (\"" + files_[index].Name + "\" would be entry " + std::to_string(index + 1) +
                            ")");
  if (files_[index].Name.size() > kMaxPakNameLength)
    return TStatus::Failure("The entry name \"" + files_[index].Name.substr(0, 64) + "...\" is longer than " +
                            std::to_string(kMaxPakNameLength) + " bytes");
  return TStatus::Success();
}

TStatus TPak::AppendStored(uint32_t index, const uint8_t* data, uint32_t length) {
  window_.reset();
  auto end = file_->Size();
  if (!end) return TStatus::Failure("Cannot find the end of \"" + fileName_ + "\"");
  if (*end + length > kMaxOffset)
    return TStatus::Failure("The entry \"" + files_[index].Name + "\" would end beyond 4 GiB, past what the archive's 32-bit offsets can address");
  if (!file_->Seek(*end) || (length > 0 && file_->Write(data, length) != length)) {
    // Leave the archive as it was rather than with half an entry in it.
    file_->Seek(*end);
    file_->Truncate();
    return TStatus::Failure("Cannot write the entry \"" + files_[index].Name + "\" to \"" + fileName_ +
                            "\" (is the disk full?)");
  }
  files_[index].Offset = static_cast<uint32_t>(*end);
  return TStatus::Success();
}

TStatus TPak::WriteData(uint32_t index, const uint8_t* data, uint32_t length) {
  if (TStatus check = CheckWritable(index); !check) return check;
  return WritePacked(index, PackBuffer(data, length));
}

TStatus TPak::WritePacked(uint32_t index, const TPackedEntry& packed) {
  if (TStatus check = CheckWritable(index); !check) return check;
  if (TStatus status = AppendStored(index, packed.Stored.data(), static_cast<uint32_t>(packed.Stored.size())); !status)
    return status;
  TPakFile& entry = files_[index];
  entry.Size = packed.Size;
  entry.StoredSize = packed.StoredSize;
  entry.Checksum = packed.Checksum;
  return TStatus::Success();
}

TStatus TPak::CopySourceFileRaw(uint32_t index, IFile& source, uint32_t size) {
  window_.reset();
  TPakFile& entry = files_[index];
  auto end = file_->Size();
  if (!end) return TStatus::Failure("Cannot find the end of \"" + fileName_ + "\"");
  if (*end + size > kMaxOffset)
    return TStatus::Failure("The entry \"" + entry.Name + "\" would end beyond 4 GiB, past what the archive's 32-bit offsets can address");
  auto undo = [&](const std::string& message) {
    file_->Seek(*end);
    file_->Truncate();
    return TStatus::Failure(message);
  };
  if (!file_->Seek(*end)) return undo("Cannot write to \"" + fileName_ + "\"");
  TBytes chunk(std::min(size, kLargeFileChunk));
  for (uint32_t copied = 0; copied < size;) {
    uint32_t piece = std::min(size - copied, kLargeFileChunk);
    if (source.Read(chunk.data(), piece) != piece) return undo("Cannot read \"" + entry.SourceFile + "\"");
    if (file_->Write(chunk.data(), piece) != piece)
      return undo("Cannot write the entry \"" + entry.Name + "\" to \"" + fileName_ + "\" (is the disk full?)");
    copied += piece;
  }
  entry.Offset = static_cast<uint32_t>(*end);
  entry.Size = size;
  entry.StoredSize = 0;
  entry.Checksum = 0;
  return TStatus::Success();
}

TStatus TPak::WriteSourceFile(uint32_t index) {
  if (TStatus check = CheckWritable(index); !check) return check;
  const std::string sourceFile = files_[index].SourceFile;
  auto source = FileSystem().Open(sourceFile, TFileMode::OpenRead, TFileShare::Read);
  if (!source) return TStatus::Failure("Cannot open \"" + sourceFile + "\"");
  auto length = SourceLength(*source);
  if (!length) return TStatus::Failure("\"" + sourceFile + "\" is too large for a setup archive (4 GiB or more)");
  if (*length >= kLargeFileLimit) return CopySourceFileRaw(index, *source, *length);
  auto bytes = ReadAll(*source, *length);
  if (!bytes) return TStatus::Failure("Cannot read \"" + sourceFile + "\"");
  return WritePacked(index, PackBuffer(bytes->data(), *length));
}

TStatus TPak::WriteHeader() {
  if (!file_) return TStatus::Failure("The setup archive is not open for writing");
  window_.reset();
  if (files_.size() > kMaxPakEntries)
    return TStatus::Failure("A setup archive cannot hold more than " + std::to_string(kMaxPakEntries) +
                            " entries; this one has " + std::to_string(files_.size()));
  for (uint32_t i = 0; i < files_.size(); ++i)
    if (TStatus check = CheckWritable(i); !check) return check;
  auto end = file_->Size();
  if (!end) return TStatus::Failure("Cannot find the end of \"" + fileName_ + "\"");
  if (*end > kMaxOffset)
    return TStatus::Failure("The entry table would start beyond 4 GiB, past what the archive's 32-bit offsets can address");
  TBytes table;
  for (const TPakFile& entry : files_) {
    AppendPakString(table, entry.Name);
    AppendU32(table, entry.Checksum);
    AppendU32(table, entry.Offset);
    AppendU32(table, entry.StoredSize);
    AppendU32(table, entry.Size);
    AppendU16(table, entry.Group);
  }
  if (table.size() + kPakHeaderSize > kMaxOffset)
    return TStatus::Failure("The entry table is too large to be written in one piece");
  TPakHeader header = header_;
  header.ID = kPakMagic;
  header.Version = kPakVersion;
  header.FileCount = static_cast<uint16_t>(files_.size());
  header.TableOffset = static_cast<uint32_t>(*end);
  auto headerBytes = header.Encode();
  table.insert(table.end(), headerBytes.begin(), headerBytes.end());
  bool complete = file_->Seek(*end) && file_->Write(table.data(), static_cast<uint32_t>(table.size())) == table.size();
  complete = complete && file_->Flush();
  if (!complete) {
    file_->Seek(*end);
    file_->Truncate();
    return TStatus::Failure("Cannot write the entry table to \"" + fileName_ + "\" (is the disk full?)");
  }
  header_ = header;
  return TStatus::Success();
}

}  // namespace tailpack
