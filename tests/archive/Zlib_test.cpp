#include "archive/Zlib.h"

#include <gtest/gtest.h>

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

}  // namespace
}  // namespace tailpack
