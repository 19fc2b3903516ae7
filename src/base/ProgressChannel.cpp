#include "base/ProgressChannel.h"

namespace tailpack {

void TProgressChannel::AttachControls(bool statusLabel, bool gauge, bool finishLabel) {
  std::lock_guard guard(lock_);
  hasStatusLabel_ = statusLabel;
  hasGauge_ = gauge;
  hasFinishLabel_ = finishLabel;
}

void TProgressChannel::SetStatusText(const std::u16string& text) {
  std::function<void(const std::u16string&)> observer;
  {
    std::lock_guard guard(lock_);
    observer = observer_;
    if (hasStatusLabel_) {
      statusText_ = text;
      statusChanged_ = true;
      Posted();
    }
  }
  if (observer) observer(text);
}

void TProgressChannel::StepProgress(bool notify) {
  std::lock_guard guard(lock_);
  if (!hasGauge_) return;
  ++stepCount_;
  if (notify) {
    stepPosted_ = stepCount_;
    stepChanged_ = true;
    Posted();
  }
}

void TProgressChannel::SetFileLabel(const std::u16string& text) {
  std::lock_guard guard(lock_);
  if (!hasFinishLabel_) return;
  fileLabel_ = text;
  fileLabelChanged_ = true;
  Posted();
}

std::optional<std::u16string> TProgressChannel::TakeStatusText() {
  std::lock_guard guard(lock_);
  if (!statusChanged_) return std::nullopt;
  statusChanged_ = false;
  return statusText_;
}

std::optional<uint32_t> TProgressChannel::TakeStep() {
  std::lock_guard guard(lock_);
  if (!stepChanged_) return std::nullopt;
  stepChanged_ = false;
  return stepPosted_;
}

std::optional<std::u16string> TProgressChannel::TakeFileLabel() {
  std::lock_guard guard(lock_);
  if (!fileLabelChanged_) return std::nullopt;
  fileLabelChanged_ = false;
  return fileLabel_;
}

void TProgressChannel::ResetSteps() {
  std::lock_guard guard(lock_);
  stepCount_ = 0;
  stepPosted_ = 0;
  stepChanged_ = false;
}

uint32_t TProgressChannel::StepCount() {
  std::lock_guard guard(lock_);
  return stepCount_;
}

void TProgressChannel::SetStatusObserver(std::function<void(const std::u16string&)> observer) {
  std::lock_guard guard(lock_);
  observer_ = std::move(observer);
}

void TProgressChannel::Posted() {
  ++posts_;
  if (postWaiters_ > 0) changed_.notify_all();
}

uint64_t TProgressChannel::EventsLocked(TProgressEvents events) const {
  return events == TProgressEvents::PostsAndWakes ? posts_ + wakes_ : wakes_;
}

uint64_t TProgressChannel::Events(TProgressEvents events) {
  std::lock_guard guard(lock_);
  return EventsLocked(events);
}

uint64_t TProgressChannel::WaitForEvents(TProgressEvents events, uint64_t seen, std::chrono::milliseconds timeout) {
  std::unique_lock guard(lock_);
  const bool forPosts = events == TProgressEvents::PostsAndWakes;
  if (forPosts) ++postWaiters_;
  changed_.wait_for(guard, timeout, [&] { return EventsLocked(events) != seen; });
  if (forPosts) --postWaiters_;
  return EventsLocked(events);
}

void TProgressChannel::Wake() {
  std::lock_guard guard(lock_);
  ++wakes_;
  changed_.notify_all();
}

TProgressChannel& Progress() {
  static TProgressChannel channel;
  return channel;
}

}  // namespace tailpack
