#include "platform/posix/CommandLine.h"

#include <gtest/gtest.h>

namespace tailpack::posix {
namespace {

TEST(SplitWindowsCommandLine, FollowsTheWindowsRuntimeRules) {
  struct TCase {
    const char* Text;
    std::vector<std::string> Arguments;
  };
  const TCase cases[] = {
      {"", {}},
      {"  \t ", {}},
      {"a b\t c", {"a", "b", "c"}},
      {"\"two words\" x", {"two words", "x"}},
      {"\"\"", {""}},
      {"a \"\" b", {"a", "", "b"}},
      {"a\"\"b", {"ab"}},
      {"pre\"fix mid\"post", {"prefix midpost"}},
      {"\\\"quoted\\\"", {"\"quoted\""}},
      {"\"a\\\\\" b", {"a\\", "b"}},          // 2n backslashes before a quote: n, and the quote ends quoting
      {"\"a\\\\\\\"b\"", {"a\\\"b"}},         // 2n+1: n and a literal quote
      {"C:\\path\\file C:\\dir\\", {"C:\\path\\file", "C:\\dir\\"}},  // other backslashes are literal
      {"\"say \"\"hi\"\"\"", {"say \"hi\""}},  // "" inside quotes is a quote
      {"\"unterminated arg", {"unterminated arg"}},
  };
  for (const TCase& c : cases) {
    SCOPED_TRACE(c.Text);
    EXPECT_EQ(SplitWindowsCommandLine(c.Text), c.Arguments);
  }
}

TEST(DesktopEntryQuoting, QuotesArgumentsAndEscapesStrings) {
  struct TCase {
    const char* Argument;
    const char* Quoted;
  };
  const TCase cases[] = {
      {"plain-arg", "plain-arg"},
      {"", "\"\""},
      {"two words", "\"two words\""},
      {"100%", "100%%"},
      {"$HOME", "\"\\$HOME\""},
      {"a\"b", "\"a\\\"b\""},
      {"back\\slash", "\"back\\\\slash\""},
      {"`cmd`", "\"\\`cmd\\`\""},
      {"~user", "\"~user\""},
      {"a;b&c|d", "\"a;b&c|d\""},
  };
  for (const TCase& c : cases) {
    SCOPED_TRACE(c.Argument);
    EXPECT_EQ(QuoteExecArgument(c.Argument), c.Quoted);
  }
  EXPECT_EQ(EscapeDesktopString("a\\b"), "a\\\\b");
  EXPECT_EQ(EscapeDesktopString("l1\nl2\r\tx"), "l1\\nl2\\r\\tx");
  EXPECT_EQ(EscapeDesktopString(" lead and inner"), "\\slead and inner");
}

}  // namespace
}  // namespace tailpack::posix
