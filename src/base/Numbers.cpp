#include "base/Numbers.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>

#include "base/Errors.h"

namespace tailpack {

namespace {

template <typename TChar>
std::optional<int32_t> ParseIntegerOf(std::basic_string_view<TChar> text) {
  size_t i = 0;
  while (i < text.size() && (text[i] == ' ' || text[i] == '\t')) ++i;
  bool negative = false;
  if (i < text.size() && (text[i] == '+' || text[i] == '-')) {
    negative = text[i] == '-';
    ++i;
  }
  int base = 10;
  if (i < text.size() && text[i] == '$') {
    base = 16;
    ++i;
  } else if (i + 1 < text.size() && text[i] == '0' && (text[i + 1] == 'x' || text[i + 1] == 'X')) {
    base = 16;
    i += 2;
  }
  if (i == text.size()) return std::nullopt;
  uint64_t value = 0;
  for (; i < text.size(); ++i) {
    auto c = static_cast<uint32_t>(text[i]);
    int digit;
    if (c >= '0' && c <= '9') digit = static_cast<int>(c - '0');
    else if (base == 16 && c >= 'a' && c <= 'f') digit = static_cast<int>(c - 'a' + 10);
    else if (base == 16 && c >= 'A' && c <= 'F') digit = static_cast<int>(c - 'A' + 10);
    else return std::nullopt;
    value = value * static_cast<uint64_t>(base) + static_cast<uint64_t>(digit);
    if (value > 0xFFFFFFFFull) return std::nullopt;
  }
  if (base == 16) {
    // Hexadecimal covers the full 32 bits: $FFFFFFFF is -1.
    auto bits = static_cast<uint32_t>(value);
    if (negative) bits = 0u - bits;
    return static_cast<int32_t>(bits);
  }
  if (negative) {
    if (value > 0x80000000ull) return std::nullopt;
    return static_cast<int32_t>(-static_cast<int64_t>(value));
  }
  if (value > 0x7FFFFFFFull) return std::nullopt;
  return static_cast<int32_t>(value);
}

[[noreturn]] void ThrowNotAnInteger(const std::string& text) {
  throw EConversionError("'" + text + "' is not a valid integer value");
}

}  // namespace

std::optional<int32_t> ParseInteger(std::string_view text) { return ParseIntegerOf(text); }
std::optional<int32_t> ParseInteger(std::u16string_view text) { return ParseIntegerOf(text); }

int32_t StrToInt(std::string_view text) {
  auto value = ParseInteger(text);
  if (!value) ThrowNotAnInteger(std::string(text));
  return *value;
}

int32_t StrToInt(std::u16string_view text) {
  auto value = ParseInteger(text);
  if (!value) {
    std::string narrow;
    for (char16_t c : text) narrow.push_back(c < 0x80 ? static_cast<char>(c) : '?');
    ThrowNotAnInteger(narrow);
  }
  return *value;
}

int32_t StrToIntOrMinus1(std::string_view text) { return ParseInteger(text).value_or(-1); }

std::string FloatToDotText(long double value) {
  if (value == 0) return "0.0";
  // 15 significant digits: one before the point and 14 after, in exponent form.
  char buffer[64];
  std::snprintf(buffer, sizeof buffer, "%.14Le", value);
  std::string text(buffer);
  bool negative = text[0] == '-';
  if (negative) text.erase(0, 1);
  size_t exponentAt = text.find('e');
  int exponent = std::atoi(text.c_str() + exponentAt + 1);
  std::string digits = text.substr(0, 1) + text.substr(2, exponentAt - 2);
  while (digits.size() > 1 && digits.back() == '0') digits.pop_back();

  std::string result;
  if (exponent >= 15 || exponent < -5) {
    result = digits.substr(0, 1);
    if (digits.size() > 1) result += "." + digits.substr(1);
    result += "E" + std::to_string(exponent);
  } else if (exponent >= 0) {
    auto integerDigits = static_cast<size_t>(exponent) + 1;
    if (digits.size() <= integerDigits) {
      result = digits + std::string(integerDigits - digits.size(), '0');
    } else {
      result = digits.substr(0, integerDigits) + "." + digits.substr(integerDigits);
    }
  } else {
    result = "0." + std::string(static_cast<size_t>(-exponent - 1), '0') + digits;
  }
  if (negative) result.insert(0, "-");
  if (result.find('.') == std::string::npos) result += ".0";
  return result;
}

std::string FormatSize(uint64_t bytes) {
  static const char* const kUnits[] = {"Bytes", "KB", "MB", "GB"};
  long double value = static_cast<long double>(bytes);
  int unit = 0;
  long double whole;
  do {
    value /= 1024;
    whole = std::trunc(value);
    if (whole > 0) ++unit;
  } while (whole != 0 && unit < 3);
  if (whole == 0) value *= 1024;
  // Seven significant digits first, then two decimals.
  char rounded[64];
  std::snprintf(rounded, sizeof rounded, "%.6Le", value);
  value = std::strtold(rounded, nullptr);
  char buffer[64];
  std::snprintf(buffer, sizeof buffer, "%.2Lf %s", value, kUnits[unit]);
  return buffer;
}

}  // namespace tailpack
