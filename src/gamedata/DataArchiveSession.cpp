#include "gamedata/DataArchiveSession.h"

#include "gamedata/TailJournal.h"
#include "gamedata/UpdateHost.h"
#include "platform/Platform.h"
#include "platform/TextCase.h"

namespace tailpack {

namespace {

// Offsets in the records are 32-bit.
constexpr uint64_t kMaxArchiveData = 0xFFFFFFFFull;

}  // namespace

TDataArchiveSession::TDataArchiveSession(IUpdateHost& host) : host_(host) {}

TDataArchiveSession::~TDataArchiveSession() {
  // A journal that cannot be applied now stays beside the archive and is
  // applied when the archive is next opened.
  if (cut_ && !committed_) (void)Restore();
}

TStatus TDataArchiveSession::Open(const std::string& path) {
  path_ = path;
  if (TStatus opened = OpenFile(); !opened) return opened;
  if (TStatus restored = RestoreFromTailJournal(path_, *file_); !restored) return restored;
  return ReadDirectory();
}

TStatus TDataArchiveSession::OpenFile() {
  for (;;) {
    std::string message;
    auto attributes = Files().Attributes(path_);
    if (attributes && (*attributes & kAttributeReadOnly) != 0) {
      if (!Files().SetAttributes(path_, kAttributeNormal)) message = "Unable to modify \"" + path_ + "\" attributes";
    }
    if (message.empty()) {
      file_ = Files().Open(path_, TFileMode::OpenReadWrite, TFileShare::Read);
      if (file_) return TStatus::Success();
      if (!Files().FileExists(path_))
        message = "File not found: \"" + path_ + "\".";
      else
        message = "Unable to modify file:\"" + path_ + "\", file may be in use or drive is write protected...";
    }
    // The box has told the user; the caller ends the script without a second one.
    if (!host_.AskRetry(message)) return TStatus::Failure("");
  }
}

TStatus TDataArchiveSession::ReadDirectory() {
  TZrpDirectory directory;
  if (TStatus read = ReadZrpDirectory(*file_, directory); !read)
    return TStatus::Failure("File " + path_ + " has corrupted header.");
  extra_ = directory.Trailer.Extra;
  tableStart_ = directory.TableStart;
  appendPosition_ = tableStart_;
  entries_.clear();
  byName_.clear();
  for (TPakSystemEntry& entry : directory.Entries) {
    byName_.emplace(LowerAnsi(entry.Name), entries_.size());
    entries_.emplace_back(std::move(entry));
  }
  return TStatus::Success();
}

TPakSystemEntry* TDataArchiveSession::Find(const std::string& name) {
  auto found = byName_.find(LowerAnsi(name));
  if (found == byName_.end()) return nullptr;
  return &*entries_[found->second];
}

std::optional<TBytes> TDataArchiveSession::ReadStored(const TPakSystemEntry& entry) {
  TBytes bytes(entry.StoredSize);
  if (!file_->Seek(entry.Offset) || file_->Read(bytes.data(), entry.StoredSize) != entry.StoredSize)
    return std::nullopt;
  return bytes;
}

TStatus TDataArchiveSession::Cut() {
  if (TStatus saved = SaveTailJournal(path_, *file_, tableStart_); !saved) return saved;
  cut_ = true;
  if (!file_->Seek(tableStart_) || !file_->Truncate())
    return TStatus::Failure("Unable to modify file:\"" + path_ +
                            "\", file may be in use or drive is write protected...");
  appendPosition_ = tableStart_;
  return TStatus::Success();
}

TStatus TDataArchiveSession::Append(const TBytes& stored, uint32_t& offset) {
  if (appendPosition_ + stored.size() > kMaxArchiveData)
    return Abandon(path_ + " would grow beyond 4 GiB, the most its records can address.");
  auto length = static_cast<uint32_t>(stored.size());
  if (!file_->Seek(appendPosition_) || file_->Write(stored.data(), length) != length)
    return TStatus::Failure(DiskFullMessage(Restore()));
  offset = static_cast<uint32_t>(appendPosition_);
  appendPosition_ += length;
  return TStatus::Success();
}

void TDataArchiveSession::AddRecord(TPakSystemEntry entry) {
  std::string key = LowerAnsi(entry.Name);
  auto found = byName_.find(key);
  if (found != byName_.end()) {
    // The first spelling of a name stays.
    entry.Name = entries_[found->second]->Name;
    entries_[found->second].reset();
  }
  byName_[key] = entries_.size();
  entries_.emplace_back(std::move(entry));
}

std::vector<const TPakSystemEntry*> TDataArchiveSession::LiveEntries() const {
  std::vector<const TPakSystemEntry*> live;
  for (const auto& entry : entries_)
    if (entry) live.push_back(&*entry);
  return live;
}

TStatus TDataArchiveSession::Commit() {
  auto seeds = FreshSeeds();
  TBytes tail = BuildZrpTail(LiveEntries(), extra_, seeds[0], seeds[1]);
  auto length = static_cast<uint32_t>(tail.size());
  bool written = file_->Seek(appendPosition_) && file_->Write(tail.data(), length) == length && file_->Truncate() &&
                 file_->Flush();
  if (!written) return TStatus::Failure(DiskFullMessage(Restore()));
  // Until the journal is gone, the next open would undo this update: one that
  // cannot be removed is undone now, so what the user is told stays true.
  if (TStatus removed = RemoveTailJournal(path_); !removed) {
    TStatus restored = Restore();
    return TStatus::Failure(removed.Message() + " " + path_ +
                            (restored ? " is unchanged." : " will be restored when it is next opened."));
  }
  committed_ = true;
  return TStatus::Success();
}

TStatus TDataArchiveSession::Restore() {
  if (!cut_) return TStatus::Success();
  TStatus restored = RestoreFromTailJournal(path_, *file_);
  if (restored) cut_ = false;
  return restored;
}

TStatus TDataArchiveSession::Abandon(const std::string& reason) {
  TStatus restored = Restore();
  if (restored) return TStatus::Failure(reason + " " + path_ + " is unchanged.");
  return TStatus::Failure(reason + " " + path_ + " will be restored from " + TailJournalPath(path_) +
                          " when it is next opened. " + restored.Message());
}

std::string TDataArchiveSession::DiskFullMessage(const TStatus& restored) const {
  if (restored) return "Disk full, " + path_ + " is unchanged. Free some space and try again.";
  return "Disk full, " + path_ + " could not be updated. It will be restored from " + TailJournalPath(path_) +
         " when it is next opened. " + restored.Message();
}

}  // namespace tailpack
