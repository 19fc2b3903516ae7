#pragma once
// The setup archive's compression and checksum, through zlib: zlib streams
// (RFC 1950) at level 9 and the standard CRC-32. Every function here is
// stateless and may be called from several threads at once.

#include <cstddef>
#include <cstdint>

#include "base/Bytes.h"

namespace tailpack {

constexpr int kPakCompressionLevel = 9;

// The CRC-32 of zlib and IEEE 802.3; continues from Previous (0 to start).
// The checksum of zero bytes is 0.
uint32_t Crc32(const uint8_t* data, size_t length, uint32_t previous = 0);

// One whole zlib stream holding Data, compressed at the given level.
TBytes Deflate(const uint8_t* data, size_t length, int level = kPakCompressionLevel);

struct TInflated {
  // At most Limit bytes of the output (the caller never needs more).
  TBytes Bytes;
  // How many bytes the whole stream inflates to, counted even past Limit, so
  // a wrong size can be told exactly without holding the excess.
  uint64_t TotalLength = 0;
};

// Inflates one whole zlib stream, keeping at most Limit bytes. Raises
// EDecompressionError ("error") for a stream that is damaged or ends early.
TInflated Inflate(const uint8_t* data, size_t length, size_t limit);

}  // namespace tailpack
