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

}  // namespace

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
