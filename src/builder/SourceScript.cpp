#include "builder/SourceScript.h"

#include "base/Text.h"
#include "platform/TextCase.h"
#include "platform/TextCodec.h"

namespace tailpack {

namespace {

bool IsValidUtf8(const TBytes& bytes) {
  size_t i = 0;
  while (i < bytes.size()) {
    uint8_t b = bytes[i];
    size_t length = b < 0x80 ? 1 : (b & 0xE0) == 0xC0 ? 2 : (b & 0xF0) == 0xE0 ? 3 : (b & 0xF8) == 0xF0 ? 4 : 0;
    if (length == 0 || i + length > bytes.size()) return false;
    for (size_t k = 1; k < length; ++k)
      if ((bytes[i + k] & 0xC0) != 0x80) return false;
    i += length;
  }
  return true;
}

std::string ToAnsi(const TBytes& bytes) {
  size_t start = bytes.size() >= 3 && bytes[0] == 0xEF && bytes[1] == 0xBB && bytes[2] == 0xBF ? 3 : 0;
  TBytes body(bytes.begin() + static_cast<std::ptrdiff_t>(start), bytes.end());
  std::string raw(body.begin(), body.end());
  if (!IsValidUtf8(body)) return raw;
  return WideToAnsi(Utf8ToUtf16(raw));
}

bool IsBlank(char c) { return c == ' ' || c == '\t'; }

// Splits one line into words; false with a message for an open quote.
bool SplitWords(const std::string& line, std::vector<std::string>& words, std::string& error) {
  size_t i = 0;
  while (i < line.size()) {
    while (i < line.size() && IsBlank(line[i])) ++i;
    if (i == line.size()) break;
    std::string word;
    if (line[i] == '"') {
      ++i;
      bool closed = false;
      while (i < line.size()) {
        if (line[i] == '"') {
          if (i + 1 < line.size() && line[i + 1] == '"') {
            word += '"';
            i += 2;
            continue;
          }
          closed = true;
          ++i;
          break;
        }
        word += line[i++];
      }
      if (!closed) {
        error = "a double quote is not closed";
        return false;
      }
      if (i < line.size() && !IsBlank(line[i])) {
        error = "a quoted parameter must be followed by a blank";
        return false;
      }
    } else {
      while (i < line.size() && !IsBlank(line[i])) word += line[i++];
    }
    words.push_back(word);
  }
  return true;
}

}  // namespace

TSourceScript ParseSourceScript(const TBytes& text) {
  TSourceScript script;
  std::string all = ToAnsi(text);
  int lineNumber = 0;
  size_t start = 0;
  while (start <= all.size()) {
    size_t end = all.find('\n', start);
    if (end == std::string::npos) end = all.size();
    std::string line = all.substr(start, end - start);
    start = end + 1;
    ++lineNumber;
    if (!line.empty() && line.back() == '\r') line.pop_back();
    std::string trimmed = Trim(line);
    if (trimmed.empty() || trimmed[0] == ';' || trimmed[0] == '#') continue;

    std::vector<std::string> words;
    std::string error;
    if (!SplitWords(trimmed, words, error)) {
      script.Errors.push_back(TSourceError{lineNumber, error});
      continue;
    }
    TSourceLine source;
    source.LineNumber = lineNumber;
    if (words.size() == 1 && words[0].size() > 1 && words[0].back() == ':' && trimmed[0] != '"') {
      source.IsLabel = true;
      source.Keyword = words[0].substr(0, words[0].size() - 1);
    } else {
      source.Keyword = LowerAnsi(words[0]);
      source.Params.assign(words.begin() + 1, words.end());
    }
    script.Lines.push_back(std::move(source));
  }
  return script;
}

}  // namespace tailpack
