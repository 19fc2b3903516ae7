#pragma once
// The bytes of the benchmark payloads. Everything is computed with fixed
// integer arithmetic (no standard-library distributions, whose results differ
// between implementations), so a seed gives the same bytes everywhere.

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace tailpack {

constexpr uint64_t kDefaultPayloadSeed = 12;

// SplitMix64, started from a seed, a stream and an index, so every file has
// a sequence of its own.
class TRandom {
 public:
  TRandom(uint64_t seed, uint64_t stream, uint64_t index);
  uint64_t Next();
  // A number in 0..Bound-1 (Bound > 0).
  uint64_t Below(uint64_t bound);

 private:
  uint64_t state_;
};

// Bytes that no compressor can shrink.
std::string NoiseBytes(TRandom& random, size_t size);

// Prose-like text with CRLF line ends from a vocabulary of invented words,
// common words far more often than rare ones, so it packs about as well as
// real documents and configuration files do.
class TTextMaker {
 public:
  explicit TTextMaker(uint64_t seed);
  std::string Make(TRandom& random, size_t size) const;

 private:
  std::vector<std::string> words_;
};

// Prefix, Number with at least Digits digits, Suffix: ("file", 7, 4, ".dat") is "file0007.dat".
std::string NumberedName(const std::string& prefix, uint64_t number, int digits, const std::string& suffix);

}  // namespace tailpack
