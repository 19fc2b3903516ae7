#include "gamedata/TailJournal.h"

#include "archive/Zlib.h"
#include "base/Bytes.h"
#include "platform/Platform.h"
#include "system/FileHelpers.h"

namespace tailpack {

namespace {

constexpr char kMagic[4] = {'T', 'P', 'Z', 'J'};
constexpr uint32_t kVersion = 1;
// Magic, version, table start and archive size.
constexpr uint32_t kHeaderSize = 4 + 4 + 8 + 8;
// A tail holds a compressed table and a few bytes more; anything beyond this
// is not a journal of ours.
constexpr uint64_t kMaxTail = 0x40000000;

void AppendU64(TBytes& out, uint64_t value) {
  AppendU32(out, static_cast<uint32_t>(value));
  AppendU32(out, static_cast<uint32_t>(value >> 32));
}

uint64_t GetU64(const uint8_t* p) { return GetU32(p) | (uint64_t{GetU32(p + 4)} << 32); }

struct TJournal {
  uint64_t TableStart = 0;
  uint64_t ArchiveSize = 0;
  TBytes Tail;
};

// The journal's contents when it is complete and intact.
std::optional<TJournal> ReadJournal(const std::string& path) {
  auto file = Files().Open(path, TFileMode::OpenRead, TFileShare::Read);
  if (!file) return std::nullopt;
  auto size = file->Size();
  if (!size || *size < kHeaderSize + 4 || *size > kMaxTail + kHeaderSize + 4) return std::nullopt;
  TBytes bytes(static_cast<size_t>(*size));
  if (file->Read(bytes.data(), static_cast<uint32_t>(bytes.size())) != bytes.size()) return std::nullopt;
  uint32_t stored = GetU32(bytes.data() + bytes.size() - 4);
  if (Crc32(bytes.data(), bytes.size() - 4) != stored) return std::nullopt;
  if (!std::equal(kMagic, kMagic + 4, bytes.begin()) || GetU32(bytes.data() + 4) != kVersion) return std::nullopt;
  TJournal journal;
  journal.TableStart = GetU64(bytes.data() + 8);
  journal.ArchiveSize = GetU64(bytes.data() + 16);
  if (journal.ArchiveSize < journal.TableStart ||
      journal.ArchiveSize - journal.TableStart != bytes.size() - kHeaderSize - 4)
    return std::nullopt;
  journal.Tail.assign(bytes.begin() + kHeaderSize, bytes.end() - 4);
  return journal;
}

}  // namespace

std::string TailJournalPath(const std::string& archivePath) { return archivePath + ".journal"; }

TStatus SaveTailJournal(const std::string& archivePath, IFile& archive, uint64_t tableStart) {
  std::string path = TailJournalPath(archivePath);
  auto size = archive.Size();
  if (!size || *size < tableStart || *size - tableStart > kMaxTail)
    return TStatus::Failure("The end of " + archivePath + " cannot be read.");
  TBytes journal;
  journal.insert(journal.end(), kMagic, kMagic + 4);
  AppendU32(journal, kVersion);
  AppendU64(journal, tableStart);
  AppendU64(journal, *size);
  size_t tailAt = journal.size();
  journal.resize(tailAt + static_cast<size_t>(*size - tableStart));
  uint32_t tailLength = static_cast<uint32_t>(*size - tableStart);
  if (!archive.Seek(tableStart) || archive.Read(journal.data() + tailAt, tailLength) != tailLength)
    return TStatus::Failure("The end of " + archivePath + " cannot be read.");
  AppendU32(journal, Crc32(journal.data(), journal.size()));

  auto file = Files().Open(path, TFileMode::CreateAlways, TFileShare::None);
  bool written =
      file && file->Write(journal.data(), static_cast<uint32_t>(journal.size())) == journal.size() && file->Flush();
  file.reset();
  // Without its name on the disk a journal would be lost with the power,
  // and the archive cut behind it with no way back.
  written = written && FlushNameOf(path);
  if (!written) {
    Files().Delete(path);
    return TStatus::Failure("Disk full, " + path + " cannot be written.");
  }
  return TStatus::Success();
}

TStatus RestoreFromTailJournal(const std::string& archivePath, IFile& archive) {
  std::string path = TailJournalPath(archivePath);
  if (!Files().FileExists(path)) return TStatus::Success();
  auto journal = ReadJournal(path);
  if (journal) {
    auto size = archive.Size();
    // The bytes before the table are the archive's own; without them there is
    // nothing the tail could be put back onto.
    if (!size || *size < journal->TableStart)
      return TStatus::Failure(archivePath + " is shorter than its journal " + path +
                              " expects; it cannot be restored.");
    uint32_t tailLength = static_cast<uint32_t>(journal->Tail.size());
    bool restored = archive.Seek(journal->TableStart) &&
                    archive.Write(journal->Tail.data(), tailLength) == tailLength && archive.Truncate() &&
                    archive.Flush();
    if (!restored)
      return TStatus::Failure(archivePath + " cannot be restored from its journal " + path +
                              ". Free some space and try again.");
  }
  return RemoveTailJournal(archivePath);
}

TStatus RemoveTailJournal(const std::string& archivePath) {
  std::string path = TailJournalPath(archivePath);
  if (!Files().Exists(path)) return TStatus::Success();
  if (!Files().Delete(path)) return TStatus::Failure("The journal " + path + " cannot be removed.");
  // Should the removal not reach the disk, the next open finds the journal
  // and puts the archive back as it was before the update: consistent, only
  // the update is lost. Nothing to report to this run.
  FlushNameOf(path);
  return TStatus::Success();
}

}  // namespace tailpack
