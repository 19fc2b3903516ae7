#include "app/tailpack/ToolSupport.h"

#include <cstdio>

#include "archive/Pak.h"
#include "base/Text.h"
#include "platform/HostPaths.h"
#include "platform/Platform.h"
#include "platform/TextCodec.h"

namespace tailpack {

namespace {

// Long names are cut so the status line never wraps on a narrow terminal,
// which would defeat the carriage return that overwrites it.
constexpr size_t kStatusWidth = 78;

}  // namespace

int OpenArchive(const std::string& hostPath, TPak& pak) {
  auto windowsPath = WindowsPathFromHost(hostPath);
  if (!windowsPath) {
    PrintError("\"" + HostText(hostPath) + "\" lies on no mapped drive");
    return kToolExitUnreadable;
  }
  if (!Files().FileExists(*windowsPath) || !pak.Create(*windowsPath)) {
    PrintError("cannot open \"" + HostText(hostPath) + "\"");
    return kToolExitUnreadable;
  }
  if (!pak.Header().HasMagic()) {
    PrintError("\"" + HostText(hostPath) + "\" holds no setup archive (no \"ZRPF\" trailer)");
    return kToolExitUnreadable;
  }
  if (pak.TableDamaged()) {
    PrintError("the entry table of \"" + HostText(hostPath) + "\" is damaged: " + TerminalText(pak.Damage()));
    return kToolExitUnreadable;
  }
  return kToolExitSuccess;
}

std::string TerminalText(std::string_view ansi) { return EscapeForTerminal(Utf16ToUtf8(AnsiToWide(ansi))); }

std::string HostText(std::string_view utf8) { return EscapeForTerminal(utf8); }

void PrintError(const std::string& message) {
  std::fflush(stdout);
  std::fprintf(stderr, "tailpack: %s\n", EscapeForTerminal(message).c_str());
}

TToolMessageBoxes::TToolMessageBoxes() : saved_(InstalledMessageBoxes()) { SetMessageBoxes(*this); }

TToolMessageBoxes::~TToolMessageBoxes() { SetMessageBoxes(saved_); }

TMessageResult TToolMessageBoxes::Show(const std::u16string& text, const std::u16string& caption,
                                       TMessageButtons buttons, TMessageIcon, TMessageOwner) {
  std::string body = Utf16ToUtf8(text);
  // The boxes' own line breaks (CR, often doubled) become one blank each.
  std::string line;
  for (char c : body) {
    bool isBreak = c == '\r' || c == '\n';
    if (!isBreak) line += c;
    else if (!line.empty() && line.back() != ' ') line += ' ';
  }
  PrintError("[" + Utf16ToUtf8(caption) + "] " + line);
  return buttons == TMessageButtons::RetryCancel ? TMessageResult::Cancel
         : buttons == TMessageButtons::YesNo || buttons == TMessageButtons::YesNoCancel ? TMessageResult::Yes
                                                                                       : TMessageResult::Ok;
}

void TTerminalStatus::Show(const std::string& utf8Line) {
  if (!enabled_) return;
  std::u16string wide = Utf8ToUtf16(EscapeForTerminal(utf8Line));
  if (wide.size() > kStatusWidth) wide = wide.substr(0, kStatusWidth - 3) + u"...";
  std::string line = Utf16ToUtf8(wide);
  size_t width = wide.size();
  std::string padding(width < shownWidth_ ? shownWidth_ - width : 0, ' ');
  std::fprintf(stdout, "\r%s%s", line.c_str(), padding.c_str());
  std::fflush(stdout);
  shownWidth_ = width;
}

void TTerminalStatus::Finish() {
  if (!enabled_ || shownWidth_ == 0) return;
  std::fprintf(stdout, "\r%s\r", std::string(shownWidth_, ' ').c_str());
  std::fflush(stdout);
  shownWidth_ = 0;
}

}  // namespace tailpack
