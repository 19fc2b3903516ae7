#pragma once
// How work on the worker thread reports to the window thread: the latest
// status line, a step count and the finish label's text. The worker writes,
// the window polls and takes what changed; both under one lock. A report is
// dropped when the page that would show it does not exist.

#include <cstdint>
#include <functional>
#include <mutex>
#include <optional>
#include <string>

#include "base/ProgressReporter.h"

namespace tailpack {

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

  // Called with every status text posted, on the posting thread, whether or
  // not a label exists; for front ends (and tests) that keep every line.
  void SetStatusObserver(std::function<void(const std::u16string&)> observer);

 private:
  std::mutex lock_;
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
