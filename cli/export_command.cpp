#include <filesystem>
#include <ostream>

#include "base/text.h"
#include "cli/cli_command.h"
#include "cli/commands.h"
#include "export/export_paths.h"

namespace plenvista {

namespace {

int flag(const std::optional<bool>& given, int stored) { return given ? (*given ? 1 : 0) : stored; }

}  // namespace

int run_export(CliIo& io, const ExportCommandOptions& options) {
  CliSession session(io.err);
  if (!session.open(options.project)) return kExitFailure;
  Project& project = session.project();
  const ExportSettings& stored = project.export_settings;

  std::string typed;
  if (options.output) {
    typed = *options.output;
    // A path with a directory is taken from the working directory, as a
    // browsed one would be; a bare name goes beside the project, as typed.
    if (last_separator(typed) != std::string::npos && !is_path_separator(typed.front())) {
      std::error_code ec;
      typed = std::filesystem::absolute(typed, ec).string();
    }
  } else if (is_single_file_format(options.format)) {
    session.error("An export of this format needs --output");
    return kExitFailure;
  } else {
    const auto& last = options.format == ExportFormat::Obj ? stored.last_obj_path : stored.last_x_path;
    if (!last) {
      session.error("The project holds no earlier export path of this format; give --output");
      return kExitFailure;
    }
    typed = *last;
  }

  const ExportOptions chosen{flag(options.textures, stored.use_textures), flag(options.reverse_z, stored.reverse_z),
                             flag(options.scaling, stored.use_scaling), flag(options.mirror, stored.use_mirror)};
  if (!export_from_dialog(project, options.format, typed, chosen)) return kExitFailure;
  if (!session.save()) return kExitFailure;
  if (is_single_file_format(options.format)) {
    io.out << "Exported " << project.export_settings.export_base << '\n';
    return kExitSuccess;
  }
  const auto& written =
      options.format == ExportFormat::Obj ? project.export_settings.last_obj_path : project.export_settings.last_x_path;
  io.out << "Exported " << written.value_or(typed) << (options.format == ExportFormat::Obj ? ".obj" : "") << '\n';
  return kExitSuccess;
}

void declare_export(CLI::App& app, CommandCall& chosen) {
  struct Parsed {
    ExportCommandOptions options;
    std::string format, output, textures, mirror, scaling, reverse_z;
  };
  auto parsed = std::make_shared<Parsed>();
  CLI::App* command =
      project_command(app, "export", "Exports the model as OBJ/MTL, DirectX text, binary glTF, DXF, PLY or STL files.",
                      parsed->options.project);
  command->add_option("--format", parsed->format, "obj, x, glb, dxf, ply or stl")
      ->required()
      ->check(CLI::IsMember({"obj", "x", "glb", "dxf", "ply", "stl"}));
  CLI::Option* output = command->add_option(
      "--output", parsed->output,
      "the file (a bare name goes beside the project; default: the project's last export path of the format)");
  const std::pair<const char*, std::string*> switches[] = {{"--textures", &parsed->textures},
                                                           {"--mirror", &parsed->mirror},
                                                           {"--scaling", &parsed->scaling},
                                                           {"--reverse-z", &parsed->reverse_z}};
  for (const auto& [name, target] : switches)
    command->add_option(name, *target, "on or off (default: the project's export setting)")
        ->check(CLI::IsMember({"on", "off"}));
  run_when_chosen(
      command, chosen, parsed, [](CliIo& io, const Parsed& p) { return run_export(io, p.options); },
      [output](Parsed& p) {
        ExportCommandOptions& e = p.options;
        const std::pair<const char*, ExportFormat> formats[] = {
            {"x", ExportFormat::DirectX}, {"obj", ExportFormat::Obj}, {"glb", ExportFormat::Glb},
            {"dxf", ExportFormat::Dxf},   {"ply", ExportFormat::Ply}, {"stl", ExportFormat::Stl}};
        for (const auto& [name, format] : formats)
          if (p.format == name) e.format = format;
        if (output->count()) e.output = p.output;
        e.textures = on_off(p.textures);
        e.mirror = on_off(p.mirror);
        e.scaling = on_off(p.scaling);
        e.reverse_z = on_off(p.reverse_z);
      });
}

}  // namespace plenvista
