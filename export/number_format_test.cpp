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
  char buffer[kFixed6MaxChars];
  return std::string(buffer, write_fixed6(buffer, value));
}

std::string printf_fixed6(double value) {
  char buffer[512];
  std::snprintf(buffer, sizeof buffer, "%0.06f", value);
  return buffer;
}

TEST(WriteFixed6, MatchesPrintfOnSignsTiesAndExtremes) {
  ASSERT_STREQ(std::setlocale(LC_NUMERIC, nullptr), "C");
  const double cases[] = {0.0,
                          -0.0,
                          1.0,
                          -1.0,
                          0.5,
                          0.0000005,
                          -0.0000004,
                          -1e-300,
                          5e-324,
                          -5e-324,
                          1.0 / 128,
                          3.0 / 128,
                          5.0 / 128,
                          -7.0 / 128,
                          0.9999995,
                          999999.9999995,
                          0.996094,
                          static_cast<float>(255 * 0.00390625),
                          123456.654321,
                          -98765.4321987,
                          8796093022207.999,
                          8796093022208.0,
                          -8796093022208.5,
                          1e15,
                          -1e300,
                          std::numeric_limits<double>::max(),
                          std::numeric_limits<double>::min(),
                          std::numeric_limits<double>::infinity(),
                          -std::numeric_limits<double>::infinity(),
                          std::numeric_limits<double>::quiet_NaN()};
  for (const double value : cases) EXPECT_EQ(fixed6(value), printf_fixed6(value)) << value;
  EXPECT_EQ(fixed6(-0.0), "-0.000000");
  EXPECT_EQ(fixed6(1.0 / 128), "0.007812");                             // an exact tie goes to the even digit
  EXPECT_EQ(fixed6(-std::numeric_limits<double>::quiet_NaN()), "nan");  // printf would write "-nan"
}

TEST(WriteFixed6, MatchesPrintfOnRandomValuesOfEveryMagnitude) {
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
    ASSERT_EQ(fixed6(any), std::isnan(any) ? "nan" : printf_fixed6(any));
  }
}

TEST(WriteFixed6, MatchesPrintfOnMillionsOfValuesNearTiesAndDigitCountChanges) {
  std::mt19937_64 random(11);
  std::uniform_int_distribution<int> digits(0, 15);
  std::uniform_int_distribution<std::int64_t> any_millionths(-(std::int64_t{1} << 53), std::int64_t{1} << 53);
  std::uniform_int_distribution<int> nudge(-2, 2);
  for (int i = 0; i < 1000000; ++i) {
    // A random count of integer digits, so 9.9999995, 99.9999995 ... occur.
    std::int64_t millionths = any_millionths(random);
    const int keep = digits(random);
    std::int64_t limit = 1;
    for (int d = 0; d < keep; ++d) limit *= 10;
    millionths %= limit;
    const double tie = (static_cast<double>(millionths) + 0.5) / 1e6;
    ASSERT_EQ(fixed6(tie), printf_fixed6(tie)) << millionths;
    // The doubles right beside it.
    const double beside = std::nextafter(tie, nudge(random) > 0 ? 1e300 : -1e300);
    ASSERT_EQ(fixed6(beside), printf_fixed6(beside)) << millionths;
  }
}

TEST(WriteInteger, MatchesPlainDecimalOfEveryLength) {
  std::mt19937_64 random(5);
  std::uniform_int_distribution<int> shift(1, 63);  // non-negative, so negating is safe
  std::uniform_int_distribution<std::uint64_t> bits;
  char buffer[kIntegerMaxChars];
  for (int i = 0; i < 200000; ++i) {
    const auto value = static_cast<long long>(bits(random) >> shift(random));
    for (const long long v : {value, -value, value / 10 * 10, value - 1}) {
      ASSERT_EQ(std::string(buffer, write_integer(buffer, v)), std::to_string(v));
    }
  }
  for (long long power = 1;; power *= 10) {
    for (const long long v : {power - 1, power, -power})
      EXPECT_EQ(std::string(buffer, write_integer(buffer, v)), std::to_string(v));
    if (power > std::numeric_limits<long long>::max() / 10) break;
  }
}

TEST(WriteInteger, WritesPlainDecimalAndVectorsTheirSeparator) {
  char buffer[3 * kFixed6MaxChars];
  char* p = write_integer(buffer, -9223372036854775807LL - 1);
  p = write_text(p, " | ");
  p = write_fixed6(p, Vec3{-0.0, 1e-7, -2.5}, ';');
  EXPECT_EQ(std::string(buffer, p), "-9223372036854775808 | -0.000000;0.000000;-2.500000");
}

}  // namespace
}  // namespace plenvista
