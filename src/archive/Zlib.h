#pragma once
// The setup archive's compression and checksum, through zlib: zlib streams
// (RFC 1950) at level 9 and the standard CRC-32. Every function here is
// stateless and may be called from several threads at once.

#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>

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

// Inflates one zlib stream fed in pieces and hands its output on in pieces
// of at most kInflatePiece bytes, small enough to stay in the processor's
// cache on their way to a file. Input after the stream's end mark is ignored.
class TStreamInflater {
 public:
  static constexpr size_t kInflatePiece = 256 * 1024;
  // Gets each piece of output; returning false stops the inflation.
  using TSink = std::function<bool(const uint8_t* data, size_t length)>;

  TStreamInflater();
  ~TStreamInflater();
  TStreamInflater(const TStreamInflater&) = delete;
  TStreamInflater& operator=(const TStreamInflater&) = delete;

  // Makes ready for a new stream, keeping what was allocated.
  void Reset();
  // Inflates the next piece of the stream. False when Sink stopped it.
  // Raises EDecompressionError ("error") for a damaged stream.
  bool Feed(const uint8_t* data, size_t length, const TSink& sink);
  // The stream's end mark has been reached: a stream fed whole that has not
  // ended was cut short.
  bool Ended() const { return ended_; }
  // Bytes the stream has inflated to so far.
  uint64_t TotalOut() const { return totalOut_; }

 private:
  struct TState;
  std::unique_ptr<TState> state_;
  bool ended_ = false;
  uint64_t totalOut_ = 0;
};

}  // namespace tailpack
