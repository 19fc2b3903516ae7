#include "builder/SetupWriter.h"

#include <algorithm>
#include <chrono>
#include <functional>
#include <condition_variable>
#include <exception>
#include <mutex>
#include <optional>
#include <system_error>
#include <thread>
#include <vector>

#include "archive/Pak.h"
#include "platform/Platform.h"
#include "system/FileHelpers.h"

namespace tailpack {

namespace {

// Offsets and sizes in the archive are 32-bit.
constexpr uint64_t kMaxArchiveEnd = 0xFFFFFFFFull;
// How often a wait for a packed entry looks whether the build should end.
constexpr auto kStopLookInterval = std::chrono::milliseconds(100);

// One entry on its way from a packing thread to the writer.
struct TSlot {
  bool Ready = false;
  bool Large = false;  // copied by the writer in chunks, never packed
  TPackedEntry Packed;
  std::string Error;
};

// The source's bytes, or nothing when it cannot be read or changed size
// since the plan was made.
std::optional<TBytes> ReadSource(const std::string& path, uint64_t expectedSize) {
  auto bytes = TryReadWholeFile(path);
  if (!bytes || bytes->size() != expectedSize) return std::nullopt;
  return bytes;
}

class TParallelPacker {
 public:
  TParallelPacker(const std::vector<TPlannedEntry>& entries, unsigned threads)
      : entries_(entries), slots_(entries.size()), threads_(threads), window_(std::max<size_t>(2, size_t{threads} * 2)) {}
  ~TParallelPacker() { Stop(); }
  TParallelPacker(const TParallelPacker&) = delete;
  TParallelPacker& operator=(const TParallelPacker&) = delete;

  // Starts the threads. When one cannot start, those already running are
  // stopped again and the failure is returned.
  TStatus Start() {
    try {
      while (workers_.size() < threads_) workers_.emplace_back([this] { Work(); });
    } catch (const std::system_error& error) {
      size_t started = workers_.size();
      Stop();
      return TStatus::Failure("cannot start packing thread " + std::to_string(started + 1) + " of " +
                              std::to_string(threads_) + ": " + error.what());
    }
    return TStatus::Success();
  }

  // Waits for entry Index and hands it over; later entries may then start.
  // Nothing when StopRequested (looked at first and while waiting) asks to
  // end.
  std::optional<TSlot> Take(size_t index, const std::function<bool()>& stopRequested) {
    std::unique_lock guard(lock_);
    for (;;) {
      if (stopRequested && stopRequested()) return std::nullopt;
      if (slots_[index].Ready) break;
      changed_.wait_for(guard, kStopLookInterval);
    }
    TSlot slot = std::move(slots_[index]);
    nextToWrite_ = index + 1;
    changed_.notify_all();
    return slot;
  }

 private:
  void Stop() {
    {
      std::lock_guard guard(lock_);
      stopping_ = true;
    }
    changed_.notify_all();
    for (auto& worker : workers_) worker.join();
    workers_.clear();
  }

  void Work() {
    for (;;) {
      size_t index;
      {
        std::unique_lock guard(lock_);
        // Stay a bounded distance ahead of the writer to bound memory.
        changed_.wait(guard, [&] {
          return stopping_ || next_ >= entries_.size() || next_ < nextToWrite_ + window_;
        });
        if (stopping_ || next_ >= entries_.size()) return;
        index = next_++;
      }
      TSlot slot = Pack(entries_[index]);
      std::lock_guard guard(lock_);
      slot.Ready = true;
      slots_[index] = std::move(slot);
      changed_.notify_all();
    }
  }

  // Never throws: an exception must not leave a thread.
  static TSlot Pack(const TPlannedEntry& entry) {
    TSlot slot;
    try {
      if (entry.Source.empty()) {
        slot.Packed = PackBuffer(entry.Data.data(), static_cast<uint32_t>(entry.Data.size()));
      } else if (entry.Size >= kLargeFileLimit) {
        slot.Large = true;
      } else if (auto bytes = ReadSource(entry.Source, entry.Size)) {
        slot.Packed = PackBuffer(bytes->data(), static_cast<uint32_t>(bytes->size()));
      } else {
        slot.Error = "cannot read \"" + entry.Source + "\" (it changed or went away since the script was read)";
      }
    } catch (const std::exception& error) {
      slot.Error = "cannot pack \"" + entry.Name + "\": " + error.what();
    }
    return slot;
  }

