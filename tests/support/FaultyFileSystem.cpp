#include "support/FaultyFileSystem.h"

#include <algorithm>

#include "platform/Platform.h"
#include "platform/TextCase.h"

namespace tailpack::test {

namespace {

bool Contains(const std::string& path, const std::string& part) {
  return LowerAnsi(path).find(LowerAnsi(part)) != std::string::npos;
}

class TFaultyFile final : public IFile {
 public:
  TFaultyFile(std::unique_ptr<IFile> inner, TFaultyFileSystem& owner, std::string key,
              std::optional<uint64_t> writeLimit, bool failClose)
      : inner_(std::move(inner)), owner_(owner), key_(std::move(key)), writeLimit_(writeLimit), failClose_(failClose) {}

  uint32_t Read(void* buffer, uint32_t count) override {
    uint32_t actual = inner_->Read(buffer, count);
    owner_.CountRead(key_, count, actual);
    return actual;
  }

  uint32_t Write(const void* buffer, uint32_t count) override {
    if (owner_.CountWrite(count)) return 0;
    uint32_t allowed = count;
    if (writeLimit_) {
      uint64_t left = *writeLimit_ > written_ ? *writeLimit_ - written_ : 0;
      allowed = static_cast<uint32_t>(std::min<uint64_t>(count, left));
    }
    uint32_t actual = allowed > 0 ? inner_->Write(buffer, allowed) : 0;
    written_ += actual;
    return actual;
  }

  bool Seek(uint64_t position) override { return inner_->Seek(position); }
  std::optional<uint64_t> Position() override { return inner_->Position(); }
  std::optional<uint64_t> Size() override { return inner_->Size(); }
  bool Truncate() override { return inner_->Truncate(); }
  bool Flush() override {
    owner_.CountFlush(key_);
    return inner_->Flush();
  }
  bool Close() override { return inner_->Close() && !failClose_; }

 private:
  std::unique_ptr<IFile> inner_;
  TFaultyFileSystem& owner_;
  std::string key_;
  std::optional<uint64_t> writeLimit_;
  bool failClose_;
  uint64_t written_ = 0;
};

}  // namespace

TFaultyFileSystem::TFaultyFileSystem() : TForwardingFileSystem(Files()) {}

TFaultyFileSystem::TFaultyFileSystem(IFileSystem& inner) : TForwardingFileSystem(inner) {}

void TFaultyFileSystem::FailWritesAfter(uint64_t limit, const std::string& pathPart) {
  std::lock_guard guard(lock_);
  writeLimit_ = limit;
  writeLimitPart_ = pathPart;
}

void TFaultyFileSystem::FailOpens(const std::string& pathPart) {
  std::lock_guard guard(lock_);
  failingOpens_.push_back(pathPart);
}

void TFaultyFileSystem::FailCloses(const std::string& pathPart) {
  std::lock_guard guard(lock_);
  failingCloses_.push_back(pathPart);
}

void TFaultyFileSystem::FailFlushWrittenFiles() {
  std::lock_guard guard(lock_);
  failFlushWrittenFiles_ = true;
}

void TFaultyFileSystem::FailFolderFlushes() {
  std::lock_guard guard(lock_);
  failFolderFlushes_ = true;
}

void TFaultyFileSystem::FailWriteCall(uint64_t number, bool persistent) {
  std::lock_guard guard(lock_);
  failingWriteCall_ = writeCalls_ + number;
  failingWritesPersist_ = persistent;
}

uint64_t TFaultyFileSystem::WriteCalls() const {
  std::lock_guard guard(lock_);
  return writeCalls_;
}

void TFaultyFileSystem::ClearFaults() {
  std::lock_guard guard(lock_);
  failingWriteCall_.reset();
  failingWritesPersist_ = false;
  writeLimit_.reset();
  writeLimitPart_.clear();
  failingOpens_.clear();
  failingCloses_.clear();
  failFlushWrittenFiles_ = false;
  failFolderFlushes_ = false;
}

std::vector<std::string> TFaultyFileSystem::FlushedFiles() const {
  std::lock_guard guard(lock_);
  return flushedFiles_;
}

int TFaultyFileSystem::FlushesOfWrittenFiles() const {
  std::lock_guard guard(lock_);
  return flushesOfWrittenFiles_;
}

void TFaultyFileSystem::CountFlush(const std::string& key) {
  std::lock_guard guard(lock_);
  flushedFiles_.push_back(key);
}

bool TFaultyFileSystem::FlushWrittenFiles() {
  bool fail = false;
  {
    std::lock_guard guard(lock_);
    ++flushesOfWrittenFiles_;
    fail = failFlushWrittenFiles_;
  }
  return inner_.FlushWrittenFiles() && !fail;
}

bool TFaultyFileSystem::FlushFolder(const std::string& folder) {
  bool fail = false;
  {
    std::lock_guard guard(lock_);
    fail = failFolderFlushes_;
  }
  return !fail && inner_.FlushFolder(folder);
}

uint32_t TFaultyFileSystem::LargestRead() const {
  std::lock_guard guard(lock_);
  return largestRead_;
}

uint32_t TFaultyFileSystem::LargestWrite() const {
  std::lock_guard guard(lock_);
  return largestWrite_;
}

uint64_t TFaultyFileSystem::BytesRead(const std::string& path) const {
  std::lock_guard guard(lock_);
  auto found = bytesRead_.find(LowerAnsi(path));
  return found == bytesRead_.end() ? 0 : found->second;
}

void TFaultyFileSystem::ResetCounters() {
  std::lock_guard guard(lock_);
  largestRead_ = 0;
  largestWrite_ = 0;
  writeCalls_ = 0;
  bytesRead_.clear();
  flushedFiles_.clear();
  flushesOfWrittenFiles_ = 0;
}

void TFaultyFileSystem::CountRead(const std::string& key, uint32_t requested, uint32_t actual) {
  std::lock_guard guard(lock_);
  largestRead_ = std::max(largestRead_, requested);
  bytesRead_[key] += actual;
}

bool TFaultyFileSystem::CountWrite(uint32_t count) {
  std::lock_guard guard(lock_);
  largestWrite_ = std::max(largestWrite_, count);
  ++writeCalls_;
  if (!failingWriteCall_) return false;
  return failingWritesPersist_ ? writeCalls_ >= *failingWriteCall_ : writeCalls_ == *failingWriteCall_;
}

std::unique_ptr<IFile> TFaultyFileSystem::Open(const std::string& path, TFileMode mode, TFileShare share) {
  std::optional<uint64_t> writeLimit;
  bool failClose = false;
  {
    std::lock_guard guard(lock_);
    for (const std::string& part : failingOpens_)
      if (Contains(path, part)) return nullptr;
    if (writeLimit_ && (writeLimitPart_.empty() || Contains(path, writeLimitPart_))) writeLimit = writeLimit_;
    for (const std::string& part : failingCloses_)
      if (Contains(path, part)) failClose = true;
  }
  auto file = inner_.Open(path, mode, share);
  if (!file) return nullptr;
  return std::make_unique<TFaultyFile>(std::move(file), *this, LowerAnsi(path), writeLimit, failClose);
}

}  // namespace tailpack::test
