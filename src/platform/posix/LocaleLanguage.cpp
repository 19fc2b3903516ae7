#include "platform/posix/LocaleLanguage.h"

#include <cstdlib>
#include <string>

#include "base/Text.h"
#include "platform/TextCase.h"

namespace tailpack::posix {

namespace {

struct TLocaleId {
  const char* Locale;
  uint16_t Id;
};

// The first row of each language is its main country.
constexpr TLocaleId kLocales[] = {
    {"en_US", 0x0409}, {"en_GB", 0x0809}, {"en_AU", 0x0C09}, {"en_CA", 0x1009}, {"en_NZ", 0x1409},
    {"en_IE", 0x1809}, {"en_ZA", 0x1C09},
    {"de_DE", 0x0407}, {"de_CH", 0x0807}, {"de_AT", 0x0C07}, {"de_LU", 0x1007},
    {"fr_FR", 0x040C}, {"fr_BE", 0x080C}, {"fr_CA", 0x0C0C}, {"fr_CH", 0x100C},
    {"es_ES", 0x0C0A}, {"es_MX", 0x080A}, {"es_AR", 0x2C0A},
    {"it_IT", 0x0410}, {"it_CH", 0x0810},
    {"nl_NL", 0x0413}, {"nl_BE", 0x0813},
    {"pt_BR", 0x0416}, {"pt_PT", 0x0816},
    {"ru_RU", 0x0419}, {"pl_PL", 0x0415}, {"ja_JP", 0x0411},
    {"zh_CN", 0x0804}, {"zh_TW", 0x0404}, {"zh_HK", 0x0C04}, {"zh_SG", 0x1004},
    {"ko_KR", 0x0412}, {"cs_CZ", 0x0405}, {"da_DK", 0x0406}, {"el_GR", 0x0408},
    {"fi_FI", 0x040B}, {"hu_HU", 0x040E}, {"nb_NO", 0x0414}, {"no_NO", 0x0414}, {"nn_NO", 0x0814},
    {"sv_SE", 0x041D}, {"sv_FI", 0x081D}, {"tr_TR", 0x041F}, {"uk_UA", 0x0422},
    {"bg_BG", 0x0402}, {"ro_RO", 0x0418}, {"hr_HR", 0x041A}, {"sk_SK", 0x041B},
    {"sl_SI", 0x0424}, {"et_EE", 0x0425}, {"lv_LV", 0x0426}, {"lt_LT", 0x0427},
    {"he_IL", 0x040D}, {"ar_SA", 0x0401}, {"th_TH", 0x041E}, {"vi_VN", 0x042A},
    {"id_ID", 0x0421}, {"hi_IN", 0x0439}, {"ca_ES", 0x0403},
};

constexpr uint16_t kUsEnglish = 0x0409;

std::optional<uint16_t> ParseHexId(std::string_view text) {
  std::string trimmed = Trim(text);
  std::string_view digits = trimmed;
  if (digits.size() > 2 && digits[0] == '0' && (digits[1] == 'x' || digits[1] == 'X')) digits.remove_prefix(2);
  if (digits.empty() || digits.size() > 4) return std::nullopt;
  uint32_t value = 0;
  for (char c : digits) {
    int nibble = c >= '0' && c <= '9' ? c - '0' : c >= 'a' && c <= 'f' ? c - 'a' + 10
               : c >= 'A' && c <= 'F' ? c - 'A' + 10 : -1;
    if (nibble < 0) return std::nullopt;
    value = value * 16 + static_cast<uint32_t>(nibble);
  }
  if (value == 0) return std::nullopt;
  return static_cast<uint16_t>(value);
}

}  // namespace

std::optional<uint16_t> LanguageIdFromLocale(std::string_view locale) {
  // "ll_CC.codeset@modifier": only the language and country matter.
  std::string_view name = locale.substr(0, locale.find_first_of(".@"));
  if (name == "C" || name == "POSIX") return kUsEnglish;
  size_t separator = name.find_first_of("_-");
  std::string language = LowerAnsi(name.substr(0, separator));
  std::string country = separator == std::string_view::npos ? "" : UpperAnsi(name.substr(separator + 1));
  if (language.empty()) return std::nullopt;
  std::optional<uint16_t> languageOnly;
  for (const TLocaleId& row : kLocales) {
    std::string_view rowName = row.Locale;
    if (rowName.substr(0, 2) != language) continue;
    if (!country.empty() && rowName.substr(3) == country) return row.Id;
    if (!languageOnly) languageOnly = row.Id;
  }
  return languageOnly;
}

uint16_t LanguageIdFromEnvironment() {
  if (const char* explicitId = std::getenv("TAILPACK_LANGID"); explicitId && *explicitId)
    if (auto id = ParseHexId(explicitId)) return *id;
  for (const char* variable : {"LC_ALL", "LC_MESSAGES", "LANG"}) {
    const char* value = std::getenv(variable);
    if (value && *value) return LanguageIdFromLocale(value).value_or(kUsEnglish);
  }
  return kUsEnglish;
}

}  // namespace tailpack::posix
