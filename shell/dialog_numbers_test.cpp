#include "shell/dialog_numbers.h"

#include <gtest/gtest.h>

#include <clocale>

namespace plenvista {
namespace {

TEST(FormatFixed, TwoDecimalsRoundedWithAPoint) {
  EXPECT_EQ(format_fixed(0.0, 2), "0.00");
  EXPECT_EQ(format_fixed(4.0, 2), "4.00");
  EXPECT_EQ(format_fixed(-0.125, 2), "-0.12");  // round half to even on the binary value
  EXPECT_EQ(format_fixed(2.675, 2), "2.67");    // 2.675 is stored just below
  EXPECT_EQ(format_fixed(1234567.891, 2), "1234567.89");
  EXPECT_EQ(format_fixed(-3.999, 2), "-4.00");
}

TEST(ParseNumber, ReadsTheLeadingNumberAndZeroForText) {
  EXPECT_DOUBLE_EQ(parse_number("3.25"), 3.25);
  EXPECT_DOUBLE_EQ(parse_number("  -7.5"), -7.5);
  EXPECT_DOUBLE_EQ(parse_number("+2"), 2.0);
  EXPECT_DOUBLE_EQ(parse_number("1e2"), 100.0);
  EXPECT_DOUBLE_EQ(parse_number("3.5mm"), 3.5);
  EXPECT_DOUBLE_EQ(parse_number("1,5"), 1.0);
  EXPECT_DOUBLE_EQ(parse_number(".5"), 0.5);
  EXPECT_DOUBLE_EQ(parse_number("abc"), 0.0);
  EXPECT_DOUBLE_EQ(parse_number(""), 0.0);
  EXPECT_DOUBLE_EQ(parse_number("-"), 0.0);
  EXPECT_DOUBLE_EQ(parse_number("--1"), 0.0);
  EXPECT_DOUBLE_EQ(parse_number("inf"), 0.0);
  EXPECT_DOUBLE_EQ(parse_number("nan"), 0.0);
  EXPECT_DOUBLE_EQ(parse_number("1e999"), 0.0);
}

TEST(ParseNumber, IgnoresTheUsersLocale) {
  const char* german = std::setlocale(LC_ALL, "de_DE.UTF-8");
  if (german == nullptr) german = std::setlocale(LC_ALL, "fr_FR.UTF-8");
  EXPECT_DOUBLE_EQ(parse_number("2.5"), 2.5);
  EXPECT_EQ(format_fixed(2.5, 2), "2.50");
  std::setlocale(LC_ALL, "C");
}

}  // namespace
}  // namespace plenvista
