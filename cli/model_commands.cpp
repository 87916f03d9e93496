#include <array>
#include <ostream>

#include "cli/cli_command.h"
#include "cli/commands.h"
#include "model/edit_actions.h"

namespace plenvista {

int run_add_face(CliIo& io, const AddFaceOptions& options) {
  CliSession session(io.err);
  if (!session.open(options.project)) return kExitFailure;
  Project& project = session.project();
  std::array<ModelPoint*, 3> corners{};
  for (std::size_t k = 0; k < corners.size(); ++k) {
    corners[k] = project.model.points.find(options.points[k]);
    if (!corners[k]) {
      session.error("No point with id " + std::to_string(options.points[k]));
      return kExitFailure;
    }
  }
  const ModelFace* face = add_face(project, *corners[0], *corners[1], *corners[2]);
  if (!face) return kExitFailure;
  project.note_change();
  if (!session.save()) return kExitFailure;
  io.out << "Added face " << face->id << " with material \"" << shown(face->material->name) << "\"\n";
  return kExitSuccess;
}

void declare_add_face(CLI::App& app, CommandCall& chosen) {
  auto options = std::make_shared<AddFaceOptions>();
  CLI::App* command = project_command(app, "add-face", "Adds a face with the current material.", options->project);
  command->add_option("--points", options->points, "three point ids in winding order")->required()->expected(3);
  run_when_chosen(command, chosen, options, run_add_face);
}

}  // namespace plenvista
