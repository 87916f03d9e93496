#include <filesystem>
#include <memory>
#include <ostream>

#include "cli/commands.h"
#include "cli/json_writer.h"
#include "model/number_text.h"
#include "photogrammetry/camera_file.h"
#include "photogrammetry/grid_calibration.h"
#include "platform/qimage_pixels.h"

namespace plenvista {

namespace {

std::string position_text(Point2 p) { return format_position(p.x, p.y); }

void json_point(JsonWriter& json, Point2 p) { json.begin_array().value(p.x).value(p.y).end_array(); }

}  // namespace

int run_calibrate(CliIo& io, const CalibrateOptions& options) {
  StreamMessages messages(io.err);
  const auto fail = [&](const std::string& text) {
    messages.show(text, "Error");
    return kExitFailure;
  };

  if (io.progress) io.err << "Reading " << options.photograph << " ...\n";
  std::optional<RgbImage> pixels = load_bmp_pixels(options.photograph);
  if (!pixels) return fail("Cannot read the grid photograph " + options.photograph);

  GridPhoto photo;
  CameraModel camera;
  set_grid_photograph(photo, camera, std::make_unique<RgbImage>(std::move(*pixels)));

  const ClickOutcome centre = snapClick(photo, options.centre, options.columns, options.rows);
  if (centre.kind != ClickKind::Centre)
    return fail("The centre click " + position_text(options.centre) + " is not in the middle of the photograph");

  std::array<Point2, 4> corners{};
  for (std::size_t k = 0; k < 4; ++k) {
    const ClickOutcome corner = snapClick(photo, options.corners[k], options.columns, options.rows);
    if (corner.kind != ClickKind::Corner)
      return fail("Corner click " + std::to_string(k + 1) + " " + position_text(options.corners[k]) +
                  " is not in the top-left part of the photograph");
    corners[k] = corner.position;
    if (corner.grid_due) {
      if (io.progress) io.err << "Calculating the grid ...\n";
      if (!calculateGrid(photo, camera)) return fail("The grid cannot be calculated");
    }
  }

  camera.distance_mm = options.distance_mm;
  camera.cell_width_mm = options.cell_width_mm;
  camera.cell_height_mm = options.cell_height_mm;
  camera.notes = options.notes;
  camera.centre_x = centre.position.x;
  camera.centre_y = centre.position.y;
  std::error_code ec;
  camera.image_file = std::filesystem::absolute(options.photograph, ec).string();
  if (!save_camera(options.output, camera, messages)) return kExitFailure;

  if (options.json) {
    JsonWriter json;
    json.begin_object().key("centre");
    json_point(json, centre.position);
    json.key("corners").begin_array();
    for (const Point2& p : corners) json_point(json, p);
    json.end_array()
        .member("rows", camera.rows)
        .member("columns", camera.columns)
        .member("native_width", camera.native_width)
        .member("native_height", camera.native_height)
        .member("camera_file", options.output)
        .end_object();
    io.out << json.text();
  } else {
    io.out << "Centre : " << position_text(centre.position) << '\n';
    for (std::size_t k = 0; k < 4; ++k) io.out << "Point " << k + 1 << " : " << position_text(corners[k]) << '\n';
    io.out << "Grid " << camera.rows << " x " << camera.columns << " cells in a " << camera.native_width << " x "
           << camera.native_height << " photograph; saved " << options.output << '\n';
  }
  return kExitSuccess;
}

}  // namespace plenvista
