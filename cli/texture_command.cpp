#include <ostream>

#include "base/text.h"
#include "cli/cli_command.h"
#include "cli/commands.h"
#include "photogrammetry/texture_mapping.h"

namespace plenvista {

int run_texture(CliIo& io, const TextureOptions& options) {
  CliSession session(io.err);
  if (!session.open(options.project)) return kExitFailure;
  Project& project = session.project();
  std::vector<Material*> chosen;
  if (options.materials.empty()) {
    for (Material* material : project.model.materials)
      if (material->texture_image) chosen.push_back(material);
  }
  for (const std::string& name : options.materials) {
    Material* found = nullptr;
    for (Material* material : project.model.materials)
      if (equal_ignoring_case(shown(material->name), name)) found = material;
    if (!found) {
      session.error("No material named \"" + name + "\"");
      return kExitFailure;
    }
    if (!found->texture_image) {
      session.error("Material \"" + std::string(shown(found->name)) + "\" has no texture image");
      return kExitFailure;
    }
    chosen.push_back(found);
  }
  apply_textures(project, chosen);
  // A photograph whose size cannot be read leaves its material's faces
  // without coordinates (the warning has been told): nothing is saved then.
  std::vector<int> textured;
  for (const Material* material : chosen) {
    int faces = 0, done = 0;
    for (const ModelFace* face : project.model.faces) {
      if (face->material != material) continue;
      ++faces;
      if (face->texture_coords[0]) ++done;
    }
    if (faces > 0 && done == 0) return kExitFailure;
    textured.push_back(done);
  }
  if (!session.save()) return kExitFailure;
  for (std::size_t k = 0; k < chosen.size(); ++k)
    io.out << "Material \"" << shown(chosen[k]->name) << "\": " << textured[k] << " faces textured from image "
           << chosen[k]->texture_image->id << '\n';
  io.out << "Texture coordinates: " << project.model.texture_coords.count() << '\n';
  return kExitSuccess;
}

void declare_texture(CLI::App& app, CommandCall& chosen) {
  auto options = std::make_shared<TextureOptions>();
  CLI::App* command =
      project_command(app, "texture", "Applies texture coordinates to the faces of materials.", options->project);
  command->add_option("--material", options->materials, "material name (default: every material with a texture image)");
  run_when_chosen(command, chosen, options, run_texture);
}

}  // namespace plenvista
