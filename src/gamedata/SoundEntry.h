#pragma once
// Sound entries of a data archive: a wave file with the canonical 44-byte
// header becomes a 58-byte header (the wave header, the packing flag, the
// loop points from a "cue " chunk and the size of what follows) and its
// samples, 16-bit sounds without loop points packed to 4 bits per sample
// with IMA ADPCM in blocks of 2048 PCM bytes.

#include <array>
#include <cstdint>
#include <optional>
#include <string>

#include "base/Bytes.h"

namespace tailpack {

constexpr uint32_t kWaveHeaderSize = 44;
constexpr uint32_t kSoundHeaderSize = 58;
constexpr uint32_t kAdpcmBlockInput = 2048;  // PCM bytes per packed block
constexpr uint32_t kAdpcmStateSize = 6;      // after each block's codes

struct TSoundHeader {
  std::array<uint8_t, kWaveHeaderSize> Wave{};
  uint8_t Compressed = 0;
  int32_t LoopStart = -1;
  int32_t LoopEnd = -1;
  uint8_t LoopToEnd = 0;
  int32_t StoredDataSize = 0;

  uint32_t DataSize() const { return GetU32(Wave.data() + 40); }
  uint16_t Channels() const { return GetU16(Wave.data() + 22); }
  uint32_t SampleRate() const { return GetU32(Wave.data() + 24); }
  uint32_t ByteRate() const { return GetU32(Wave.data() + 28); }
  uint16_t BitsPerSample() const { return GetU16(Wave.data() + 34); }

  void AppendTo(TBytes& out) const;
  static TSoundHeader Decode(const uint8_t* bytes);
};

// One channel's encoder state: what follows each block, per channel.
struct TAdpcmState {
  int16_t Predictor = 0;
  uint8_t Index = 0;
};

// The stored bytes of a sound entry named Name, or nothing when the content
// is not a wave file with the canonical header (an extended format chunk, a
// chunk between "fmt " and "data", no samples). A data size larger than the
// samples present is taken as the samples present.
std::optional<TBytes> EncodeSoundEntry(const uint8_t* content, uint32_t size, const std::string& name);

// Fills the loop points of Header from the first two cue points of a "cue "
// chunk after the sample data.
void ScanCuePoints(const uint8_t* content, uint32_t size, TSoundHeader& header);

// Encodes Count 16-bit samples, taken every SampleStep samples from Samples,
// into 4-bit codes (two per byte, the first in the high half), continuing
// from State and leaving the state after the last sample in it.
void EncodeImaAdpcm(const uint8_t* samples, uint32_t sampleStep, uint32_t count, uint8_t* codes, TAdpcmState& state);

}  // namespace tailpack
