#include "cli/json_writer.h"

#include <charconv>
#include <cmath>

namespace plenvista {

void JsonWriter::separate() {
  if (after_key_) {
    after_key_ = false;
    return;
  }
  if (!has_items_.empty()) {
    if (has_items_.back()) out_ += ',';
    has_items_.back() = true;
  }
}

JsonWriter& JsonWriter::open(char bracket) {
  separate();
  out_ += bracket;
  has_items_.push_back(false);
  return *this;
}

JsonWriter& JsonWriter::close(char bracket) {
  out_ += bracket;
  has_items_.pop_back();
  return *this;
}

JsonWriter& JsonWriter::begin_object() { return open('{'); }
JsonWriter& JsonWriter::end_object() { return close('}'); }
JsonWriter& JsonWriter::begin_array() { return open('['); }
JsonWriter& JsonWriter::end_array() { return close(']'); }

JsonWriter& JsonWriter::key(std::string_view name) {
  value(name);
  out_ += ':';
  after_key_ = true;
  return *this;
}

JsonWriter& JsonWriter::value(std::string_view text) {
  separate();
  out_ += '"';
  for (const char c : text) {
    switch (c) {
      case '"': out_ += "\\\""; break;
      case '\\': out_ += "\\\\"; break;
      case '\n': out_ += "\\n"; break;
      case '\r': out_ += "\\r"; break;
      case '\t': out_ += "\\t"; break;
      default:
        if (static_cast<unsigned char>(c) < 0x20) {
          static constexpr char kHex[] = "0123456789abcdef";
          out_ += "\\u00";
          out_ += kHex[(c >> 4) & 0xF];
          out_ += kHex[c & 0xF];
        } else {
          out_ += c;
        }
    }
  }
  out_ += '"';
  return *this;
}

JsonWriter& JsonWriter::value(double number) {
  if (!std::isfinite(number)) return null();
  separate();
  char buffer[64];
  const auto result = std::to_chars(buffer, buffer + sizeof buffer, number);
  out_.append(buffer, result.ptr);
  return *this;
}

JsonWriter& JsonWriter::value(int number) {
  separate();
  out_ += std::to_string(number);
  return *this;
}

JsonWriter& JsonWriter::value(bool flag) {
  separate();
  out_ += flag ? "true" : "false";
  return *this;
}

JsonWriter& JsonWriter::null() {
  separate();
  out_ += "null";
  return *this;
}

}  // namespace plenvista
