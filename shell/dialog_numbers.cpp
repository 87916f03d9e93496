#include "shell/dialog_numbers.h"

#include <array>
#include <charconv>
#include <cmath>

namespace plenvista {

std::string format_fixed(double value, int decimals) {
  std::array<char, 400> buffer{};
  const auto result =
      std::to_chars(buffer.data(), buffer.data() + buffer.size(), value, std::chars_format::fixed, decimals);
  if (result.ec != std::errc{}) return "0";
  return std::string(buffer.data(), result.ptr);
}

double parse_number(std::string_view text) {
  std::size_t start = 0;
  while (start < text.size() && (text[start] == ' ' || text[start] == '\t')) ++start;
  text.remove_prefix(start);
  // from_chars takes no leading '+'; skip one ourselves.
  bool negate = false;
  if (!text.empty() && (text.front() == '+' || text.front() == '-')) {
    negate = text.front() == '-';
    text.remove_prefix(1);
    if (!text.empty() && (text.front() == '+' || text.front() == '-')) return 0.0;
  }
  double value = 0.0;
  const auto result = std::from_chars(text.data(), text.data() + text.size(), value, std::chars_format::general);
  if (result.ec != std::errc{} || !std::isfinite(value)) return 0.0;
  return negate ? -value : value;
}

}  // namespace plenvista
