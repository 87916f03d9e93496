#include "export/number_format.h"

#include <gtest/gtest.h>

#include <clocale>
#include <cmath>
#include <cstdio>
#include <limits>
#include <random>

namespace plenvista {
namespace {

std::string fixed6(double value) {
  std::string out;
  append_fixed6(out, value);
  return out;
}

std::string printf_fixed6(double value) {
  char buffer[512];
  std::snprintf(buffer, sizeof buffer, "%0.06f", value);
  return buffer;
}

TEST(AppendFixed6, MatchesPrintfOnSignsTiesAndExtremes) {
  ASSERT_STREQ(std::setlocale(LC_NUMERIC, nullptr), "C");
  const double cases[] = {0.0, -0.0, 1.0, -1.0, 0.5, 0.0000005, -0.0000004, -1e-300, 5e-324, -5e-324,
                          1.0 / 128, 3.0 / 128, 5.0 / 128, -7.0 / 128, 0.9999995, 999999.9999995, 0.996094,
                          static_cast<float>(255 * 0.00390625), 123456.654321, -98765.4321987,
                          8796093022207.999, 8796093022208.0, -8796093022208.5, 1e15, -1e300,
                          std::numeric_limits<double>::max(), std::numeric_limits<double>::min(),
                          std::numeric_limits<double>::infinity(), -std::numeric_limits<double>::infinity(),
                          std::numeric_limits<double>::quiet_NaN()};
  for (const double value : cases) EXPECT_EQ(fixed6(value), printf_fixed6(value)) << value;
  EXPECT_EQ(fixed6(-0.0), "-0.000000");
  EXPECT_EQ(fixed6(1.0 / 128), "0.007812");  // an exact tie goes to the even digit
}

TEST(AppendFixed6, MatchesPrintfOnRandomValuesOfEveryMagnitude) {
  std::mt19937_64 random(7);
  std::uniform_real_distribution<double> mantissa(-1.0, 1.0);
  std::uniform_int_distribution<int> exponent(-30, 50);
  std::uniform_int_distribution<std::uint64_t> bits;
  for (int i = 0; i < 200000; ++i) {
    const double value = std::ldexp(mantissa(random), exponent(random));
    ASSERT_EQ(fixed6(value), printf_fixed6(value)) << value;
    // Values with exactly representable millionth ties and arbitrary bit patterns.
    const double tie = static_cast<double>(static_cast<std::int64_t>(bits(random) % 2000000001) - 1000000000) / 128.0;
    ASSERT_EQ(fixed6(tie), printf_fixed6(tie)) << tie;
    const double any = std::bit_cast<double>(bits(random));
    ASSERT_EQ(fixed6(any), printf_fixed6(any));
  }
}

TEST(AppendInteger, WritesPlainDecimal) {
  std::string out;
  append_integer(out, 0);
  out += ' ';
  append_integer(out, -42);
  out += ' ';
  append_integer(out, 2147483647);
  EXPECT_EQ(out, "0 -42 2147483647");
}

}  // namespace
}  // namespace plenvista
