#include "persistence/control_points_file.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <limits>
#include <map>
#include <memory>
#include <optional>
#include <set>
#include <vector>

#include "base/number_text.h"
#include "base/text.h"
#include "persistence/exchange_text.h"

namespace plenvista {

namespace {

constexpr std::string_view kHeader = "label,X,Y,Z,id,references";
constexpr std::string_view kTieHeader = "tie,X,Y,Z,id,references,sx_mm,sy_mm,sz_mm,rays,max_angle_deg";
constexpr std::string_view kMarkHeader = "mark,image,x,y,residual_px,outlier";

std::optional<int> whole_id(std::string_view text) {
  int id = 0;
  const auto result = std::from_chars(text.data(), text.data() + text.size(), id);
  if (text.empty() || result.ec != std::errc() || result.ptr != text.data() + text.size() || id <= 0 ||
      id == std::numeric_limits<int>::max())
    return std::nullopt;
  return id;
}

// Blank-separated ids; none when one is not a positive whole number.
std::optional<std::vector<int>> id_list(std::string_view text) {
  std::vector<int> ids;
  for (const std::string& field : split_list_fields(text)) {
    const auto id = whole_id(field);
    if (!id) return std::nullopt;
    ids.push_back(*id);
  }
  return ids;
}

// An empty field (none) or a number; false when it is neither.
bool optional_number(const std::string& text, std::optional<double>& value) {
  value.reset();
  if (text.empty()) return true;
  value = parse_whole_number(text);
  return value.has_value();
}

void append_optional(std::string& out, const std::optional<double>& value) {
  out += ',';
  if (value) append_shortest(out, *value);
}

void append_ids(std::string& out, const std::map<int, std::vector<int>>& references, int id) {
  out += ',';
  const auto it = references.find(id);
  if (it == references.end()) return;
  for (std::size_t k = 0; k < it->second.size(); ++k) {
    if (k) out += ' ';
    out += std::to_string(it->second[k]);
  }
}

std::optional<double> part(const std::optional<Vec3>& v, int k) {
  if (!v) return std::nullopt;
  return k == 0 ? v->x : k == 1 ? v->y : v->z;
}

struct ReadPoint {
  ControlPoint point;
  std::vector<int> references;
};

struct ReadTie {
  TiePoint point;
  std::vector<int> references;
};

struct ReadMark {
  int id = 0;
  int image = 0;
  std::optional<Point2> position;  // given for a mark the project file does not hold
  std::optional<double> residual;
  bool outlier = false;
};

enum class Table { None, Control, Tie, Mark };

// The parsed side file, checked line by line before anything is applied.
struct SideFile {
  std::vector<ReadPoint> points;
  std::vector<ReadTie> ties;
  std::vector<ReadMark> marks;
};

bool read_control_line(const std::vector<std::string>& fields, SideFile& file, std::string& reason) {
  if (fields.size() != 6) {
    reason = "expected 6 fields, found " + std::to_string(fields.size());
    return false;
  }
  ReadPoint p;
  p.point.label = fields[0];
  const auto x = parse_whole_number(fields[1]);
  const auto y = parse_whole_number(fields[2]);
  const auto z = parse_whole_number(fields[3]);
  const auto id = whole_id(fields[4]);
  const auto references = id_list(fields[5]);
  if (!x || !y || !z) reason = "a coordinate is not a number";
  if (!id) reason = "the id is not a positive whole number";
  if (!references) reason = "a reference point id is not a positive whole number";
  if (!reason.empty()) return false;
  p.point.id = *id;
  p.point.position = {*x, *y, *z};
  p.references = *references;
  file.points.push_back(std::move(p));
  return true;
}

bool read_tie_line(const std::vector<std::string>& fields, SideFile& file, std::string& reason) {
  if (fields.size() != 11) {
    reason = "expected 11 fields, found " + std::to_string(fields.size());
    return false;
  }
  ReadTie t;
  t.point.label = fields[0];
  std::optional<double> v[8];
  for (std::size_t k = 0; k < 3; ++k)
    if (!optional_number(fields[1 + k], v[k])) reason = "a coordinate is not a number";
  for (std::size_t k = 3; k < 6; ++k)
    if (!optional_number(fields[3 + k], v[k])) reason = "a standard deviation is not a number";
  if (!optional_number(fields[10], v[7])) reason = "the largest angle is not a number";
  const auto id = whole_id(fields[4]);
  const auto references = id_list(fields[5]);
  int rays = 0;
  if (!fields[9].empty()) {
    const auto result = std::from_chars(fields[9].data(), fields[9].data() + fields[9].size(), rays);
    if (result.ec != std::errc() || result.ptr != fields[9].data() + fields[9].size() || rays < 0)
      reason = "the number of rays is not a whole number";
  }
  if (!id) reason = "the id is not a positive whole number";
  if (!references) reason = "a reference point id is not a positive whole number";
  if ((v[0].has_value() != v[1].has_value()) || (v[0].has_value() != v[2].has_value()))
    reason = "give all of X, Y, Z or none";
  if (!reason.empty()) return false;
  t.point.id = *id;
  if (v[0]) t.point.position = Vec3{*v[0], *v[1], *v[2]};
  if (v[3] && v[4] && v[5]) t.point.precision = TiePrecision{{*v[3], *v[4], *v[5]}, rays, v[7].value_or(0.0)};
  t.references = *references;
  file.ties.push_back(std::move(t));
  return true;
}

bool read_mark_line(const std::vector<std::string>& fields, SideFile& file, std::string& reason) {
  if (fields.size() != 6) {
    reason = "expected 6 fields, found " + std::to_string(fields.size());
    return false;
  }
  ReadMark m;
  const auto id = whole_id(fields[0]);
  const auto image = whole_id(fields[1]);
  std::optional<double> x, y;
  if (!id) reason = "the mark's id is not a positive whole number";
  if (!image) reason = "the image's id is not a positive whole number";
  if (!optional_number(fields[2], x) || !optional_number(fields[3], y) || x.has_value() != y.has_value() ||
      (x && !(std::isfinite(*x) && std::isfinite(*y))))
    reason = "the position is not two numbers or none";
  if (!optional_number(fields[4], m.residual)) reason = "the residual is not a number";
  if (fields[5] != "0" && fields[5] != "1") reason = "the outlier flag is not 0 or 1";
  if (!reason.empty()) return false;
  m.id = *id;
  m.image = *image;
  if (x) m.position = Point2{*x, *y};
  m.outlier = fields[5] == "1";
  file.marks.push_back(m);
  return true;
}

bool parse_side_file(std::string_view text, SideFile& file, std::string& error) {
  Table table = Table::None;
  std::set<int> ids;
  std::set<std::string, std::less<>> labels;
  for (const auto& [number, line] : data_lines(text)) {
    std::string reason;
    if (table == Table::None && line != kHeader) {
      reason = "expected the header \"" + std::string(kHeader) + "\"";
    } else if (line == kHeader && table == Table::None) {
      table = Table::Control;
      continue;
    } else if (line == kTieHeader && table == Table::Control) {
      table = Table::Tie;
      continue;
    } else if (line == kMarkHeader && (table == Table::Control || table == Table::Tie)) {
      table = Table::Mark;
      continue;
    } else {
      const std::vector<std::string> fields = split_list_fields(line);
      const bool read = table == Table::Control ? read_control_line(fields, file, reason)
                        : table == Table::Tie   ? read_tie_line(fields, file, reason)
                                                : read_mark_line(fields, file, reason);
      if (read) {
        const int id = table == Table::Control ? file.points.back().point.id
                       : table == Table::Tie   ? file.ties.back().point.id
                                               : file.marks.back().id;
        if (!ids.insert(id).second) reason = "the id " + std::to_string(id) + " is repeated";
        if (table != Table::Mark) {
          const std::string& label = fields[0];
          if (label.empty() || !labels.insert(label).second) reason = "empty or repeated label";
        }
      }
    }
    if (!reason.empty()) {
      error = "line " + std::to_string(number) + ": " + reason;
      return false;
    }
  }
  return true;
}

// Whether a record the project file holds has this id.
bool id_taken(const ModelData& model, const ImageSet& images, int id) {
  if (model.points.find(id) || model.faces.find(id) || model.texture_coords.find(id) || model.layers.find(id) ||
      model.materials.find(id) || images.images.find(id))
    return true;
  for (const ProjectImage* image : images.images)
    if (image->reference_points.find(id)) return true;
  return false;
}

// The images' reference points by id.
std::map<int, ReferencePoint*> reference_points_by_id(const ImageSet& images) {
  std::map<int, ReferencePoint*> out;
  for (ProjectImage* image : images.images)
    for (ReferencePoint* r : image->reference_points) out[r->id] = r;
  return out;
}

// Marks of placed tie points join the reference points with its
// coordinates; unplaced marks of no tie point are dropped, and reference
// points of the project file tied to an unplaced one forget it.
void settle_tie_marks(const ModelData& model, ImageSet& images) {
  for (ProjectImage* image : images.images) {
    for (int slot = image->tie_marks.count() - 1; slot >= 0; --slot) {
      ReferencePoint* mark = image->tie_marks[slot];
      const TiePoint* tie = model.tie_points.find(mark->control_point_id);
      if (!tie) {
        image->tie_marks.remove_at(slot);
      } else if (tie->position) {
        mark->world_position = *tie->position;
        image->reference_points.insert(image->tie_marks.take_at(slot));
      }
    }
    for (int slot = image->reference_points.count() - 1; slot >= 0; --slot) {
      ReferencePoint* mark = image->reference_points[slot];
      const TiePoint* tie = model.tie_points.find(mark->control_point_id);
      if (!tie) continue;
      if (tie->position)
        mark->world_position = *tie->position;
      else
        mark->control_point_id = 0;  // the project file has it with coordinates of its own
    }
  }
}

}  // namespace

std::string control_points_path(std::string_view project_path) {
  if (ends_with_ignoring_case(project_path, ".op2")) project_path.remove_suffix(4);
  return std::string(project_path) + ".points.csv";
}

bool has_side_records(const ModelData& model) { return !model.control_points.empty() || !model.tie_points.empty(); }

std::string encode_control_points(const ModelData& model, const ImageSet& images) {
  std::map<int, std::vector<int>> references;
  std::string marks;
  for (const ProjectImage* image : images.images) {
    for (const ReferencePoint* r : image->reference_points) {
      if (r->control_point_id != 0) references[r->control_point_id].push_back(r->id);
      if (!r->orientation_residual && !r->orientation_outlier) continue;
      marks += std::to_string(r->id) + ',' + std::to_string(image->id) + ",,";
      append_optional(marks, r->orientation_residual);
      marks += r->orientation_outlier ? ",1\r\n" : ",0\r\n";
    }
    for (const ReferencePoint* r : image->tie_marks) {
      references[r->control_point_id].push_back(r->id);
      marks += std::to_string(r->id) + ',' + std::to_string(image->id);
      append_optional(marks, r->image_position.x);
      append_optional(marks, r->image_position.y);
      append_optional(marks, r->orientation_residual);
      marks += r->orientation_outlier ? ",1\r\n" : ",0\r\n";
    }
  }
  for (auto& entry : references) std::sort(entry.second.begin(), entry.second.end());
  std::string out =
      "# Plenvista control points: label, X, Y, Z, the control point's id and the ids of the reference points made "
      "from it\r\n";
  out += kHeader;
  out += "\r\n";
  for (const ControlPoint* c : model.control_points) {
    out += list_field(c->label);
    for (const double v : {c->position.x, c->position.y, c->position.z}) {
      out += ',';
      append_shortest(out, v);
    }
    out += ',' + std::to_string(c->id);
    append_ids(out, references, c->id);
    out += "\r\n";
  }
  if (!model.tie_points.empty()) {
    out +=
        "# Tie points: label, X, Y, Z from the last orientation (empty until then), id, the ids of their marks, "
        "standard deviations in X, Y, Z (mm), rays, largest angle between rays (degrees)\r\n";
    out += kTieHeader;
    out += "\r\n";
    for (const TiePoint* t : model.tie_points) {
      out += list_field(t->label);
      for (int k = 0; k < 3; ++k) append_optional(out, part(t->position, k));
      out += ',' + std::to_string(t->id);
      append_ids(out, references, t->id);
      for (int k = 0; k < 3; ++k)
        append_optional(out, part(t->precision ? std::optional<Vec3>(t->precision->sigma_mm) : std::nullopt, k));
      out += ',';
      if (t->precision) out += std::to_string(t->precision->rays);
      append_optional(out, t->precision ? std::optional<double>(t->precision->max_angle_deg) : std::nullopt);
      out += "\r\n";
    }
  }
  if (!marks.empty()) {
    out +=
        "# Marks: id, image id, centre-relative pixel position when the project file does not hold the mark, "
        "residual (pixels) and outlier flag from the last orientation\r\n";
    out += kMarkHeader;
    out += "\r\n";
    out += marks;
  }
  return out;
}

bool decode_control_points(std::string_view text, ModelData& model, ImageSet& images, std::string& error) {
  SideFile file;
  if (!parse_side_file(text, file, error)) return false;
  std::vector<int> new_ids;
  for (const ReadPoint& p : file.points) new_ids.push_back(p.point.id);
  for (const ReadTie& t : file.ties) new_ids.push_back(t.point.id);
  for (const ReadMark& m : file.marks)
    if (m.position) new_ids.push_back(m.id);
  for (const int id : new_ids)
    if (id_taken(model, images, id)) {
      error = "the id " + std::to_string(id) + " belongs to a record of the project file";
      return false;
    }
  std::map<int, ReferencePoint*> reference_points = reference_points_by_id(images);

  // Everything was read: apply it.
  auto raise = [&](int id) {
    if (id >= model.next_id) model.next_id = id + 1;
  };
  for (const ReadMark& m : file.marks) {
    ProjectImage* image = images.images.find(m.image);
    if (!image) continue;
    ReferencePoint* mark = nullptr;
    if (m.position) {
      auto made = std::make_unique<ReferencePoint>();
      made->id = m.id;
      made->image_position = *m.position;
      mark = image->tie_marks.insert(std::move(made));
      reference_points[m.id] = mark;
      raise(m.id);
    } else if (ReferencePoint* held = image->reference_points.find(m.id)) {
      mark = held;
    }
    if (!mark) continue;
    mark->orientation_residual = m.residual;
    mark->orientation_outlier = m.outlier;
  }
  auto link = [&](const std::vector<int>& ids, int owner) {
    for (const int reference : ids)
      if (const auto it = reference_points.find(reference); it != reference_points.end())
        it->second->control_point_id = owner;
  };
  for (const ReadPoint& p : file.points) {
    raise(p.point.id);
    model.control_points.insert(std::make_unique<ControlPoint>(p.point));
    link(p.references, p.point.id);
  }
  for (const ReadTie& t : file.ties) {
    raise(t.point.id);
    model.tie_points.insert(std::make_unique<TiePoint>(t.point));
    link(t.references, t.point.id);
  }
  settle_tie_marks(model, images);
  return true;
}

}  // namespace plenvista
