#include "builder/SetupWriter.h"

#include <algorithm>
#include <atomic>
#include <condition_variable>
#include <mutex>
#include <optional>
#include <thread>
#include <vector>

#include "archive/Pak.h"
#include "base/FileHelpers.h"
#include "platform/Platform.h"

namespace tailpack {

namespace {

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
      : entries_(entries), slots_(entries.size()), window_(std::max<size_t>(2, size_t{threads} * 2)) {
    for (unsigned i = 0; i < threads; ++i) workers_.emplace_back([this] { Work(); });
  }
  ~TParallelPacker() {
    {
      std::lock_guard guard(lock_);
      stopping_ = true;
    }
    changed_.notify_all();
    for (auto& worker : workers_) worker.join();
  }

  // Waits for entry Index and hands it over; later entries may then start.
  TSlot Take(size_t index) {
    std::unique_lock guard(lock_);
    changed_.wait(guard, [&] { return slots_[index].Ready; });
    TSlot slot = std::move(slots_[index]);
    nextToWrite_ = index + 1;
    changed_.notify_all();
    return slot;
  }

 private:
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

  static TSlot Pack(const TPlannedEntry& entry) {
    TSlot slot;
    if (entry.Source.empty()) {
      slot.Packed = PackBuffer(entry.Data.data(), static_cast<uint32_t>(entry.Data.size()));
    } else if (entry.Size >= kLargeFileLimit) {
      slot.Large = true;
    } else if (auto bytes = ReadSource(entry.Source, entry.Size)) {
      slot.Packed = PackBuffer(bytes->data(), static_cast<uint32_t>(bytes->size()));
    } else {
      slot.Error = "cannot read \"" + entry.Source + "\"";
    }
    return slot;
  }

  const std::vector<TPlannedEntry>& entries_;
  std::vector<TSlot> slots_;
  const size_t window_;
  std::mutex lock_;
  std::condition_variable changed_;
  size_t next_ = 0;
  size_t nextToWrite_ = 0;
  bool stopping_ = false;
  std::vector<std::thread> workers_;
};

TStatus WriteArchive(const TSetupPlan& plan, const TWriteOptions& options, const std::string& target) {
  if (options.StubPath.empty()) {
    auto created = Files().Open(target, TFileMode::CreateAlways, TFileShare::None);
    if (!created) return TStatus::Failure("cannot create \"" + target + "\"");
  } else if (!Files().Copy(options.StubPath, target, false)) {
    return TStatus::Failure("cannot copy the stub \"" + options.StubPath + "\" to \"" + target + "\"");
  }
  TPak pak;
  if (!pak.Create(target, false, true)) return TStatus::Failure("cannot open \"" + target + "\" to append the archive");
  for (const TPlannedEntry& entry : plan.Entries) pak.AddFile(entry.Name, entry.Source, entry.Group);

  TBuildProgress progress;
  progress.EntryCount = static_cast<uint32_t>(plan.Entries.size());
  for (const TPlannedEntry& entry : plan.Entries) progress.ByteCount += entry.Size;
  unsigned threads = options.Threads != 0 ? options.Threads : std::max(1u, std::thread::hardware_concurrency());
  TParallelPacker packer(plan.Entries, threads);
  for (size_t i = 0; i < plan.Entries.size(); ++i) {
    TSlot slot = packer.Take(i);
    if (!slot.Error.empty()) return TStatus::Failure(slot.Error);
    auto index = static_cast<uint32_t>(i);
    TStatus written = slot.Large ? pak.WriteSourceFile(index) : pak.WritePacked(index, slot.Packed);
    if (!written) return written;
    ++progress.EntriesDone;
    progress.BytesDone += plan.Entries[i].Size;
    if (options.OnProgress) options.OnProgress(progress);
  }
  TStatus header = pak.WriteHeader();
  pak.Close();
  return header;
}

}  // namespace

TStatus WriteSetup(const TSetupPlan& plan, const TWriteOptions& options) {
  std::string partial = options.OutputPath + ".partial";
  Files().Delete(partial);
  TStatus written = WriteArchive(plan, options, partial);
  if (!written) {
    Files().Delete(partial);
    return written;
  }
  if (Files().Exists(options.OutputPath) && !Files().Delete(options.OutputPath)) {
    Files().Delete(partial);
    return TStatus::Failure("cannot replace \"" + options.OutputPath + "\"");
  }
  if (!Files().Rename(partial, options.OutputPath)) {
    Files().Delete(partial);
    return TStatus::Failure("cannot move the new setup to \"" + options.OutputPath + "\"");
  }
  return TStatus::Success();
}

}  // namespace tailpack
