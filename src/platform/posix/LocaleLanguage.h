#pragma once
// The Windows language identifier (LANGID) that stands for a POSIX locale.

#include <cstdint>
#include <optional>
#include <string_view>

namespace tailpack::posix {

// The identifier of a locale name such as "de_DE.UTF-8", "pt_BR" or "fr";
// "C" and "POSIX" are US English. A language known without its country gives
// the identifier of its main country. Nothing for names the table lacks.
std::optional<uint16_t> LanguageIdFromLocale(std::string_view locale);

// The system's language: TAILPACK_LANGID (hexadecimal, "0407") when it holds
// a valid identifier, else the first of LC_ALL, LC_MESSAGES and LANG that is
// set, through the table; US English (0409) when nothing gives an answer.
uint16_t LanguageIdFromEnvironment();

}  // namespace tailpack::posix
