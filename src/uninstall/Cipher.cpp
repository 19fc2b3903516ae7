#include "uninstall/Cipher.h"

#include <cmath>

#include "base/Numbers.h"

namespace tailpack {

namespace {

uint8_t Digit(char c) { return static_cast<uint8_t>(c - '0'); }

// Shifts every byte by the key's digits; Direction is +1 or -1.
std::string Shift(std::string_view key, std::string_view text, int direction) {
  std::string result(text);
  if (key.empty()) return result;
  size_t k = 0;
  for (char& c : result) {
    c = static_cast<char>(static_cast<uint8_t>(c) + direction * Digit(key[k]));
    if (++k == key.size()) k = 0;
  }
  return result;
}

}  // namespace

std::string EncryptWithDigitKey(std::string_view key, std::string_view text) { return Shift(key, text, +1); }
std::string DecryptWithDigitKey(std::string_view key, std::string_view text) { return Shift(key, text, -1); }

std::string TQuellEncryptionType::DeriveSeedKey(uint8_t seed, bool cosine) {
  // The sine and cosine must be taken in 80-bit precision: in double a few
  // seeds round to another 15th digit and give a different key.
  long double value = cosine ? std::cos(static_cast<long double>(seed)) : std::sin(static_cast<long double>(seed));
  std::string key;
  for (char c : FloatToDotText(value))
    if (c >= '1' && c <= '9') key.push_back(c);
  return key;
}

bool TQuellEncryptionType::SeedsUsable() const {
  return !DeriveSeedKey(SeedA, false).empty() && !DeriveSeedKey(SeedB, true).empty();
}

std::string TQuellEncryptionType::Encrypt(std::string_view text) {
  std::string first = DeriveSeedKey(SeedA, false);
  std::string second = DeriveSeedKey(SeedB, true);
  if (first.empty() || second.empty()) return {};
  std::string forward = EncryptWithDigitKey(first, text);
  std::string reversed(forward.rbegin(), forward.rend());
  return EncryptWithDigitKey(second, reversed);
}

std::string TQuellEncryptionType::Decrypt(std::string_view text) {
  std::string first = DeriveSeedKey(SeedA, false);
  std::string second = DeriveSeedKey(SeedB, true);
  if (first.empty() || second.empty()) return {};
  std::string reversed = DecryptWithDigitKey(second, text);
  std::string forward(reversed.rbegin(), reversed.rend());
  return DecryptWithDigitKey(first, forward);
}

}  // namespace tailpack
