#pragma once
// Numbers as texts: integer parsing with the runtime's rules, the float text
// of the cipher and the size texts of the wizard. The decimal separator is "."
// everywhere, whatever the user's locale.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace tailpack {

// Decimal, or hexadecimal after "$" or "0x"; an optional sign; leading blanks
// allowed; nothing may follow. Nothing when the text is not such a number or
// does not fit 32 bits.
std::optional<int32_t> ParseInteger(std::string_view text);
std::optional<int32_t> ParseInteger(std::u16string_view text);
// As ParseInteger, raising EConversionError for a text that is not a number.
int32_t StrToInt(std::string_view text);
int32_t StrToInt(std::u16string_view text);
// The decimal value, or -1 when the text is not a valid integer.
int32_t StrToIntOrMinus1(std::string_view text);

// A value in general format with 15 significant digits and "." as separator:
// fixed notation from 0.00001 up to 15 integer digits, otherwise scientific
// ("1.5E-7", "1E20"); ".0" is appended when the result has no ".".
std::string FloatToDotText(long double value);

// A byte count as "500.00 Bytes", "2.00 KB", "1.50 GB" (never beyond GB).
std::string FormatSize(uint64_t bytes);

}  // namespace tailpack
