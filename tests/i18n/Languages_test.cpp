#include "i18n/Languages.h"

#include <gtest/gtest.h>

#include "base/Errors.h"
#include "base/Text.h"

namespace tailpack {
namespace {

// A language entry as the archive holds it: a byte-order mark, then UTF-16LE.
std::vector<uint8_t> Entry(const std::u16string& text) {
  std::vector<uint8_t> bytes = {0xFF, 0xFE};
  for (char16_t c : text) {
    bytes.push_back(static_cast<uint8_t>(c));
    bytes.push_back(static_cast<uint8_t>(c >> 8));
  }
  return bytes;
}

void AddLanguage(TLanguages& languages, const std::u16string& text) {
  auto bytes = Entry(text);
  languages.Add(bytes.data(), static_cast<uint32_t>(bytes.size()));
}

TEST(Languages, ParsesNameIdentifiersAndStrings) {
  TLanguages languages;
  AddLanguage(languages, u"Deutsch\r\n0407;0807;\r\n7   Platz: <%SPACEREQ%>\r\n12\r\n$D \"quoted\" text\r\n5 first\r\n5 second\r\n");
  ASSERT_EQ(languages.LanguageList().size(), 1u);
  const TLanguage& german = languages.LanguageList()[0];
  EXPECT_EQ(german.Name, u"Deutsch");
  EXPECT_EQ(german.LangIDs, (std::vector<uint16_t>{0x0407, 0x0807}));
  languages.Current = 0;
  EXPECT_EQ(languages.GetString(7), u"Platz: <%SPACEREQ%>");
  EXPECT_EQ(languages.GetString(12), u"");
  EXPECT_EQ(languages.GetString(13), u"\"quoted\" text");
  EXPECT_EQ(languages.GetString(5), u"first");
  EXPECT_EQ(languages.GetString(99), u"NOT FOUND 99");
}

TEST(Languages, IdentifierLines) {
  struct TCase {
    const char16_t* Line;
    std::vector<uint16_t> Ids;
    bool Fails;
  } cases[] = {
      {u"0409", {1033}, false},
      {u"0409;0809;", {1033, 2057}, false},
      {u"0409;0809", {}, true},
      {u"english", {}, true},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(std::string(c.Line, c.Line + std::char_traits<char16_t>::length(c.Line)));
    TLanguages languages;
    if (c.Fails) {
      EXPECT_THROW(AddLanguage(languages, u"Name\r\n" + std::u16string(c.Line) + u"\r\n"), EConversionError);
    } else {
      AddLanguage(languages, u"Name\r\n" + std::u16string(c.Line) + u"\r\n");
      EXPECT_EQ(languages.LanguageList()[0].LangIDs, c.Ids);
    }
  }
}

TEST(Languages, MalformedEntriesFail) {
  TLanguages languages;
  EXPECT_THROW(AddLanguage(languages, u"Only a name"), EListIndexError);
  EXPECT_THROW(AddLanguage(languages, u"Name\r\n0409\r\n\r\n7 after a blank line\r\n"), EConversionError);
  EXPECT_THROW(AddLanguage(languages, u"Name\r\n0409\r\nseven text\r\n"), EConversionError);
  EXPECT_THROW(languages.Add(nullptr, 0), EIOError);
}

TEST(Languages, LineBreakRules) {
  TLanguages languages;
  // A lone LF drops what precedes it on its line; no empty line at the end.
  AddLanguage(languages, u"Name\r\n0409\r\ndropped\n1 one\r\n2 two");
  languages.Current = 0;
  EXPECT_EQ(languages.LanguageList()[0].Strings.size(), 2u);
  EXPECT_EQ(languages.GetString(1), u"one");
  EXPECT_EQ(languages.GetString(2), u"two");
}

TEST(Languages, FindByLangIDAndNoCurrentLanguage) {
  TLanguages languages;
  AddLanguage(languages, u"English\r\n0409;0809;\r\n1 Hello\r\n");
  AddLanguage(languages, u"Deutsch\r\n0407\r\n1 Hallo\r\n");
  EXPECT_EQ(languages.FindByLangID(0x0809), 0);
  EXPECT_EQ(languages.FindByLangID(0x0407), 1);
  EXPECT_EQ(languages.FindByLangID(0x0C07), -1);  // the whole identifier must match
  EXPECT_EQ(languages.GetString(1), u"NOT FOUND 1");
}

TEST(Languages, TranslateReplacesEveryTag) {
  TLanguages languages;
  AddLanguage(languages, u"English\r\n0409\r\n5 five\r\n6 six and <LANG5>\r\n7 loops <LANG7>\r\n");
  languages.Current = 0;
  EXPECT_EQ(languages.Translate(u"<LANG5>, <LANG6>, <LANG8>"), u"five, six and five, NOT FOUND 8");
  EXPECT_EQ(languages.Translate(u"<lang5> stays"), u"<lang5> stays");  // the tag is case-sensitive
  EXPECT_THROW(languages.Translate(u"<LANG5"), EConversionError);
  EXPECT_THROW(languages.Translate(u"<LANGx>"), EConversionError);
  // A string that names itself ends instead of expanding for ever.
  EXPECT_NE(languages.Translate(u"<LANG7>").find(u"loops"), std::u16string::npos);
  languages.Current = 5;  // beyond the list: left as it is
  EXPECT_EQ(languages.Translate(u"<LANG5>"), u"<LANG5>");
}

// Within the depth limit, strings of sixteen tags naming each other would
// make gigabytes of text (or billions of empty expansions): the text is
// refused instead, while an ordinary text with many tags passes.
TEST(Languages, TranslateBoundsWhatATextExpandsTo) {
  std::u16string sixteenTimes40, sixteenTimes41;
  for (int i = 0; i < 16; ++i) {
    sixteenTimes40 += u"<LANG40>";
    sixteenTimes41 += u"<LANG41>";
  }
  std::u16string emptyChain = u"English\r\n0409\r\n";
  for (int n = 40; n < 48; ++n) {
    std::u16string next = Wide("<LANG" + std::to_string(n + 1) + ">");
    std::u16string line;
    for (int i = 0; i < 16; ++i) line += next;
    emptyChain += Wide(std::to_string(n) + " ") + line + u"\r\n";
  }
  emptyChain += u"48\r\n";
  struct TCase {
    const char* Label;
    std::u16string Entry;
    std::u16string Text;
  };
  const TCase kCases[] = {
      {"a string that repeats itself", u"English\r\n0409\r\n40 " + sixteenTimes40 + u"\r\n", u"<LANG40>"},
      {"a chain of strings that expand to nothing", emptyChain, u"<LANG40>"},
  };
  for (const TCase& row : kCases) {
    SCOPED_TRACE(row.Label);
    TLanguages languages;
    AddLanguage(languages, row.Entry);
    languages.Current = 0;
    EXPECT_THROW(languages.Translate(row.Text), ETextTooLarge);
  }
  TLanguages languages;
  AddLanguage(languages, u"English\r\n0409\r\n41 x\r\n40 " + sixteenTimes41 + u"\r\n");
  languages.Current = 0;
  std::u16string text;
  for (int i = 0; i < 1000; ++i) text += u"<LANG40>";
  EXPECT_EQ(languages.Translate(text), std::u16string(16000, u'x'));
}

TEST(TextTags, DisplayTextTranslatesBreaksAndFillsTags) {
  TLanguages languages;
  AddLanguage(languages, u"English\r\n0409\r\n7 Needed: <%SPACEREQ%><br>Free: <%SPACEAVA%>\r\n");
  languages.Current = 0;
  std::string required = "1.50 MB";
  std::string available = "2.00 GB";
  TLanguageStrings tags;
  tags.Add("<%SPACEREQ%>", &required);
  tags.Add("<%SPACEAVA%>", &available);
  EXPECT_EQ(DisplayText(languages, tags, u"<LANG7><BR>"), u"Needed: 1.50 MB\rFree: 2.00 GB\r");
  required = "3.00 MB";  // the bound variable's current value is used
  EXPECT_EQ(tags.ApplyTextTags(u"<%spacereq%>"), u"3.00 MB");
  EXPECT_EQ(TLanguageStrings().ApplyTextTags(u"<%SPACEREQ%>"), u"<%SPACEREQ%>");
}

}  // namespace
}  // namespace tailpack
