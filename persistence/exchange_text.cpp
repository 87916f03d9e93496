#include "persistence/exchange_text.h"

#include <algorithm>
#include <array>
#include <map>
#include <utility>

#include "base/number_text.h"
#include "base/text.h"

namespace plenvista {

namespace {

constexpr std::string_view kBlanks = " \t";

std::string_view trim(std::string_view text) {
  const std::size_t first = text.find_first_not_of(kBlanks);
  if (first == std::string_view::npos) return {};
  return text.substr(first, text.find_last_not_of(kBlanks) - first + 1);
}

// Fields separated by `separator`, or by runs of blanks when it is ' ';
// double quotes keep separators inside a field, "" standing for a quote.
std::vector<std::string> split_on(std::string_view line, char separator) {
  const bool runs = separator == ' ';
  std::vector<std::string> fields;
  std::string field;
  bool quoted = false;  // inside quotes now
  bool had_quotes = false;
  std::size_t kept = 0;  // length of the field up to its closing quote
  auto finish = [&] {
    // A quote left open at the end of the line closes there.
    if (quoted) kept = field.size();
    if (had_quotes)
      fields.push_back(field.substr(0, kept) + std::string(trim(std::string_view(field).substr(kept))));
    else if (!runs || !field.empty())
      fields.emplace_back(trim(field));
    field.clear();
    had_quotes = false;
  };
  for (std::size_t i = 0; i < line.size(); ++i) {
    const char c = line[i];
    if (quoted) {
      if (c != '"') {
        field += c;
      } else if (i + 1 < line.size() && line[i + 1] == '"') {
        field += '"';
        ++i;
      } else {
        quoted = false;
        kept = field.size();
      }
    } else if (c == '"' && !had_quotes && trim(field).empty()) {
      field.clear();
      quoted = had_quotes = true;
    } else if (c == separator || (runs && c == '\t')) {
      finish();
    } else {
      field += c;
    }
  }
  finish();
  return fields;
}

// Reads a number field; on failure adds "<name> is not a number: '<text>'".
bool read_number(const std::string& text, const char* name, double& value, int line,
                 std::vector<LineProblem>& problems) {
  if (const auto number = parse_whole_number(text)) {
    value = *number;
    return true;
  }
  std::string reason = std::string(name) + " is not a number: '" + text + "'";
  if (text.find(',') != std::string::npos) reason += " (use a decimal point)";
  problems.push_back({line, reason});
  return false;
}

bool is_number(const std::string& text) { return parse_whole_number(text).has_value(); }

// Column positions of label, X, Y, Z from a header's names, or none when
// one of them is not named.
std::optional<std::array<std::size_t, 4>> columns_of(const std::vector<std::string>& header) {
  static const std::array<std::vector<std::string_view>, 4> names{{
      {"label", "name", "point", "gcp"},
      {"x", "east", "easting"},
      {"y", "north", "northing"},
      {"z", "height", "elevation"},
  }};
  std::array<std::size_t, 4> columns{};
  for (std::size_t k = 0; k < 4; ++k) {
    bool found = false;
    for (std::size_t c = 0; c < header.size() && !found; ++c)
      for (std::string_view name : names[k])
        if (equal_ignoring_case(header[c], name)) {
          columns[k] = c;
          found = true;
          break;
        }
    if (!found) return std::nullopt;
  }
  return columns;
}

void append_number_field(std::string& out, double value) {
  out += '\t';
  append_shortest(out, value);
}

// A field of a tab-separated line, quoted when reading it back would
// otherwise change it or end it early.
std::string tab_field(std::string_view text) {
  const bool plain = !text.empty() && text.find_first_of("\t\"") == std::string_view::npos && text.front() != '#' &&
                     text.front() != ' ' && text.back() != ' ';
  if (plain) return std::string(text);
  std::string out = "\"";
  for (const char c : text) {
    if (c == '"') out += '"';
    out += c;
  }
  return out + '"';
}

}  // namespace

std::vector<NumberedLine> data_lines(std::string_view text) {
  if (text.substr(0, 3) == "\xEF\xBB\xBF") text.remove_prefix(3);
  std::vector<NumberedLine> lines;
  int number = 0;
  while (!text.empty()) {
    const std::size_t end = text.find('\n');
    std::string_view line = text.substr(0, end);
    text = end == std::string_view::npos ? std::string_view() : text.substr(end + 1);
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
    ++number;
    const std::string_view t = trim(line);
    if (!t.empty() && t.front() != '#') lines.push_back({number, line});
  }
  return lines;
}

std::vector<std::string> split_list_fields(std::string_view line) {
  for (const char separator : {';', ',', '\t'}) {
    bool quoted = false;
    for (const char c : line) {
      if (c == '"') quoted = !quoted;
      if (c == separator && !quoted) return split_on(line, separator);
    }
  }
  return split_on(line, ' ');
}

ControlPointList parse_control_point_list(std::string_view text) {
  ControlPointList out;
  std::array<std::size_t, 4> columns{0, 1, 2, 3};
  std::size_t expected = 4;
  bool first = true;
  std::map<std::string, int, std::less<>> label_lines;
  for (const auto& [number, line] : data_lines(text)) {
    const std::vector<std::string> fields = split_list_fields(line);
    if (first) {
      first = false;
      if (fields.size() >= 4 && !is_number(fields[1]) && !is_number(fields[2]) && !is_number(fields[3])) {
        out.has_header = true;
        if (const auto named = columns_of(fields)) {
          columns = *named;
          expected = fields.size();
        }
        continue;
      }
    }
    if (fields.size() != expected) {
      out.problems.push_back({number, "expected " + std::to_string(expected) + " fields (label, X, Y, Z), found " +
                                          std::to_string(fields.size())});
      continue;
    }
    ControlPointEntry entry;
    entry.line = number;
    entry.label = fields[columns[0]];
    if (entry.label.empty()) {
      out.problems.push_back({number, "the label is empty"});
      continue;
    }
    if (!read_number(fields[columns[1]], "X", entry.position.x, number, out.problems) ||
        !read_number(fields[columns[2]], "Y", entry.position.y, number, out.problems) ||
        !read_number(fields[columns[3]], "Z", entry.position.z, number, out.problems))
      continue;
    if (const auto it = label_lines.find(entry.label); it != label_lines.end()) {
      out.problems.push_back({number, "label '" + entry.label + "' was given on line " + std::to_string(it->second)});
      continue;
    }
    label_lines.emplace(entry.label, number);
    out.entries.push_back(std::move(entry));
  }
  return out;
}

GcpList parse_gcp_list(std::string_view text) {
  GcpList out;
  bool first = true;
  for (const auto& [number, line] : data_lines(text)) {
    const std::vector<std::string> fields = split_on(line, line.find('\t') != std::string_view::npos ? '\t' : ' ');
    if (first) {
      first = false;
      if (!is_number(fields[0])) {
        out.coordinate_system = std::string(trim(line));
        continue;
      }
    }
    if (fields.size() < 6) {
      out.problems.push_back({number, "expected at least 6 fields (X Y Z pixel_x pixel_y image_name), found " +
                                          std::to_string(fields.size())});
      continue;
    }
    ImageMark mark;
    mark.line = number;
    if (!read_number(fields[0], "X", mark.world.x, number, out.problems) ||
        !read_number(fields[1], "Y", mark.world.y, number, out.problems) ||
        !read_number(fields[2], "Z", mark.world.z, number, out.problems) ||
        !read_number(fields[3], "pixel_x", mark.pixel.x, number, out.problems) ||
        !read_number(fields[4], "pixel_y", mark.pixel.y, number, out.problems))
      continue;
    mark.image_name = fields[5];
    if (mark.image_name.empty()) {
      out.problems.push_back({number, "the image name is empty"});
      continue;
    }
    if (fields.size() > 6 && !fields[6].empty()) mark.label = fields[6];
    out.marks.push_back(std::move(mark));
  }
  return out;
}

std::string gcp_list_text(const Project& project, const std::optional<std::string>& coordinate_system) {
  std::string out;
  if (coordinate_system) out += *coordinate_system + "\r\n";
  for (const ProjectImage* image : project.images().images) {
    const std::string_view name = shown(image->file_name);
    if (name.empty()) continue;
    for (const ReferencePoint* r : image->reference_points) {
      append_shortest(out, r->world_position.x);
      append_number_field(out, r->world_position.y);
      append_number_field(out, r->world_position.z);
      append_number_field(out, r->image_position.x + image->centre_x);
      append_number_field(out, r->image_position.y + image->centre_y);
      out += '\t';
      out += name;
      if (const ControlPoint* c = project.model.control_points.find(r->control_point_id)) {
        out += '\t';
        out += c->label;
      }
      out += "\r\n";
    }
  }
  return out;
}

MarksList parse_marks_list(std::string_view text) {
  MarksList out;
  std::map<std::pair<std::string, std::string>, int> marked;  // label and photograph: the line
  for (const auto& [number, line] : data_lines(text)) {
    const std::vector<std::string> fields = split_on(line, line.find('\t') != std::string_view::npos ? '\t' : ' ');
    if (fields.size() != 4) {
      out.problems.push_back(
          {number, "expected 4 fields (label pixel_x pixel_y image_name), found " + std::to_string(fields.size())});
      continue;
    }
    LabelledMark mark;
    mark.line = number;
    mark.label = fields[0];
    if (!read_number(fields[1], "pixel_x", mark.pixel.x, number, out.problems) ||
        !read_number(fields[2], "pixel_y", mark.pixel.y, number, out.problems))
      continue;
    mark.image_name = fields[3];
    if (mark.label.empty() || mark.image_name.empty()) {
      out.problems.push_back({number, "the label or the image name is empty"});
      continue;
    }
    std::string image_key = mark.image_name;
    for (char& c : image_key) c = ascii_lower(c);
    const auto [it, added] = marked.try_emplace({mark.label, image_key}, number);
    if (!added) {
      out.problems.push_back({number, "'" + mark.label + "' is marked in " + mark.image_name + " on line " +
                                          std::to_string(it->second) + " already"});
      continue;
    }
    out.marks.push_back(std::move(mark));
  }
  return out;
}

MarksListText marks_list_text(const Project& project) {
  MarksListText out;
  out.text = "# label\tpixel_x\tpixel_y\timage_name\r\n";
  for (const ProjectImage* image : project.images().images) {
    const std::string_view name = shown(image->file_name);
    if (name.empty()) continue;
    std::vector<const ReferencePoint*> marks(image->reference_points.begin(), image->reference_points.end());
    marks.insert(marks.end(), image->tie_marks.begin(), image->tie_marks.end());
    std::sort(marks.begin(), marks.end(),
              [](const ReferencePoint* a, const ReferencePoint* b) { return a->id < b->id; });
    for (const ReferencePoint* r : marks) {
      const std::string_view label = mark_label(project.model, *r);
      if (label.empty()) {
        ++out.unlabelled;
        continue;
      }
      const Point2 pixel = mark_pixel(*image, *r);
      out.text += tab_field(label);
      append_number_field(out.text, pixel.x);
      append_number_field(out.text, pixel.y);
      out.text += '\t' + tab_field(name) + "\r\n";
      ++out.written;
    }
  }
  return out;
}

std::string list_field(std::string_view text) {
  if (text.find_first_of(";\t") == std::string_view::npos) return csv_field(text);
  std::string out = "\"";
  for (const char c : text) {
    if (c == '"') out += '"';
    out += c;
  }
  return out + '"';
}

std::string problems_text(const std::vector<LineProblem>& problems) {
  std::string out;
  for (const LineProblem& p : problems) out += "line " + std::to_string(p.line) + ": " + p.reason + "\n";
  return out;
}

}  // namespace plenvista
