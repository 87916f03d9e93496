#include <algorithm>
#include <ostream>

#include "base/file_io.h"
#include "base/text.h"
#include "cli/cli_command.h"
#include "cli/commands.h"
#include "cli/list_io.h"
#include "export/exchange_export.h"
#include "model/located_camera.h"
#include "model/tie_points.h"
#include "persistence/exchange_text.h"

namespace plenvista {

namespace {

// Writes an export and reports how many records it holds.
int finish_export(CliIo& io, CliSession& session, const ExchangeExportOptions& options, const std::string& text,
                  int count, const std::string& what) {
  if (!write_output(session, options.output, text)) return kExitFailure;
  if (options.json)
    io.out << json_document({{"file", json_text(options.output)}, {"written", count}});
  else
    io.out << "Wrote " << count << ' ' << what << " to " << options.output << '\n';
  return kExitSuccess;
}

}  // namespace

int run_import_points(CliIo& io, const ImportListOptions& options) {
  CliSession session(io.err);
  const auto text = open_with_list(session, options.project, options.file);
  if (!text) return kExitFailure;
  ControlPointList list = parse_control_point_list(*text);
  Project& project = session.project();
  const std::vector<LineProblem> ties = tie_label_problems(project.model, list.entries);
  list.problems.insert(list.problems.end(), ties.begin(), ties.end());
  if (!accept_problems(session, list.problems, options.skip_bad_lines, options.file)) return kExitFailure;
  std::erase_if(list.entries, [&](const ControlPointEntry& e) { return find_tie_point(project.model, e.label); });
  const auto merge = merge_control_points(project, list.entries);
  if (!merge) return kExitFailure;
  project.note_change();
  if (!session.save()) return kExitFailure;
  if (options.json) {
    io.out << json_document({{"added", merge->added},
                             {"moved", merge->moved},
                             {"unchanged", merge->unchanged},
                             {"photographs_marked", merge->photographs_marked},
                             {"skipped_lines", problems_json(list.problems)}});
  } else {
    io.out << merge_summary(*merge);
    if (merge->photographs_marked > 0)
      io.out << "; " << merge->photographs_marked << " photographs marked for a new search";
    io.out << '\n';
  }
  return kExitSuccess;
}

int run_import_gcp(CliIo& io, const ImportListOptions& options) {
  CliSession session(io.err);
  const auto text = open_with_list(session, options.project, options.file);
  if (!text) return kExitFailure;
  Project& project = session.project();
  GcpList list = parse_gcp_list(*text);
  std::vector<LineProblem> problems = list.problems;
  const std::vector<LineProblem> conflicts = drop_conflicting_marks(project.model, list.marks);
  problems.insert(problems.end(), conflicts.begin(), conflicts.end());
  if (!accept_problems(session, problems, options.skip_bad_lines, options.file)) return kExitFailure;
  const auto report = import_image_marks(project, list.marks);
  if (!report) return kExitFailure;
  for (const std::string& name : report->images_not_found)
    session.warning("No photograph named " + name + " in the project; its marks were not imported");
  project.note_change();
  if (!session.save()) return kExitFailure;
  if (options.json) {
    QJsonArray missing;
    for (const std::string& name : report->images_not_found) missing.append(json_text(name));
    io.out << json_document({{"coordinate_system", json_text(list.coordinate_system)},
                             {"created", report->created},
                             {"already_present", report->already_present},
                             {"control_points_added", report->control_points_added},
                             {"images_not_found", missing},
                             {"skipped_lines", problems_json(problems)}});
  } else {
    io.out << import_summary(*report) << '\n';
  }
  return kExitSuccess;
}

int run_export_points(CliIo& io, const ExchangeExportOptions& options) {
  CliSession session(io.err);
  if (!session.open(options.project)) return kExitFailure;
  const Project& project = session.project();
  return finish_export(io, session, options, model_points_csv(project, options.transformed),
                       project.model.points.count(), "points");
}

int run_export_gcp(CliIo& io, const ExchangeExportOptions& options) {
  CliSession session(io.err);
  if (!session.open(options.project)) return kExitFailure;
  const Project& project = session.project();
  int marks = 0;
  for (const ProjectImage* image : project.images().images)
    if (!shown(image->file_name).empty()) marks += image->reference_points.count();
  return finish_export(io, session, options, gcp_list_text(project, options.coordinate_system), marks,
                       "reference marks");
}

int run_export_cameras(CliIo& io, const ExchangeExportOptions& options) {
  CliSession session(io.err);
  if (!session.open(options.project)) return kExitFailure;
  const std::vector<LocatedCamera> cameras = located_cameras(session.project().images());
  return finish_export(io, session, options, options.camera_json ? cameras_json(cameras) : cameras_csv(cameras),
                       static_cast<int>(cameras.size()), "located cameras");
}

namespace {

// The options the two list imports share.
CLI::App* import_command(CLI::App& app, const std::string& name, const std::string& description,
                         ImportListOptions& options) {
  CLI::App* command = project_command(app, name, description, options.project);
  command->add_option("--file", options.file, "the list to read")->required();
  command->add_flag("--skip-bad-lines", options.skip_bad_lines,
                    "import the usable lines of a file that has bad ones (they are reported)");
  command->add_flag("--json", options.json, "one JSON document for scripts");
  return command;
}

// The options the three exports share.
CLI::App* exchange_export_command(CLI::App& app, const std::string& name, const std::string& description,
                                  ExchangeExportOptions& options) {
  CLI::App* command = project_command(app, name, description, options.project);
  command->add_option("--output", options.output, "the file to write")->required();
  command->add_flag("--json", options.json, "one JSON document for scripts");
  return command;
}

}  // namespace

void declare_import_points(CLI::App& app, CommandCall& chosen) {
  auto options = std::make_shared<ImportListOptions>();
  CLI::App* command =
      import_command(app, "import-points",
                     "Adds control points (label, X, Y, Z a line) to a project; known labels are moved.", *options);
  run_when_chosen(command, chosen, options, run_import_points);
}

void declare_import_gcp(CLI::App& app, CommandCall& chosen) {
  auto options = std::make_shared<ImportListOptions>();
  CLI::App* command =
      import_command(app, "import-gcp",
                     "Creates reference points from a GCP list (X Y Z pixel_x pixel_y image_name [label]).", *options);
  run_when_chosen(command, chosen, options, run_import_gcp);
}

void declare_export_points(CLI::App& app, CommandCall& chosen) {
  auto options = std::make_shared<ExchangeExportOptions>();
  CLI::App* command =
      exchange_export_command(app, "export-points", "Writes the model's points as CSV (id, layer, X, Y, Z).", *options);
  command->add_flag("--transformed", options->transformed,
                    "through the export transform (origin offset, Z direction, scale)");
  run_when_chosen(command, chosen, options, run_export_points);
}

void declare_export_gcp(CLI::App& app, CommandCall& chosen) {
  struct Parsed {
    ExchangeExportOptions options;
    std::string coordinate_system;
  };
  auto parsed = std::make_shared<Parsed>();
  CLI::App* command =
      exchange_export_command(app, "export-gcp", "Writes every reference mark as a GCP list.", parsed->options);
  CLI::Option* crs =
      command->add_option("--crs", parsed->coordinate_system, "a first line naming the coordinate system");
  run_when_chosen(
      command, chosen, parsed, [](CliIo& io, const Parsed& p) { return run_export_gcp(io, p.options); },
      [crs](Parsed& p) {
        if (crs->count()) p.options.coordinate_system = p.coordinate_system;
      });
}

void declare_export_cameras(CLI::App& app, CommandCall& chosen) {
  struct Parsed {
    ExchangeExportOptions options;
    std::string format;
  };
  auto parsed = std::make_shared<Parsed>();
  CLI::App* command = exchange_export_command(
      app, "export-cameras", "Writes the located cameras (pose, matrix, pinhole approximation) as CSV or JSON.",
      parsed->options);
  command->add_option("--format", parsed->format, "csv or json (default: from the output's ending)")
      ->check(CLI::IsMember({"csv", "json"}));
  run_when_chosen(
      command, chosen, parsed, [](CliIo& io, const Parsed& p) { return run_export_cameras(io, p.options); },
      [](Parsed& p) {
        p.options.camera_json =
            p.format.empty() ? ends_with_ignoring_case(p.options.output, ".json") : p.format == "json";
      });
}

}  // namespace plenvista
