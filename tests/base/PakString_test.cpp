#include "base/PakString.h"

#include <gtest/gtest.h>

#include "base/BufferManager.h"

namespace tailpack {
namespace {

// What the writers append, the buffer manager reads back.
TEST(PakString, RoundTripsThroughTheBufferManager) {
  TBytes bytes;
  AppendPakString(bytes, "SetupInfo");
  AppendPakString(bytes, "");
  AppendPakString(bytes, std::string(300, '\xE9'));
  EXPECT_EQ(bytes.size(), 2u + 9 + 2 + 2 + 300);
  TBufferManager reader(bytes.data(), static_cast<uint32_t>(bytes.size()));
  EXPECT_EQ(reader.ReadString(), "SetupInfo");
  EXPECT_EQ(reader.ReadString(), "");  // length 0 consumes its two bytes
  EXPECT_EQ(reader.ReadString(), std::string(300, '\xE9'));
  EXPECT_EQ(reader.ReadString(), "");  // end of the bytes
}

TEST(PakString, LengthIsLittleEndianAndKeepsTheLow16Bits) {
  TBytes out;
  AppendPakString(out, "ab");
  EXPECT_EQ(out, (TBytes{2, 0, 'a', 'b'}));
  out.clear();
  AppendPakString(out, std::string(65537, 'x'));
  EXPECT_EQ(out.size(), 2u + 1);
  EXPECT_EQ(GetU16(out.data()), 1u);
}

}  // namespace
}  // namespace tailpack
