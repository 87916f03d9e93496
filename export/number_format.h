#pragma once

// Locale-independent number text for the export files. The results are
// byte for byte what the C library's printf gives in the "C" locale, whatever
// locale the program runs under (a GUI switches the C library to the user's
// locale, where printf would write a decimal comma).
//
// The writers put their text at `out`, which must have room for it, and
// return the end of what they wrote, so a line is built in place in the
// output buffer (TextOut::room) without temporaries.
//
// write_fixed6: "%0.06f" — six decimals, the exact binary value rounded to
// nearest with ties to even, a minus sign kept on negative zero and on
// negative values that round to zero; "inf", "-inf" and "nan" (whatever
// the sign bit of a value that is not a number) for the non-finite values.
// No failure cases.

#include <cstddef>
#include <cstring>

#include "base/vec3.h"

namespace plenvista {

// Room one write_fixed6 may need (DBL_MAX has 309 integer digits).
inline constexpr std::size_t kFixed6MaxChars = 320;
// Room one write_integer may need.
inline constexpr std::size_t kIntegerMaxChars = 20;

char* write_fixed6(char* out, double value);
// x, y and z as write_fixed6 writes them, `separator` between them.
char* write_fixed6(char* out, const Vec3& v, char separator);
char* write_integer(char* out, long long value);

// Copies a string literal without its terminating zero.
template <std::size_t N>
char* write_text(char* out, const char (&text)[N]) {
  std::memcpy(out, text, N - 1);
  return out + (N - 1);
}

}  // namespace plenvista
