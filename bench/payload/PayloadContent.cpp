#include "payload/PayloadContent.h"

#include <algorithm>
#include <cstring>

namespace tailpack {

namespace {

constexpr uint64_t kGolden = 0x9E3779B97F4A7C15ull;

uint64_t Mix(uint64_t value) {
  value = (value ^ (value >> 30)) * 0xBF58476D1CE4E5B9ull;
  value = (value ^ (value >> 27)) * 0x94D049BB133111EBull;
  return value ^ (value >> 31);
}

constexpr size_t kVocabularySize = 4096;
const char* const kSyllables[] = {"ka", "lo", "mi", "ne", "ru", "sa", "ti", "vo", "an", "el", "or", "is",
                                  "ber", "con", "dal", "fen", "gar", "hol", "jun", "mar", "pel", "ston",
                                  "tra", "ve", "wil", "xe", "yo", "zu", "th", "ing", "er", "ed"};
constexpr uint64_t kSyllableCount = sizeof(kSyllables) / sizeof(kSyllables[0]);

}  // namespace

TRandom::TRandom(uint64_t seed, uint64_t stream, uint64_t index)
    : state_(Mix(Mix(seed * kGolden + stream) + index * kGolden)) {}

uint64_t TRandom::Next() {
  state_ += kGolden;
  return Mix(state_);
}

uint64_t TRandom::Below(uint64_t bound) {
  // The high half of a 64x64 product: even and deterministic, no modulo bias worth the name.
  return static_cast<uint64_t>((static_cast<unsigned __int128>(Next()) * bound) >> 64);
}

std::string NoiseBytes(TRandom& random, size_t size) {
  std::string bytes(size, '\0');
  for (size_t at = 0; at < size; at += 8) {
    uint64_t value = random.Next();
    unsigned char little[8];
    for (int i = 0; i < 8; ++i) little[i] = static_cast<unsigned char>(value >> (8 * i));
    std::memcpy(bytes.data() + at, little, std::min<size_t>(8, size - at));
  }
  return bytes;
}

TTextMaker::TTextMaker(uint64_t seed) {
  TRandom random(seed, 0, 0);
  words_.reserve(kVocabularySize);
  for (size_t i = 0; i < kVocabularySize; ++i) {
    std::string word;
    const uint64_t syllables = 1 + random.Below(4);
    for (uint64_t s = 0; s < syllables; ++s) word += kSyllables[random.Below(kSyllableCount)];
    words_.push_back(word);
  }
}

std::string TTextMaker::Make(TRandom& random, size_t size) const {
  std::string text;
  text.reserve(size + 64);
  size_t lineLength = 0;
  bool sentenceStart = true;
  while (text.size() < size) {
    // The smaller of two draws favours the front of the vocabulary: a few
    // words are everywhere, most are rare.
    uint64_t index = std::min(random.Below(kVocabularySize), random.Below(kVocabularySize));
    std::string word = words_[static_cast<size_t>(index)];
    if (sentenceStart) word[0] = static_cast<char>(word[0] - 'a' + 'A');
    text += word;
    lineLength += word.size();
    sentenceStart = random.Below(12) == 0;
    if (sentenceStart) {
      text += '.';
      ++lineLength;
    } else if (random.Below(9) == 0) {
      text += ',';
      ++lineLength;
    }
    if (lineLength > 60 + random.Below(20)) {
      text += "\r\n";
      lineLength = 0;
    } else {
      text += ' ';
      ++lineLength;
    }
  }
  text.resize(size);
  return text;
}

std::string NumberedName(const std::string& prefix, uint64_t number, int digits, const std::string& suffix) {
  std::string text = std::to_string(number);
  if (static_cast<int>(text.size()) < digits) text.insert(0, static_cast<size_t>(digits) - text.size(), '0');
  return prefix + text + suffix;
}

}  // namespace tailpack
