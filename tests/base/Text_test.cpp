#include "base/Text.h"

#include <gtest/gtest.h>

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

TEST(Utf8, RoundTripsAllPlanes) {
  std::u16string text = u"A\u00e9\u20ac\U0001F600";
  EXPECT_EQ(Utf8ToUtf16(Utf16ToUtf8(text)), text);
  EXPECT_EQ(Utf16ToUtf8(u"\u00e9"), "\xC3\xA9");
}

TEST(Trim, RemovesBlanksAndControlsAtBothEnds) {
  EXPECT_EQ(Trim(std::string(" \t a b \r\n")), "a b");
  EXPECT_EQ(Trim(std::string("   ")), "");
}

TEST(EscapeForTerminal, EscapesWhatWouldDriveTheTerminal) {
  struct TCase {
    std::string Text;
    std::string Shown;
  } cases[] = {
      {"plain name.txt", "plain name.txt"},
      {"C:\\Program Files\\A", "C:\\Program Files\\A"},  // backslashes stay
      {"\x1b[2K\x1b[1A", "\\x1b[2K\\x1b[1A"},              // erase line, cursor up
      {"\x1b]0;title\x07", "\\x1b]0;title\\x07"},           // window title, ended by BEL
      {std::string("a\0b", 3), "a\\x00b"},                   // NUL shows, the rest follows
      {"tab\there\r\n", "tab\\x09here\\x0d\\x0a"},
      {"\x7f", "\\x7f"},
      {"\xc2\x9b" "31m", "\\x9b31m"},                       // C1 CSI in UTF-8
      {"\xe2\x80\xae" "txt.exe", "\\u202etxt.exe"},         // right-to-left override
      {"\xff\xfe", "\\xff\\xfe"},                            // not UTF-8
      {"\xc0\x9b", "\\xc0\\x9b"},                            // an overlong form of a control
      {"caf\xc3\xa9 \xe2\x82\xac \xf0\x9f\x98\x80", "caf\xc3\xa9 \xe2\x82\xac \xf0\x9f\x98\x80"},
  };
  for (const TCase& c : cases) {
    SCOPED_TRACE(c.Shown);
    EXPECT_EQ(EscapeForTerminal(c.Text), c.Shown);
    EXPECT_EQ(EscapeForTerminal(EscapeForTerminal(c.Text)), c.Shown);
  }
}

}  // namespace
}  // namespace tailpack
