#include "gamedata/VfsJournal.h"

#include "archive/Zlib.h"
#include "platform/Platform.h"
#include "system/FileHelpers.h"

namespace tailpack {

namespace {

constexpr char kMagic[4] = {'T', 'P', 'V', 'J'};
constexpr uint32_t kVersion = 1;
constexpr uint32_t kHeaderSize = 8;
// Kind, offset, length before the bytes; the CRC-32 after them.
constexpr uint32_t kRecordHead = 1 + 8 + 4;

enum TRecordKind : uint8_t {
  kArchiveRegion = 1,
  kHashFileContents = 2,
  kHashFileAbsent = 3,
};

void AppendU64(TBytes& out, uint64_t value) {
  AppendU32(out, static_cast<uint32_t>(value));
  AppendU32(out, static_cast<uint32_t>(value >> 32));
}

TBytes Record(TRecordKind kind, uint64_t offset, const uint8_t* bytes, uint32_t length) {
  TBytes record;
  record.reserve(kRecordHead + length + 4);
  AppendU8(record, kind);
  AppendU64(record, offset);
  AppendU32(record, length);
  record.insert(record.end(), bytes, bytes + length);
  AppendU32(record, Crc32(record.data(), record.size()));
  return record;
}

TStatus RestoreHashFile(const std::string& path, bool present, const TBytes& contents) {
  if (!present) {
    if (Files().Exists(path) && !Files().Delete(path)) return TStatus::Failure("cannot remove " + path);
    return TStatus::Success();
  }
  auto file = Files().Open(path, TFileMode::CreateAlways, TFileShare::None);
  if (!file || file->Write(contents.data(), static_cast<uint32_t>(contents.size())) != contents.size() ||
      !file->Flush())
    return TStatus::Failure("cannot write " + path);
  return TStatus::Success();
}

}  // namespace

std::string TVfsJournal::PathFor(const std::string& archivePath) { return archivePath + ".journal"; }

TVfsJournal::TVfsJournal(std::string archivePath)
    : archivePath_(std::move(archivePath)), path_(PathFor(archivePath_)) {}

TVfsJournal::~TVfsJournal() = default;

TStatus TVfsJournal::Append(const TBytes& record) {
  if (!file_) {
    file_ = Files().Open(path_, TFileMode::CreateAlways, TFileShare::None);
    TBytes header(kMagic, kMagic + 4);
    AppendU32(header, kVersion);
    if (!file_ || file_->Write(header.data(), kHeaderSize) != kHeaderSize) {
      file_.reset();
      Files().Delete(path_);
      return TStatus::Failure("Disk full, " + path_ + " cannot be written.");
    }
  }
  unflushed_ = true;
  if (file_->Write(record.data(), static_cast<uint32_t>(record.size())) != record.size())
    return TStatus::Failure("Disk full, " + path_ + " cannot be written.");
  return TStatus::Success();
}

TStatus TVfsJournal::Save(uint64_t offset, const uint8_t* bytes, uint32_t length) {
  return Append(Record(kArchiveRegion, offset, bytes, length));
}

TStatus TVfsJournal::SaveHashFile(const std::optional<TBytes>& contents) {
  if (!contents) return Append(Record(kHashFileAbsent, 0, nullptr, 0));
  return Append(Record(kHashFileContents, 0, contents->data(), static_cast<uint32_t>(contents->size())));
}

TStatus TVfsJournal::Flush() {
  if (!file_ || !unflushed_) return TStatus::Success();
  if (!file_->Flush()) return TStatus::Failure("Disk full, " + path_ + " cannot be written.");
  // Before the first change to the archive the journal's name must be on
  // the disk too: a journal lost with the power leaves a half-changed
  // archive with no way back.
  if (!nameFlushed_) {
    if (!FlushNameOf(path_)) return TStatus::Failure("Disk full, " + path_ + " cannot be written.");
    nameFlushed_ = true;
  }
  unflushed_ = false;
  return TStatus::Success();
}

TStatus TVfsJournal::Drop() {
  file_.reset();
  unflushed_ = false;
  nameFlushed_ = false;
  if (!Files().Exists(path_)) return TStatus::Success();
  if (!Files().Delete(path_)) return TStatus::Failure("The journal " + path_ + " cannot be removed.");
  // Should the removal not reach the disk, the next open rolls the archive
  // back to where it was before the update: consistent, only the update is
  // lost. Nothing to report to this run.
  FlushNameOf(path_);
  return TStatus::Success();
}

TStatus TVfsJournal::RollBack(const std::string& archivePath, IFile& archive, const std::string& hashFilePath) {
  std::string path = PathFor(archivePath);
  if (!Files().FileExists(path)) return TStatus::Success();
  auto journal = Files().Open(path, TFileMode::OpenRead, TFileShare::Read);
  if (!journal) return TStatus::Failure("The journal " + path + " cannot be read.");
  auto archiveSize = archive.Size();
  if (!archiveSize) return TStatus::Failure(archivePath + " cannot be read.");

  uint8_t header[kHeaderSize];
  bool ours = journal->Read(header, kHeaderSize) == kHeaderSize && std::equal(kMagic, kMagic + 4, header) &&
              GetU32(header + 4) == kVersion;
  bool hashRecord = false, hashPresent = false;
  TBytes hashContents;
  bool archiveWritten = true;
  while (ours) {
    uint8_t head[kRecordHead];
    if (journal->Read(head, kRecordHead) != kRecordHead) break;
    uint8_t kind = head[0];
    uint64_t offset = GetU32(head + 1) | (uint64_t{GetU32(head + 5)} << 32);
    uint32_t length = GetU32(head + 9);
    // No region lies beyond the archive; a length that says otherwise is torn.
    if (length > *archiveSize + 0x10000000ull) break;
    TBytes record(head, head + kRecordHead);
    record.resize(kRecordHead + length + 4);
    if (journal->Read(record.data() + kRecordHead, length + 4) != length + 4) break;
    if (Crc32(record.data(), kRecordHead + length) != GetU32(record.data() + kRecordHead + length)) break;
    const uint8_t* bytes = record.data() + kRecordHead;
    if (kind == kArchiveRegion) {
      if (offset + length > *archiveSize) break;
      archiveWritten = archiveWritten && archive.Seek(offset) && archive.Write(bytes, length) == length;
    } else if (kind == kHashFileContents || kind == kHashFileAbsent) {
      hashRecord = true;
      hashPresent = kind == kHashFileContents;
      hashContents.assign(bytes, bytes + length);
    } else {
      break;
    }
  }
  journal.reset();
  if (!archiveWritten || !archive.Flush())
    return TStatus::Failure(archivePath + " cannot be rolled back from its journal " + path + ".");
  if (hashRecord) {
    if (TStatus restored = RestoreHashFile(hashFilePath, hashPresent, hashContents); !restored)
      return TStatus::Failure(archivePath + " cannot be rolled back from its journal " + path + ": " +
                              restored.Message() + ".");
  }
  if (!Files().Delete(path)) return TStatus::Failure("The journal " + path + " cannot be removed.");
  FlushNameOf(path);  // as in Drop
  return TStatus::Success();
}

}  // namespace tailpack
