#include <array>
#include <ostream>

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

}  // namespace plenvista
