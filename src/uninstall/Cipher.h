#pragma once
// The digit-key cipher: each byte is shifted by the value of one key digit,
// the key repeating from its first digit. And the seeded cipher of the data
// archives' passwords, which applies it twice with keys derived from the sine
// and cosine of two one-byte seeds. Ciphertext is any byte string, 0x00
// included.

#include <cstdint>
#include <string>
#include <string_view>

namespace tailpack {

std::string EncryptWithDigitKey(std::string_view key, std::string_view text);
std::string DecryptWithDigitKey(std::string_view key, std::string_view text);

class TEncryptionType {
 public:
  virtual ~TEncryptionType() = default;
  virtual std::string Encrypt(std::string_view text) = 0;
  virtual std::string Decrypt(std::string_view text) = 0;
};

class TQuellEncryptionType final : public TEncryptionType {
 public:
  uint8_t SeedA = 27;  // overwritten by every user before use
  uint8_t SeedB = 91;

  // Both return an empty result when a seed derives an empty key (a seed
  // whose sine or cosine text holds no digit 1 to 9): the password is then
  // unreadable, and callers treat it so.
  std::string Encrypt(std::string_view text) override;
  std::string Decrypt(std::string_view text) override;

  // The digits 1 to 9 of the 15-digit text of sin(seed) or cos(seed),
  // computed in extended precision.
  static std::string DeriveSeedKey(uint8_t seed, bool cosine);
  // True when both seeds give a key.
  bool SeedsUsable() const;
};

}  // namespace tailpack
