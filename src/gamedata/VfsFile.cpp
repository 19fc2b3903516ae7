#include "gamedata/VfsFile.h"

#include <algorithm>
#include <cstring>

#include "base/Errors.h"
#include "gamedata/DosDate.h"
#include "gamedata/GameDataErrors.h"
#include "gamedata/VfsJournal.h"
#include "gamedata/VfsTree.h"
#include "platform/Platform.h"
#include "system/FileHelpers.h"

namespace tailpack {

namespace {

constexpr uint32_t kDigestPiece = 0x40000;  // 256 KiB

}  // namespace

TVFSFile::TVFSFile() : tree_(std::make_unique<TVFSTree>(*this)) {}

TVFSFile::~TVFSFile() { Close(); }

TStatus TVFSFile::Open(const std::string& path, bool rebuildHash, const TProgress& progress, bool readOnly) {
  Close();
  fileName_ = path;
  rebuildHash_ = rebuildHash;
  if (progress) progress(0, 100);
  bool writable = !readOnly || Files().Exists(TVfsJournal::PathFor(path));
  file_ = Files().Open(path, writable ? TFileMode::OpenReadWrite : TFileMode::OpenRead, TFileShare::ReadWrite);
  if (!file_) return TStatus::Failure("Unable to open " + path + ", file may be in use or drive is write protected.");
  if (TStatus rolledBack = TVfsJournal::RollBack(path, *file_, VfsHashFilePath(path)); !rolledBack) {
    Close();
    return rolledBack;
  }
  TStatus read = ReadHeaderAndTables(progress);
  if (read) {
    try {
      if (rebuildHash_)
        tree_->LoadAll();
      else
        // A hash file that is missing or damaged is no failure of the
        // archive: saving writes it anew from what is there.
        (void)hashFile_.Load(VfsHashFilePath(path));
    } catch (const EArchiveError& damage) {
      read = TStatus::Failure(damage.what());
    }
  }
  if (!read) {
    Close();
    return TStatus::Failure(path + " is not a valid VFS archive: " + read.Message() + ".");
  }
  journal_ = std::make_unique<TVfsJournal>(path);
  blocksKept_.assign(static_cast<size_t>(header_.BlockCount), false);
  return TStatus::Success();
}

TStatus TVFSFile::ReadHeaderAndTables(const TProgress& progress) {
  auto size = file_->Size();
  if (!size) return TStatus::Failure("its size cannot be read");
  uint8_t fixed[kVfsTextSizeOffset + 4];
  if (*size < kVfsFixedHeaderSize + kVfsTextLength || !file_->Seek(0) ||
      file_->Read(fixed, sizeof fixed) != sizeof fixed)
    return TStatus::Failure("the file is too short for a header");
  std::copy_n(fixed, 4, header_.Ident.begin());
  header_.BlockSize = static_cast<int32_t>(GetU32(fixed + 4));
  header_.BlockCount = static_cast<int32_t>(GetU32(fixed + 8));
  header_.RootCount = GetU32(fixed + 12);
  header_.Reserved1 = GetU32(fixed + 16);
  header_.Reserved2 = GetU32(fixed + 20);
  header_.Reserved3 = static_cast<int32_t>(GetU32(fixed + 24));
  std::copy_n(fixed + kVfsDigestOffset, header_.Digest.size(), header_.Digest.begin());
  header_.TextSize = static_cast<int32_t>(GetU32(fixed + kVfsTextSizeOffset));
  if (TStatus valid = CheckVfsHeader(header_, *size); !valid) return valid;
  layout_ = TVfsLayout::Of(header_);

  uint32_t textRest = static_cast<uint32_t>(layout_.BlockTableStart - kVfsTextSizeOffset - 4);
  TBytes text(textRest);
  if (file_->Read(text.data(), textRest) != textRest) return TStatus::Failure("the header cannot be read");
  std::copy_n(text.begin(), kVfsTextLength, header_.Text.begin());
  header_.Extra.assign(text.begin() + kVfsTextLength, text.end() - 4);
  header_.UsedBlocks = static_cast<int32_t>(GetU32(text.data() + textRest - 4));

  uint32_t total = header_.RootCount + static_cast<uint32_t>(header_.BlockCount);
  if (progress) progress(0, total);
  TBytes table(static_cast<size_t>(layout_.RootTableStart - layout_.BlockTableStart));
  if (file_->Read(table.data(), static_cast<uint32_t>(table.size())) != table.size())
    return TStatus::Failure("the block table cannot be read");
  blockTable_.resize(static_cast<size_t>(header_.BlockCount));
  for (size_t i = 0; i < blockTable_.size(); ++i) {
    blockTable_[i].Used = GetU32(&table[i * kVfsBlockEntrySize]);
    blockTable_[i].Next = static_cast<int32_t>(GetU32(&table[i * kVfsBlockEntrySize + 4]));
    if (progress) progress(static_cast<uint32_t>(i), total);
  }
  firstFreeHint_ = 0;

  tree_->Clear();
  TBytes roots(static_cast<size_t>(layout_.DataStart - layout_.RootTableStart));
  if (file_->Read(roots.data(), static_cast<uint32_t>(roots.size())) != roots.size())
    return TStatus::Failure("the root table cannot be read");
  rootTable_.assign(header_.RootCount, TVFSEntry{});
  for (uint32_t slot = 0; slot < header_.RootCount; ++slot) {
    rootTable_[slot] = TVFSEntry::Decode(&roots[slot * kVfsEntrySize]);
    if (!rootTable_[slot].Name.empty()) tree_->AddRootNode(slot);
    if (progress) progress(static_cast<uint32_t>(header_.BlockCount) + slot, total);
  }
  return TStatus::Success();
}

void TVFSFile::ReadAt(uint64_t offset, uint8_t* bytes, uint32_t length) const {
  if (!file_->Seek(offset) || file_->Read(bytes, length) != length)
    throw EArchiveError(fileName_ + " cannot be read at offset " + std::to_string(offset));
}

void TVFSFile::WriteAt(uint64_t offset, const uint8_t* bytes, uint32_t length) {
  if (!file_->Seek(offset) || file_->Write(bytes, length) != length)
    throw EArchiveError(fileName_ + " cannot be written at offset " + std::to_string(offset));
}

std::vector<int32_t> TVFSFile::Chain(const TVFSEntry& entry) const {
  const auto count = static_cast<int64_t>(blockTable_.size());
  auto damaged = [&](const std::string& what) { return EArchiveError("the chain of \"" + entry.Name + "\" " + what); };
  if (entry.FirstBlock < 1 || entry.FirstBlock > count)
    throw damaged("starts at block " + std::to_string(entry.FirstBlock) + ", outside the block table");
  uint64_t needed = std::max<uint64_t>(
      1, (uint64_t{entry.StoredSize} + header_.BlockSize - 1) / static_cast<uint64_t>(header_.BlockSize));
  std::vector<int32_t> chain;
  int32_t block = entry.FirstBlock - 1;
  for (;;) {
    const TVFSBlockEntry& link = blockTable_[static_cast<size_t>(block)];
    if (link.IsFree()) throw damaged("runs into the free block " + std::to_string(block + 1));
    chain.push_back(block);
    // A chain longer than the table has blocks must pass one twice.
    if (static_cast<int64_t>(chain.size()) > count) throw damaged("loops");
    if (link.Next == -1) break;
    if (link.Next < 1 || link.Next > count)
      throw damaged("leaves the block table at block " + std::to_string(link.Next));
    block = link.Next - 1;
  }
  if (chain.size() < needed)
    throw damaged("has " + std::to_string(chain.size()) + " blocks, too few for " + std::to_string(entry.StoredSize) +
                  " bytes");
  return chain;
}

std::optional<TVFSFileBuffer> TVFSFile::ReadFile(const TVFSEntry& entry) {
  if (entry.StoredSize == 0) return std::nullopt;
  std::vector<int32_t> chain = Chain(entry);
  TBytes data(entry.StoredSize);
  uint32_t filled = 0;
  for (int32_t block : chain) {
    if (filled == entry.StoredSize) break;
    uint32_t piece = std::min<uint32_t>(static_cast<uint32_t>(header_.BlockSize), entry.StoredSize - filled);
    ReadAt(layout_.DataStart + static_cast<uint64_t>(block) * static_cast<uint64_t>(header_.BlockSize),
           data.data() + filled, piece);
    filled += piece;
  }
  return TVFSFileBuffer(std::move(data));
}

int32_t TVFSFile::FindFreeBlock(bool skipFirst) const {
  bool skipped = !skipFirst;
  for (size_t i = firstFreeHint_; i < blockTable_.size(); ++i) {
    if (!blockTable_[i].IsFree()) continue;
    if (skipped) return static_cast<int32_t>(i);
    skipped = true;
  }
  return -1;
}

void TVFSFile::WriteBlockEntry(int32_t block, const TVFSBlockEntry& entry) {
  blockTable_[static_cast<size_t>(block)] = entry;
  if (entry.IsFree()) firstFreeHint_ = std::min(firstFreeHint_, static_cast<size_t>(block));
  uint8_t bytes[kVfsBlockEntrySize];
  PutU32(bytes, entry.Used);
  PutU32(bytes + 4, static_cast<uint32_t>(entry.Next));
  WriteAt(layout_.BlockTableStart + uint64_t{kVfsBlockEntrySize} * static_cast<uint64_t>(block), bytes,
          kVfsBlockEntrySize);
}

void TVFSFile::WriteFile(TVFSEntry& entry, const uint8_t* data, uint32_t size) {
  if (size == 0 && data != nullptr)
    throw EAssertionFailed("WriteFile: Error Buffer is Assigned but size is 0", "Global/VFS_Unit", 1863);
  const auto blockSize = static_cast<uint32_t>(header_.BlockSize);
  uint64_t needed = size == 0 ? 1 : (uint64_t{size} + blockSize - 1) / blockSize;
  // The chain is the first free blocks in table order; all of them are known
  // before anything is written, so a write that cannot fit changes nothing.
  std::vector<int32_t> chain;
  for (size_t i = firstFreeHint_; i < blockTable_.size() && chain.size() < needed; ++i)
    if (blockTable_[i].IsFree()) chain.push_back(static_cast<int32_t>(i));
  if (chain.size() < needed)
    throw EArchiveError(fileName_ + " is full: \"" + entry.Name + "\" needs " + std::to_string(needed) +
                        " blocks, but only " + std::to_string(chain.size()) + " are free");
  KeepBlockTable();
  KeepBlocks(chain);
  FlushJournal();

  // Every block before the chain's last one is now in use.
  firstFreeHint_ = static_cast<size_t>(chain.back()) + 1;
  entry.FirstBlock = chain.front() + 1;
  entry.StoredSize = size;
  entry.Date = TodayDosDate();
  TBytes block(blockSize);
  uint32_t written = 0;
  for (size_t k = 0; k < chain.size(); ++k) {
    int32_t next = k + 1 < chain.size() ? chain[k + 1] + 1 : -1;
    WriteBlockEntry(chain[k], TVFSBlockEntry{1, next});
    uint32_t piece = std::min(blockSize, size - written);
    std::fill(block.begin(), block.end(), 0);
    if (piece > 0) std::memcpy(block.data(), data + written, piece);
    WriteAt(layout_.DataStart + static_cast<uint64_t>(chain[k]) * blockSize, block.data(), blockSize);
    ++header_.UsedBlocks;
    written += piece;
  }
}

void TVFSFile::OverwriteFile(TVFSEntry& entry, const uint8_t* data, uint32_t size) {
  const auto blockSize = static_cast<uint32_t>(header_.BlockSize);
  std::vector<int32_t> chain = Chain(entry);
  size_t used = size == 0 ? 1 : static_cast<size_t>((uint64_t{size} + blockSize - 1) / blockSize);
  if (used > chain.size()) throw EAssertionFailed("OverwriteFile: content larger than the chain", "Global/VFS_Unit", 0);
  chain.resize(used);
  KeepBlocks(chain);
  FlushJournal();
  entry.Date = TodayDosDate();
  TBytes block(blockSize);
  uint32_t written = 0;
  for (int32_t index : chain) {
    uint32_t piece = std::min(blockSize, size - written);
    std::fill(block.begin(), block.end(), 0);
    if (piece > 0) std::memcpy(block.data(), data + written, piece);
    WriteAt(layout_.DataStart + static_cast<uint64_t>(index) * blockSize, block.data(), blockSize);
    written += piece;
  }
}

void TVFSFile::FreeChain(const TVFSEntry& entry) {
  std::vector<int32_t> chain = Chain(entry);
  KeepBlockTable();
  FlushJournal();
  for (int32_t block : chain) {
    WriteBlockEntry(block, TVFSBlockEntry{0, 0});
    --header_.UsedBlocks;
  }
}

void TVFSFile::WriteRootSlot(uint32_t slot, const TVFSEntry& entry) {
  KeepRootTable();
  FlushJournal();
  uint8_t bytes[kVfsEntrySize];
  entry.EncodeInto(bytes);
  WriteAt(layout_.RootTableStart + uint64_t{kVfsEntrySize} * slot, bytes, kVfsEntrySize);
}

void TVFSFile::ClearRootSlot(uint32_t slot) {
  KeepRootTable();
  FlushJournal();
  uint8_t zeros[kVfsEntrySize] = {};
  WriteAt(layout_.RootTableStart + uint64_t{kVfsEntrySize} * slot, zeros, kVfsEntrySize);
}

void TVFSFile::KeepRegion(uint64_t offset, uint64_t length) {
  TBytes original(static_cast<size_t>(length));
  ReadAt(offset, original.data(), static_cast<uint32_t>(length));
  if (TStatus saved = journal_->Save(offset, original.data(), static_cast<uint32_t>(length)); !saved)
    throw EArchiveError(saved.Message());
}

void TVFSFile::KeepBlocks(const std::vector<int32_t>& blocks) {
  const auto blockSize = static_cast<uint64_t>(header_.BlockSize);
  for (int32_t block : blocks) {
    if (blocksKept_[static_cast<size_t>(block)]) continue;
    KeepRegion(layout_.DataStart + static_cast<uint64_t>(block) * blockSize, blockSize);
    blocksKept_[static_cast<size_t>(block)] = true;
  }
}

void TVFSFile::KeepBlockTable() {
  if (blockTableKept_) return;
  KeepRegion(layout_.BlockTableStart, layout_.RootTableStart - layout_.BlockTableStart);
  blockTableKept_ = true;
}

void TVFSFile::KeepRootTable() {
  if (rootTableKept_) return;
  KeepRegion(layout_.RootTableStart, layout_.DataStart - layout_.RootTableStart);
  rootTableKept_ = true;
}

void TVFSFile::KeepHeader() {
  if (headerKept_) return;
  KeepRegion(0, layout_.BlockTableStart);
  headerKept_ = true;
}

void TVFSFile::FlushJournal() {
  if (TStatus flushed = journal_->Flush(); !flushed) throw EArchiveError(flushed.Message());
}

std::optional<uint64_t> TVFSFile::FileSize() const { return file_ ? file_->Size() : std::nullopt; }

std::optional<TMd5Digest> TVFSFile::ComputeDigest() {
  auto md5 = CreateMd5Hash();
  auto size = file_->Size();
  if (!md5 || !size || !file_->Seek(kVfsTextSizeOffset)) return std::nullopt;
  TBytes piece(kDigestPiece);
  for (uint64_t at = kVfsTextSizeOffset; at < *size;) {
    auto length = static_cast<uint32_t>(std::min<uint64_t>(kDigestPiece, *size - at));
    if (file_->Read(piece.data(), length) != length) return std::nullopt;
    if (!md5->Update(piece.data(), length)) throw EAssertionFailed("MD5 Error", "Global/VFS_Unit", 2032);
    at += length;
  }
  return md5->Finish();
}

TStatus TVFSFile::SaveHashFile() {
  std::string path = VfsHashFilePath(fileName_);
  std::vector<TVFSHashRecord> records;
  if (rebuildHash_)
    records = tree_->BuildHashRecords();
  else if (hashFile_.Loaded())
    records = hashFile_.Records();
  else
    return TStatus::Success();

  std::optional<TBytes> old;
  if (Files().Exists(path)) {
    old = TryReadWholeFile(path);
    if (!old) return TStatus::Failure(path + " cannot be read");
  }
  if (TStatus saved = journal_->SaveHashFile(old); !saved) return saved;
  if (TStatus flushed = journal_->Flush(); !flushed) return flushed;
  if (old && !Files().Delete(path)) return TStatus::Failure(path + " cannot be replaced");
  if (records.empty()) return TStatus::Success();
  TBytes bytes = EncodeHashFile(records);
  auto file = Files().Open(path, TFileMode::CreateAlways, TFileShare::None);
  if (!file || file->Write(bytes.data(), static_cast<uint32_t>(bytes.size())) != bytes.size() || !file->Flush())
    return TStatus::Failure("Disk full, " + path + " cannot be written");
  return TStatus::Success();
}

TStatus TVFSFile::Save(bool skipDigest) {
  if (!file_) return TStatus::Failure("the archive is not open");
  try {
    KeepHeader();
    FlushJournal();
    TBytes back = header_.EncodeBack();
    WriteAt(kVfsTextSizeOffset, back.data(), static_cast<uint32_t>(back.size()));
    if (skipDigest) {
      header_.Digest.fill(0);
    } else {
      auto digest = ComputeDigest();
      // An archive whose digest does not match its contents may be refused
      // by the software that reads it: no digest, no save.
      if (!digest) return TStatus::Failure("the MD5 digest of " + fileName_ + " cannot be computed");
      header_.Digest = *digest;
    }
    TBytes front = header_.EncodeFront();
    WriteAt(0, front.data(), static_cast<uint32_t>(front.size()));
  } catch (const EArchiveError& failure) {
    return TStatus::Failure(failure.what());
  }
  if (!file_->Flush()) return TStatus::Failure("Disk full, " + fileName_ + " cannot be written");
  if (TStatus hash = SaveHashFile(); !hash) return hash;
  if (TStatus dropped = journal_->Drop(); !dropped) return dropped;
  std::fill(blocksKept_.begin(), blocksKept_.end(), false);
  blockTableKept_ = rootTableKept_ = headerKept_ = false;
  return TStatus::Success();
}

TStatus TVFSFile::RollBack() {
  if (!file_) return TStatus::Success();
  if (journal_) journal_.reset();  // closes the journal file
  TStatus rolledBack = TVfsJournal::RollBack(fileName_, *file_, VfsHashFilePath(fileName_));
  Close();
  return rolledBack;
}

void TVFSFile::Close() {
  tree_->Clear();
  hashFile_.Clear();
  header_ = TVFSHeader{};
  rootTable_.clear();
  blockTable_.clear();
  journal_.reset();
  file_.reset();
}

}  // namespace tailpack