  const std::vector<TPlannedEntry>& entries_;
  std::vector<TSlot> slots_;
  const unsigned threads_;
  const size_t window_;
  std::mutex lock_;
  std::condition_variable changed_;
  size_t next_ = 0;
  size_t nextToWrite_ = 0;
  bool stopping_ = false;
  std::vector<std::thread> workers_;
};

TWriteResult Failure(const std::string& message, int lineNumber = 0, bool scriptError = false) {
  TWriteResult result;
  result.Status = TStatus::Failure(message);
  result.LineNumber = lineNumber;
  result.ScriptError = scriptError;
  return result;
}

TWriteResult Interrupted() {
  TWriteResult result = Failure("interrupted: no setup was written");
  result.Interrupted = true;
  return result;
}

// The bytes of the entry table and the header that follow the entries.
uint64_t TableSize(const std::vector<TPlannedEntry>& entries) {
  uint64_t size = kPakHeaderSize;
  for (const TPlannedEntry& entry : entries) size += 2 + entry.Name.size() + kPakRecordFixedSize;
  return size;
}

TWriteResult WriteArchive(const TSetupPlan& plan, const TWriteOptions& options, const std::string& target) {
  if (options.StubPath.empty()) {
    auto created = Files().Open(target, TFileMode::CreateAlways, TFileShare::None);
    if (!created) return Failure("cannot create \"" + target + "\"");
  } else if (!Files().Copy(options.StubPath, target, false)) {
    return Failure("cannot copy the stub \"" + options.StubPath + "\" to \"" + target + "\"");
  }
  TPak pak;
  if (!pak.Create(target, false, true)) return Failure("cannot open \"" + target + "\" to append the archive");
  for (const TPlannedEntry& entry : plan.Entries) pak.AddFile(entry.Name, entry.Source, entry.Group);

  TBuildProgress progress;
  progress.EntryCount = static_cast<uint32_t>(plan.Entries.size());
  for (const TPlannedEntry& entry : plan.Entries) progress.ByteCount += entry.Size;
  TParallelPacker packer(plan.Entries, PackingThreads(options.Threads, plan.Entries.size()));
  if (TStatus started = packer.Start(); !started) return Failure(started.Message());
  uint64_t end = pak.Header().DataStart;
  for (size_t i = 0; i < plan.Entries.size(); ++i) {
    const TPlannedEntry& entry = plan.Entries[i];
    std::optional<TSlot> taken = packer.Take(i, options.StopRequested);
    if (!taken) return Interrupted();
    TSlot& slot = *taken;
    if (!slot.Error.empty()) return Failure(slot.Error, entry.LineNumber);
    end += slot.Large ? entry.Size : slot.Packed.Stored.size();
    if (end > kMaxArchiveEnd)
      return Failure("the setup would pass 4 GiB, more than the archive's 32-bit offsets reach: \"" + entry.Name +
                         "\" would end at byte " + std::to_string(end),
                     entry.LineNumber, true);
    auto index = static_cast<uint32_t>(i);
    TStatus written = slot.Large ? pak.WriteSourceFile(index) : pak.WritePacked(index, slot.Packed);
    if (!written) return Failure(written.Message(), entry.LineNumber);
    ++progress.EntriesDone;
    progress.BytesDone += entry.Size;
    if (options.OnProgress) options.OnProgress(progress);
  }
  if (end + TableSize(plan.Entries) > kMaxArchiveEnd)
    return Failure("the setup would pass 4 GiB with its entry table, more than the archive's 32-bit offsets reach",
                   0, true);
  TStatus header = pak.WriteHeader();
  pak.Close();
  if (!header) return Failure(header.Message());
  return TWriteResult{};
}

// "OUT.partial" while the setup is written: removed again on every way out
// unless the finished file was moved into place.
class TPartialOutput {
 public:
  explicit TPartialOutput(std::string path) : path_(std::move(path)) { Files().Delete(path_); }
  ~TPartialOutput() {
    if (!moved_) Files().Delete(path_);
  }
  TPartialOutput(const TPartialOutput&) = delete;
  TPartialOutput& operator=(const TPartialOutput&) = delete;

  const std::string& Path() const { return path_; }
  void Moved() { moved_ = true; }

 private:
  std::string path_;
  bool moved_ = false;
};

}  // namespace

unsigned PackingThreads(unsigned requested, size_t entryCount) {
  unsigned processors = std::max(1u, std::thread::hardware_concurrency());
  unsigned threads = requested != 0 ? std::min(requested, processors * 2) : processors;
  if (entryCount < threads) threads = static_cast<unsigned>(entryCount);
  return std::max(1u, threads);
}

TWriteResult WriteSetup(const TSetupPlan& plan, const TWriteOptions& options) {
  TPartialOutput partial(options.OutputPath + ".partial");
  TWriteResult written;
  try {
    written = WriteArchive(plan, options, partial.Path());
  } catch (const std::exception& error) {
    written = Failure(std::string("cannot write the setup: ") + error.what());
  }
  if (!written) return written;
  // In one step: a setup that was there stays until the new one replaces it.
  if (!Files().RenameReplacing(partial.Path(), options.OutputPath))
    return Failure("cannot move the new setup to \"" + options.OutputPath + "\"");
  partial.Moved();
  return written;
}

}  // namespace tailpack
