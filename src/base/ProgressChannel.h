#pragma once
// How work on the worker thread reports to the window thread: the latest
// status line, a step count and the finish label's text. The worker writes,
// the window takes what changed; both under one lock. A report is dropped
// when the page that would show it does not exist. The window does not poll
// on a timer: it sleeps on the channel until something is posted or the
// worker wakes it (at the end of its walk).

#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <functional>
#include <mutex>
#include <optional>
#include <string>

#include "base/ProgressReporter.h"

namespace tailpack {

// What wakes a window that waits on the channel.
enum class TProgressEvents {
  PostsAndWakes,  // every report posted and every Wake
  WakesOnly,      // Wake alone (a silent run shows no reports)
};

class TProgressChannel final : public IProgressReporter {
 public:
  // Which of the three controls exist (set by the wizard when it builds pages).
  void AttachControls(bool statusLabel, bool gauge, bool finishLabel);

  // Worker side.
  void SetStatusText(const std::u16string& text) override;
  // Counts one step; with Notify the count is also handed to the window.
  void StepProgress(bool notify) override;
  void SetFileLabel(const std::u16string& text);

  // Window side: what changed since the last call, clearing the change flag.
  std::optional<std::u16string> TakeStatusText();
  std::optional<uint32_t> TakeStep();
  std::optional<std::u16string> TakeFileLabel();

  void ResetSteps();
  uint32_t StepCount();

  // Window side, waiting. Events counts what the kind of events wakes;
  // WaitForEvents returns once that count differs from Seen (at once when it
  // already does) or after Timeout, and gives the count then. A window that
  // takes Seen before it takes the reports misses none.
  uint64_t Events(TProgressEvents events);
  uint64_t WaitForEvents(TProgressEvents events, uint64_t seen, std::chrono::milliseconds timeout);
  // Worker side: wakes a waiting window without a report (the walk ended).
  void Wake();

  // Called with every status text posted, on the posting thread, whether or
  // not a label exists; for front ends (and tests) that keep every line.
  void SetStatusObserver(std::function<void(const std::u16string&)> observer);

 private:
  uint64_t EventsLocked(TProgressEvents events) const;
  // Counts a report that a window will take, under the lock.
  void Posted();

  std::mutex lock_;
  std::condition_variable changed_;
  uint64_t posts_ = 0;
  uint64_t wakes_ = 0;
  // Windows waiting for posts: only they are woken by one (a silent run's
  // window is not disturbed by every file).
  int postWaiters_ = 0;
  bool hasStatusLabel_ = false;
  bool hasGauge_ = false;
  bool hasFinishLabel_ = false;
  std::u16string statusText_;
  bool statusChanged_ = false;
  uint32_t stepCount_ = 0;
  uint32_t stepPosted_ = 0;
  bool stepChanged_ = false;
  std::u16string fileLabel_;
  bool fileLabelChanged_ = false;
  std::function<void(const std::u16string&)> observer_;
};

// The process's one channel.
TProgressChannel& Progress();

}  // namespace tailpack
