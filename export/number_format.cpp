#include "export/number_format.h"

#include <bit>
#include <charconv>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <limits>

namespace plenvista {

namespace {

// Below 2^43 the value times 10^6 fits an unsigned 64-bit integer and the
// exact product of the 53-bit significand and 10^6 fits 128 bits, so the
// rounding can be done exactly in integers.
constexpr int kFastExponentLimit = 43;

__extension__ using Wide = unsigned __int128;

char* write_via_to_chars(char* out, double value) {
  if (std::isnan(value)) return write_text(out, "nan");  // never "-nan"
  return std::to_chars(out, out + kFixed6MaxChars, value, std::chars_format::fixed, 6).ptr;
}

constexpr char kDigitPairs[] =
    "00010203040506070809101112131415161718192021222324252627282930313233343536373839"
    "40414243444546474849505152535455565758596061626364656667686970717273747576777879"
    "8081828384858687888990919293949596979899";

// Writes the two digits of n < 100 at p.
void write_pair(char* p, std::uint64_t n) { std::memcpy(p, kDigitPairs + 2 * n, 2); }

constexpr std::uint64_t kPowersOfTen[20] = {1,
                                            10,
                                            100,
                                            1000,
                                            10000,
                                            100000,
                                            1000000,
                                            10000000,
                                            100000000,
                                            1000000000,
                                            10000000000,
                                            100000000000,
                                            1000000000000,
                                            10000000000000,
                                            100000000000000,
                                            1000000000000000,
                                            10000000000000000,
                                            100000000000000000,
                                            1000000000000000000,
                                            10000000000000000000u};

// Decimal digits of a value (1 for 0): log10 estimated from the bit count
// (1233 / 4096 is just above log10(2)), then corrected by one comparison.
int digit_count(std::uint64_t value) {
  const auto estimate = static_cast<int>((std::bit_width(value | 1) * 1233) >> 12);
  return estimate + ((value | 1) >= kPowersOfTen[estimate] ? 1 : 0);
}

template <class Unsigned>
void write_digits_before(char* end, Unsigned value) {
  while (value >= 100) {
    end -= 2;
    write_pair(end, static_cast<std::uint64_t>(value % 100));
    value /= 100;
  }
  if (value >= 10)
    write_pair(end - 2, static_cast<std::uint64_t>(value));
  else
    end[-1] = static_cast<char>('0' + value);
}

char* write_unsigned(char* out, std::uint64_t value) {
  char* end = out + digit_count(value);
  if (value <= std::numeric_limits<std::uint32_t>::max())
    write_digits_before(end, static_cast<std::uint32_t>(value));
  else
    write_digits_before(end, value);
  return end;
}

// The value in millionths rounded to nearest, ties to even, for values
// below 2^43 (where that fits 64 bits), computed exactly from the 53-bit
// significand in 128-bit integers.
std::uint64_t exact_millionths(std::uint64_t bits) {
  const int biased_exponent = static_cast<int>((bits >> 52) & 0x7FF);
  if (biased_exponent == 0) return 0;  // subnormals round to zero
  const std::uint64_t significand = (bits & ((std::uint64_t{1} << 52) - 1)) | (std::uint64_t{1} << 52);
  const int shift = 1075 - biased_exponent;  // value = significand / 2^shift, shift > 9 here
  if (shift >= 74) return 0;                 // below half a millionth
  const Wide scaled = static_cast<Wide>(significand) * 1000000u;
  std::uint64_t millionths = static_cast<std::uint64_t>(scaled >> shift);
  const Wide remainder = scaled & ((static_cast<Wide>(1) << shift) - 1);
  const Wide half = static_cast<Wide>(1) << (shift - 1);
  if (remainder > half || (remainder == half && (millionths & 1u) != 0)) ++millionths;
  return millionths;
}

// Below this the product of a magnitude and 10^6 is below 2^40, so its
// rounding error is at most 2^-13. When the rounded product lies within
// 0.499 of an integer, the exact product lies within 0.5 of it, no tie is
// possible and that integer is the correctly rounded result.
constexpr double kQuickLimit = 1099511.0;

}  // namespace

char* write_fixed6(char* out, double value) {
  const auto bits = std::bit_cast<std::uint64_t>(value);
  const bool negative = (bits >> 63) != 0;
  const double magnitude = negative ? -value : value;
  std::uint64_t millionths = 0;
  if (magnitude < kQuickLimit) {
    const double product = magnitude * 1e6;
    // Adding and taking away 2^52 rounds a value below 2^52 to an integer,
    // ties to even; the difference to it is exact.
    const double nearest = (product + 0x1p52) - 0x1p52;
    const double offset = product - nearest;
    millionths = offset < 0.499 && offset > -0.499 ? static_cast<std::uint64_t>(nearest) : exact_millionths(bits);
  } else if (static_cast<int>((bits >> 52) & 0x7FF) - 1023 < kFastExponentLimit) {
    millionths = exact_millionths(bits);
  } else {
    return write_via_to_chars(out, value);  // large, infinite or not a number
  }
  char* p = out;
  if (negative) *p++ = '-';
  p = write_unsigned(p, millionths / 1000000u);
  *p++ = '.';
  const auto fraction = static_cast<std::uint32_t>(millionths % 1000000u);
  write_pair(p, fraction / 10000u);
  write_pair(p + 2, fraction / 100u % 100u);
  write_pair(p + 4, fraction % 100u);
  return p + 6;
}

char* write_fixed6(char* out, const Vec3& v, char separator) {
  out = write_fixed6(out, v.x);
  *out++ = separator;
  out = write_fixed6(out, v.y);
  *out++ = separator;
  return write_fixed6(out, v.z);
}

char* write_integer(char* out, long long value) {
  if (value >= 0) return write_unsigned(out, static_cast<std::uint64_t>(value));
  *out++ = '-';
  return write_unsigned(out, 0 - static_cast<std::uint64_t>(value));
}

}  // namespace plenvista
