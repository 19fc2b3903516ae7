#include "ui/terminal/TerminalMessageBoxes.h"

#include <mutex>
#include <vector>

#include "base/Text.h"
#include "platform/TextCase.h"
#include "ui/terminal/TerminalConsole.h"

namespace tailpack {

namespace {

struct TChoice {
  char Key;
  const char16_t* Label;
  TMessageResult Result;
};

std::vector<TChoice> Choices(TMessageButtons buttons) {
  const TChoice ok{'o', u"[o]k", TMessageResult::Ok};
  const TChoice cancel{'c', u"[c]ancel", TMessageResult::Cancel};
  const TChoice yes{'y', u"[y]es", TMessageResult::Yes};
  const TChoice no{'n', u"[n]o", TMessageResult::No};
  const TChoice retry{'r', u"[r]etry", TMessageResult::Retry};
  switch (buttons) {
    case TMessageButtons::Ok: return {ok};
    case TMessageButtons::OkCancel: return {ok, cancel};
    case TMessageButtons::YesNo: return {yes, no};
    case TMessageButtons::YesNoCancel: return {yes, no, cancel};
    case TMessageButtons::RetryCancel: return {retry, cancel};
  }
  return {ok};
}

// What a box answers when nobody can: never a choice that repeats the question.
TMessageResult AnswerWithoutInput(TMessageButtons buttons) {
  switch (buttons) {
    case TMessageButtons::YesNo:
    case TMessageButtons::YesNoCancel: return TMessageResult::Yes;
    case TMessageButtons::RetryCancel: return TMessageResult::Cancel;
    default: return TMessageResult::Ok;
  }
}

}  // namespace

TTerminalMessageBoxes::TTerminalMessageBoxes(std::shared_ptr<TTerminalConsole> console)
    : console_(std::move(console)) {}

TMessageResult TTerminalMessageBoxes::Show(const std::u16string& text, const std::u16string& caption,
                                           TMessageButtons buttons, TMessageIcon, TMessageOwner) {
  std::lock_guard guard(console_->Lock());
  std::vector<TChoice> choices = Choices(buttons);
  console_->WriteLine(u"");
  console_->WriteLine(u"[" + caption + u"]");
  console_->WriteLine(text);
  std::u16string prompt;
  for (const TChoice& choice : choices) prompt += (prompt.empty() ? u"" : u" / ") + std::u16string(choice.Label);
  while (true) {
    console_->Write(prompt + (choices.size() == 1 ? u" (Enter) " : u" ? "));
    auto line = console_->ReadLine();
    if (!line) {
      console_->WriteLine(u"");
      return AnswerWithoutInput(buttons);
    }
    std::string typed = LowerAnsi(Trim(*line));
    if (typed.empty()) return choices.front().Result;
    for (const TChoice& choice : choices)
      if (typed[0] == choice.Key) return choice.Result;
  }
}

}  // namespace tailpack
