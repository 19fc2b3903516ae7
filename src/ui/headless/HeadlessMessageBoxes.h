#pragma once
// Message boxes without a screen: each box is printed to standard error and
// answered from a queue of scripted answers, for example
// TAILPACK_ANSWERS=ok,cancel,yes. Without an answer left, OK and Yes are
// chosen, and Cancel for Retry/Cancel boxes so nothing loops.

#include <deque>
#include <mutex>
#include <string>
#include <vector>

#include "system/MessageBoxes.h"

namespace tailpack {

struct TShownMessage {
  std::u16string Text;
  std::u16string Caption;
  TMessageButtons Buttons;
  TMessageIcon Icon;
  TMessageResult Answer;
  TMessageOwner Owner = TMessageOwner::None;
};

class THeadlessMessageBoxes final : public IMessageBoxes {
 public:
  // Answers are read from TAILPACK_ANSWERS when the first box is shown.
  THeadlessMessageBoxes() = default;

  TMessageResult Show(const std::u16string& text, const std::u16string& caption, TMessageButtons buttons,
                      TMessageIcon icon, TMessageOwner owner = TMessageOwner::None) override;

  // Replaces the queue of answers ("ok", "cancel", "yes", "no", "retry").
  void SetAnswers(const std::string& commaSeparated);
  // Every box shown so far, oldest first.
  std::vector<TShownMessage> Shown();
  void ClearShown();
  // Whether boxes are printed to standard error (on by default).
  void SetEcho(bool echo);

 private:
  std::mutex lock_;
  bool answersRead_ = false;
  bool echo_ = true;
  std::deque<std::string> answers_;
  std::vector<TShownMessage> shown_;
};

}  // namespace tailpack
