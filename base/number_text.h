#pragma once

// Numbers as text, independent of the user's locale: the GUI switches the C
// library to the user's locale, where printf and strtod would use a decimal
// comma. format_fixed gives exactly the text of printf's "%0.<decimals>f"
// in the C locale (rounding and the sign of negative zero included), except
// that a value that is not a number is "nan" whatever its sign bit (the
// infinities are "inf" and "-inf");
// parse_number reads a decimal number with a point the way a text-to-double
// conversion without validation does: leading blanks skipped, the longest
// leading numeric part taken, 0 when there is none.

#include <charconv>
#include <cmath>
#include <string>
#include <string_view>
#include <system_error>

namespace plenvista {

inline void append_fixed(std::string& out, double value, int decimals) {
  if (std::isnan(value)) {
    out += "nan";
    return;
  }
  char buffer[400];
  const auto result = std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::fixed, decimals);
  if (result.ec == std::errc())
    out.append(buffer, result.ptr);
  else
    out.push_back('0');
}

inline std::string format_fixed(double value, int decimals) {
  std::string out;
  append_fixed(out, value, decimals);
  return out;
}

// A photograph position as the Camera Editor shows it: "(%0.02f, %0.02f)".
inline std::string format_position(double x, double y) {
  std::string text = "(";
  append_fixed(text, x, 2);
  text += ", ";
  append_fixed(text, y, 2);
  text += ')';
  return text;
}

inline double parse_number(std::string_view text) {
  std::size_t i = 0;
  while (i < text.size() && (text[i] == ' ' || text[i] == '\t' || text[i] == '\n' || text[i] == '\r')) ++i;
  bool negative = false;
  if (i < text.size() && (text[i] == '+' || text[i] == '-')) {
    negative = text[i] == '-';
    ++i;
  }
  double value = 0.0;
  const char* first = text.data() + i;
  const char* last = text.data() + text.size();
  // from_chars takes no leading '+' and would read "-" itself; the sign is
  // handled above so that "+2" and "- 2" behave like the C conversion.
  if (first < last && *first != '-' && *first != '+') {
    const auto result = std::from_chars(first, last, value, std::chars_format::general);
    if (result.ec == std::errc::invalid_argument) value = 0.0;
  }
  return negative ? -value : value;
}

}  // namespace plenvista
