#include <memory>
#include <ostream>

#include "cli/cli_command.h"
#include "cli/commands.h"
#include "cli/json_values.h"
#include "model/measurement.h"

namespace plenvista {

namespace {

struct MeasureOptions {
  std::string project;
  std::vector<int> points;
  std::vector<int> faces;
  bool json = false;
};

int run_measure(CliIo& io, const MeasureOptions& options) {
  CliSession session(io.err);
  if (options.points.empty() == options.faces.empty()) {
    session.error("Give --points or --faces");
    return kExitUsage;
  }
  if (!session.open(options.project)) return kExitFailure;
  const ModelData& model = session.project().model;

  std::optional<PointMeasurement> points;
  std::optional<FaceMeasurement> faces;
  if (!options.points.empty()) {
    std::vector<const ModelPoint*> chosen;
    for (const int id : options.points) {
      const ModelPoint* p = model.points.find(id);
      if (!p) {
        session.error("No point with id " + std::to_string(id));
        return kExitFailure;
      }
      chosen.push_back(p);
    }
    points = measure_points(chosen, model.transform);
  } else {
    std::vector<const ModelFace*> chosen;
    for (const int id : options.faces) {
      const ModelFace* f = model.faces.find(id);
      if (!f) {
        session.error("No face with id " + std::to_string(id));
        return kExitFailure;
      }
      chosen.push_back(f);
    }
    faces = measure_faces(chosen, model.transform);
  }

  if (!options.json) {
    for (const std::string& line : measurement_lines(points, faces)) io.out << line << '\n';
    return kExitSuccess;
  }
  QJsonObject json;
  if (points) {
    json["distance"] = points->first.distance;
    json["components"] = json_array(points->first.components);
    if (points->second) {
      json["distance_2"] = points->second->distance;
      json["components_2"] = json_array(points->second->components);
      json["angle_deg"] = points->angle_deg ? QJsonValue(*points->angle_deg) : QJsonValue(QJsonValue::Null);
    }
  }
  if (faces) {
    json["faces"] = faces->faces;
    json["area"] = faces->area;
    if (faces->normal) json["normal"] = json_array(*faces->normal);
  }
  io.out << json_document(json);
  return kExitSuccess;
}

}  // namespace

void declare_measure(CLI::App& app, CommandCall& chosen) {
  auto options = std::make_shared<MeasureOptions>();
  CLI::App* command = app.add_subcommand(
      "measure",
      "Measures the model in the units it is shown in (the model transform applied): the distance between two "
      "points with its components, with a third point also the angle at the second; or the area of faces and "
      "the normal of one.");
  command->add_option("PROJECT", options->project, "the project file (.op2)")->required();
  CLI::Option* points =
      command->add_option("--points", options->points, "two or three point ids, in order")->expected(2, 3);
  CLI::Option* faces = command->add_option("--faces", options->faces, "face ids");
  points->excludes(faces);
  command->add_flag("--json", options->json,
                    "one JSON document for scripts: distance, components, distance_2, components_2, angle_deg, "
                    "faces, area, normal, as they apply");
  run_when_chosen(command, chosen, options, run_measure);
}

}  // namespace plenvista
