#include "cli/cli_app.h"

#include <charconv>
#include <cmath>
#include <optional>
#include <ostream>

#include <CLI/CLI.hpp>

#include "base/number_text.h"
#include "base/text.h"
#include "cli/commands.h"
#include "cli/marks_commands.h"
#include "cli/orient_command.h"
#include "platform/photograph_reader.h"

namespace plenvista {

namespace {

// An option taking `count` numbers.
CLI::Option* add_numbers(CLI::App* app, const std::string& name, std::vector<double>& target, int count,
                         const std::string& names, const std::string& description) {
  CLI::Option* option = app->add_option(
      name,
      [&target, name](const CLI::results_t& results) {
        target.clear();
        for (const std::string& text : results) {
          const auto number = parse_whole_number(text);
          if (!number) throw CLI::ValidationError(name, "not a number: " + text);
          target.push_back(*number);
        }
        return true;
      },
      description);
  option->expected(count)->type_name("NUMBER");
  option->description(description + " (" + names + ")");
  return option;
}

// Requires every number of an option to be above 0.
void require_positive(const std::vector<double>& numbers, const std::string& name) {
  for (const double n : numbers)
    if (!(n > 0)) throw CLI::ValidationError(name, "must be above 0");
}

int image_id(const std::string& text) {
  int id = 0;
  const auto result = std::from_chars(text.data(), text.data() + text.size(), id);
  if (text.empty() || result.ec != std::errc() || result.ptr != text.data() + text.size()) return -1;
  return id;
}

// ID X Y: a whole number and two numbers.
void check_image_and_position(const std::vector<std::string>& values, const std::string& name) {
  if (image_id(values[0]) < 0) throw CLI::ValidationError(name, "not an image id: " + values[0]);
  for (std::size_t k = 1; k < 3; ++k)
    if (!parse_whole_number(values[k])) throw CLI::ValidationError(name, "not a number: " + values[k]);
}

// "on" or "off" as given, or none.
std::optional<bool> on_off(const std::string& text) {
  if (text.empty()) return std::nullopt;
  return text == "on";
}

Point2 point_of(const std::vector<double>& v, std::size_t first = 0) { return {v[first], v[first + 1]}; }

struct Parsed {
  InfoOptions info;
  NewOptions create;
  AddImageOptions add_image;
  AddReferenceOptions add_reference;
  LocateOptions locate;
  int locate_image = 0;
  AddPointOptions add_point;
  std::vector<std::string> point_image, point_partner;
  AddFaceOptions add_face;
  ExportCommandOptions export_options;
  std::string format, output, textures, mirror, scaling, reverse_z;
  TextureOptions texture;
  DumpOptions dump;
  ReportOptions report;
  std::string plot;
  CalibrateOptions calibrate;
  std::vector<double> centre, scale, at, world, cell, distance, calibrate_centre, corners;
  std::string camera, directories, notes;
  ImportListOptions import_points, import_gcp;
  ExchangeExportOptions export_points, export_gcp, export_cameras;
  std::string coordinate_system, camera_format;
};

CLI::App* project_command(CLI::App& app, const std::string& name, const std::string& description,
                          std::string& project) {
  CLI::App* command = app.add_subcommand(name, description);
  command->add_option("PROJECT", project, "the project file (.op2)")->required();
  return command;
}

}  // namespace

int run_cli(int argc, const char* const* argv, CliIo& io) {
  CLI::App app{"plenvista-cli: the photogrammetric modeller's operations on the command line, without a display.",
               "plenvista-cli"};
  app.require_subcommand(1, 1);
  install_photograph_readers();
  app.set_version_flag("--version", std::string("plenvista-cli ") + PLENVISTA_VERSION);
  Parsed p;

  CLI::App* info = project_command(app, "info", "Shows what a project holds.", p.info.project);
  info->add_flag("--json", p.info.json, "one JSON document for scripts");

  CLI::App* create = project_command(app, "new", "Creates and saves a new project.", p.create.project);
  CLI::Option* camera_option =
      create->add_option("--camera", p.camera, "camera file (.cal), found along the image directories");
  CLI::Option* dirs_option =
      create->add_option("--dirs", p.directories, "image directories, separated by ';' (default \".;\")");

  CLI::App* add_image = project_command(app, "add-image", "Adds a photograph to a project.", p.add_image.project);
  add_image->add_option("--file", p.add_image.file, "the photograph (.bmp), found along the image directories")
      ->required();
  add_image->add_option("--description", p.add_image.description, "the image's description");
  CLI::Option* centre_option = add_numbers(add_image, "--centre", p.centre, 2, "X Y",
                                           "approximate centre of a photograph of another size than the camera's");
  CLI::Option* scale_option = add_numbers(add_image, "--scale", p.scale, 1, "S", "its scale (0..1)");
  centre_option->needs(scale_option);
  scale_option->needs(centre_option);

  CLI::App* add_reference =
      project_command(app, "add-reference", "Marks a reference point in a photograph.", p.add_reference.project);
  add_reference->add_option("--image", p.add_reference.image, "image id")->required();
  add_numbers(add_reference, "--at", p.at, 2, "X Y", "photograph position in pixels")->required();
  add_numbers(add_reference, "--world", p.world, 3, "X Y Z", "world position")->required();

  CLI::App* locate = project_command(
      app, "locate", "Finds the camera position of every image whose reference points changed, or of one image.",
      p.locate.project);
  CLI::Option* locate_image = locate->add_option("--image", p.locate_image, "only this image");
  locate->add_flag("--json", p.locate.json, "one JSON document for scripts");

  CLI::App* add_point = project_command(
      app, "add-point", "Adds a point clicked in two located photographs to the current layer.", p.add_point.project);
  add_point->add_option("--image", p.point_image, "image id and photograph position in pixels (ID X Y)")
      ->required()
      ->expected(3)
      ->type_name("ID X Y");
  add_point->add_option("--partner", p.point_partner, "the second image and position (ID X Y)")
      ->required()
      ->expected(3)
      ->type_name("ID X Y");
  add_point->add_flag("--json", p.add_point.json, "one JSON document for scripts");

  CLI::App* add_face = project_command(app, "add-face", "Adds a face with the current material.", p.add_face.project);
  add_face->add_option("--points", p.add_face.points, "three point ids in winding order")->required()->expected(3);

  CLI::App* export_command = project_command(
      app, "export", "Exports the model as OBJ/MTL, DirectX text or binary glTF files.", p.export_options.project);
  export_command->add_option("--format", p.format, "obj, x or glb")
      ->required()
      ->check(CLI::IsMember({"obj", "x", "glb"}));
  CLI::Option* output_option = export_command->add_option(
      "--output", p.output,
      "the file (a bare name goes beside the project; default: the project's last export path of the format)");
  const std::pair<const char*, std::string*> switches[] = {
      {"--textures", &p.textures}, {"--mirror", &p.mirror}, {"--scaling", &p.scaling}, {"--reverse-z", &p.reverse_z}};
  for (const auto& [name, target] : switches)
    export_command->add_option(name, *target, "on or off (default: the project's export setting)")
        ->check(CLI::IsMember({"on", "off"}));

  CLI::App* texture =
      project_command(app, "texture", "Applies texture coordinates to the faces of materials.", p.texture.project);
  texture->add_option("--material", p.texture.materials,
                      "material name (default: every material with a texture image)");

  CLI::App* dump = project_command(app, "dump", "Writes the diagnostic dump PlenDebug.txt to the working directory.",
                                   p.dump.project);

  CLI::App* report = project_command(
      app, "report", "Shows the residuals of every photograph's reference points, largest first.", p.report.project);
  report->add_flag("--json", p.report.json, "one JSON document for scripts");
  CLI::Option* plot_option =
      report->add_option("--plot", p.plot, "writes a picture of the residuals of each located photograph here");
  report->add_option("--scale", p.report.scale, "residual lines drawn this many times their length (default 10)")
      ->check(CLI::PositiveNumber);

  CLI::App* calibrate = app.add_subcommand(
      "calibrate", "Calibrates a camera from a photograph of a ruled grid; a grid that fails its check is not saved.");
  CalibrateOptions& cal = p.calibrate;
  calibrate->add_option("PHOTO", cal.photograph, "the grid photograph (.bmp)")->required();
  calibrate->add_option("--rows", cal.rows, "grid rows")->required()->check(CLI::Range(1, 30));
  calibrate->add_option("--columns", cal.columns, "grid columns")->required()->check(CLI::Range(1, 30));
  add_numbers(calibrate, "--cell", p.cell, 2, "W H", "cell width and height in mm")->required();
  add_numbers(calibrate, "--distance", p.distance, 1, "D", "distance from camera to grid in mm")->required();
  add_numbers(calibrate, "--centre", p.calibrate_centre, 2, "X Y", "a click near the central cross, pixels")
      ->required();
  add_numbers(calibrate, "--corners", p.corners, 8, "X1 Y1 X2 Y2 X3 Y3 X4 Y4",
              "clicks near the top-left, top-right, bottom-right and bottom-left corners of the top-left cell")
      ->required();
  calibrate->add_option("--output", cal.output, "the camera file to write (.cal)")->required();
  CLI::Option* notes_option = calibrate->add_option("--notes", p.notes, "notes stored in the camera file");
  calibrate->add_flag("--force", cal.force, "save the camera even when the traced grid fails its check");
  calibrate->add_flag("--json", cal.json, "one JSON document for scripts");

  CLI::App* import_points = project_command(
      app, "import-points", "Adds control points (label, X, Y, Z a line) to a project; known labels are moved.",
      p.import_points.project);
  CLI::App* import_gcp = project_command(
      app, "import-gcp", "Creates reference points from a GCP list (X Y Z pixel_x pixel_y image_name [label]).",
      p.import_gcp.project);
  for (auto [command, options] : {std::pair{import_points, &p.import_points}, std::pair{import_gcp, &p.import_gcp}}) {
    command->add_option("--file", options->file, "the list to read")->required();
    command->add_flag("--skip-bad-lines", options->skip_bad_lines,
                      "import the usable lines of a file that has bad ones (they are reported)");
    command->add_flag("--json", options->json, "one JSON document for scripts");
  }

  CLI::App* export_points = project_command(
      app, "export-points", "Writes the model's points as CSV (id, layer, X, Y, Z).", p.export_points.project);
  export_points->add_flag("--transformed", p.export_points.transformed,
                          "through the export transform (origin offset, Z direction, scale)");
  CLI::App* export_gcp =
      project_command(app, "export-gcp", "Writes every reference mark as a GCP list.", p.export_gcp.project);
  CLI::Option* crs_option =
      export_gcp->add_option("--crs", p.coordinate_system, "a first line naming the coordinate system");
  CLI::App* export_cameras = project_command(
      app, "export-cameras", "Writes the located cameras (pose, matrix, pinhole approximation) as CSV or JSON.",
      p.export_cameras.project);
  export_cameras->add_option("--format", p.camera_format, "csv or json (default: from the output's ending)")
      ->check(CLI::IsMember({"csv", "json"}));
  for (auto [command, options] : {std::pair{export_points, &p.export_points}, std::pair{export_gcp, &p.export_gcp},
                                  std::pair{export_cameras, &p.export_cameras}}) {
    command->add_option("--output", options->output, "the file to write")->required();
    command->add_flag("--json", options->json, "one JSON document for scripts");
  }

  const DeclaredCommand declared[] = {declare_import_marks(app, io), declare_export_marks(app, io),
                                      declare_make_points(app, io), declare_orient(app, io)};

  try {
    app.parse(argc, argv);
    if (add_point->parsed()) {
      check_image_and_position(p.point_image, "--image");
      check_image_and_position(p.point_partner, "--partner");
    }
    if (calibrate->parsed()) {
      require_positive(p.cell, "--cell");
      require_positive(p.distance, "--distance");
    }
  } catch (const CLI::CallForHelp&) {
    io.out << app.help();
    return kExitSuccess;
  } catch (const CLI::CallForVersion& e) {
    io.out << e.what() << '\n';
    return kExitSuccess;
  } catch (const CLI::CallForAllHelp&) {
    io.out << app.help("", CLI::AppFormatMode::All);
    return kExitSuccess;
  } catch (const CLI::ParseError& e) {
    io.err << "Error: " << e.what() << "\n\n" << app.help();
    return kExitUsage;
  }

  for (const DeclaredCommand& d : declared)
    if (d.command->parsed()) return d.run();
  if (info->parsed()) return run_info(io, p.info);
  if (create->parsed()) {
    if (camera_option->count()) p.create.camera = p.camera;
    if (dirs_option->count()) p.create.directories = p.directories;
    return run_new(io, p.create);
  }
  if (add_image->parsed()) {
    if (!p.centre.empty()) p.add_image.centre = point_of(p.centre);
    if (!p.scale.empty()) p.add_image.scale = p.scale[0];
    return run_add_image(io, p.add_image);
  }
  if (add_reference->parsed()) {
    p.add_reference.at = point_of(p.at);
    p.add_reference.world = {p.world[0], p.world[1], p.world[2]};
    return run_add_reference(io, p.add_reference);
  }
  if (locate->parsed()) {
    if (locate_image->count()) p.locate.image = p.locate_image;
    return run_locate(io, p.locate);
  }
  if (add_point->parsed()) {
    p.add_point.image = image_id(p.point_image[0]);
    p.add_point.image_at = {*parse_whole_number(p.point_image[1]), *parse_whole_number(p.point_image[2])};
    p.add_point.partner = image_id(p.point_partner[0]);
    p.add_point.partner_at = {*parse_whole_number(p.point_partner[1]), *parse_whole_number(p.point_partner[2])};
    return run_add_point(io, p.add_point);
  }
  if (add_face->parsed()) return run_add_face(io, p.add_face);
  if (export_command->parsed()) {
    ExportCommandOptions& e = p.export_options;
    e.format = p.format == "x" ? ExportFormat::DirectX : p.format == "glb" ? ExportFormat::Glb : ExportFormat::Obj;
    if (output_option->count()) e.output = p.output;
    e.textures = on_off(p.textures);
    e.mirror = on_off(p.mirror);
    e.scaling = on_off(p.scaling);
    e.reverse_z = on_off(p.reverse_z);
    return run_export(io, e);
  }
  if (texture->parsed()) return run_texture(io, p.texture);
  if (dump->parsed()) return run_dump(io, p.dump);
  if (import_points->parsed()) return run_import_points(io, p.import_points);
  if (import_gcp->parsed()) return run_import_gcp(io, p.import_gcp);
  if (export_points->parsed()) return run_export_points(io, p.export_points);
  if (export_gcp->parsed()) {
    if (crs_option->count()) p.export_gcp.coordinate_system = p.coordinate_system;
    return run_export_gcp(io, p.export_gcp);
  }
  if (export_cameras->parsed()) {
    p.export_cameras.camera_json =
        p.camera_format.empty() ? ends_with_ignoring_case(p.export_cameras.output, ".json") : p.camera_format == "json";
    return run_export_cameras(io, p.export_cameras);
  }
  if (report->parsed()) {
    if (plot_option->count()) p.report.plot_directory = p.plot;
    return run_report(io, p.report);
  }
  if (calibrate->parsed()) {
    cal.cell_width_mm = p.cell[0];
    cal.cell_height_mm = p.cell[1];
    cal.distance_mm = p.distance[0];
    cal.centre = point_of(p.calibrate_centre);
    for (std::size_t k = 0; k < 8; k += 2) cal.corners.push_back(point_of(p.corners, k));
    if (notes_option->count()) cal.notes = p.notes;
    return run_calibrate(io, cal);
  }
  return kExitUsage;
}

}  // namespace plenvista
