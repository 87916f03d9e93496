#include "export/number_format.h"

#include <bit>
#include <charconv>
#include <cstdint>

namespace plenvista {

namespace {

// Below 2^43 the value times 10^6 fits an unsigned 64-bit integer and the
// exact product of the 53-bit significand and 10^6 fits 128 bits, so the
// rounding can be done exactly in integers.
constexpr int kFastExponentLimit = 43;

__extension__ using Wide = unsigned __int128;

char* write_via_to_chars(char* out, double value) {
  return std::to_chars(out, out + kFixed6MaxChars, value, std::chars_format::fixed, 6).ptr;
}

}  // namespace

char* write_fixed6(char* out, double value) {
  const auto bits = std::bit_cast<std::uint64_t>(value);
  const bool negative = (bits >> 63) != 0;
  const int biased_exponent = static_cast<int>((bits >> 52) & 0x7FF);
  if (biased_exponent == 0x7FF || biased_exponent - 1023 >= kFastExponentLimit) {
    return write_via_to_chars(out, value);
  }
  std::uint64_t millionths = 0;
  if (biased_exponent != 0) {  // subnormals round to zero
    const std::uint64_t significand = (bits & ((std::uint64_t{1} << 52) - 1)) | (std::uint64_t{1} << 52);
    const int shift = 1075 - biased_exponent;  // value = significand / 2^shift, shift > 9 here
    const Wide scaled = static_cast<Wide>(significand) * 1000000u;
    if (shift < 74) {  // otherwise scaled / 2^shift < 0.5
      millionths = static_cast<std::uint64_t>(scaled >> shift);
      const Wide remainder = scaled & ((static_cast<Wide>(1) << shift) - 1);
      const Wide half = static_cast<Wide>(1) << (shift - 1);
      if (remainder > half || (remainder == half && (millionths & 1u) != 0)) ++millionths;
    }
  }
  char* p = out;
  if (negative) *p++ = '-';
  p = std::to_chars(p, p + kIntegerMaxChars, millionths / 1000000u).ptr;
  *p++ = '.';
  std::uint64_t fraction = millionths % 1000000u;
  for (int i = 5; i >= 0; --i) {
    p[i] = static_cast<char>('0' + fraction % 10u);
    fraction /= 10u;
  }
  return p + 6;
}

char* write_fixed6(char* out, const Vec3& v, char separator) {
  out = write_fixed6(out, v.x);
  *out++ = separator;
  out = write_fixed6(out, v.y);
  *out++ = separator;
  return write_fixed6(out, v.z);
}

char* write_integer(char* out, long long value) { return std::to_chars(out, out + kIntegerMaxChars, value).ptr; }

}  // namespace plenvista
