// A "LANGUAGE-" entry: parsing, then what the wizard does with a language:
// string look-ups and "<LANGn>" translation of the language's own texts.

#include <cstdint>

#include "FuzzSupport.h"
#include "FuzzTargets.h"
#include "base/Errors.h"
#include "i18n/Languages.h"

namespace tailpack::fuzz {

int ReadLanguage(const uint8_t* data, size_t size) {
  TLanguages languages;
  try {
    languages.Add(data, static_cast<uint32_t>(size));
  } catch (const ETailpackError&) {
    // A malformed entry ends start-up in the error report; what was read stays.
  }
  languages.Current = 0;
  TLanguageStrings tags;
  std::string title = "Title";
  tags.Add("<%SETUPTITLE%>", &title);
  if (languages.LanguageList().empty()) return 0;
  const TLanguage& language = languages.LanguageList().front();
  languages.FindByLangID(language.LangIDs.empty() ? 0x0409 : language.LangIDs.front());
  languages.GetString(7);
  for (size_t i = 0; i < language.Strings.size() && i < 16; ++i) {
    try {
      DisplayText(languages, tags, language.Strings[i].Text);
    } catch (const ETailpackError&) {
      // A tag without its ">" or number is a conversion error of the caller.
    }
  }
  return 0;
}

}  // namespace tailpack::fuzz
