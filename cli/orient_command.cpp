#include "cli/orient_command.h"

#include <map>
#include <memory>
#include <ostream>

#include "base/number_text.h"
#include "cli/json_values.h"
#include "photogrammetry/auto_tie_orientation.h"
#include "photogrammetry/orientation_project.h"

namespace plenvista {

namespace {

const char* datum_kind_text(DatumKind kind) {
  switch (kind) {
    case DatumKind::Surveyed:
      return "surveyed";
    case DatumKind::AxesAndScale:
      return "axes_and_scale";
    case DatumKind::AxesOnly:
      return "axes";
    case DatumKind::ScaleOnly:
      return "scale";
    case DatumKind::Arbitrary:
      break;
  }
  return "arbitrary";
}

QJsonValue vec_or_null(bool known, const Vec3& v) { return known ? QJsonValue(json_array(v)) : QJsonValue(); }

QJsonObject result_json(const Project& project, const OrientationResult& result,
                        const std::vector<std::string>& removed, int left_out) {
  std::map<int, std::string> files;
  for (const ProjectImage* image : project.images().images) files[image->id] = std::string(shown(image->file_name));
  QJsonArray images;
  for (const OrientedPhotograph& p : result.photographs)
    images.append(QJsonObject{{"id", p.id},
                              {"file", json_text(files[p.id])},
                              {"oriented", p.oriented},
                              {"rms_px", p.oriented ? QJsonValue(p.rms_px) : QJsonValue()},
                              {"marks", p.marks},
                              {"centre", vec_or_null(p.oriented, p.pose.offset * -1.0)}});
  QJsonArray points;
  for (const OrientedPoint& p : result.points) {
    QJsonObject point{{"label", json_text(p.label)},
                      {"xyz", vec_or_null(p.located, p.position)},
                      {"sigma_mm", vec_or_null(p.located, p.sigma)},
                      {"rays", p.rays},
                      {"max_angle_deg", p.max_angle_deg},
                      {"surveyed", p.surveyed}};
    if (p.surveyed && result.datum == DatumKind::Surveyed)
      point["surveyed_residual"] = vec_or_null(p.located, p.surveyed_residual);
    points.append(point);
  }
  QJsonArray outliers;
  for (const OrientationOutlier& o : result.outliers)
    outliers.append(QJsonObject{{"label", json_text(o.label)},
                                {"file", json_text(files[o.photograph_id])},
                                {"image", o.photograph_id},
                                {"residual_px", o.residual_px}});
  QJsonArray distances;
  for (const DistanceMisfit& d : result.distance_misfits)
    distances.append(QJsonObject{{"from", json_text(d.distance.from)},
                                 {"to", json_text(d.distance.to)},
                                 {"given", d.distance.length},
                                 {"measured", d.measured},
                                 {"misfit", d.misfit}});
  QJsonArray too_few;
  for (const int id : result.too_few_marks) too_few.append(id);
  QJsonArray warnings;
  for (const std::string& w : result.warnings) warnings.append(json_text(w));
  QJsonArray removed_labels;
  for (const std::string& label : removed) removed_labels.append(json_text(label));
  return {{"removed_automatic", removed_labels},
          {"left_out_automatic_marks", left_out},
          {"images", images},
          {"points", points},
          {"outliers", outliers},
          {"rms_px", result.rms_px},
          {"datum", QJsonObject{{"kind", datum_kind_text(result.datum)},
                                {"description", json_text(result.datum_description)},
                                {"scale", result.scale},
                                {"distances", distances}}},
          {"too_few_marks", too_few},
          {"warnings", warnings}};
}

void write_text(std::ostream& out, const Project& project, const OrientationResult& result,
                const std::vector<std::string>& removed, const OrientOptions& options, int left_out) {
  int oriented = 0;
  for (const OrientedPhotograph& p : result.photographs) oriented += p.oriented ? 1 : 0;
  out << "Oriented " << oriented << " of " << result.photographs.size() << " photographs, RMS "
      << format_fixed(result.rms_px, 2) << " px; datum: " << result.datum_description << '\n';
  if (options.without_auto) out << "Automatic tie points left out: " << left_out << " marks\n";
  for (const OrientedPhotograph& p : result.photographs) {
    const ProjectImage* image = project.images().images.find(p.id);
    out << "Image " << p.id << " (" << (image ? shown(image->file_name) : "") << "): ";
    if (p.oriented)
      out << "centre " << vec_text(p.pose.offset * -1.0, 1) << ", RMS " << format_fixed(p.rms_px, 2) << " px\n";
    else
      out << "not oriented, " << p.marks << " marks\n";
  }
  for (const DistanceMisfit& d : result.distance_misfits)
    out << "Distance " << d.distance.from << "-" << d.distance.to << ": " << format_fixed(d.measured, 2) << ", misfit "
        << format_fixed(d.misfit, 2) << '\n';
  for (const OrientationOutlier& o : result.outliers) {
    const ProjectImage* image = project.images().images.find(o.photograph_id);
    out << "Outlier: " << o.label << " in " << (image ? shown(image->file_name) : "") << ", "
        << format_fixed(o.residual_px, 2) << " px\n";
  }
  if (!removed.empty()) {
    out << "Removed " << removed.size() << " automatic tie points with large residuals:";
    for (const std::string& label : removed) out << ' ' << label;
    out << '\n';
  }
}

}  // namespace

int run_orient(CliIo& io, const OrientOptions& options) {
  CliSession session(io.err);
  if (!session.open(options.project)) return kExitFailure;
  Project& project = session.project();
  OrientationInput input = orientation_input(project, options.distances, options.axes);
  const int left_out = options.without_auto ? leave_out_automatic_ties(input) : 0;
  OrientationRun run(std::move(input));
  while (run.step()) {
    if (!io.progress) continue;
    const OrientationProgress progress = run.progress();
    io.err << "Orienting: " << progress.oriented << " of " << progress.photographs << " photographs, RMS "
           << format_fixed(progress.rms_px, 2) << " px\n";
  }
  const OrientationResult& result = run.result();
  if (!result.ok()) {
    session.error(result.message.empty() ? orientation_failure_text(result.failure) : result.message);
    return kExitFailure;
  }
  for (const std::string& warning : result.warnings) session.warning(warning);
  for (const int id : result.too_few_marks) {
    const ProjectImage* image = project.images().images.find(id);
    session.warning("Image " + std::to_string(id) + " (" + std::string(image ? shown(image->file_name) : "") +
                    ") has too few marks to orient and was left as it was");
  }
  apply_orientation(project, result);
  const std::vector<std::string> removed = remove_poor_automatic_ties(project);
  project.note_change();
  if (!session.save()) return kExitFailure;
  if (options.json)
    io.out << json_document(result_json(project, result, removed, left_out));
  else
    write_text(io.out, project, result, removed, options, left_out);
  return kExitSuccess;
}

void declare_orient(CLI::App& app, CommandCall& chosen) {
  struct Parsed {
    OrientOptions options;
    std::vector<std::vector<std::string>> distances;
    std::vector<std::string> axes;
  };
  auto parsed = std::make_shared<Parsed>();
  CLI::App* command = project_command(
      app, "orient",
      "Orients the photographs from the marks of tie and control points; the datum comes from three or more control "
      "points, else from --axes and --distance.",
      parsed->options.project);
  command
      ->add_option("--distance", parsed->distances,
                   "a measured distance between two labelled points, in model units (repeatable)")
      ->type_name("LABEL LABEL MM")
      ->expected(3)
      ->multi_option_policy(CLI::MultiOptionPolicy::TakeAll);
  CLI::Option* axes = command
                          ->add_option("--axes", parsed->axes,
                                       "ORIGIN at 0,0,0, XPOINT on +X, PLANEPOINT in the XY plane on the +Y side")
                          ->type_name("ORIGIN XPOINT PLANEPOINT")
                          ->expected(3);
  command->add_flag("--without-auto", parsed->options.without_auto,
                    "leave the automatic tie points (auto-1, auto-2, ...) out of the orientation");
  command->add_flag("--json", parsed->options.json, "one JSON document for scripts");
  run_when_chosen(
      command, chosen, parsed, [](CliIo& io, const Parsed& p) { return run_orient(io, p.options); },
      [axes](Parsed& p) {
        for (const std::vector<std::string>& d : p.distances) {
          const auto length = parse_whole_number(d[2]);
          if (!length) throw CLI::ValidationError("--distance", "not a number: " + d[2]);
          p.options.distances.push_back({d[0], d[1], *length});
        }
        if (axes->count()) p.options.axes = DatumAxes{p.axes[0], p.axes[1], p.axes[2]};
      });
}

}  // namespace plenvista
