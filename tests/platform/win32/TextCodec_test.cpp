// ANSI <-> UTF-16 through the system's code page (under Wine on Linux).

#include <windows.h>

#include <gtest/gtest.h>

#include "platform/TextCodec.h"

namespace tailpack {
namespace {

TEST(Win32TextCodec, RoundTripsTheCodePage) {
  EXPECT_EQ(AnsiToWide(""), u"");
  EXPECT_EQ(WideToAnsi(u""), "");
  EXPECT_EQ(AnsiToWide("C:\\Program Files\\App"), u"C:\\Program Files\\App");
  EXPECT_EQ(WideToAnsi(u"Setup \"1\""), "Setup \"1\"");
  // Embedded zero characters are text like any other.
  EXPECT_EQ(AnsiToWide(std::string("a\0b", 3)), std::u16string(u"a\0b", 3));
  if (GetACP() != 1252) GTEST_SKIP() << "the Western code page checks need code page 1252, not " << GetACP();
  EXPECT_EQ(AnsiToWide("caf\xE9 \x80"), u"caf\u00e9 \u20ac");
  EXPECT_EQ(WideToAnsi(u"caf\u00e9 \u20ac"), "caf\xE9 \x80");
}

TEST(Win32TextCodec, CharactersWithoutAnAnsiFormBecomeQuestionMarks) {
  if (GetACP() == CP_UTF8) GTEST_SKIP() << "every character has a form in UTF-8";
  EXPECT_EQ(WideToAnsi(u"\u4e2d"), "?");
  // Look-alikes are not mapped to the characters they resemble: a full-width
  // backslash or quote must not become a real one inside a path or command.
  EXPECT_EQ(WideToAnsi(u"a\uff3cb\uff02c"), "a?b?c");
}

}  // namespace
}  // namespace tailpack
