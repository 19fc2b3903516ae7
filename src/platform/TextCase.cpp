#include "platform/TextCase.h"

#include <algorithm>
#include <utility>
#include <vector>

#include "platform/TextCodec.h"

namespace tailpack {

namespace {

template <typename TString, typename TView, typename TEqual>
TString ReplaceAllWith(TView text, TView pattern, TView replacement, TEqual equal) {
  if (pattern.empty() || text.size() < pattern.size()) return TString(text);
  TString result;
  result.reserve(text.size());
  size_t i = 0;
  while (i < text.size()) {
    bool match = i + pattern.size() <= text.size();
    for (size_t k = 0; match && k < pattern.size(); ++k) match = equal(text[i + k], pattern[k]);
    if (match) {
      result.append(replacement);
      i += pattern.size();
    } else {
      result.push_back(text[i]);
      ++i;
    }
  }
  return result;
}

// The UTF-16 characters whose single-byte ANSI form has another lower-case
// form, sorted, with that form: how wide texts fold by the ANSI rules.
std::vector<std::pair<char16_t, char16_t>> WideFolds() {
  const TAnsiCaseRules& rules = AnsiCaseRules();
  std::vector<std::pair<char16_t, char16_t>> folds;
  for (int b = 1; b < 256; ++b) {
    if (rules.LeadByte[b] || rules.Lower[b] == b) continue;
    std::u16string from = AnsiToWide(std::string(1, static_cast<char>(b)));
    std::u16string to = AnsiToWide(std::string(1, static_cast<char>(rules.Lower[b])));
    if (from.size() == 1 && to.size() == 1 && from != to) folds.emplace_back(from[0], to[0]);
  }
  std::sort(folds.begin(), folds.end());
  return folds;
}

char16_t FoldWide(char16_t c) {
  if (c < 0x80) return c >= u'A' && c <= u'Z' ? static_cast<char16_t>(c + 32) : c;
  static const std::vector<std::pair<char16_t, char16_t>> folds = WideFolds();
  auto found = std::lower_bound(folds.begin(), folds.end(), std::make_pair(c, char16_t{0}));
  return found != folds.end() && found->first == c ? found->second : c;
}

// Maps every character of Text through Map; a double-byte character stays as
// it is.
std::string MapAnsi(std::string_view text, const TAnsiCaseRules& rules, const std::array<uint8_t, 256>& map) {
  std::string result(text);
  for (size_t i = 0; i < result.size(); ++i) {
    auto byte = static_cast<uint8_t>(result[i]);
    if (rules.LeadByte[byte]) {
      ++i;  // its trail byte is no character of its own
      continue;
    }
    result[i] = static_cast<char>(map[byte]);
  }
  return result;
}

}  // namespace

char LowerAnsiChar(char c) { return static_cast<char>(AnsiCaseRules().Lower[static_cast<uint8_t>(c)]); }

char UpperAnsiChar(char c) { return static_cast<char>(AnsiCaseRules().Upper[static_cast<uint8_t>(c)]); }

std::string LowerAnsi(std::string_view text) { return LowerAnsi(text, AnsiCaseRules()); }

std::string UpperAnsi(std::string_view text) { return UpperAnsi(text, AnsiCaseRules()); }

std::string LowerAnsi(std::string_view text, const TAnsiCaseRules& rules) { return MapAnsi(text, rules, rules.Lower); }

std::string UpperAnsi(std::string_view text, const TAnsiCaseRules& rules) { return MapAnsi(text, rules, rules.Upper); }

bool SameTextAnsi(std::string_view a, std::string_view b) { return SameTextAnsi(a, b, AnsiCaseRules()); }

bool SameTextAnsi(std::string_view a, std::string_view b, const TAnsiCaseRules& rules) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i) {
    auto x = static_cast<uint8_t>(a[i]);
    auto y = static_cast<uint8_t>(b[i]);
    if (rules.LeadByte[x]) {
      // A double-byte character matches only itself.
      if (x != y || (i + 1 < a.size() && a[i + 1] != b[i + 1])) return false;
      ++i;
      continue;
    }
    if (rules.Lower[x] != rules.Lower[y]) return false;
  }
  return true;
}

bool StartsWithNoCase(std::string_view text, std::string_view prefix) {
  return text.size() >= prefix.size() && SameTextAnsi(text.substr(0, prefix.size()), prefix);
}

std::string ReplaceAllNoCase(std::string_view text, std::string_view pattern, std::string_view replacement) {
  return ReplaceAllWith<std::string>(text, pattern, replacement,
                                     [](char a, char b) { return LowerAnsiChar(a) == LowerAnsiChar(b); });
}

std::u16string ReplaceAllNoCase(std::u16string_view text, std::u16string_view pattern,
                                std::u16string_view replacement) {
  return ReplaceAllWith<std::u16string>(text, pattern, replacement,
                                        [](char16_t a, char16_t b) { return FoldWide(a) == FoldWide(b); });
}

size_t FindNoCase(std::u16string_view text, std::u16string_view pattern, size_t from) {
  if (pattern.empty() || text.size() < pattern.size()) return std::u16string_view::npos;
  for (size_t i = from; i + pattern.size() <= text.size(); ++i) {
    size_t k = 0;
    while (k < pattern.size() && FoldWide(text[i + k]) == FoldWide(pattern[k])) ++k;
    if (k == pattern.size()) return i;
  }
  return std::u16string_view::npos;
}

}  // namespace tailpack
