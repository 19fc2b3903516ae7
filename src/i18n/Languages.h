#pragma once
// The languages of a setup: each "LANGUAGE-" entry gives a display name, the
// Windows language identifiers it serves and numbered strings. Texts refer to
// strings with tags such as "<LANG7>".

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "i18n/StringIds.h"

namespace tailpack {

struct TLID {
  uint16_t Number = 0;
  std::u16string Text;
};

struct TLanguage {
  std::u16string Name = u"Untitled";
  std::vector<uint16_t> LangIDs;
  std::vector<TLID> Strings;
};

class TLanguages {
 public:
  // Appends a language and parses the entry into it. A malformed entry
  // raises EConversionError (a bad identifier list, a blank string line, a
  // number that is not one) or EListIndexError (fewer than two lines); the
  // language stays in the list as far as it was read.
  void Add(const uint8_t* data, uint32_t size);
  // The first language serving exactly this identifier, or -1.
  int FindByLangID(uint16_t langId) const;
  // The current language's string, or "NOT FOUND " and the number.
  std::u16string GetString(uint16_t number) const;
  std::u16string GetString(TStringId id) const { return GetString(static_cast<uint16_t>(id)); }
  // Replaces every "<LANGn>" tag by string n; tags inside those strings are
  // expanded in turn, to a limited depth so a string naming itself ends. A
  // text that would grow beyond 4 Mi characters or expand more than 2^20 tags
  // raises ETextTooLarge instead of exhausting memory or time.
  std::u16string Translate(const std::u16string& text) const;
  // Case-insensitive replace-all.
  static std::u16string ReplaceText(const std::u16string& text, const std::u16string& search,
                                    const std::u16string& replacement);

  const std::vector<TLanguage>& LanguageList() const { return languages_; }
  int Current = -1;

 private:
  // The text being built and the tags expanded so far, shared by every depth.
  struct TTranslation {
    std::u16string Result;
    size_t Tags = 0;
  };
  void TranslateInto(const std::u16string& text, int depth, TTranslation& translation) const;
  static void Append(TTranslation& translation, std::u16string_view piece);
  std::vector<TLanguage> languages_;
};

// One text tag bound to a string variable owned elsewhere; the variable's
// value at the time of replacement is used.
struct TLanguageString {
  std::string Name;  // lower case
  const std::string* Value = nullptr;
};

class TLanguageStrings {
 public:
  void Add(const std::string& name, const std::string* value);
  std::u16string ApplyTextTags(const std::u16string& text) const;
  const std::vector<TLanguageString>& Tags() const { return tags_; }

 private:
  std::vector<TLanguageString> tags_;
};

// What every caption or label shows: language tags translated, "<BR>" turned
// into a line break, then text tags filled in.
std::u16string DisplayText(const TLanguages& languages, const TLanguageStrings& tags, const std::u16string& text);

}  // namespace tailpack
