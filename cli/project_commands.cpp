#include <filesystem>
#include <memory>
#include <ostream>

#include "base/file_io.h"
#include "base/number_text.h"
#include "base/text.h"
#include "cli/cli_command.h"
#include "cli/commands.h"
#include "cli/json_values.h"
#include "cli/residual_json.h"
#include "model/find_file.h"
#include "model/image_management.h"
#include "persistence/diagnostic_dump.h"
#include "photogrammetry/bitmap_size.h"
#include "photogrammetry/project_camera.h"
#include "platform/photograph_problem.h"
#include "platform/photograph_reader.h"

namespace plenvista {

namespace {

const char* mirror_plane_name(MirrorPlane plane) {
  switch (plane) {
    case MirrorPlane::X:
      return "X";
    case MirrorPlane::Y:
      return "Y";
    case MirrorPlane::Z:
      return "Z";
    case MirrorPlane::None:
      break;
  }
  return "none";
}

std::string colour_text(Colour c) {
  static constexpr char kHex[] = "0123456789abcdef";
  std::string text = "#";
  for (const std::uint8_t channel : {red_of(c), green_of(c), blue_of(c)}) {
    text += kHex[channel >> 4];
    text += kHex[channel & 0xF];
  }
  return text;
}

std::optional<BitmapSize> photograph_size(const ProjectImage& image) {
  if (!image.resolved_path) return std::nullopt;
  return read_photograph_size(*image.resolved_path);
}

void info_json(CliIo& io, Project& project) {
  QJsonArray images;
  for (const ProjectImage* image : project.images().images) {
    const auto size = photograph_size(*image);
    QJsonObject object{
        {"id", image->id},
        {"description", json_text(image->description)},
        {"file", json_text(image->file_name)},
        {"path", json_text(image->resolved_path)},
        {"found", image->resolved_path.has_value()},
        {"located", image->pose_known != 0},
        {"score", image->search_score},
        {"reference_points", image->reference_points.count()},
        {"width", size ? QJsonValue(size->width) : QJsonValue()},
        {"height", size ? QJsonValue(size->height) : QJsonValue()},
    };
    insert_pose_json(object, image->pose.offset, image->pose.rotation, image->pose_known != 0);
    add_residuals_json(object, *image);
    images.append(object);
  }

  const ModelData& model = project.model;
  QJsonArray layers;
  for (const Layer* layer : model.layers)
    layers.append(QJsonObject{
        {"id", layer->id},
        {"name", json_text(layer->name)},
        {"colour", json_text(colour_text(layer->colour))},
        {"visible", model.visible_layers.contains(layer)},
        {"current", layer == model.current_layer},
    });
  QJsonArray materials;
  for (const Material* material : model.materials)
    materials.append(QJsonObject{
        {"id", material->id},
        {"name", json_text(material->name)},
        {"face_colour", json_text(colour_text(material->face_colour))},
        {"texture_image", material->texture_image ? QJsonValue(material->texture_image->id) : QJsonValue()},
        {"current", material == model.current_material},
    });

  io.out << json_document({
      {"project", json_text(project.path)},
      {"file_version", project.file_version},
      {"camera", QJsonObject{{"name", json_text(project.camera_file_name)},
                             {"path", json_text(project.camera_file_path)},
                             {"found", project.camera_file_path.has_value()}}},
      {"images", images},
      {"layers", layers},
      {"materials", materials},
      {"points", model.points.count()},
      {"faces", model.faces.count()},
      {"texture_coordinates", model.texture_coords.count()},
      {"transform", QJsonObject{{"origin_offset", json_array(model.transform.origin_offset)},
                                {"scale", model.transform.scale},
                                {"mirror_plane", mirror_plane_name(model.transform.mirror_plane)},
                                {"mirror_buffer", model.transform.mirror_buffer}}},
  });
}

void info_text(CliIo& io, Project& project) {
  std::ostream& out = io.out;
  out << "Project: " << *project.path << "\nFile version: " << project.file_version << "\nCamera file: ";
  if (!project.camera_file_name)
    out << "none\n";
  else if (project.camera_file_path)
    out << *project.camera_file_name << " (found at " << *project.camera_file_path << ")\n";
  else
    out << *project.camera_file_name << " (not found)\n";

  out << "Images: " << project.images().images.count() << '\n';
  for (const ProjectImage* image : project.images().images) {
    out << "  " << image->id << " \"" << shown(image->description) << "\" " << shown(image->file_name);
    out << (image->resolved_path ? " (found at " + *image->resolved_path + ")" : std::string(" (not found)"));
    if (const auto size = photograph_size(*image)) out << ", " << size->width << " x " << size->height << " pixels";
    out << "\n    " << (image->pose_known ? "located" : "not located") << ", score "
        << format_fixed(image->search_score, 2) << "%, " << image->reference_points.count()
        << " reference points, offset " << vec_text(image->pose.offset, 3);
    if (image->pose_known) out << ", centre " << vec_text(Vec3{} - image->pose.offset, 3);
    out << ", rotation " << vec_text(image->pose.rotation, 3) << '\n';
  }

  const ModelData& model = project.model;
  out << "Layers: " << model.layers.count() << '\n';
  for (const Layer* layer : model.layers) {
    out << "  " << layer->id << " \"" << shown(layer->name) << "\" " << colour_text(layer->colour)
        << (model.visible_layers.contains(layer) ? "" : " hidden") << (layer == model.current_layer ? " current" : "")
        << '\n';
  }
  out << "Materials: " << model.materials.count() << '\n';
  for (const Material* material : model.materials) {
    out << "  " << material->id << " \"" << shown(material->name) << "\" " << colour_text(material->face_colour);
    if (material->texture_image) out << " texture image " << material->texture_image->id;
    out << (material == model.current_material ? " current" : "") << '\n';
  }
  out << "Points: " << model.points.count() << "\nFaces: " << model.faces.count()
      << "\nTexture coordinates: " << model.texture_coords.count()
      << "\nOrigin offset: " << vec_text(model.transform.origin_offset, 3)
      << "\nScale: " << format_fixed(model.transform.scale, 3)
      << "\nMirror plane: " << mirror_plane_name(model.transform.mirror_plane);
  if (model.transform.mirror_plane != MirrorPlane::None)
    out << " (buffer " << format_fixed(model.transform.mirror_buffer, 3) << ")";
  out << '\n';
}

std::string bare_file_name(const std::string& path) {
  const std::size_t slash = last_separator(path);
  return slash == std::string::npos ? path : path.substr(slash + 1);
}

}  // namespace

int run_info(CliIo& io, const InfoOptions& options) {
  CliSession session(io.err);
  if (!session.open(options.project)) return kExitFailure;
  if (options.json)
    info_json(io, session.project());
  else
    info_text(io, session.project());
  return kExitSuccess;
}

int run_new(CliIo& io, const NewOptions& options) {
  CliSession session(io.err);
  Project& project = session.project();
  std::error_code ec;
  if (std::filesystem::exists(options.project, ec)) {
    session.error("The project file already exists: " + options.project);
    return kExitFailure;
  }
  project.new_project();
  project.set_path(std::filesystem::absolute(options.project, ec).string());
  if (options.directories) project.model.image_directories = *options.directories;
  if (options.camera && !set_camera_file(project, *options.camera)) {
    session.error("Invalid camera file");
    return kExitFailure;
  }
  project.note_change();
  if (!session.save()) return kExitFailure;
  io.out << "Created " << *project.path << '\n';
  return kExitSuccess;
}

int run_add_image(CliIo& io, const AddImageOptions& options) {
  CliSession session(io.err);
  if (!session.open(options.project)) return kExitFailure;
  Project& project = session.project();
  if (!project.camera_file_name) {
    session.error(
        "The project needs a camera to be selected. Please select the camera that was used to create the images.");
    return kExitFailure;
  }
  const std::string name = bare_file_name(options.file);
  const auto found = find_file_along_directories(shown(project.model.image_directories), project.directory, name);
  if (!found) {
    session.error(
        "Cannot open image file. Check the file name and that the file exists in one of the directories listed in "
        "Project Properties");
    return kExitFailure;
  }
  auto created = std::make_unique<ProjectImage>();
  created->file_name = name;
  created->description = options.description;
  created->resolved_path = found;
  ProjectImage* image = add_image(project, std::move(created));
  if (!image) return kExitFailure;
  const std::optional<std::string> refusal = photograph_refusal(*found);
  if (refusal) session.warning(added_anyway_warning(*refusal));
  // A photograph whose size cannot be read has no size to compare.
  const bool size_read = !refusal || read_photograph_size(*found).has_value();
  if (!size_read) {
    // Told above.
  } else if (!matches_native_size(project, *image)) {
    const CameraModel& camera = project.images().camera;
    const std::string sizes = std::to_string(image->pixel_width) + " x " + std::to_string(image->pixel_height) +
                              ", the camera's " + std::to_string(camera.native_width) + " x " +
                              std::to_string(camera.native_height);
    if (options.centre && options.scale) {
      image->texture_centre_x = options.centre->x;
      image->texture_centre_y = options.centre->y;
      image->texture_scale = *options.scale;
      image->size_differs = 1;
    } else {
      session.warning("The photograph is " + sizes +
                      "; without --centre and --scale it is taken as of the native size");
    }
  } else if (options.centre || options.scale) {
    session.warning("The photograph has the camera's native size; --centre and --scale are not used");
  }
  project.note_change();
  if (!session.save()) return kExitFailure;
  io.out << "Added image " << image->id << '\n';
  return kExitSuccess;
}

int run_add_reference(CliIo& io, const AddReferenceOptions& options) {
  CliSession session(io.err);
  if (!session.open(options.project)) return kExitFailure;
  Project& project = session.project();
  ProjectImage* image = find_image(session, options.image);
  if (!image) return kExitFailure;
  const ReferencePoint* point = add_reference_point(project, *image, options.world,
                                                    {options.at.x - image->centre_x, options.at.y - image->centre_y});
  if (!point) return kExitFailure;
  project.note_change();
  if (!session.save()) return kExitFailure;
  io.out << "Added reference point " << point->id << " to image " << image->id << '\n';
  return kExitSuccess;
}

int run_dump(CliIo& io, const DumpOptions& options) {
  CliSession session(io.err);
  if (!session.open(options.project)) return kExitFailure;
  if (!write_diagnostic_dump(session.project())) return kExitFailure;
  io.out << "Wrote " << kDiagnosticDumpFile << '\n';
  return kExitSuccess;
}

void declare_info(CLI::App& app, CommandCall& chosen) {
  auto options = std::make_shared<InfoOptions>();
  CLI::App* command = project_command(app, "info", "Shows what a project holds.", options->project);
  command->add_flag("--json", options->json, "one JSON document for scripts");
  run_when_chosen(command, chosen, options, run_info);
}

void declare_new(CLI::App& app, CommandCall& chosen) {
  struct Parsed {
    NewOptions options;
    std::string camera, directories;
  };
  auto parsed = std::make_shared<Parsed>();
  CLI::App* command = project_command(app, "new", "Creates and saves a new project.", parsed->options.project);
  CLI::Option* camera =
      command->add_option("--camera", parsed->camera, "camera file (.cal), found along the image directories");
  CLI::Option* directories =
      command->add_option("--dirs", parsed->directories, "image directories, separated by ';' (default \".;\")");
  run_when_chosen(
      command, chosen, parsed, [](CliIo& io, const Parsed& p) { return run_new(io, p.options); },
      [camera, directories](Parsed& p) {
        if (camera->count()) p.options.camera = p.camera;
        if (directories->count()) p.options.directories = p.directories;
      });
}

void declare_add_image(CLI::App& app, CommandCall& chosen) {
  struct Parsed {
    AddImageOptions options;
    std::vector<double> centre, scale;
  };
  auto parsed = std::make_shared<Parsed>();
  CLI::App* command = project_command(app, "add-image", "Adds a photograph to a project.", parsed->options.project);
  command->add_option("--file", parsed->options.file, "the photograph (.bmp), found along the image directories")
      ->required();
  command->add_option("--description", parsed->options.description, "the image's description");
  CLI::Option* centre = add_numbers(command, "--centre", parsed->centre, 2, "X Y",
                                    "approximate centre of a photograph of another size than the camera's");
  CLI::Option* scale = add_numbers(command, "--scale", parsed->scale, 1, "S", "its scale (0..1)");
  centre->needs(scale);
  scale->needs(centre);
  run_when_chosen(
      command, chosen, parsed, [](CliIo& io, const Parsed& p) { return run_add_image(io, p.options); },
      [](Parsed& p) {
        if (!p.centre.empty()) p.options.centre = point_of(p.centre);
        if (!p.scale.empty()) p.options.scale = p.scale[0];
      });
}

void declare_add_reference(CLI::App& app, CommandCall& chosen) {
  struct Parsed {
    AddReferenceOptions options;
    std::vector<double> at, world;
  };
  auto parsed = std::make_shared<Parsed>();
  CLI::App* command =
      project_command(app, "add-reference", "Marks a reference point in a photograph.", parsed->options.project);
  command->add_option("--image", parsed->options.image, "image id")->required();
  add_numbers(command, "--at", parsed->at, 2, "X Y", "photograph position in pixels")->required();
  add_numbers(command, "--world", parsed->world, 3, "X Y Z", "world position")->required();
  run_when_chosen(
      command, chosen, parsed, [](CliIo& io, const Parsed& p) { return run_add_reference(io, p.options); },
      [](Parsed& p) {
        p.options.at = point_of(p.at);
        p.options.world = {p.world[0], p.world[1], p.world[2]};
      });
}

void declare_dump(CLI::App& app, CommandCall& chosen) {
  auto options = std::make_shared<DumpOptions>();
  CLI::App* command = project_command(app, "dump", "Writes the diagnostic dump PlenDebug.txt to the working directory.",
                                      options->project);
  run_when_chosen(command, chosen, options, run_dump);
}

}  // namespace plenvista
