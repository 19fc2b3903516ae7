#include "gamedata/SoundEntry.h"

#include <gtest/gtest.h>

#include "archive/PakTestSupport.h"
#include "gamedata/GameDataTestSupport.h"

namespace tailpack {
namespace {

using test::WaveFile;

TBytes Samples16(const std::vector<int16_t>& values) {
  TBytes bytes;
  for (int16_t value : values) AppendU16(bytes, static_cast<uint16_t>(value));
  return bytes;
}

// A "cue " chunk holding points at the given sample positions.
TBytes CueChunk(const std::vector<uint32_t>& positions) {
  TBytes chunk;
  AppendBytes(chunk, "cue ");
  AppendU32(chunk, static_cast<uint32_t>(4 + 24 * positions.size()));
  AppendU32(chunk, static_cast<uint32_t>(positions.size()));
  for (uint32_t i = 0; i < positions.size(); ++i) {
    AppendU32(chunk, i + 1);         // name
    AppendU32(chunk, positions[i]);  // position in samples
    AppendBytes(chunk, "data");
    AppendU32(chunk, 0);
    AppendU32(chunk, 0);
    AppendU32(chunk, positions[i]);
  }
  return chunk;
}

TSoundHeader Encode(const TBytes& wave, const std::string& name, TBytes* stored = nullptr) {
  auto encoded = EncodeSoundEntry(wave.data(), static_cast<uint32_t>(wave.size()), name);
  EXPECT_TRUE(encoded.has_value());
  if (!encoded) return {};
  TSoundHeader header = TSoundHeader::Decode(encoded->data());
  EXPECT_EQ(encoded->size(), kSoundHeaderSize + static_cast<size_t>(header.StoredDataSize));
  if (stored) *stored = *encoded;
  return header;
}

TEST(ImaAdpcm, EncodesByTheStepAndIndexTables) {
  // Worked by hand: 1000 from silence gives code 7 (predictor 11, index 8),
  // 1000 again code 7 (41, 16), then -5 code 0xD (-5, 20); the odd last code
  // fills the high half of a byte.
  TBytes samples = Samples16({1000, 1000, -5});
  uint8_t codes[2] = {0xEE, 0xEE};
  TAdpcmState state;
  EncodeImaAdpcm(samples.data(), 1, 3, codes, state);
  EXPECT_EQ(codes[0], 0x77);
  EXPECT_EQ(codes[1], 0xD0);
  EXPECT_EQ(state.Predictor, -5);
  EXPECT_EQ(state.Index, 20);

  // A negative step from silence clamps the index at 0.
  TBytes negative = Samples16({-5, 0});
  TAdpcmState fresh;
  EncodeImaAdpcm(negative.data(), 1, 2, codes, fresh);
  EXPECT_EQ(codes[0] >> 4, 0xB);
  EXPECT_EQ(fresh.Index, 0);
}

TEST(ImaAdpcm, SilenceStaysAtZero) {
  TBytes silence(2048, 0);
  TBytes codes(512, 0xEE);
  TAdpcmState state;
  EncodeImaAdpcm(silence.data(), 1, 1024, codes.data(), state);
  EXPECT_EQ(codes, TBytes(512, 0x00));
  EXPECT_EQ(state.Predictor, 0);
  EXPECT_EQ(state.Index, 0);
}

TEST(SoundEntry, MonoSoundIsPackedInBlocksWhoseStateRunsOn) {
  TBytes pcm = test::RandomBytes(5000, 7);
  TBytes stored;
  TSoundHeader header = Encode(WaveFile(1, 16, pcm), "Sounds\\door.wav", &stored);
  EXPECT_EQ(header.Compressed, 1);
  EXPECT_EQ(header.DataSize(), 5000u);
  EXPECT_EQ(header.StoredDataSize, 1250 + 18);
  EXPECT_EQ(header.LoopStart, -1);
  EXPECT_EQ(header.LoopEnd, -1);

  // Blocks of 2048, 2048 and 904 PCM bytes, each followed by the state.
  TAdpcmState state;
  size_t at = kSoundHeaderSize;
  for (uint32_t input : {2048u, 2048u, 904u}) {
    SCOPED_TRACE(at);
    TBytes codes(input / 4);
    EncodeImaAdpcm(pcm.data() + (at - kSoundHeaderSize) / 518 * 2048, 1, input / 2, codes.data(), state);
    EXPECT_TRUE(std::equal(codes.begin(), codes.end(), stored.begin() + static_cast<ptrdiff_t>(at)));
    at += codes.size();
    EXPECT_EQ(GetU16(&stored[at]), static_cast<uint16_t>(state.Predictor));
    EXPECT_EQ(stored[at + 2], state.Index);
    EXPECT_EQ(GetU16(&stored[at + 3]), 0);  // no second channel
    EXPECT_EQ(stored[at + 5], 0);
    at += kAdpcmStateSize;
  }
  EXPECT_EQ(at, stored.size());
}

TEST(SoundEntry, StereoSoundIsRoundedToWholeFramePairsAndSplitByChannel) {
  TBytes pcm = test::RandomBytes(4100, 8);
  TBytes stored;
  TSoundHeader header = Encode(WaveFile(2, 16, pcm), "music.WAV", &stored);
  EXPECT_EQ(header.Compressed, 1);
  EXPECT_EQ(GetU32(stored.data() + 40), 4096u);
  EXPECT_EQ(header.StoredDataSize, 2 * 518);

  // The first block: 256 bytes of left codes, 256 of right codes, the state.
  TAdpcmState left, right;
  TBytes leftCodes(256), rightCodes(256);
  EncodeImaAdpcm(pcm.data(), 2, 512, leftCodes.data(), left);
  EncodeImaAdpcm(pcm.data() + 2, 2, 512, rightCodes.data(), right);
  EXPECT_TRUE(std::equal(leftCodes.begin(), leftCodes.end(), stored.begin() + kSoundHeaderSize));
  EXPECT_TRUE(std::equal(rightCodes.begin(), rightCodes.end(), stored.begin() + kSoundHeaderSize + 256));
  EXPECT_EQ(GetU16(&stored[kSoundHeaderSize + 512 + 3]), static_cast<uint16_t>(right.Predictor));
  EXPECT_EQ(stored[kSoundHeaderSize + 512 + 5], right.Index);
}

TEST(SoundEntry, SoundsThatMustNotBePackedAreStoredAsPlainSamples) {
  const TBytes pcm = test::RandomBytes(1000, 9);
  struct TCase {
    const char* What;
    TBytes Wave;
    std::string Name;
  };
  const std::vector<TCase> cases = {
      {"8-bit", WaveFile(1, 8, pcm), "beep.wav"},
      {"cue point", WaveFile(1, 16, pcm, CueChunk({10})), "loop.wav"},
      {"effects folder", WaveFile(1, 16, pcm), "Sounds\\Effects\\bang.wav"},
  };
  for (const TCase& c : cases) {
    SCOPED_TRACE(c.What);
    TBytes stored;
    TSoundHeader header = Encode(c.Wave, c.Name, &stored);
    EXPECT_EQ(header.Compressed, 0);
    EXPECT_EQ(header.StoredDataSize, 1000);
    EXPECT_TRUE(std::equal(pcm.begin(), pcm.end(), stored.begin() + kSoundHeaderSize));
    // The wave header travels as it was.
    EXPECT_TRUE(std::equal(c.Wave.begin(), c.Wave.begin() + 44, stored.begin()));
  }
  // Only the exact folder name counts, and a cue chunk without points does
  // not prevent packing.
  EXPECT_EQ(Encode(WaveFile(1, 16, pcm), "Sounds\\effects\\bang.wav").Compressed, 1);
  EXPECT_EQ(Encode(WaveFile(1, 16, pcm, CueChunk({})), "a.wav").Compressed, 1);
}

TEST(SoundEntry, CuePointsBecomeLoopBytesInAscendingOrder) {
  const TBytes pcm(4000, 1);
  // Mono 16-bit: two bytes per sample.
  TSoundHeader one = Encode(WaveFile(1, 16, pcm, CueChunk({100})), "a.wav");
  EXPECT_EQ(one.LoopStart, 200);
  EXPECT_EQ(one.LoopEnd, 4000);
  EXPECT_EQ(one.LoopToEnd, 1);

  TSoundHeader two = Encode(WaveFile(1, 16, pcm, CueChunk({900, 300, 50})), "a.wav");
  EXPECT_EQ(two.LoopStart, 600);
  EXPECT_EQ(two.LoopEnd, 1800);
  EXPECT_EQ(two.LoopToEnd, 0);

  // Another chunk before the cue chunk is stepped over.
  TBytes list;
  AppendBytes(list, "LIST");
  AppendU32(list, 5);
  AppendBytes(list, "abcde");
  TBytes extra = list;
  TBytes cue = CueChunk({7});
  extra.insert(extra.end(), cue.begin(), cue.end());
  EXPECT_EQ(Encode(WaveFile(1, 16, pcm, extra), "a.wav").LoopStart, 14);
}

TEST(SoundEntry, RejectsWhatIsNotACanonicalWaveFile) {
  TBytes good = WaveFile(1, 16, TBytes(100, 3));
  auto patched = [&good](size_t offset, const std::string& bytes) {
    TBytes wave = good;
    std::copy(bytes.begin(), bytes.end(), wave.begin() + static_cast<ptrdiff_t>(offset));
    return wave;
  };
  TBytes extendedFormat = good;
  PutU32(extendedFormat.data() + 16, 18);
  TBytes noSamples = WaveFile(1, 16, {});
  const std::vector<std::pair<const char*, TBytes>> cases = {
      {"too short", TBytes(good.begin(), good.begin() + 43)},
      {"not RIFF", patched(0, "RIFX")},
      {"not WAVE", patched(8, "AVI ")},
      {"extended format chunk", extendedFormat},
      {"a chunk between fmt and data", patched(36, "LIST")},
      {"no samples", noSamples},
  };
  for (const auto& [what, wave] : cases) {
    SCOPED_TRACE(what);
    EXPECT_FALSE(EncodeSoundEntry(wave.data(), static_cast<uint32_t>(wave.size()), "a.wav").has_value());
  }
}

TEST(SoundEntry, DataSizeBeyondTheFileTakesTheSamplesPresent) {
  TBytes wave = WaveFile(1, 16, TBytes(4000, 0));
  PutU32(wave.data() + 40, 5000);
  TBytes stored;
  TSoundHeader header = Encode(wave, "a.wav", &stored);
  EXPECT_EQ(header.DataSize(), 4000u);
  EXPECT_EQ(header.StoredDataSize, 1000 + 12);
}

}  // namespace
}  // namespace tailpack
