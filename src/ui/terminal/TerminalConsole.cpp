#include "ui/terminal/TerminalConsole.h"

#include <istream>
#include <ostream>

#include "base/Text.h"

namespace tailpack {

namespace {

std::string ForTerminal(const std::u16string& text) {
  std::string utf8 = Utf16ToUtf8(text);
  std::string result;
  for (size_t i = 0; i < utf8.size(); ++i) {
    if (utf8[i] == '\r') {
      result.push_back('\n');
      if (i + 1 < utf8.size() && utf8[i + 1] == '\n') ++i;
    } else {
      result.push_back(utf8[i]);
    }
  }
  return result;
}

}  // namespace

TTerminalConsole::TTerminalConsole(std::istream& in, std::ostream& out, bool liveOutput)
    : in_(in), out_(out), liveOutput_(liveOutput) {}

void TTerminalConsole::Write(const std::u16string& text) {
  std::lock_guard guard(lock_);
  EndProgress();
  out_ << ForTerminal(text);
  out_.flush();
}

void TTerminalConsole::WriteLine(const std::u16string& text) { Write(text + u"\r"); }

void TTerminalConsole::ShowProgress(const std::u16string& text) {
  std::lock_guard guard(lock_);
  std::string line = ForTerminal(text);
  for (char& c : line)
    if (c == '\n') c = ' ';
  if (liveOutput_) {
    // Carriage return and erase to the end of the line.
    out_ << "\r\x1b[K" << line;
    progressOpen_ = true;
  } else {
    out_ << line << '\n';
  }
  out_.flush();
}

void TTerminalConsole::EndProgress() {
  std::lock_guard guard(lock_);
  if (!progressOpen_) return;
  out_ << '\n';
  progressOpen_ = false;
}

std::optional<std::string> TTerminalConsole::ReadLine() {
  std::lock_guard guard(lock_);
  EndProgress();
  out_.flush();
  std::string line;
  if (inputEnded_ || !std::getline(in_, line)) {
    inputEnded_ = true;
    return std::nullopt;
  }
  if (!line.empty() && line.back() == '\r') line.pop_back();
  return line;
}

}  // namespace tailpack
