#pragma once

// Locale-independent number text for the export files. The results are
// byte for byte what the C library's printf gives in the "C" locale, whatever
// locale the program runs under (a GUI switches the C library to the user's
// locale, where printf would write a decimal comma).
//
// append_fixed6: "%0.06f" — six decimals, the exact binary value rounded to
// nearest with ties to even, a minus sign kept on negative zero and on
// negative values that round to zero; "inf", "-inf", "nan", "-nan" for the
// non-finite values. No failure cases.

#include <string>

#include "model/vec3.h"

namespace plenvista {

void append_fixed6(std::string& out, double value);
void append_integer(std::string& out, long long value);
// x, y and z as append_fixed6 writes them, with `separator` between them.
void append_fixed6(std::string& out, const Vec3& v, char separator);

}  // namespace plenvista
