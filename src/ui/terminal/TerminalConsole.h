#pragma once
// The terminal a text front end talks to: lines typed by the user and texts
// printed for them, as UTF-8. One lock guards both, since a command on the
// worker thread may ask a question while the window thread prints progress.

#include <iosfwd>
#include <mutex>
#include <optional>
#include <string>

namespace tailpack {

class TTerminalConsole {
 public:
  // LiveOutput: the output is a terminal, so a progress line may be
  // rewritten in place instead of printed anew.
  TTerminalConsole(std::istream& in, std::ostream& out, bool liveOutput);

  // Prints a text; a CR (the wizard's line break) becomes a line end.
  void Write(const std::u16string& text);
  void WriteLine(const std::u16string& text);
  // Shows a line of progress: in place on a terminal, else as a new line.
  void ShowProgress(const std::u16string& text);
  // Ends a progress line shown in place.
  void EndProgress();
  // The next line the user types, without its line end; nothing once the
  // input has ended.
  std::optional<std::string> ReadLine();
  bool InputEnded() const { return inputEnded_; }
  bool LiveOutput() const { return liveOutput_; }

  std::recursive_mutex& Lock() { return lock_; }

 private:
  std::istream& in_;
  std::ostream& out_;
  bool liveOutput_;
  bool progressOpen_ = false;
  bool inputEnded_ = false;
  std::recursive_mutex lock_;
};

}  // namespace tailpack
