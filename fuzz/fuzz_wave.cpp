// libFuzzer target: wave files turned into sound entries, under a plain
// name and under one that keeps the samples unpacked.

#include <cstddef>
#include <cstdint>

#include "gamedata/SoundEntry.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  using namespace tailpack;
  if (size > 0xFFFFFFFFu) return 0;
  auto length = static_cast<uint32_t>(size);
  (void)EncodeSoundEntry(data, length, "Sounds\\door.wav");
  (void)EncodeSoundEntry(data, length, "Sounds\\Effects\\door.wav");
  return 0;
}
