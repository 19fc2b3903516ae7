#include "base/BufferManager.h"

#include <gtest/gtest.h>

namespace tailpack {
namespace {

TEST(BufferManager, EmptyBlockReturnsNothingForEveryRead) {
  TBufferManager reader(nullptr, 0);
  EXPECT_TRUE(reader.Read(4).empty());
  EXPECT_EQ(reader.ReadU32(), 0u);
  EXPECT_EQ(reader.ReadString(), "");
  EXPECT_TRUE(reader.Overrun());
}

TEST(BufferManager, ShortReadReturnsWhatIsLeftAndStopsAtTheEnd) {
  const uint8_t data[] = {1, 2, 3, 4, 5};
  TBufferManager reader(data, 5);
  reader.Seek(2);
  TBytes got = reader.Read(10);
  EXPECT_EQ(got, (TBytes{3, 4, 5}));
  EXPECT_EQ(reader.Position(), reader.Size());
  EXPECT_FALSE(reader.Overrun());  // a raw read may come up short
}

TEST(BufferManager, TypedReadersAreLittleEndian) {
  const uint8_t data[] = {0x78, 0x56, 0x34, 0x12, 0xCD, 0xAB, 0x02, 0x00, 'h', 'i', 0x00, 0x00};
  TBufferManager reader(data, sizeof data);
  EXPECT_EQ(reader.ReadU32(), 0x12345678u);
  EXPECT_EQ(reader.ReadU16(), 0xABCDu);
  EXPECT_EQ(reader.ReadString(), "hi");
  EXPECT_EQ(reader.ReadString(), "");  // a zero length consumes its two bytes
  EXPECT_EQ(reader.Position(), sizeof data);
  EXPECT_FALSE(reader.Overrun());
}

TEST(BufferManager, TruncatedStringYieldsTheBytesThereAndFlagsOverrun) {
  const uint8_t data[] = {0x05, 0x00, 'a', 'b'};
  TBufferManager reader(data, sizeof data);
  EXPECT_EQ(reader.ReadString(), "ab");
  EXPECT_TRUE(reader.Overrun());
}

TEST(BufferManager, LongStringLengthIsUnsigned) {
  TBytes data(2 + 40000, 'x');
  PutU16(data.data(), 40000);
  TBufferManager reader(data.data(), static_cast<uint32_t>(data.size()));
  EXPECT_EQ(reader.ReadString().size(), 40000u);
}

}  // namespace
}  // namespace tailpack
