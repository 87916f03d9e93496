#include "cli/marks_commands.h"

#include <algorithm>
#include <map>
#include <memory>
#include <ostream>

#include "base/text.h"
#include "cli/list_io.h"
#include "model/control_points.h"
#include "model/edit_actions.h"
#include "model/tie_points.h"
#include "persistence/exchange_text.h"
#include "platform/photograph_reader.h"

namespace plenvista {

namespace {

Layer* layer_named(const ModelData& model, const std::string& name) {
  for (Layer* layer : model.layers)
    if (equal_ignoring_case(shown(layer->name), name)) return layer;
  return nullptr;
}

// How many marks a snapping moved onto each kind of feature.
struct SnapCounts {
  int target = 0;
  int corner = 0;
  int none = 0;
};

// Moves every mark onto the feature under it, reading each photograph once.
SnapCounts snap_listed_marks(CliSession& session, const Project& project, std::vector<LabelledMark>& marks,
                             double radius) {
  SnapCounts counts;
  std::map<const ProjectImage*, std::optional<RgbImage>> photographs;
  for (LabelledMark& mark : marks) {
    const ProjectImage* image = find_image_by_file_name(project.images(), mark.image_name);
    if (!image) continue;
    auto [entry, first] = photographs.try_emplace(image);
    if (first) {
      std::string unreadable = "not found along the project's directories";
      if (image->resolved_path) entry->second = read_photograph_pixels(*image->resolved_path, &unreadable);
      if (!entry->second)
        session.warning("Cannot snap the marks of " + mark.image_name + ": " + unreadable +
                        "; they are kept as listed");
    }
    const std::optional<RgbImage>& pixels = entry->second;
    const bool inside = pixels && mark.pixel.x >= 0.0 && mark.pixel.y >= 0.0 && mark.pixel.x < pixels->width() &&
                        mark.pixel.y < pixels->height();
    const SnapResult snap = inside ? snap_mark(*pixels, mark.pixel, radius) : SnapResult{mark.pixel};
    mark.pixel = snap.position;
    ++(snap.kind == SnapKind::Target ? counts.target : snap.kind == SnapKind::Corner ? counts.corner : counts.none);
  }
  return counts;
}

}  // namespace

int run_import_marks(CliIo& io, const ImportMarksOptions& options) {
  CliSession session(io.err);
  const auto text = open_with_list(session, options.project, options.file);
  if (!text) return kExitFailure;
  const MarksList list = parse_marks_list(*text);
  if (!accept_problems(session, list.problems, options.skip_bad_lines, options.file)) return kExitFailure;
  Project& project = session.project();
  std::vector<LabelledMark> marks = list.marks;
  const SnapCounts snapped =
      options.snap ? snap_listed_marks(session, project, marks, options.snap_radius) : SnapCounts{};
  const auto report = import_labelled_marks(project, marks);
  if (!report) return kExitFailure;
  for (const std::string& name : report->images_not_found)
    session.warning("No photograph named " + name + " in the project; its marks were not imported");
  project.note_change();
  if (!session.save()) return kExitFailure;
  if (options.json) {
    QJsonArray missing;
    for (const std::string& name : report->images_not_found) missing.append(json_text(name));
    io.out << json_document(
        {{"reference_marks", report->reference_marks},
         {"tie_marks", report->tie_marks},
         {"already_present", report->already_present},
         {"tie_points_added", report->tie_points_added},
         {"images_not_found", missing},
         {"skipped_lines", problems_json(list.problems)},
         {"snapped", options.snap ? QJsonValue(QJsonObject{
                                        {"target", snapped.target}, {"corner", snapped.corner}, {"none", snapped.none}})
                                  : QJsonValue()}});
  } else {
    io.out << marks_import_summary(*report) << '\n';
    if (options.snap)
      io.out << "Snapped: " << snapped.target << " to targets, " << snapped.corner << " to corners, " << snapped.none
             << " left as listed\n";
  }
  return kExitSuccess;
}

void declare_import_marks(CLI::App& app, CommandCall& chosen) {
  auto options = std::make_shared<ImportMarksOptions>();
  CLI::App* command = project_command(
      app, "import-marks",
      "Adds marks from a marks list (label pixel_x pixel_y image_name); labels of control points make reference "
      "points, other labels tie points.",
      options->project);
  command->add_option("FILE", options->file, "the list to read")->required();
  command->add_flag("--skip-bad-lines", options->skip_bad_lines,
                    "import the usable lines of a file that has bad ones (they are reported)");
  CLI::Option* snap =
      command->add_flag("--snap", options->snap, "move each mark onto the round target or corner under it first");
  command->add_option("--radius", options->snap_radius, "with --snap: how far from a mark the feature may lie, pixels")
      ->check(CLI::Range(1.0, 64.0))
      ->needs(snap);
  command->add_flag("--json", options->json, "one JSON document for scripts");
  run_when_chosen(command, chosen, options, run_import_marks);
}

int run_export_marks(CliIo& io, const ExportMarksOptions& options) {
  CliSession session(io.err);
  if (!session.open(options.project)) return kExitFailure;
  const MarksListText list = marks_list_text(session.project());
  if (list.unlabelled > 0)
    session.warning(std::to_string(list.unlabelled) +
                    " reference points of no control or tie point were left out; export-gcp writes them");
  if (!write_output(session, options.output, list.text)) return kExitFailure;
  if (options.json)
    io.out << json_document(
        {{"file", json_text(options.output)}, {"written", list.written}, {"unlabelled", list.unlabelled}});
  else
    io.out << "Wrote " << list.written << " marks to " << options.output << '\n';
  return kExitSuccess;
}

void declare_export_marks(CLI::App& app, CommandCall& chosen) {
  auto options = std::make_shared<ExportMarksOptions>();
  CLI::App* command = project_command(
      app, "export-marks", "Writes every labelled mark of every photograph as a marks list.", options->project);
  command->add_option("--output", options->output, "the file to write")->required();
  command->add_flag("--json", options->json, "one JSON document for scripts");
  run_when_chosen(command, chosen, options, run_export_marks);
}

int run_make_points(CliIo& io, const MakePointsOptions& options) {
  CliSession session(io.err);
  if (!session.open(options.project)) return kExitFailure;
  Project& project = session.project();
  Layer* layer = nullptr;
  if (options.layer && !(layer = layer_named(project.model, *options.layer))) {
    session.error("No layer named \"" + *options.layer + "\"");
    return kExitFailure;
  }
  std::vector<const TiePoint*> chosen;
  if (options.labels.empty()) {
    for (const TiePoint* t : project.model.tie_points)
      if (t->position) chosen.push_back(t);
  } else {
    for (const std::string& label : options.labels) {
      const TiePoint* t = find_tie_point(project.model, label);
      if (!t || !t->position) {
        session.error(t ? "Tie point " + label + " has no coordinates yet; orient the photographs first"
                        : "No tie point labelled " + label);
        return kExitFailure;
      }
      if (std::find(chosen.begin(), chosen.end(), t) == chosen.end()) chosen.push_back(t);
    }
  }
  std::vector<Vec3> positions;
  int present = 0;
  for (const TiePoint* t : chosen) {
    const auto& points = project.model.points;
    if (std::any_of(points.begin(), points.end(), [&](const ModelPoint* p) { return p->position() == *t->position; }))
      ++present;
    else
      positions.push_back(*t->position);
  }
  if (chosen.empty()) {
    session.error("No tie point has coordinates yet; orient the photographs first");
    return kExitFailure;
  }
  if (!positions.empty()) {
    const std::vector<ModelPoint*> made = add_points(project, positions, layer);
    if (made.empty()) return kExitFailure;
    project.note_change();
    if (!session.save()) return kExitFailure;
    io.out << "Added points " << made.front()->id << " to " << made.back()->id << " on layer \""
           << shown(made.front()->layer->name) << "\"";
  } else {
    io.out << "Added no points";
  }
  if (present > 0) io.out << "; " << present << " tie points had a point already";
  io.out << '\n';
  return kExitSuccess;
}

void declare_make_points(CLI::App& app, CommandCall& chosen) {
  struct Parsed {
    MakePointsOptions options;
    std::string layer;
  };
  auto parsed = std::make_shared<Parsed>();
  CLI::App* command = project_command(
      app, "make-points", "Adds a model point at each oriented tie point, so that faces can be built on them.",
      parsed->options.project);
  command->add_option("--ties", parsed->options.labels, "the tie points' labels (default: every oriented tie point)")
      ->expected(0, -1)
      ->required();
  CLI::Option* layer =
      command->add_option("--layer", parsed->layer, "the layer of the new points (default: the current one)");
  run_when_chosen(
      command, chosen, parsed, [](CliIo& io, const Parsed& p) { return run_make_points(io, p.options); },
      [layer](Parsed& p) {
        std::erase(p.options.labels, std::string());  // --ties given without labels
        if (layer->count()) p.options.layer = p.layer;
      });
}

}  // namespace plenvista
