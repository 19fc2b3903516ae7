#include "archive/EntryPrefetch.h"

#include <algorithm>
#include <cstring>
#include <string>
#include <system_error>
#include <utility>

#include "base/Errors.h"

namespace tailpack {

namespace {

// A few pieces in flight keep both threads busy; small ones stay in the
// processor's cache between the inflater and the write.
constexpr size_t kPieceSize = 256 * 1024;
constexpr size_t kPieces = 8;

bool IsStreamed(const TPakFile& entry) { return entry.Size > 0 && !entry.IsLarge(); }

}  // namespace

TEntryPrefetch::TEntryPrefetch(const TPak& pak, std::vector<uint32_t> indices) : indices_(std::move(indices)) {
  // On one core the reader would only take turns with the writer.
  if (std::thread::hardware_concurrency() < 2) return;
  const auto streamed = std::count_if(indices_.begin(), indices_.end(),
                                      [&pak](uint32_t index) { return IsStreamed(pak.Files()[index]); });
  if (streamed == 0) return;
  reader_ = pak.OpenReader();
  if (!reader_) return;
  buffers_.assign(kPieces, TBytes(kPieceSize));
  for (size_t i = 0; i < kPieces; ++i) freeBuffers_.push_back(i);
  try {
    thread_ = std::thread([this] { Run(); });
  } catch (const std::system_error&) {
    reader_.reset();  // the extraction reads every entry itself
  }
}

TEntryPrefetch::~TEntryPrefetch() {
  {
    std::lock_guard guard(lock_);
    stopping_ = true;
  }
  changed_.notify_all();
  if (thread_.joinable()) thread_.join();
}

bool TEntryPrefetch::Streams(const TPakFile& entry) const { return thread_.joinable() && IsStreamed(entry); }

void TEntryPrefetch::Run() {
  for (uint32_t index : indices_) {
    if (!IsStreamed(reader_->Files()[index])) continue;
    TMessage end;
    end.Index = index;
    end.End = true;
    try {
      end.Outcome.Check = reader_->StreamEntry(
          index, [this, index](const uint8_t* data, size_t length) { return Send(index, data, length); });
    } catch (...) {
      // Raised on the extracting thread when it reaches this entry.
      end.Outcome.Failure = std::current_exception();
    }
    {
      std::lock_guard guard(lock_);
      if (stopping_) return;
    }
    Post(std::move(end));
  }
}

bool TEntryPrefetch::Send(uint32_t index, const uint8_t* data, size_t length) {
  while (length > 0) {
    size_t slot = 0;
    {
      std::unique_lock guard(lock_);
      changed_.wait(guard, [this] { return stopping_ || !freeBuffers_.empty(); });
      if (stopping_) return false;
      slot = freeBuffers_.back();
      freeBuffers_.pop_back();
    }
    const size_t piece = std::min(length, kPieceSize);
    std::memcpy(buffers_[slot].data(), data, piece);
    TMessage message;
    message.Index = index;
    message.Slot = slot;
    message.Length = piece;
    Post(std::move(message));
    data += piece;
    length -= piece;
  }
  return true;
}

void TEntryPrefetch::Post(TMessage message) {
  {
    std::lock_guard guard(lock_);
    messages_.push_back(std::move(message));
  }
  changed_.notify_all();
}

TEntryPrefetch::TOutcome TEntryPrefetch::Receive(uint32_t index, const TConsumer& consume) {
  for (;;) {
    TMessage message;
    {
      std::unique_lock guard(lock_);
      changed_.wait(guard, [this] { return !messages_.empty(); });
      message = std::move(messages_.front());
      messages_.pop_front();
    }
    if (message.Index != index)
      throw EAssertionFailed("entry " + std::to_string(index) + " was asked of the prefetching reader out of order",
                             "EntryPrefetch", __LINE__);
    if (message.End) return message.Outcome;
    consume(buffers_[message.Slot].data(), message.Length);
    {
      std::lock_guard guard(lock_);
      freeBuffers_.push_back(message.Slot);
    }
    changed_.notify_all();
  }
}

}  // namespace tailpack
