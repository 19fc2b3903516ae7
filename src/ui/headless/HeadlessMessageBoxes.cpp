#include "ui/headless/HeadlessMessageBoxes.h"

#include <cstdio>
#include <cstdlib>

#include "base/Text.h"
#include "platform/TextCase.h"

namespace tailpack {

namespace {

bool Allows(TMessageButtons buttons, TMessageResult answer) {
  switch (buttons) {
    case TMessageButtons::Ok: return answer == TMessageResult::Ok;
    case TMessageButtons::OkCancel: return answer == TMessageResult::Ok || answer == TMessageResult::Cancel;
    case TMessageButtons::YesNo: return answer == TMessageResult::Yes || answer == TMessageResult::No;
    case TMessageButtons::YesNoCancel:
      return answer == TMessageResult::Yes || answer == TMessageResult::No || answer == TMessageResult::Cancel;
    case TMessageButtons::RetryCancel: return answer == TMessageResult::Retry || answer == TMessageResult::Cancel;
  }
  return false;
}

TMessageResult DefaultAnswer(TMessageButtons buttons) {
  switch (buttons) {
    case TMessageButtons::YesNo:
    case TMessageButtons::YesNoCancel: return TMessageResult::Yes;
    case TMessageButtons::RetryCancel: return TMessageResult::Cancel;
    default: return TMessageResult::Ok;
  }
}

bool ParseAnswer(const std::string& word, TMessageResult& answer) {
  std::string lower = LowerAnsi(Trim(word));
  if (lower == "ok") answer = TMessageResult::Ok;
  else if (lower == "cancel") answer = TMessageResult::Cancel;
  else if (lower == "yes") answer = TMessageResult::Yes;
  else if (lower == "no") answer = TMessageResult::No;
  else if (lower == "retry") answer = TMessageResult::Retry;
  else return false;
  return true;
}

const char* AnswerName(TMessageResult answer) {
  switch (answer) {
    case TMessageResult::Ok: return "OK";
    case TMessageResult::Cancel: return "Cancel";
    case TMessageResult::Yes: return "Yes";
    case TMessageResult::No: return "No";
    case TMessageResult::Retry: return "Retry";
  }
  return "?";
}

// The answers of a comma-separated list, in order.
std::deque<std::string> SplitAnswers(const std::string& commaSeparated) {
  std::deque<std::string> answers;
  size_t start = 0;
  while (start < commaSeparated.size()) {
    size_t end = commaSeparated.find(',', start);
    if (end == std::string::npos) end = commaSeparated.size();
    answers.push_back(commaSeparated.substr(start, end - start));
    start = end + 1;
  }
  return answers;
}

}  // namespace

void THeadlessMessageBoxes::SetAnswers(const std::string& commaSeparated) {
  std::lock_guard guard(lock_);
  answersRead_ = true;
  answers_ = SplitAnswers(commaSeparated);
}

TMessageResult THeadlessMessageBoxes::Show(const std::u16string& text, const std::u16string& caption,
                                           TMessageButtons buttons, TMessageIcon icon, TMessageOwner owner) {
  std::lock_guard guard(lock_);
  if (!answersRead_) {
    answersRead_ = true;
    if (const char* scripted = std::getenv("TAILPACK_ANSWERS")) answers_ = SplitAnswers(scripted);
  }
  TMessageResult answer = DefaultAnswer(buttons);
  if (!answers_.empty()) {
    TMessageResult scripted;
    if (ParseAnswer(answers_.front(), scripted) && Allows(buttons, scripted)) answer = scripted;
    answers_.pop_front();
  }
  shown_.push_back(TShownMessage{text, caption, buttons, icon, answer, owner});
  if (echo_) {
    std::string body = Utf16ToUtf8(text);
    for (char& c : body)
      if (c == '\r') c = '\n';
    std::fprintf(stderr, "[%s] %s -> %s\n", Utf16ToUtf8(caption).c_str(), body.c_str(), AnswerName(answer));
  }
  return answer;
}

std::vector<TShownMessage> THeadlessMessageBoxes::Shown() {
  std::lock_guard guard(lock_);
  return shown_;
}

void THeadlessMessageBoxes::ClearShown() {
  std::lock_guard guard(lock_);
  shown_.clear();
}

void THeadlessMessageBoxes::SetEcho(bool echo) {
  std::lock_guard guard(lock_);
  echo_ = echo;
}

}  // namespace tailpack
