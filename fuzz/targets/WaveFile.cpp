// A wave file turned into a sound entry, under a plain name (packed when it
// can be) and under one that keeps the samples unpacked.

#include <cstdint>

#include "FuzzTargets.h"
#include "gamedata/SoundEntry.h"

namespace tailpack::fuzz {

int ReadWaveFile(const uint8_t* data, size_t size) {
  if (size > 0xFFFFFFFFu) return 0;
  const auto length = static_cast<uint32_t>(size);
  (void)EncodeSoundEntry(data, length, "Sounds\\door.wav");
  (void)EncodeSoundEntry(data, length, "Sounds\\Effects\\door.wav");
  return 0;
}

}  // namespace tailpack::fuzz
