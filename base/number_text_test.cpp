#include "base/number_text.h"

#include <gtest/gtest.h>

#include <clocale>
#include <cmath>
#include <cstdio>
#include <limits>

namespace plenvista {
namespace {

TEST(FormatFixed, MatchesCLocalePrintfIncludingRoundingAndNegativeZero) {
  std::setlocale(LC_NUMERIC, "C");
  const double values[] = {0.0,   -0.0,      0.5,   1.0 / 3.0,           -2.675,    0.125,
                           0.375, 1e-7,      -1e-7, 123456789.987654321, 0.9960937, 255 * 0.00390625,
                           1e20,  -4.0000005};
  for (double v : values) {
    for (int decimals : {2, 3, 6}) {
      char expected[512];
      std::snprintf(expected, sizeof expected, "%0.*f", decimals, v);
      EXPECT_EQ(format_fixed(v, decimals), expected) << v << " " << decimals;
    }
  }
  EXPECT_EQ(format_fixed(-0.0, 6), "-0.000000");
  // On screen a computed zero a hair below it is no negative number.
  EXPECT_EQ(format_fixed_shown(-1e-13, 2), "0.00");
  EXPECT_EQ(format_fixed_shown(-0.004, 2), "0.00");
  EXPECT_EQ(format_fixed_shown(-0.006, 2), "-0.01");
  EXPECT_EQ(format_fixed_shown(-300.15, 2), "-300.15");
}

TEST(FormatFixed, NonFiniteValuesAreNanAndInfWithoutASignOnNan) {
  const double nan = std::numeric_limits<double>::quiet_NaN();
  EXPECT_EQ(format_fixed(nan, 2), "nan");
  EXPECT_EQ(format_fixed(-nan, 3), "nan");
  EXPECT_EQ(format_fixed(0.0 * -std::numeric_limits<double>::infinity(), 2), "nan");
  EXPECT_EQ(format_fixed(std::numeric_limits<double>::infinity(), 2), "inf");
  EXPECT_EQ(format_fixed(-std::numeric_limits<double>::infinity(), 6), "-inf");
}

TEST(ParseNumber, TakesTheLeadingNumericPartWithADecimalPoint) {
  EXPECT_EQ(parse_number("12.5"), 12.5);
  EXPECT_EQ(parse_number("  -3.25e2xyz"), -325.0);
  EXPECT_EQ(parse_number("+7"), 7.0);
  EXPECT_EQ(parse_number("1,5"), 1.0);  // a comma is no decimal separator here
  EXPECT_EQ(parse_number("abc"), 0.0);
  EXPECT_EQ(parse_number(""), 0.0);
  EXPECT_EQ(parse_number("-"), 0.0);
  EXPECT_EQ(parse_number(".5"), 0.5);
}

}  // namespace
}  // namespace plenvista
