// ANSI <-> UTF-16 through the system's code page (under Wine on Linux).

#include <windows.h>

#include <gtest/gtest.h>

#include "platform/TextCase.h"
#include "platform/TextCodec.h"
#include "platform/win32/WideText.h"

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

// Letter case comes from the code page itself, not from fixed Western rules:
// Cyrillic capitals fold in 1251, the lead bytes of 932 make pairs that are
// never folded, and 1252 gives the same rules as the POSIX build.
TEST(Win32TextCodec, CaseRulesComeFromTheCodePage) {
  const TAnsiCaseRules cyrillic = win32::CaseRulesOfCodePage(1251);
  EXPECT_EQ(cyrillic.Lower[0xA8], 0xB8);  // YO
  EXPECT_EQ(cyrillic.Lower[0xC0], 0xE0);  // A
  EXPECT_EQ(cyrillic.Lower[0xD7], 0xF7);  // CHE, where 1252 has the multiplication sign
  EXPECT_EQ(cyrillic.Upper[0xFF], 0xDF);  // YA
  EXPECT_TRUE(SameTextAnsi("\xD7\xA8", "\xF7\xB8", cyrillic));

  const TAnsiCaseRules western = win32::CaseRulesOfCodePage(1252);
  EXPECT_EQ(western.Lower[0xD7], 0xD7);
  EXPECT_EQ(western.Lower[0x8A], 0x9A);
  EXPECT_EQ(western.Upper[0xFF], 0x9F);
  EXPECT_FALSE(SameTextAnsi("\xA8", "\xB8", western));

  const TAnsiCaseRules japanese = win32::CaseRulesOfCodePage(932);
  EXPECT_TRUE(japanese.LeadByte[0x82]);
  EXPECT_FALSE(japanese.LeadByte['A']);
  EXPECT_EQ(japanese.Lower['A'], 'a');
  EXPECT_FALSE(SameTextAnsi("\x82\x41", "\x82\x61", japanese));

  // What the core uses is the active code page's.
  const TAnsiCaseRules active = win32::CaseRulesOfCodePage(GetACP());
  EXPECT_EQ(AnsiCaseRules().Lower, active.Lower);
  EXPECT_EQ(AnsiCaseRules().Upper, active.Upper);
  EXPECT_EQ(AnsiCaseRules().LeadByte, active.LeadByte);
}

}  // namespace
}  // namespace tailpack
