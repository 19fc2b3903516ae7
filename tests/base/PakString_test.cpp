#include "base/PakString.h"

#include <gtest/gtest.h>

#include "platform/Platform.h"
#include "support/TempFolder.h"

namespace tailpack {
namespace {

using test::TempFolderTest;

TEST_F(TempFolderTest, PakStringsRoundTripThroughAFile) {
  std::string path = temp_ / "strings.bin";
  {
    auto file = Files().Open(path, TFileMode::CreateAlways);
    ASSERT_TRUE(file);
    EXPECT_FALSE(WritePakString(*file, "SetupInfo"));
    EXPECT_FALSE(WritePakString(*file, ""));
    EXPECT_FALSE(WritePakString(*file, std::string(300, '\xE9')));
  }
  EXPECT_EQ(test::ReadFile(path).size(), 2u + 9 + 2 + 2 + 300);
  auto file = Files().Open(path, TFileMode::OpenRead);
  ASSERT_TRUE(file);
  EXPECT_EQ(ReadPakString(*file), "SetupInfo");
  EXPECT_EQ(ReadPakString(*file), "");  // length 0 consumes its two bytes
  EXPECT_EQ(ReadPakString(*file), std::string(300, '\xE9'));
  EXPECT_EQ(ReadPakString(*file), "");  // end of file
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
