#include "archive/Zlib.h"

#include <zlib.h>

#include <algorithm>
#include <limits>

#include "base/Errors.h"

namespace tailpack {

namespace {

// zlib counts in uInt; feed larger blocks in pieces of this size.
constexpr size_t kZlibPiece = 1u << 30;

// Ends a z_stream however the function is left.
class TDeflateStream {
 public:
  explicit TDeflateStream(int level) {
    if (deflateInit(&stream_, level) != Z_OK) throw EDecompressionError("error");
  }
  ~TDeflateStream() { deflateEnd(&stream_); }
  TDeflateStream(const TDeflateStream&) = delete;
  TDeflateStream& operator=(const TDeflateStream&) = delete;
  z_stream& Get() { return stream_; }

 private:
  z_stream stream_{};
};

class TInflateStream {
 public:
  TInflateStream() {
    if (inflateInit(&stream_) != Z_OK) throw EDecompressionError("error");
  }
  ~TInflateStream() { inflateEnd(&stream_); }
  TInflateStream(const TInflateStream&) = delete;
  TInflateStream& operator=(const TInflateStream&) = delete;
  z_stream& Get() { return stream_; }

 private:
  z_stream stream_{};
};

}  // namespace

uint32_t Crc32(const uint8_t* data, size_t length, uint32_t previous) {
  uLong crc = previous;
  while (length > 0) {
    size_t piece = std::min(length, kZlibPiece);
    crc = crc32(crc, data, static_cast<uInt>(piece));
    data += piece;
    length -= piece;
  }
  return static_cast<uint32_t>(crc);
}

TBytes Deflate(const uint8_t* data, size_t length, int level) {
  TDeflateStream holder(level);
  z_stream& stream = holder.Get();
  TBytes out(deflateBound(&stream, static_cast<uLong>(length)));
  size_t inputLeft = length;
  stream.next_in = const_cast<Bytef*>(data);
  stream.next_out = out.data();
  size_t produced = 0;
  for (;;) {
    if (stream.avail_in == 0 && inputLeft > 0) {
      size_t piece = std::min(inputLeft, kZlibPiece);
      stream.avail_in = static_cast<uInt>(piece);
      inputLeft -= piece;
    }
    if (stream.avail_out == 0) {
      if (produced == out.size()) out.resize(out.size() + out.size() / 2 + 64);
      stream.next_out = out.data() + produced;
      stream.avail_out = static_cast<uInt>(std::min(out.size() - produced, kZlibPiece));
    }
    uInt outBefore = stream.avail_out;
    int result = deflate(&stream, inputLeft == 0 ? Z_FINISH : Z_NO_FLUSH);
    produced += outBefore - stream.avail_out;
    if (result == Z_STREAM_END) break;
    if (result != Z_OK && result != Z_BUF_ERROR) throw EDecompressionError("error");
  }
  out.resize(produced);
  return out;
}

TInflated Inflate(const uint8_t* data, size_t length, size_t limit) {
  TInflateStream holder;
  z_stream& stream = holder.Get();
  TInflated result;
  result.Bytes.resize(limit);
  // Output past Limit goes into a scratch block that is only counted.
  uint8_t scratch[16384];
  size_t inputLeft = length;
  size_t kept = 0;
  stream.next_in = const_cast<Bytef*>(data);
  for (;;) {
    if (stream.avail_in == 0 && inputLeft > 0) {
      size_t piece = std::min(inputLeft, kZlibPiece);
      stream.avail_in = static_cast<uInt>(piece);
      inputLeft -= piece;
    }
    bool intoResult = kept < limit;
    if (intoResult) {
      stream.next_out = result.Bytes.data() + kept;
      stream.avail_out = static_cast<uInt>(std::min(limit - kept, kZlibPiece));
    } else {
      stream.next_out = scratch;
      stream.avail_out = sizeof scratch;
    }
    uInt outBefore = stream.avail_out;
    int code = inflate(&stream, Z_NO_FLUSH);
    size_t produced = outBefore - stream.avail_out;
    result.TotalLength += produced;
    if (intoResult) kept += produced;
    if (code == Z_STREAM_END) break;
    // Z_BUF_ERROR with room for output means all input is used up before the
    // stream's end mark: a cut-off stream is as unusable as a damaged one.
    if (code != Z_OK) throw EDecompressionError("error");
  }
  result.Bytes.resize(kept);
  return result;
}

struct TStreamInflater::TState {
  TInflateStream Stream;
  TBytes Output = TBytes(kInflatePiece);
};

TStreamInflater::TStreamInflater() : state_(std::make_unique<TState>()) {}

TStreamInflater::~TStreamInflater() = default;

void TStreamInflater::Reset() {
  if (inflateReset(&state_->Stream.Get()) != Z_OK) throw EDecompressionError("error");
  ended_ = false;
  totalOut_ = 0;
}

bool TStreamInflater::Feed(const uint8_t* data, size_t length, const TSink& sink) {
  z_stream& stream = state_->Stream.Get();
  TBytes& output = state_->Output;
  while (length > 0 && !ended_) {
    size_t piece = std::min(length, kZlibPiece);
    stream.next_in = const_cast<Bytef*>(data);
    stream.avail_in = static_cast<uInt>(piece);
    data += piece;
    length -= piece;
    // Until this piece is used up and no output is left inside zlib.
    for (;;) {
      stream.next_out = output.data();
      stream.avail_out = static_cast<uInt>(output.size());
      int code = inflate(&stream, Z_NO_FLUSH);
      size_t produced = output.size() - stream.avail_out;
      totalOut_ += produced;
      if (produced > 0 && !sink(output.data(), produced)) return false;
      if (code == Z_STREAM_END) {
        ended_ = true;
        break;
      }
      // Z_BUF_ERROR means no progress was possible: fine when the piece is
      // used up (the stream goes on in the next one), not otherwise.
      if (code != Z_OK && (code != Z_BUF_ERROR || stream.avail_in > 0)) throw EDecompressionError("error");
      if (stream.avail_in == 0 && stream.avail_out != 0) break;
    }
  }
  return true;
}

}  // namespace tailpack
