#include "builder/SourceScript.h"

#include <gtest/gtest.h>

namespace tailpack {
namespace {

TSourceScript Parse(const std::string& text) { return ParseSourceScript(StringToBytes(text)); }

TEST(SourceScript, KeywordsParametersQuotesLabelsAndComments) {
  TSourceScript script = Parse(
      "; a comment\r\n"
      "Name \"Demo Game\"\r\n"
      "\n"
      "   # another comment\n"
      "start:\n"
      "file data\\ \"\" \"say \"\"hi\"\"\"\n"
      "  goto   start  \n");
  ASSERT_TRUE(script.Errors.empty());
  ASSERT_EQ(script.Lines.size(), 4u);
  EXPECT_EQ(script.Lines[0].Keyword, "name");
  EXPECT_EQ(script.Lines[0].Params, (std::vector<std::string>{"Demo Game"}));
  EXPECT_EQ(script.Lines[0].LineNumber, 2);
  EXPECT_TRUE(script.Lines[1].IsLabel);
  EXPECT_EQ(script.Lines[1].Keyword, "start");
  EXPECT_EQ(script.Lines[2].Params, (std::vector<std::string>{"data\\", "", "say \"hi\""}));
  EXPECT_EQ(script.Lines[3].Keyword, "goto");
  EXPECT_EQ(script.Lines[3].LineNumber, 7);
}

TEST(SourceScript, ReportsOpenQuotesWithTheirLine) {
  TSourceScript script = Parse("name ok\nmessage \"not closed\nmessage \"a\"b\n");
  ASSERT_EQ(script.Errors.size(), 2u);
  EXPECT_EQ(script.Errors[0].LineNumber, 2);
  EXPECT_EQ(script.Errors[1].LineNumber, 3);
  EXPECT_EQ(script.Lines.size(), 1u);
}

TEST(SourceScript, Utf8TextBecomesAnsi) {
  TSourceScript script = Parse("\xEF\xBB\xBFname \"Caf\xC3\xA9\"\n");
  ASSERT_EQ(script.Lines.size(), 1u);
  EXPECT_EQ(script.Lines[0].Params[0], "Caf\xE9");
  // Text that is not UTF-8 is taken as ANSI already.
  EXPECT_EQ(Parse("name Caf\xE9\n").Lines[0].Params[0], "Caf\xE9");
}

}  // namespace
}  // namespace tailpack
