#pragma once
// What the tailpack subcommands share: their exit codes, opening an archive
// named on the command line, and text for the host's terminal.

#include <cstdint>
#include <string>
#include <string_view>

#include "system/MessageBoxes.h"

namespace tailpack {

class TPak;

// docs/command-line-tailpack.md lists these for users.
constexpr int kToolExitSuccess = 0;
constexpr int kToolExitCheckFailed = 1;      // an entry failed verification
constexpr int kToolExitUsage = 2;            // the command line could not be parsed
constexpr int kToolExitUnreadable = 3;       // missing file, no archive trailer, damaged table
constexpr int kToolExitExtractFailed = 4;    // unsafe entry name, write failure, damaged entry
constexpr int kToolExitScriptErrors = 5;     // the setup script has errors
constexpr int kToolExitWriteFailed = 6;      // the setup or the uninstall log could not be written or read
constexpr int kToolExitInterrupted = 130;    // Ctrl-C (128 + SIGINT, as shells report it)

// Opens the setup archive at a host path (a setup executable with an appended
// archive or an archive file of its own). Returns kToolExitSuccess, or
// kToolExitUnreadable after telling why on standard error.
int OpenArchive(const std::string& hostPath, TPak& pak);

// Everything the tool prints goes through one of these two, so no name from
// an archive, a script, a log or the command line can drive the terminal:
// control characters show as "\x1b" (EscapeForTerminal).
// An ANSI text of the core as UTF-8 for the terminal.
std::string TerminalText(std::string_view ansi);
// A UTF-8 text of the host (a path from the command line) for the terminal.
std::string HostText(std::string_view utf8);

// "tailpack: " + Message (UTF-8) on standard error, escaped as a whole.
void PrintError(const std::string& message);

// Message boxes of the core (a reader that meets a broken entry tells of it
// in one) as lines on standard error, escaped like everything the tool
// prints; the answer is OK or Yes, and Cancel where Retry would loop. In
// place while the object lives.
class TToolMessageBoxes final : public IMessageBoxes {
 public:
  TToolMessageBoxes();
  ~TToolMessageBoxes() override;
  TToolMessageBoxes(const TToolMessageBoxes&) = delete;
  TToolMessageBoxes& operator=(const TToolMessageBoxes&) = delete;

  TMessageResult Show(const std::u16string& text, const std::u16string& caption, TMessageButtons buttons,
                      TMessageIcon icon, TMessageOwner owner = TMessageOwner::None) override;

 private:
  IMessageBoxes* saved_;
};

// A line that overwrites itself on a terminal; Finish clears it.
class TTerminalStatus {
 public:
  explicit TTerminalStatus(bool enabled) : enabled_(enabled) {}
  ~TTerminalStatus() { Finish(); }
  TTerminalStatus(const TTerminalStatus&) = delete;
  TTerminalStatus& operator=(const TTerminalStatus&) = delete;

  void Show(const std::string& utf8Line);
  void Finish();

 private:
  bool enabled_;
  size_t shownWidth_ = 0;
};

}  // namespace tailpack
