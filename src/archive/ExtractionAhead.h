#pragma once
// The entries of a group written ahead of their turn, by a second thread and
// by the extracting thread while it waits for that one, so that two cores
// inflate and write at once. Writing a small file costs mostly calls into
// the system (under Wine each a round trip to its server), and those overlap
// only on separate threads.
//
// Ahead of its turn an entry is only ever written as a new file, never over
// one that is there; whatever cannot be done that way is left to the
// extraction in table order. The extraction takes the entries in table order
// and records, reports and fails in that order, as if it had written every
// file itself: a file written ahead of an entry that failed is removed again.

#include <condition_variable>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

namespace tailpack {

class TPak;

class TExtractionAhead {
 public:
  // Writes entry Index with Reader as a new file; true when it is there,
  // whole and closed, false when nothing was left behind. Lane tells the
  // threads apart (0: the extracting thread, 1: the second one), for what a
  // writer remembers per thread.
  using TWriter = std::function<bool(TPak& reader, uint32_t index, int lane)>;
  // Removes what the writer wrote for entry Index.
  using TUndo = std::function<void(uint32_t index)>;

  // Starts the second thread on a reader of its own. Without a second
  // processor, reader or thread only the extracting thread writes ahead.
  TExtractionAhead(TPak& pak, std::vector<uint32_t> indices, TWriter write, TUndo undo);
  // Stops the second thread after the entry it writes, then undoes every
  // entry written ahead that was never taken.
  ~TExtractionAhead();
  TExtractionAhead(const TExtractionAhead&) = delete;
  TExtractionAhead& operator=(const TExtractionAhead&) = delete;

  // The entry at Position of the indices, taken in order, each once: true
  // when it was written ahead, false when the caller writes it itself.
  bool Take(size_t position);

 private:
  enum class TState : uint8_t { Open, Claimed, Written, Left };

  void RunLane();
  // The next position to write ahead, claimed; false when none may be.
  bool ClaimNext(size_t& position);
  void Finish(size_t position, bool written);
  bool WriteQuietly(TPak& reader, size_t position, int lane);

  TPak& pak_;
  std::vector<uint32_t> indices_;
  TWriter write_;
  TUndo undo_;
  std::unique_ptr<TPak> laneReader_;
  std::vector<TState> states_;
  size_t next_ = 0;   // the first position nobody claimed yet
  size_t taken_ = 0;  // positions below this one are taken
  std::mutex lock_;
  std::condition_variable laneMayGo_;
  std::condition_variable entryDone_;
  bool laneWaits_ = false;
  bool takerWaits_ = false;
  bool stopping_ = false;
  std::thread lane_;
};

}  // namespace tailpack
