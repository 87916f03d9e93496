#pragma once

// Numbers as text, independent of the user's locale: the GUI switches the C
// library to the user's locale, where printf and strtod would use a decimal
// comma. format_fixed gives exactly the text of printf's "%0.<decimals>f"
// in the C locale (rounding and the sign of negative zero included), except
// that a value that is not a number is "nan" whatever its sign bit (the
// infinities are "inf" and "-inf");
// append_shortest gives the shortest text that reads back to the same double
// ("nan", "inf" and "-inf" as above); parse_whole_number takes a text that is
// one finite decimal number and nothing else (a leading '+' allowed).
// parse_number reads a decimal number with a point the way a text-to-double
// conversion without validation does: leading blanks skipped, the longest
// leading numeric part taken, 0 when there is none.

#include <charconv>
#include <cmath>
#include <optional>
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

inline void append_shortest(std::string& out, double value) {
  if (std::isnan(value)) {
    out += "nan";
    return;
  }
  char buffer[64];
  const auto result = std::to_chars(buffer, buffer + sizeof buffer, value);
  out.append(buffer, result.ptr);
}

inline std::string format_shortest(double value) {
  std::string out;
  append_shortest(out, value);
  return out;
}

inline std::optional<double> parse_whole_number(std::string_view text) {
  if (!text.empty() && text.front() == '+') text.remove_prefix(1);
  if (text.empty() || text.front() == '+') return std::nullopt;
  double value = 0.0;
  const auto result = std::from_chars(text.data(), text.data() + text.size(), value, std::chars_format::general);
  if (result.ec != std::errc() || result.ptr != text.data() + text.size() || !std::isfinite(value)) return std::nullopt;
  return value;
}

inline std::string format_fixed(double value, int decimals) {
  std::string out;
  append_fixed(out, value, decimals);
  return out;
}

// The same for a table or result read on screen, where "-0.00" would only
// say that a computed zero came out a hair below it: a value that rounds
// to zero is shown unsigned.
inline std::string format_fixed_shown(double value, int decimals) {
  std::string out = format_fixed(value, decimals);
  if (out.size() > 1 && out[0] == '-' && out.find_first_not_of("0.", 1) == std::string::npos) out.erase(0, 1);
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
