#include "platform/TextCodec.h"

#include <gtest/gtest.h>

namespace tailpack {
namespace {

TEST(PosixTextCodec, EveryAnsiByteRoundTrips) {
  std::string all;
  for (int byte = 1; byte < 256; ++byte) all.push_back(static_cast<char>(byte));
  std::u16string wide = AnsiToWide(all);
  ASSERT_EQ(wide.size(), all.size());
  EXPECT_EQ(WideToAnsi(wide), all);
}

TEST(PosixTextCodec, UsesWindows1252) {
  struct TCase {
    char Ansi;
    char16_t Wide;
  };
  const TCase cases[] = {
      {'A', u'A'},          {'\x80', u'\u20AC'}, {'\x81', u'\u0081'}, {'\x8A', u'\u0160'},
      {'\x9F', u'\u0178'},  {'\xA0', u'\u00A0'}, {'\xE9', u'\u00E9'}, {'\xFF', u'\u00FF'},
  };
  for (const TCase& c : cases) {
    SCOPED_TRACE(static_cast<int>(static_cast<unsigned char>(c.Ansi)));
    EXPECT_EQ(AnsiToWide(std::string(1, c.Ansi)), std::u16string(1, c.Wide));
  }
}

TEST(PosixTextCodec, CharactersWithoutAnAnsiFormBecomeOneQuestionMarkEach) {
  EXPECT_EQ(WideToAnsi(u"a\u0100b\u4E2D"), "a?b?");
  EXPECT_EQ(WideToAnsi(u"x\U0001F600y"), "x?y");     // one character, two UTF-16 units
  EXPECT_EQ(WideToAnsi(u"\xD800z\xDC00"), "?z?");   // unpaired halves
}

}  // namespace
}  // namespace tailpack
