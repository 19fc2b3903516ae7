#include "ui/headless/RichTextPlain.h"

#include <cstdlib>
#include <string_view>
#include <vector>

#include "platform/TextCodec.h"

namespace tailpack {

namespace {

// Destinations whose content is not text.
bool IsSkippedDestination(std::string_view word) {
  static constexpr std::string_view kSkipped[] = {"fonttbl", "colortbl", "stylesheet", "info",   "pict",
                                                  "header",  "footer",   "themedata",  "object", "listtable",
                                                  "listoverridetable", "generator", "xmlnstbl"};
  for (std::string_view skipped : kSkipped)
    if (word == skipped) return true;
  return false;
}

struct TGroupState {
  bool Skip = false;
  int UnicodeSkip = 1;  // characters after "\u" that stand in for it
};

}  // namespace

std::u16string RtfToPlainText(const TBytes& rtf) {
  std::u16string text;
  std::string pendingAnsi;  // "\'hh" bytes, converted together so multi-byte code pages work
  auto flushAnsi = [&] {
    if (!pendingAnsi.empty()) text += AnsiToWide(pendingAnsi);
    pendingAnsi.clear();
  };
  std::vector<TGroupState> groups = {TGroupState{}};
  int skipFallback = 0;  // characters still to drop after a "\u" escape
  size_t i = 0;
  const size_t size = rtf.size();
  auto isLetter = [](uint8_t c) { return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z'); };
  while (i < size) {
    uint8_t c = rtf[i];
    TGroupState& group = groups.back();
    if (c == '{') {
      TGroupState inherited = group;
      groups.push_back(inherited);
      ++i;
      continue;
    }
    if (c == '}') {
      if (groups.size() > 1) groups.pop_back();
      ++i;
      continue;
    }
    if (c == '\r' || c == '\n') {
      ++i;
      continue;
    }
    if (c != '\\') {
      if (skipFallback > 0) --skipFallback;
      else if (!group.Skip) pendingAnsi.push_back(static_cast<char>(c));
      ++i;
      continue;
    }
    // A control symbol or control word.
    ++i;
    if (i >= size) break;
    c = rtf[i];
    if (!isLetter(c)) {
      ++i;
      if (c == '\'') {
        if (i + 2 <= size) {
          std::string hex(reinterpret_cast<const char*>(&rtf[i]), 2);
          i += 2;
          char* end = nullptr;
          long value = std::strtol(hex.c_str(), &end, 16);
          if (skipFallback > 0) --skipFallback;
          else if (!group.Skip && end == hex.c_str() + 2) pendingAnsi.push_back(static_cast<char>(value));
        }
      } else if (c == '*') {
        group.Skip = true;
      } else if (c == '\\' || c == '{' || c == '}') {
        if (skipFallback > 0) --skipFallback;
        else if (!group.Skip) pendingAnsi.push_back(static_cast<char>(c));
      } else if (c == '~') {
        if (!group.Skip) pendingAnsi.push_back(static_cast<char>(0xA0));
      }
      continue;
    }
    std::string word;
    while (i < size && isLetter(rtf[i])) word.push_back(static_cast<char>(rtf[i++]));
    bool hasNumber = false;
    bool negative = false;
    long number = 0;
    if (i < size && rtf[i] == '-') {
      negative = true;
      ++i;
    }
    while (i < size && rtf[i] >= '0' && rtf[i] <= '9') {
      hasNumber = true;
      number = number * 10 + (rtf[i++] - '0');
      if (number > 0xFFFFF) number = 0xFFFFF;
    }
    if (negative) number = -number;
    if (i < size && rtf[i] == ' ') ++i;  // the delimiter belongs to the word
    skipFallback = 0;
    if (IsSkippedDestination(word)) {
      group.Skip = true;
    } else if (group.Skip) {
      continue;
    } else if (word == "par" || word == "line" || word == "sect" || word == "page") {
      flushAnsi();
      text.push_back(u'\r');
    } else if (word == "tab") {
      flushAnsi();
      text.push_back(u'\t');
    } else if (word == "uc" && hasNumber) {
      group.UnicodeSkip = static_cast<int>(number);
    } else if (word == "u" && hasNumber) {
      flushAnsi();
      text.push_back(static_cast<char16_t>(number < 0 ? number + 65536 : number));
      skipFallback = group.UnicodeSkip;
    }
  }
  flushAnsi();
  // A document's last paragraph mark ends no line of its own.
  while (!text.empty() && text.back() == u'\r') text.pop_back();
  return text;
}

}  // namespace tailpack
