#include "i18n/Languages.h"

#include "base/Errors.h"
#include "base/Numbers.h"
#include "base/Text.h"
#include "i18n/UnicodeStringList.h"
#include "platform/TextCase.h"
#include "platform/TextCodec.h"

namespace tailpack {

namespace {

// How deep "<LANGn>" tags inside language strings are expanded.
constexpr int kMaxTranslateDepth = 8;
// What one text may grow to, and how many tags it may expand, however its
// strings refer to each other: within the depth limit sixteen tags that name
// a string of sixteen tags would otherwise make billions of characters.
constexpr size_t kMaxTranslatedLength = 4 * 1024 * 1024;  // characters
constexpr size_t kMaxTranslatedTags = 1 << 20;

std::vector<uint16_t> ParseLangIDs(const std::u16string& line) {
  std::vector<uint16_t> ids;
  size_t semicolon = line.find(u';');
  if (semicolon == std::u16string::npos) {
    ids.push_back(static_cast<uint16_t>(StrToInt(u"$" + line)));
    return ids;
  }
  size_t start = 0;
  while (semicolon != std::u16string::npos) {
    ids.push_back(static_cast<uint16_t>(StrToInt(u"$" + line.substr(start, semicolon - start))));
    start = semicolon + 1;
    semicolon = line.find(u';', start);
  }
  // Every identifier must be followed by ";": "0409;0809" is refused.
  if (start != line.size()) throw EConversionError("'" + WideToAnsi(line) + "' is not a valid language identifier list");
  return ids;
}

TLID ParseStringLine(const std::u16string& rawLine) {
  std::u16string line = Trim(rawLine);
  size_t tokenEnd = 0;
  bool quoted = false;
  while (tokenEnd < line.size()) {
    char16_t c = line[tokenEnd];
    if (c == u'"') quoted = !quoted;
    else if (!quoted && (c == u' ' || c == u'\t')) break;
    ++tokenEnd;
  }
  std::u16string token;
  for (char16_t c : line.substr(0, tokenEnd))
    if (c != u'"') token.push_back(c);
  TLID entry;
  entry.Number = static_cast<uint16_t>(StrToInt(token));
  size_t textStart = tokenEnd;
  while (textStart < line.size() && (line[textStart] == u' ' || line[textStart] == u'\t')) ++textStart;
  entry.Text = line.substr(textStart);
  return entry;
}

}  // namespace

void TLanguages::Add(const uint8_t* data, uint32_t size) {
  languages_.emplace_back();
  TLanguage& language = languages_.back();
  TUnicodeStringList lines;
  lines.LoadFromBuffer(data, size);
  language.Name = lines.Get(0);
  language.LangIDs = ParseLangIDs(lines.Get(1));
  for (size_t i = 2; i < lines.Count(); ++i) language.Strings.push_back(ParseStringLine(lines.Get(i)));
}

int TLanguages::FindByLangID(uint16_t langId) const {
  for (size_t i = 0; i < languages_.size(); ++i)
    for (uint16_t id : languages_[i].LangIDs)
      if (id == langId) return static_cast<int>(i);
  return -1;
}

std::u16string TLanguages::GetString(uint16_t number) const {
  if (Current >= 0 && static_cast<size_t>(Current) < languages_.size())
    for (const TLID& entry : languages_[static_cast<size_t>(Current)].Strings)
      if (entry.Number == number) return entry.Text;
  return Wide("NOT FOUND " + std::to_string(number));
}

std::u16string TLanguages::Translate(const std::u16string& text) const {
  if (Current > static_cast<int>(languages_.size()) - 1) return text;
  TTranslation translation;
  TranslateInto(text, 0, translation);
  return std::move(translation.Result);
}

void TLanguages::TranslateInto(const std::u16string& text, int depth, TTranslation& translation) const {
  static const std::u16string kTag = u"<LANG";
  size_t position = 0;
  for (;;) {
    size_t tag = text.find(kTag, position);
    if (tag == std::u16string::npos) break;
    size_t close = text.find(u'>', tag + kTag.size());
    if (close == std::u16string::npos) throw EConversionError("language tag without \">\"");
    auto number = static_cast<uint16_t>(StrToInt(text.substr(tag + kTag.size(), close - tag - kTag.size())));
    Append(translation, std::u16string_view(text).substr(position, tag - position));
    if (++translation.Tags > kMaxTranslatedTags)
      throw ETextTooLarge("A language text refers to more than " + std::to_string(kMaxTranslatedTags) +
                          " strings; its language entry is damaged");
    std::u16string replacement = GetString(number);
    if (depth < kMaxTranslateDepth) TranslateInto(replacement, depth + 1, translation);
    else Append(translation, replacement);
    position = close + 1;
  }
  Append(translation, std::u16string_view(text).substr(position));
}

void TLanguages::Append(TTranslation& translation, std::u16string_view piece) {
  if (translation.Result.size() + piece.size() > kMaxTranslatedLength)
    throw ETextTooLarge("A language text grows beyond " + std::to_string(kMaxTranslatedLength) +
                        " characters when its tags are expanded; its language entry is damaged");
  translation.Result.append(piece);
}

std::u16string TLanguages::ReplaceText(const std::u16string& text, const std::u16string& search,
                                       const std::u16string& replacement) {
  return ReplaceAllNoCase(text, search, replacement);
}

void TLanguageStrings::Add(const std::string& name, const std::string* value) {
  tags_.push_back(TLanguageString{LowerAnsi(name), value});
}

std::u16string TLanguageStrings::ApplyTextTags(const std::u16string& text) const {
  std::u16string result = text;
  for (const TLanguageString& tag : tags_)
    result = ReplaceAllNoCase(result, AnsiToWide(tag.Name), tag.Value ? AnsiToWide(*tag.Value) : std::u16string());
  return result;
}

std::u16string DisplayText(const TLanguages& languages, const TLanguageStrings& tags, const std::u16string& text) {
  std::u16string translated = languages.Translate(text);
  translated = TLanguages::ReplaceText(translated, u"<BR>", u"\r");
  return tags.ApplyTextTags(translated);
}

}  // namespace tailpack
