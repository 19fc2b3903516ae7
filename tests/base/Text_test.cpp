#include "base/Text.h"

#include <gtest/gtest.h>

namespace tailpack {
namespace {

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
