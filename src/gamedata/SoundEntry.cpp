#include "gamedata/SoundEntry.h"

#include <algorithm>
#include <cstring>

#include "base/BufferManager.h"

namespace tailpack {

namespace {

constexpr int16_t kStepTable[89] = {
    7,    8,     9,     10,    11,    12,    13,    14,    16,    17,    19,    21,    23,    25,   28,
    31,   34,    37,    41,    45,    50,    55,    60,    66,    73,    80,    88,    97,    107,  118,
    130,  143,   157,   173,   190,   209,   230,   253,   279,   307,   337,   371,   408,   449,  494,
    544,  598,   658,   724,   796,   876,   963,   1060,  1166,  1282,  1411,  1552,  1707,  1878, 2066,
    2272, 2499,  2749,  3024,  3327,  3660,  4026,  4428,  4871,  5358,  5894,  6484,  7132,  7845, 8630,
    9493, 10442, 11487, 12635, 13899, 15289, 16818, 18500, 20350, 22385, 24623, 27086, 29794, 32767};
constexpr uint32_t kCuePointSize = 24;
constexpr int8_t kIndexTable[16] = {-1, -1, -1, -1, 2, 4, 6, 8, -1, -1, -1, -1, 2, 4, 6, 8};

bool Is(const uint8_t* at, const char* text) { return std::memcmp(at, text, 4) == 0; }

void PutState(uint8_t* at, const TAdpcmState& state) {
  PutU16(at, static_cast<uint16_t>(state.Predictor));
  at[2] = state.Index;
}

// Packs the data size (already rounded) of 16-bit samples into blocks.
TBytes PackSamples(const uint8_t* samples, uint32_t dataSize, bool mono) {
  uint32_t blocks = (dataSize + kAdpcmBlockInput - 1) / kAdpcmBlockInput;
  TBytes packed(dataSize / 4 + kAdpcmStateSize * blocks, 0);
  TAdpcmState left, right;
  uint8_t* out = packed.data();
  for (uint32_t f = 0; f < blocks; ++f) {
    uint32_t r = std::min(kAdpcmBlockInput, dataSize - f * kAdpcmBlockInput);
    const uint8_t* block = samples + f * kAdpcmBlockInput;
    if (mono) {
      EncodeImaAdpcm(block, 1, r / 2, out, left);
    } else {
      // The data size is a multiple of 8, so each channel has an even number
      // of samples and its codes fill whole bytes.
      EncodeImaAdpcm(block, 2, r / 4, out, left);
      EncodeImaAdpcm(block + 2, 2, r / 4, out + r / 8, right);
    }
    out += r / 4;
    PutState(out, left);
    PutState(out + 3, right);
    out += kAdpcmStateSize;
  }
  return packed;
}

}  // namespace

void TSoundHeader::AppendTo(TBytes& out) const {
  out.insert(out.end(), Wave.begin(), Wave.end());
  AppendU8(out, Compressed);
  AppendU32(out, static_cast<uint32_t>(LoopStart));
  AppendU32(out, static_cast<uint32_t>(LoopEnd));
  AppendU8(out, LoopToEnd);
  AppendU32(out, static_cast<uint32_t>(StoredDataSize));
}

TSoundHeader TSoundHeader::Decode(const uint8_t* bytes) {
  TSoundHeader header;
  std::memcpy(header.Wave.data(), bytes, kWaveHeaderSize);
  header.Compressed = bytes[44];
  header.LoopStart = static_cast<int32_t>(GetU32(bytes + 45));
  header.LoopEnd = static_cast<int32_t>(GetU32(bytes + 49));
  header.LoopToEnd = bytes[53];
  header.StoredDataSize = static_cast<int32_t>(GetU32(bytes + 54));
  return header;
}

void ScanCuePoints(const uint8_t* content, uint32_t size, TSoundHeader& header) {
  TBufferManager buffer(content, size);
  // 64-bit positions: a chunk size near 4 GiB must end the scan, not wrap it
  // back to the start.
  uint64_t position = uint64_t{kWaveHeaderSize} + header.DataSize();
  bool startSet = false, endSet = false;
  uint32_t factor = header.SampleRate() != 0 ? header.ByteRate() / header.SampleRate() : 0;
  while (position < size) {
    buffer.Seek(static_cast<uint32_t>(position));
    char id[4] = {'x', 'x', 'x', 'x'};
    buffer.ReadInto(4, id);
    if (std::memcmp(id, "xxxx", 4) == 0) break;
    uint32_t chunkSize = buffer.ReadU32();
    if (std::memcmp(id, "cue ", 4) == 0) {
      uint32_t count = buffer.ReadU32();
      // Only the first two points matter; the others are passed over.
      for (uint32_t i = 0; i < count && i < 2 && buffer.Remaining() >= kCuePointSize; ++i) {
        uint8_t point[kCuePointSize] = {};
        buffer.ReadInto(sizeof point, point);
        auto offset = static_cast<int32_t>(factor * GetU32(point + 4));
        if (i == 0) {
          header.LoopStart = offset;
          startSet = true;
        } else {
          header.LoopEnd = offset;
          endSet = true;
        }
      }
    }
    position += 8 + uint64_t{chunkSize};
  }
  if (startSet && endSet && header.LoopStart > header.LoopEnd) std::swap(header.LoopStart, header.LoopEnd);
  if (startSet && !endSet) {
    header.LoopEnd = static_cast<int32_t>(header.DataSize());
    header.LoopToEnd = 1;
  }
  if (!startSet) {
    header.LoopStart = -1;
    header.LoopEnd = -1;
  }
}

void EncodeImaAdpcm(const uint8_t* samples, uint32_t sampleStep, uint32_t count, uint8_t* codes, TAdpcmState& state) {
  int32_t predictor = state.Predictor;
  int32_t index = state.Index;
  uint8_t pending = 0;
  for (uint32_t i = 0; i < count; ++i) {
    auto sample = static_cast<int16_t>(GetU16(samples + uint64_t{i} * sampleStep * 2));
    int32_t step = kStepTable[index];
    int32_t diff = sample - predictor;
    uint8_t code = 0;
    if (diff < 0) {
      code = 8;
      diff = -diff;
    }
    int32_t delta = step / 8;
    if (diff >= step) {
      code |= 4;
      diff -= step;
      delta += step;
    }
    step /= 2;
    if (diff >= step) {
      code |= 2;
      diff -= step;
      delta += step;
    }
    step /= 2;
    if (diff >= step) {
      code |= 1;
      delta += step;
    }
    predictor = (code & 8) ? predictor - delta : predictor + delta;
    predictor = std::clamp(predictor, -32768, 32767);
    index = std::clamp(index + kIndexTable[code], 0, 88);
    if (i % 2 == 0) {
      pending = static_cast<uint8_t>(code << 4);
    } else {
      *codes++ = static_cast<uint8_t>(pending | code);
    }
  }
  if (count % 2 == 1) *codes = pending;
  state.Predictor = static_cast<int16_t>(predictor);
  state.Index = static_cast<uint8_t>(index);
}

std::optional<TBytes> EncodeSoundEntry(const uint8_t* content, uint32_t size, const std::string& name) {
  if (size < kWaveHeaderSize) return std::nullopt;
  TSoundHeader header;
  std::memcpy(header.Wave.data(), content, kWaveHeaderSize);
  const uint8_t* wave = header.Wave.data();
  if (!Is(wave, "RIFF") || !Is(wave + 8, "WAVE") || !Is(wave + 12, "fmt ") || GetU32(wave + 16) != 16 ||
      !Is(wave + 36, "data") || header.DataSize() == 0)
    return std::nullopt;
  // Samples the header announces but the file does not hold are not invented.
  uint32_t dataSize = std::min(header.DataSize(), size - kWaveHeaderSize);
  if (dataSize == 0) return std::nullopt;
  PutU32(header.Wave.data() + 40, dataSize);

  header.LoopStart = -1;
  header.LoopEnd = -1;
  header.LoopToEnd = 0;
  ScanCuePoints(content, size, header);

  bool packed = header.BitsPerSample() == 16 && header.LoopStart == -1 && header.LoopEnd == -1 &&
                name.find("\\Effects\\") == std::string::npos;
  TBytes samples;
  if (packed) {
    bool mono = header.Channels() == 1;
    dataSize -= dataSize % (mono ? 4 : 8);
    PutU32(header.Wave.data() + 40, dataSize);
    samples = PackSamples(content + kWaveHeaderSize, dataSize, mono);
    header.Compressed = 1;
  } else {
    samples.assign(content + kWaveHeaderSize, content + kWaveHeaderSize + dataSize);
    header.Compressed = 0;
  }
  header.StoredDataSize = static_cast<int32_t>(samples.size());

  TBytes stored;
  stored.reserve(kSoundHeaderSize + samples.size());
  header.AppendTo(stored);
  stored.insert(stored.end(), samples.begin(), samples.end());
  return stored;
}

}  // namespace tailpack
