#pragma once

// JSON text written piece by piece, with numbers in the shortest form that
// reads back exactly, whatever the locale (a number that is not finite is
// written 0), and texts escaped as JSON strings (UTF-8 bytes as they are).

#include <charconv>
#include <cmath>
#include <cstdint>
#include <string>
#include <string_view>

namespace plenvista {

// JSON text with numbers in the shortest form that reads back exactly,
// whatever the locale.
class Json {
 public:
  Json& raw(std::string_view text) {
    text_ += text;
    return *this;
  }
  Json& number(double value) {
    char buffer[32];
    const auto result = std::to_chars(buffer, buffer + sizeof buffer, std::isfinite(value) ? value : 0.0);
    text_.append(buffer, result.ptr);
    return *this;
  }
  Json& number(std::uint64_t value) {
    char buffer[24];
    const auto result = std::to_chars(buffer, buffer + sizeof buffer, value);
    text_.append(buffer, result.ptr);
    return *this;
  }
  Json& string(std::string_view value) {
    text_ += '"';
    for (const char c : value) {
      if (c == '"' || c == '\\') {
        text_ += '\\';
        text_ += c;
      } else if (static_cast<unsigned char>(c) < 0x20) {
        static constexpr char kHex[] = "0123456789abcdef";
        text_ += "\\u00";
        text_ += kHex[(c >> 4) & 0xF];
        text_ += kHex[c & 0xF];
      } else {
        text_ += c;
      }
    }
    text_ += '"';
    return *this;
  }
  // A comma before every element of a list but the first.
  Json& next(bool& first) {
    if (!first) text_ += ',';
    first = false;
    return *this;
  }
  std::string& text() { return text_; }

 private:
  std::string text_;
};

}  // namespace plenvista
