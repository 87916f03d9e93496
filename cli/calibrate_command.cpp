#include <filesystem>
#include <memory>
#include <ostream>

#include "base/number_text.h"
#include "cli/cli_command.h"
#include "cli/commands.h"
#include "cli/json_values.h"
#include "photogrammetry/camera_file.h"
#include "photogrammetry/grid_calibration.h"
#include "photogrammetry/grid_check.h"
#include "platform/photograph_reader.h"

namespace plenvista {

namespace {

std::string position_text(Point2 p) { return format_position(p.x, p.y); }

QJsonArray json_array(PixelRange r) { return {r.min, r.max}; }

QJsonObject json_check(const GridCheck& check) {
  QJsonArray problems;
  for (const std::string& problem : check.problems) problems.append(json_text(problem));
  return {
      {"passed", check.passed()},
      {"intersections", check.intersections},
      {"found", check.found},
      {"rms_px", check.rms_px},
      {"worst_px", check.worst_px},
      {"worst", QJsonObject{{"row", check.worst.row}, {"column", check.worst.column}}},
      {"cell_width_px", json_array(check.cell_width_px)},
      {"cell_height_px", json_array(check.cell_height_px)},
      {"problems", problems},
  };
}

}  // namespace

int run_calibrate(CliIo& io, const CalibrateOptions& options) {
  StreamMessages messages(io.err);
  const auto fail = [&](const std::string& text) {
    messages.show(text, "Error");
    return kExitFailure;
  };

  if (io.progress) io.err << "Reading " << options.photograph << " ...\n";
  std::string unreadable;
  std::optional<RgbImage> pixels = read_photograph_pixels(options.photograph, &unreadable);
  if (!pixels) return fail(unreadable);

  GridPhoto photo;
  CameraModel camera;
  set_grid_photograph(photo, camera, std::make_unique<RgbImage>(std::move(*pixels)));

  const ClickOutcome centre = snapClick(photo, options.centre, options.columns, options.rows);
  if (centre.kind == ClickKind::MissedCentre) return fail(missed_click_message(centre));
  if (centre.kind != ClickKind::Centre)
    return fail("The centre click " + position_text(options.centre) + " is not in the middle of the photograph");

  std::array<Point2, 4> corners{};
  for (std::size_t k = 0; k < 4; ++k) {
    const ClickOutcome corner = snapClick(photo, options.corners[k], options.columns, options.rows);
    if (corner.kind == ClickKind::MissedCorner) return fail(missed_click_message(corner));
    if (corner.kind != ClickKind::Corner)
      return fail("Corner click " + std::to_string(k + 1) + " " + position_text(options.corners[k]) +
                  " is not in the top-left part of the photograph");
    corners[k] = corner.position;
    if (corner.grid_due) {
      if (io.progress) io.err << "Calculating the grid ...\n";
      if (!calculateGrid(photo, camera)) return fail("The grid cannot be calculated");
    }
  }

  const GridCheck check = check_grid(camera, photo.intersection_found);
  const bool save = check.passed() || options.force;
  if (!check.passed()) {
    messages.show(save ? "The traced grid fails its check; saved anyway (--force):"
                       : "The traced grid fails its check; nothing saved (--force saves it anyway):",
                  save ? "Warning" : "Error");
    for (const std::string& problem : check.problems) io.err << "  " << problem << '\n';
  }

  if (save) {
    camera.distance_mm = options.distance_mm;
    camera.cell_width_mm = options.cell_width_mm;
    camera.cell_height_mm = options.cell_height_mm;
    camera.notes = options.notes;
    camera.centre_x = centre.position.x;
    camera.centre_y = centre.position.y;
    std::error_code ec;
    camera.image_file = std::filesystem::absolute(options.photograph, ec).string();
    if (!save_camera(options.output, camera, messages)) return kExitFailure;
  }

  if (options.json) {
    QJsonArray corner_positions;
    for (const Point2& p : corners) corner_positions.append(json_array(p));
    io.out << json_document({
        {"centre", json_array(centre.position)},
        {"corners", corner_positions},
        {"rows", camera.rows},
        {"columns", camera.columns},
        {"native_width", camera.native_width},
        {"native_height", camera.native_height},
        {"check", json_check(check)},
        {"camera_file", json_text(options.output)},
        {"saved", save},
    });
  } else {
    io.out << "Centre : " << position_text(centre.position) << '\n';
    for (std::size_t k = 0; k < 4; ++k) io.out << "Point " << k + 1 << " : " << position_text(corners[k]) << '\n';
    for (const std::string& line : grid_check_summary(check)) io.out << line << '\n';
    io.out << "Grid " << camera.rows << " x " << camera.columns << " cells in a " << camera.native_width << " x "
           << camera.native_height << " photograph; " << (save ? "saved " + options.output : "not saved")
           << (save && !check.passed() ? " although it fails its check" : "") << '\n';
  }
  return save ? kExitSuccess : kExitFailure;
}

void declare_calibrate(CLI::App& app, CommandCall& chosen) {
  struct Parsed {
    CalibrateOptions options;
    std::vector<double> cell, distance, centre, corners;
    std::string notes;
  };
  auto parsed = std::make_shared<Parsed>();
  CalibrateOptions& cal = parsed->options;
  CLI::App* command = app.add_subcommand(
      "calibrate", "Calibrates a camera from a photograph of a ruled grid; a grid that fails its check is not saved.");
  command->add_option("PHOTO", cal.photograph, "the grid photograph (.bmp)")->required();
  command->add_option("--rows", cal.rows, "grid rows")->required()->check(CLI::Range(1, 30));
  command->add_option("--columns", cal.columns, "grid columns")->required()->check(CLI::Range(1, 30));
  add_numbers(command, "--cell", parsed->cell, 2, "W H", "cell width and height in mm")->required();
  add_numbers(command, "--distance", parsed->distance, 1, "D", "distance from camera to grid in mm")->required();
  add_numbers(command, "--centre", parsed->centre, 2, "X Y", "a click near the central cross, pixels")->required();
  add_numbers(command, "--corners", parsed->corners, 8, "X1 Y1 X2 Y2 X3 Y3 X4 Y4",
              "clicks near the top-left, top-right, bottom-right and bottom-left corners of the top-left cell")
      ->required();
  command->add_option("--output", cal.output, "the camera file to write (.cal)")->required();
  CLI::Option* notes = command->add_option("--notes", parsed->notes, "notes stored in the camera file");
  command->add_flag("--force", cal.force, "save the camera even when the traced grid fails its check");
  command->add_flag("--json", cal.json, "one JSON document for scripts");
  run_when_chosen(
      command, chosen, parsed, [](CliIo& io, const Parsed& p) { return run_calibrate(io, p.options); },
      [notes](Parsed& p) {
        require_positive(p.cell, "--cell");
        require_positive(p.distance, "--distance");
        CalibrateOptions& c = p.options;
        c.cell_width_mm = p.cell[0];
        c.cell_height_mm = p.cell[1];
        c.distance_mm = p.distance[0];
        c.centre = point_of(p.centre);
        for (std::size_t k = 0; k < 8; k += 2) c.corners.push_back(point_of(p.corners, k));
        if (notes->count()) c.notes = p.notes;
      });
}

}  // namespace plenvista
