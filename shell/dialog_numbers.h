#pragma once

// Numbers shown in and typed into dialog fields, independent of the user's
// locale: a decimal point, never a comma, and no thousands separators.
//
// format_fixed(v, 2) writes v with exactly two decimals, rounded, as
// "%0.2f" would in the C locale ("-0.50", "1234.00"); infinities and NaN
// come out as "inf", "-inf" and "nan".
// parse_number reads the longest leading decimal number of the text after
// leading blanks ("3.5mm" is 3.5, "1e2" is 100); text that does not start
// with a number reads as 0, and so do "inf", "nan" and values out of the
// double range, so a field never yields a non-finite number.

#include <string>
#include <string_view>

namespace plenvista {

std::string format_fixed(double value, int decimals);
double parse_number(std::string_view text);

}  // namespace plenvista
