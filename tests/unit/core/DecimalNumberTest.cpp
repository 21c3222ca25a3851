// Decimal numbers read as the input scripts and bank manifests want them, on every standard library.
#include "core/DecimalNumber.h"

#include <gtest/gtest.h>

#include <utility>

TEST(DecimalNumberTest, PlainDecimalsReadWhole) {
  const std::pair<const char*, double> rows[] = {{"0.02", 0.02}, {"-12", -12.0}, {"1e-3", 0.001},
                                                 {"2.5E+2", 250.0}, {".5", 0.5},   {"5.", 5.0}};
  for (const auto& [text, value] : rows) {
    double d = 0.0;
    ASSERT_TRUE(ParseDecimal(text, &d)) << text;
    EXPECT_DOUBLE_EQ(d, value) << text;
  }
  float f = 0.0f;
  ASSERT_TRUE(ParseDecimal("0.75", &f));
  EXPECT_FLOAT_EQ(f, 0.75f);
}

// What std::from_chars refuses is refused, and a refusal leaves the value alone.
TEST(DecimalNumberTest, AnythingElseAndValuesOutsideTheTypeAreRefused) {
  for (const char* text : {"", "+1", " 1", "1 ", "1,5", "0x10", "1e", "1e+", "-", ".", "e5", "inf", "nan",
                           "infinity", "1.2.3", "--1", "1e5x"}) {
    double d = 7.0;
    EXPECT_FALSE(ParseDecimal(text, &d)) << "'" << text << "'";
    EXPECT_EQ(d, 7.0) << text;
  }
  // So are values outside the type.
  double d = 0.0;
  EXPECT_FALSE(ParseDecimal("1e999", &d));
  float f = 0.0f;
  EXPECT_FALSE(ParseDecimal("1e39", &f)) << "too large for a float";
  EXPECT_TRUE(ParseDecimal("1e38", &f));
  // Text after the number inside the view is not read: the view ends where the token ends.
  std::string_view token = std::string_view("0.25,7").substr(0, 4);
  ASSERT_TRUE(ParseDecimal(token, &d));
  EXPECT_DOUBLE_EQ(d, 0.25);
}
