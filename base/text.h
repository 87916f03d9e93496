#pragma once

// Small text helpers for 8-bit (UTF-8) model texts.

#include <optional>
#include <string>
#include <string_view>

namespace plenvista {

// A text kept in the project and camera files, which tell an absent text
// (stored with length 0) from an empty one (length 1, the zero byte alone).
// A text read absent stays absent and is saved absent; a text the user
// enters, even an empty one, is present.
using StoredText = std::optional<std::string>;

// What a stored text shows: nothing when it is absent.
inline std::string_view shown(const StoredText& text) { return text ? std::string_view(*text) : std::string_view(); }

inline char ascii_lower(char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; }

// Equality without regard to ASCII letter case.
inline bool equal_ignoring_case(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i)
    if (ascii_lower(a[i]) != ascii_lower(b[i])) return false;
  return true;
}

inline bool ends_with_ignoring_case(std::string_view text, std::string_view suffix) {
  return text.size() >= suffix.size() && equal_ignoring_case(text.substr(text.size() - suffix.size()), suffix);
}

inline bool is_path_separator(char c) { return c == '/' || c == '\\'; }

// Position of the last '/' or '\', or npos.
inline std::size_t last_separator(std::string_view path) { return path.find_last_of("/\\"); }

// What follows the last '/' or '\' (the whole path when there is none).
inline std::string_view bare_file_name(std::string_view path) {
  const std::size_t separator = last_separator(path);
  return separator == std::string_view::npos ? path : path.substr(separator + 1);
}

// A field for a comma-separated line: in double quotes (a quote inside
// doubled) when it holds a comma or a quote, starts with '#' or has leading
// or trailing blanks.
inline std::string csv_field(std::string_view text) {
  const bool plain = text.find_first_of(",\"") == std::string_view::npos && !text.empty() && text.front() != '#' &&
                     text.front() != ' ' && text.front() != '\t' && text.back() != ' ' && text.back() != '\t';
  if (plain || text.empty()) return std::string(text);
  std::string out = "\"";
  for (const char c : text) {
    if (c == '"') out += '"';
    out += c;
  }
  return out + '"';
}

}  // namespace plenvista
