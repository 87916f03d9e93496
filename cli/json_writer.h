#pragma once

// A small writer of one JSON document for the command-line tool's --json
// output. Numbers are written in the shortest text that reads back to the
// same double, independent of the user's locale; a number that is not
// finite is written as null. Texts are model texts (UTF-8 bytes): quotes,
// backslashes and control characters are escaped, other bytes pass through.
//
// The caller keeps the nesting balanced; inside an object every value is
// preceded by key().

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace plenvista {

class JsonWriter {
 public:
  JsonWriter& begin_object();
  JsonWriter& end_object();
  JsonWriter& begin_array();
  JsonWriter& end_array();
  JsonWriter& key(std::string_view name);
  JsonWriter& value(std::string_view text);
  JsonWriter& value(const char* text) { return value(std::string_view(text)); }
  JsonWriter& value(const std::string& text) { return value(std::string_view(text)); }
  // An absent text (one a file stores with length 0) is null.
  JsonWriter& value(const std::optional<std::string>& text) { return text ? value(*text) : null(); }
  JsonWriter& value(double number);
  JsonWriter& value(int number);
  JsonWriter& value(bool flag);
  JsonWriter& null();

  // Shorthands for a member of an object.
  template <typename T>
  JsonWriter& member(std::string_view name, const T& v) {
    key(name);
    return value(v);
  }

  // The document, ending with a line break.
  std::string text() const { return out_ + "\n"; }

 private:
  void separate();

  std::string out_;
  JsonWriter& open(char bracket);
  JsonWriter& close(char bracket);

  std::vector<bool> has_items_;  // per open container: whether an item was written
  bool after_key_ = false;
};

}  // namespace plenvista
