#include "base/Numbers.h"

#include <gtest/gtest.h>

#include "base/Errors.h"

namespace tailpack {
namespace {

TEST(FormatSize, UnitsAndRounding) {
  struct TCase {
    uint64_t Bytes;
    const char* Text;
  } cases[] = {
      {0, "0.00 Bytes"},
      {500, "500.00 Bytes"},
      {1023, "1023.00 Bytes"},
      {1024, "1.00 KB"},
      {2048, "2.00 KB"},
      {1536, "1.50 KB"},
      {1610612736, "1.50 GB"},
      {5ull << 40, "5120.00 GB"},  // the unit never goes past GB
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.Bytes);
    EXPECT_EQ(FormatSize(c.Bytes), c.Text);
  }
}

TEST(FloatToDotText, GeneralFormatWithFifteenDigits) {
  struct TCase {
    long double Value;
    const char* Text;
  } cases[] = {
      {3, "3.0"},
      {0, "0.0"},
      {-2.5L, "-2.5"},
      {0.1L, "0.1"},
      {1.0L / 3, "0.333333333333333"},
      {0.0000123456789L, "0.0000123456789"},  // still fixed below 0.0001
      {0.00000123L, "1.23E-6"},               // scientific below 0.00001
      {1e20L, "1E20.0"},
      {123456789012345.0L, "123456789012345.0"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.Text);
    EXPECT_EQ(FloatToDotText(c.Value), c.Text);
  }
}

TEST(ParseInteger, DecimalHexAndFailures) {
  struct TCase {
    const char* Text;
    std::optional<int32_t> Value;
  } cases[] = {
      {"12", 12},      {"-7", -7},          {"$FF", 255},     {"0x10", 16},
      {"  5", 5},      {"$FFFFFFFF", -1},   {"", std::nullopt}, {"12a", std::nullopt},
      {"5 ", std::nullopt}, {"2147483648", std::nullopt}, {"-2147483648", INT32_MIN}, {"$", std::nullopt},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.Text);
    EXPECT_EQ(ParseInteger(std::string_view(c.Text)), c.Value);
  }
  EXPECT_EQ(StrToIntOrMinus1("abc"), -1);
  EXPECT_EQ(StrToIntOrMinus1("42"), 42);
  EXPECT_THROW(StrToInt(std::string_view("x1")), EConversionError);
  EXPECT_EQ(StrToInt(std::u16string_view(u"$0409")), 0x0409);
}

}  // namespace
}  // namespace tailpack
