#include "archive/Zlib.h"

#include <gtest/gtest.h>

#include <algorithm>

#include "archive/PakTestSupport.h"
#include "base/Errors.h"

namespace tailpack {
namespace {

TEST(Crc32, IsTheStandardChecksum) {
  const std::string check = "123456789";
  EXPECT_EQ(Crc32(reinterpret_cast<const uint8_t*>(check.data()), check.size()), 0xCBF43926u);
  EXPECT_EQ(Crc32(nullptr, 0), 0u);
}

TEST(Inflate, KeepsAtMostTheLimitButCountsTheWholeStream) {
  TBytes data = test::TextBytes(100000);
  TBytes stream = Deflate(data.data(), data.size());
  EXPECT_EQ(stream[0], 0x78);  // a zlib stream header, not raw deflate

  TInflated whole = Inflate(stream.data(), stream.size(), data.size());
  EXPECT_EQ(whole.Bytes, data);
  EXPECT_EQ(whole.TotalLength, data.size());

  TInflated capped = Inflate(stream.data(), stream.size(), 10);
  EXPECT_EQ(capped.Bytes.size(), 10u);
  EXPECT_EQ(capped.TotalLength, data.size());
}

TEST(Inflate, DamagedOrCutStreamsRaiseTheDecompressionError) {
  TBytes data = test::TextBytes(5000);
  TBytes stream = Deflate(data.data(), data.size());
  TBytes cut(stream.begin(), stream.begin() + static_cast<long>(stream.size() / 2));
  TBytes garbage = test::RandomBytes(200, 7);
  for (const TBytes* input : {&cut, &garbage}) {
    try {
      Inflate(input->data(), input->size(), data.size());
      ADD_FAILURE() << "no error";
    } catch (const EDecompressionError& error) {
      EXPECT_STREQ(error.what(), "error");
    }
  }
}

// The inflater fed in pieces gives the same bytes as a whole inflation,
// however the stream is cut, in pieces no larger than it promises.
TEST(StreamInflater, GivesTheWholeStreamWhateverThePieces) {
  TBytes data = test::TextBytes(3 * TStreamInflater::kInflatePiece + 123);
  TBytes stream = Deflate(data.data(), data.size());
  stream.insert(stream.end(), {1, 2, 3, 4});  // after the end mark: ignored
  for (size_t pieceSize : {size_t{1}, size_t{1000}, stream.size()}) {
    SCOPED_TRACE(pieceSize);
    TStreamInflater inflater;
    TBytes out;
    size_t largest = 0;
    for (size_t at = 0; at < stream.size(); at += pieceSize) {
      ASSERT_TRUE(inflater.Feed(stream.data() + at, std::min(pieceSize, stream.size() - at),
                                [&](const uint8_t* bytes, size_t length) {
                                  out.insert(out.end(), bytes, bytes + length);
                                  largest = std::max(largest, length);
                                  return true;
                                }));
    }
    EXPECT_TRUE(inflater.Ended());
    EXPECT_EQ(inflater.TotalOut(), data.size());
    EXPECT_EQ(out, data);
    EXPECT_LE(largest, TStreamInflater::kInflatePiece);
  }
}

TEST(StreamInflater, CutDamagedAndStoppedStreams) {
  TBytes data = test::TextBytes(TStreamInflater::kInflatePiece * 2);
  TBytes stream = Deflate(data.data(), data.size());
  auto keep = [](const uint8_t*, size_t) { return true; };

  TStreamInflater cut;  // fed half: no end mark yet, nothing wrong so far
  EXPECT_TRUE(cut.Feed(stream.data(), stream.size() / 2, keep));
  EXPECT_FALSE(cut.Ended());

  TBytes garbage = test::RandomBytes(200, 7);
  TStreamInflater damaged;
  EXPECT_THROW(damaged.Feed(garbage.data(), garbage.size(), keep), EDecompressionError);

  TStreamInflater stopped;  // the sink stops at its first piece
  int pieces = 0;
  EXPECT_FALSE(stopped.Feed(stream.data(), stream.size(), [&](const uint8_t*, size_t) { return ++pieces > 1; }));
  EXPECT_EQ(pieces, 1);
  EXPECT_FALSE(stopped.Ended());
}

}  // namespace
}  // namespace tailpack
