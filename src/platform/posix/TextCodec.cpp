#include "platform/TextCodec.h"

#include <cstdint>

namespace tailpack {

namespace {

// Windows-1252 bytes 0x80 to 0x9F; the five unassigned bytes map to the C1
// control of the same number, as Windows does.
constexpr char16_t kHighControls[32] = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,
    0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0x008D, 0x017D, 0x008F,
    0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,
    0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};

char ToAnsi(char16_t c) {
  if (c < 0x80 || (c >= 0xA0 && c <= 0xFF)) return static_cast<char>(c);
  for (int i = 0; i < 32; ++i)
    if (kHighControls[i] == c) return static_cast<char>(0x80 + i);
  return '?';
}

// Windows-1252 letters outside ASCII beyond the Latin-1 block: upper-case
// forms and their lower-case forms.
struct TCasePair {
  uint8_t Upper;
  uint8_t Lower;
};
constexpr TCasePair kExtraCasePairs[] = {
    {0x8A, 0x9A},  // S with caron
    {0x8C, 0x9C},  // OE ligature
    {0x8E, 0x9E},  // Z with caron
    {0x9F, 0xFF},  // Y with diaeresis
};

TAnsiCaseRules Windows1252CaseRules() {
  TAnsiCaseRules rules;
  for (int b = 0; b < 256; ++b) rules.Lower[b] = rules.Upper[b] = static_cast<uint8_t>(b);
  for (int b = 'A'; b <= 'Z'; ++b) {
    rules.Lower[b] = static_cast<uint8_t>(b + 32);
    rules.Upper[b + 32] = static_cast<uint8_t>(b);
  }
  // The Latin-1 letters, except the multiplication and division signs.
  for (int b = 0xC0; b <= 0xDE; ++b) {
    if (b == 0xD7) continue;
    rules.Lower[b] = static_cast<uint8_t>(b + 32);
    rules.Upper[b + 32] = static_cast<uint8_t>(b);
  }
  for (const TCasePair& pair : kExtraCasePairs) {
    rules.Lower[pair.Upper] = pair.Lower;
    rules.Upper[pair.Lower] = pair.Upper;
  }
  return rules;
}

}  // namespace

const TAnsiCaseRules& AnsiCaseRules() {
  static const TAnsiCaseRules rules = Windows1252CaseRules();
  return rules;
}

std::u16string AnsiToWide(std::string_view text) {
  std::u16string result;
  result.reserve(text.size());
  for (char c : text) {
    auto byte = static_cast<uint8_t>(c);
    result.push_back(byte >= 0x80 && byte < 0xA0 ? kHighControls[byte - 0x80] : static_cast<char16_t>(byte));
  }
  return result;
}

std::string WideToAnsi(std::u16string_view text) {
  std::string result;
  result.reserve(text.size());
  for (size_t i = 0; i < text.size(); ++i) {
    // A character beyond the first plane is one character, so one "?", as
    // Windows converts it.
    bool pair = text[i] >= 0xD800 && text[i] <= 0xDBFF && i + 1 < text.size() && text[i + 1] >= 0xDC00 &&
                text[i + 1] <= 0xDFFF;
    if (pair) ++i;
    result.push_back(pair ? '?' : ToAnsi(text[i]));
  }
  return result;
}

}  // namespace tailpack
