#include "export/exchange_export.h"

#include <cmath>

#include "base/number_text.h"
#include "base/text.h"
#include "export/json_writer.h"
#include "export/normals.h"

namespace plenvista {

namespace {

void append_numbers(std::string& out, std::initializer_list<double> values) {
  for (const double v : values) {
    out += ',';
    append_shortest(out, v);
  }
}

void append_json_array(Json& json, std::initializer_list<double> values) {
  json.raw("[");
  bool first = true;
  for (const double v : values) json.next(first).number(v);
  json.raw("]");
}

}  // namespace

std::string model_points_csv(const Project& project, bool transformed) {
  ExportSettings settings = project.export_settings;
  copy_transform(settings, project.model.transform);
  std::string out = "id,layer,X,Y,Z\r\n";
  for (const ModelPoint* p : project.model.points) {
    const Vec3 v = transformed ? export_position(*p, settings) : p->position();
    out += std::to_string(p->id) + ',' + csv_field(p->layer ? shown(p->layer->name) : std::string_view());
    append_numbers(out, {v.x, v.y, v.z});
    out += "\r\n";
  }
  return out;
}

std::string cameras_csv(const std::vector<LocatedCamera>& cameras) {
  std::string out =
      "image_id,file,X,Y,Z,rotation_x,rotation_y,rotation_z,focal_x,focal_y,principal_x,principal_y,width,height";
  for (int row = 0; row < 4; ++row)
    for (int column = 0; column < 4; ++column) out += ",m" + std::to_string(row) + std::to_string(column);
  out += "\r\n";
  for (const LocatedCamera& c : cameras) {
    out += std::to_string(c.image_id) + ',' + csv_field(c.file_name);
    append_numbers(out, {c.position.x, c.position.y, c.position.z, c.rotation.x, c.rotation.y, c.rotation.z, c.focal_x,
                         c.focal_y, c.principal_point.x, c.principal_point.y});
    out += ',' + std::to_string(c.width) + ',' + std::to_string(c.height);
    for (const double m : c.world_from_camera) append_numbers(out, {m});
    out += "\r\n";
  }
  return out;
}

std::string cameras_json(const std::vector<LocatedCamera>& cameras) {
  Json json;
  json.raw("{\r\n\"camera_frame\":\"x right, y up, looking along -z\",\r\n");
  json.raw("\"rotation_order\":\"world point plus the offset, turned about Z, then X, then Y\",\r\n\"cameras\":[");
  bool first = true;
  for (const LocatedCamera& c : cameras) {
    json.next(first).raw("\r\n{\"image_id\":").number(static_cast<std::uint64_t>(c.image_id));
    json.raw(",\"file\":").string(c.file_name).raw(",\"position\":");
    append_json_array(json, {c.position.x, c.position.y, c.position.z});
    json.raw(",\"rotation_degrees\":");
    append_json_array(json, {c.rotation.x, c.rotation.y, c.rotation.z});
    json.raw(",\"world_from_camera\":[");
    const auto& m = c.world_from_camera;
    for (std::size_t row = 0; row < 4; ++row) {
      if (row) json.raw(",");
      append_json_array(json, {m[row * 4], m[row * 4 + 1], m[row * 4 + 2], m[row * 4 + 3]});
    }
    json.raw("],\"focal_length_px\":");
    append_json_array(json, {c.focal_x, c.focal_y});
    json.raw(",\"principal_point_px\":");
    append_json_array(json, {c.principal_point.x, c.principal_point.y});
    json.raw(",\"size_px\":");
    append_json_array(json, {static_cast<double>(c.width), static_cast<double>(c.height)});
    json.raw("}");
  }
  json.raw("\r\n]\r\n}\r\n");
  return json.text();
}

}  // namespace plenvista
