#include "archive/Verification.h"

#include <algorithm>
#include <condition_variable>
#include <exception>
#include <memory>
#include <mutex>
#include <system_error>
#include <thread>
#include <utility>
#include <vector>

#include "archive/Pak.h"

namespace tailpack {

namespace {

// Entries are handed out in batches of consecutive ones, so each reader walks
// the archive forward in long runs through its own read window.
constexpr uint64_t kBatchBytes = 1024 * 1024;
constexpr uint32_t kBatchEntries = 64;
// Checking is inflating and summing, bound by the processor: more readers
// than cores would only take turns.
constexpr unsigned kMaxReaders = 4;

struct TCheckOutcome {
  bool Done = false;
  TPak::TEntryCheck Check;
  std::exception_ptr Failure;
};

// The entries of one archive shared out between readers, and what each
// reader found. The verdicts are taken in table order by the calling thread
// alone: it reports the progress and decides which entry failed first, so
// the result is the same as checking one entry after the other.
class TSharedChecks {
 public:
  explicit TSharedChecks(const std::vector<TPakFile>& files) : files_(files), outcomes_(files.size()) {}

  // Checks the next unclaimed batch with Reader; false when none is left.
  bool CheckBatch(TPak& reader) {
    auto [first, end] = Claim();
    for (uint32_t index = first; index < end; ++index) {
      TCheckOutcome outcome;
      try {
        outcome.Check = reader.CheckEntry(index);
      } catch (...) {
        // Handed to the calling thread, which raises it in table order.
        outcome.Failure = std::current_exception();
      }
      outcome.Done = true;
      std::lock_guard guard(lock_);
      outcomes_[index] = std::move(outcome);
      done_.notify_all();
    }
    return first != end;
  }

  // A helper thread's whole work.
  void CheckUntilDone(TPak& reader) {
    while (CheckBatch(reader)) {
    }
  }

  bool IsDone(uint32_t index) {
    std::lock_guard guard(lock_);
    return outcomes_[index].Done;
  }

  TCheckOutcome Await(uint32_t index) {
    std::unique_lock guard(lock_);
    done_.wait(guard, [&] { return outcomes_[index].Done; });
    return outcomes_[index];
  }

  // Nothing more is handed out; batches under way finish.
  void Stop() {
    std::lock_guard guard(lock_);
    next_ = static_cast<uint32_t>(files_.size());
  }

 private:
  std::pair<uint32_t, uint32_t> Claim() {
    std::lock_guard guard(lock_);
    const auto count = static_cast<uint32_t>(files_.size());
    uint32_t first = next_, end = next_;
    uint64_t bytes = 0;
    while (end < count && end - first < kBatchEntries && bytes < kBatchBytes) {
      // Large entries are not read, so they weigh nothing.
      if (!files_[end].IsLarge()) bytes += files_[end].StoredLength();
      ++end;
    }
    next_ = end;
    return {first, end};
  }

  const std::vector<TPakFile>& files_;
  std::mutex lock_;
  std::condition_variable done_;
  std::vector<TCheckOutcome> outcomes_;
  uint32_t next_ = 0;
};

// Helper threads, each with a reader of its own; stopped and joined however
// the verification ends.
class THelperReaders {
 public:
  THelperReaders(const TPak& pak, TSharedChecks& checks) : checks_(checks) {
    const unsigned cores = std::max(1u, std::thread::hardware_concurrency());
    const unsigned helpers = std::min(cores, kMaxReaders) - 1;
    for (unsigned i = 0; i < helpers; ++i) {
      std::unique_ptr<TPak> reader = pak.OpenReader();
      if (!reader) break;
      try {
        threads_.emplace_back([this, owned = reader.get()] { checks_.CheckUntilDone(*owned); });
      } catch (const std::system_error&) {
        break;  // the calling thread checks what no helper takes
      }
      readers_.push_back(std::move(reader));
    }
  }
  ~THelperReaders() {
    checks_.Stop();
    for (std::thread& thread : threads_) thread.join();
  }
  THelperReaders(const THelperReaders&) = delete;
  THelperReaders& operator=(const THelperReaders&) = delete;

 private:
  TSharedChecks& checks_;
  std::vector<std::unique_ptr<TPak>> readers_;
  std::vector<std::thread> threads_;
};

}  // namespace

TVerificationResult VerifyArchive(TPak& pak, const TVerificationStep& onStep) {
  TVerificationResult result;
  const uint32_t count = pak.FileCount();
  TSharedChecks checks(pak.Files());
  THelperReaders helpers(pak, checks);
  uint32_t next = 0;  // the first entry whose verdict is not taken yet
  while (next < count) {
    // The calling thread checks batches too, and takes the verdicts that
    // are in between them; with nothing left to check it waits for them.
    if (!checks.IsDone(next) && checks.CheckBatch(pak)) continue;
    TCheckOutcome outcome = checks.Await(next);
    if (outcome.Failure) std::rethrow_exception(outcome.Failure);
    if (outcome.Check.Verdict != TPak::TEntryVerdict::Intact) {
      result.Message = pak.CheckMessage(next, outcome.Check);
      result.FailedIndex = next;
      return result;
    }
    const TPakFile& entry = pak.Files()[next];
    if (entry.Group > 0) result.GroupedSize += entry.Size;
    if (onStep) onStep(next, count, entry);
    ++next;
  }
  return result;
}

}  // namespace tailpack
