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

void append_via_to_chars(std::string& out, double value) {
  char buffer[400];  // DBL_MAX has 309 integer digits
  const auto result = std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::fixed, 6);
  out.append(buffer, result.ptr);
}

}  // namespace

void append_fixed6(std::string& out, double value) {
  const auto bits = std::bit_cast<std::uint64_t>(value);
  const bool negative = (bits >> 63) != 0;
  const int biased_exponent = static_cast<int>((bits >> 52) & 0x7FF);
  if (biased_exponent == 0x7FF || biased_exponent - 1023 >= kFastExponentLimit) {
    append_via_to_chars(out, value);
    return;
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
  char buffer[32];
  char* p = buffer;
  if (negative) *p++ = '-';
  p = std::to_chars(p, buffer + sizeof buffer, millionths / 1000000u).ptr;
  *p++ = '.';
  std::uint64_t fraction = millionths % 1000000u;
  for (int i = 5; i >= 0; --i) {
    p[i] = static_cast<char>('0' + fraction % 10u);
    fraction /= 10u;
  }
  out.append(buffer, p + 6);
}

void append_fixed6(std::string& out, const Vec3& v, char separator) {
  append_fixed6(out, v.x);
  out += separator;
  append_fixed6(out, v.y);
  out += separator;
  append_fixed6(out, v.z);
}

void append_integer(std::string& out, long long value) {
  char buffer[24];
  const auto result = std::to_chars(buffer, buffer + sizeof buffer, value);
  out.append(buffer, result.ptr);
}

}  // namespace plenvista
