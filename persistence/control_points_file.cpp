#include "persistence/control_points_file.h"

#include <charconv>
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

struct ReadPoint {
  ControlPoint point;
  std::vector<int> references;
};

}  // namespace

std::string control_points_path(std::string_view project_path) {
  if (ends_with_ignoring_case(project_path, ".op2")) project_path.remove_suffix(4);
  return std::string(project_path) + ".points.csv";
}

std::string encode_control_points(const ModelData& model, const ImageSet& images) {
  std::map<int, std::vector<int>> references;
  for (const ProjectImage* image : images.images)
    for (const ReferencePoint* r : image->reference_points)
      if (r->control_point_id != 0) references[r->control_point_id].push_back(r->id);
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
    out += ',' + std::to_string(c->id) + ',';
    const auto it = references.find(c->id);
    if (it != references.end())
      for (std::size_t k = 0; k < it->second.size(); ++k) {
        if (k) out += ' ';
        out += std::to_string(it->second[k]);
      }
    out += "\r\n";
  }
  return out;
}

bool decode_control_points(std::string_view text, ModelData& model, ImageSet& images, std::string& error) {
  std::vector<ReadPoint> read;
  std::set<int> ids;
  std::set<std::string, std::less<>> labels;
  bool header = false;
  for (const auto& [number, line] : data_lines(text)) {
    auto fail = [&, number = number](const std::string& reason) {
      error = "line " + std::to_string(number) + ": " + reason;
      return false;
    };
    const std::vector<std::string> fields = split_list_fields(line);
    if (!header) {
      if (line != kHeader) return fail("expected the header \"" + std::string(kHeader) + "\"");
      header = true;
      continue;
    }
    if (fields.size() != 6) return fail("expected 6 fields, found " + std::to_string(fields.size()));
    ReadPoint p;
    p.point.label = fields[0];
    const auto x = parse_whole_number(fields[1]);
    const auto y = parse_whole_number(fields[2]);
    const auto z = parse_whole_number(fields[3]);
    const auto id = whole_id(fields[4]);
    const auto references = id_list(fields[5]);
    if (p.point.label.empty() || !labels.insert(p.point.label).second) return fail("empty or repeated label");
    if (!x || !y || !z) return fail("a coordinate is not a number");
    if (!id || !ids.insert(*id).second) return fail("the id is not a positive whole number or is repeated");
    if (!references) return fail("a reference point id is not a positive whole number");
    p.point.id = *id;
    p.point.position = {*x, *y, *z};
    p.references = *references;
    read.push_back(std::move(p));
  }

  std::map<int, ReferencePoint*> reference_points;
  for (ProjectImage* image : images.images)
    for (ReferencePoint* r : image->reference_points) reference_points[r->id] = r;
  for (const ReadPoint& p : read) {
    if (p.point.id >= model.next_id) model.next_id = p.point.id + 1;
    model.control_points.insert(std::make_unique<ControlPoint>(p.point));
    for (const int reference : p.references)
      if (const auto it = reference_points.find(reference); it != reference_points.end())
        it->second->control_point_id = p.point.id;
  }
  return true;
}

}  // namespace plenvista
