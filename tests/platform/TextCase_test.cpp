#include "platform/TextCase.h"

#include <gtest/gtest.h>

#include "base/Text.h"
#include "platform/TextCodec.h"

namespace tailpack {
namespace {

TEST(ReplaceAllNoCase, ReplacesEveryOccurrenceInAnyCase) {
  EXPECT_EQ(ReplaceAllNoCase(std::string("a<BR>b<br>c"), "<br>", "\r"), "a\rb\rc");
  EXPECT_EQ(ReplaceAllNoCase(std::u16string(u"x $InstDir y"), u"$INSTDIR", u"C:\\A"), u"x C:\\A y");
}

TEST(ReplaceAllNoCase, TerminatesWhenTheValueHoldsThePattern) {
  EXPECT_EQ(ReplaceAllNoCase(std::string("$INSTDIR\\a"), "$INSTDIR", "C:\\$INSTDIR"), "C:\\$INSTDIR\\a");
  EXPECT_EQ(ReplaceAllNoCase(std::u16string(u"%A%%A%"), u"%A%", u"%A%%A%"), u"%A%%A%%A%%A%");
}

TEST(ReplaceAllNoCase, EmptyPatternChangesNothing) {
  EXPECT_EQ(ReplaceAllNoCase(std::string("abc"), "", "x"), "abc");
}

TEST(AnsiCase, FoldsWindows1252Letters) {
  EXPECT_EQ(LowerAnsi("ABC\xC4\xD6\xDC\x8A"), "abc\xE4\xF6\xFC\x9A");
  EXPECT_EQ(UpperAnsi("setupinfo\xE9"), "SETUPINFO\xC9");
  EXPECT_EQ(LowerAnsi("\xD7"), "\xD7");  // the multiplication sign has no case
  EXPECT_TRUE(SameTextAnsi("SetupInfo", "SETUPINFO"));
  EXPECT_FALSE(SameTextAscii("\xC4", "\xE4"));
}

// The rules of a double-byte code page: a lead byte and the byte after it
// are one character, never folded, even when the second byte looks like a
// letter (0x82 0x41 and 0x82 0x61 are two different characters).
TEST(AnsiCase, DoubleByteCharactersAreNeverFolded) {
  TAnsiCaseRules rules;
  for (int b = 0; b < 256; ++b) rules.Lower[b] = rules.Upper[b] = static_cast<uint8_t>(b);
  for (int b = 'A'; b <= 'Z'; ++b) {
    rules.Lower[b] = static_cast<uint8_t>(b + 32);
    rules.Upper[b + 32] = static_cast<uint8_t>(b);
  }
  rules.LeadByte[0x82] = true;
  EXPECT_TRUE(SameTextAnsi("Setup\x82\x41", "SETUP\x82\x41", rules));
  EXPECT_FALSE(SameTextAnsi("\x82\x41", "\x82\x61", rules));
  EXPECT_FALSE(SameTextAnsi("\x82\x41", "\x83\x41", rules));
  EXPECT_EQ(LowerAnsi("AB\x82\x41" "C", rules), "ab\x82\x41" "c");
  EXPECT_EQ(UpperAnsi("ab\x82\x61" "c", rules), "AB\x82\x61" "C");
}

// The rules in place are the platform's (Windows-1252 on POSIX, the active
// code page on Windows) and what every comparison uses.
TEST(AnsiCase, FollowsThePlatformsRules) {
  const TAnsiCaseRules& rules = AnsiCaseRules();
  for (int b = 1; b < 256; ++b) {
    SCOPED_TRACE(b);
    const std::string one(1, static_cast<char>(b));
    if (rules.LeadByte[b]) continue;
    EXPECT_EQ(static_cast<uint8_t>(LowerAnsiChar(one[0])), rules.Lower[b]);
    EXPECT_EQ(LowerAnsi(one), std::string(1, static_cast<char>(rules.Lower[b])));
    EXPECT_TRUE(SameTextAnsi(one, std::string(1, static_cast<char>(rules.Upper[b]))));
  }
}

}  // namespace
}  // namespace tailpack
