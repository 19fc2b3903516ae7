#include "uninstall/Cipher.h"

#include <gtest/gtest.h>

#include "uninstall/CipherKeys.h"

namespace tailpack {
namespace {

TEST(DigitKeyCipher, ShiftsByEachDigitAndWraps) {
  EXPECT_EQ(EncryptWithDigitKey("3", "\xFF"), "\x02");
  EXPECT_EQ(DecryptWithDigitKey("3", "\x02"), "\xFF");
  EXPECT_EQ(EncryptWithDigitKey("0", "abc"), "abc");
  // A two-digit key: the first and third bytes take the first digit.
  EXPECT_EQ(EncryptWithDigitKey("12", std::string("\0\0\0", 3)), std::string("\1\2\1", 3));
  EXPECT_EQ(EncryptWithDigitKey("123", ""), "");
}

TEST(DigitKeyCipher, ReusesTheKeyAfterItsLastDigit) {
  std::string text(245, '\0');
  std::string enciphered = EncryptWithDigitKey(kUninstallLogKey, text);
  EXPECT_EQ(static_cast<uint8_t>(enciphered[244]), kUninstallLogKey[0] - '0');
  EXPECT_EQ(static_cast<uint8_t>(enciphered[243]), kUninstallLogKey[243] - '0');
}

TEST(DigitKeyCipher, RoundTripsEveryByte) {
  std::string all;
  for (int i = 0; i < 256; ++i) all.push_back(static_cast<char>(i));
  all += all;
  for (auto key : {kUninstallLogKey, kArchiveUpdateKey}) EXPECT_EQ(DecryptWithDigitKey(key, EncryptWithDigitKey(key, all)), all);
}

TEST(SeededCipher, DerivesKeysFromExtendedPrecisionSineAndCosine) {
  // In double precision these seeds would round to another 15th digit.
  struct TCase {
    uint8_t Seed;
    bool Cosine;
    const char* Key;
  } cases[] = {
      {91, true, "9943674692822"},    // -0.994367460928202
      {114, false, "78498388681311"},  // 0.784980388681311
      {142, false, "587795716746"},   // -0.587795007167406
      {218, false, "94252452732942"},   // -0.942524527329402
      {1, false, "8414798487897"},     // 0.841470984807897
      {0, true, "1"},                  // 1.0
      {0, false, ""},                  // 0.0 holds no digit 1 to 9
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.Seed);
    EXPECT_EQ(TQuellEncryptionType::DeriveSeedKey(c.Seed, c.Cosine), c.Key);
  }
}

TEST(SeededCipher, SecondPassReversesTheBytes) {
  TQuellEncryptionType cipher;
  cipher.SeedA = 1;
  cipher.SeedB = 0;  // cos(0) = 1: the second key is "1"
  std::string first = EncryptWithDigitKey(TQuellEncryptionType::DeriveSeedKey(1, false), "ab");
  std::string result = cipher.Encrypt("ab");
  ASSERT_EQ(result.size(), 2u);
  EXPECT_EQ(result[0], static_cast<char>(first[1] + 1));
  EXPECT_EQ(result[1], static_cast<char>(first[0] + 1));
}

TEST(SeededCipher, RoundTripsForEverySeedPair) {
  std::string text("pass\0word\xFF", 10);
  TQuellEncryptionType cipher;
  for (int a = 0; a < 256; a += 5) {
    for (int b = 0; b < 256; b += 7) {
      cipher.SeedA = static_cast<uint8_t>(a);
      cipher.SeedB = static_cast<uint8_t>(b);
      if (!cipher.SeedsUsable()) {
        EXPECT_EQ(cipher.Encrypt(text), "");  // unreadable, never a crash
        continue;
      }
      ASSERT_EQ(cipher.Decrypt(cipher.Encrypt(text)), text) << a << "," << b;
    }
  }
  EXPECT_EQ(cipher.Encrypt(""), "");
}

}  // namespace
}  // namespace tailpack
