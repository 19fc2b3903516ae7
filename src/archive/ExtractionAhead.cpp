#include "archive/ExtractionAhead.h"

#include <system_error>
#include <utility>

#include "archive/Pak.h"

namespace tailpack {

namespace {

// How far ahead of the entry being taken anything is written: what a failure
// may have to remove again stays small.
constexpr size_t kMostAhead = 128;
// A second thread that ran into that limit goes on once half of it is free
// again, not at every entry taken: each wake-up is a call into the system.
constexpr size_t kResumeAhead = kMostAhead / 2;

}  // namespace

TExtractionAhead::TExtractionAhead(TPak& pak, std::vector<uint32_t> indices, TWriter write, TUndo undo)
    : pak_(pak),
      indices_(std::move(indices)),
      write_(std::move(write)),
      undo_(std::move(undo)),
      states_(indices_.size(), TState::Open) {
  // On one core the second thread would only take turns with the first.
  if (indices_.size() < 2 || std::thread::hardware_concurrency() < 2) return;
  laneReader_ = pak.OpenReader();
  if (!laneReader_) return;
  try {
    lane_ = std::thread([this] { RunLane(); });
  } catch (const std::system_error&) {
    laneReader_.reset();  // the extracting thread writes every entry
  }
}

TExtractionAhead::~TExtractionAhead() {
  {
    std::lock_guard guard(lock_);
    stopping_ = true;
  }
  laneMayGo_.notify_all();
  if (lane_.joinable()) lane_.join();
  for (size_t position = taken_; position < states_.size(); ++position)
    if (states_[position] == TState::Written) undo_(indices_[position]);
}

bool TExtractionAhead::Take(size_t position) {
  std::unique_lock guard(lock_);
  taken_ = position + 1;
  if (laneWaits_ && next_ < taken_ + kResumeAhead) laneMayGo_.notify_one();
  for (;;) {
    switch (states_[position]) {
      case TState::Open:
        // Nobody got to it: the caller writes it, in its turn.
        states_[position] = TState::Left;
        if (next_ <= position) next_ = position + 1;
        return false;
      case TState::Written: return true;
      case TState::Left: return false;
      case TState::Claimed: break;
    }
    // The second thread is writing it: write a later one meanwhile.
    size_t ahead = 0;
    if (ClaimNext(ahead)) {
      guard.unlock();
      const bool written = WriteQuietly(pak_, ahead, 0);
      guard.lock();
      states_[ahead] = written ? TState::Written : TState::Left;
      continue;
    }
    takerWaits_ = true;
    entryDone_.wait(guard, [&] { return states_[position] != TState::Claimed; });
    takerWaits_ = false;
  }
}

bool TExtractionAhead::ClaimNext(size_t& position) {
  // The lock is held.
  if (stopping_ || next_ >= states_.size() || next_ >= taken_ + kMostAhead) return false;
  position = next_++;
  states_[position] = TState::Claimed;
  return true;
}

void TExtractionAhead::RunLane() {
  for (;;) {
    size_t position = 0;
    {
      std::unique_lock guard(lock_);
      if (!ClaimNext(position)) {
        if (stopping_ || next_ >= states_.size()) return;
        laneWaits_ = true;
        laneMayGo_.wait(guard, [this] {
          return stopping_ || next_ >= states_.size() || next_ < taken_ + kResumeAhead;
        });
        laneWaits_ = false;
        continue;
      }
    }
    Finish(position, WriteQuietly(*laneReader_, position, 1));
  }
}

void TExtractionAhead::Finish(size_t position, bool written) {
  bool wake = false;
  {
    std::lock_guard guard(lock_);
    states_[position] = written ? TState::Written : TState::Left;
    wake = takerWaits_;
  }
  if (wake) entryDone_.notify_one();
}

bool TExtractionAhead::WriteQuietly(TPak& reader, size_t position, int lane) {
  try {
    return write_(reader, indices_[position], lane);
  } catch (...) {
    // Whatever failed here fails again when the extraction writes the entry
    // itself in its turn, and is reported there, in table order.
    return false;
  }
}

}  // namespace tailpack
