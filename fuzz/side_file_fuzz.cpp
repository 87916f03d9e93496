// Fuzz target: the side file of control and tie points is refused or
// accepted as a whole; what it accepts keeps every tie mark with an unplaced
// tie point, every placed tie point's marks at its coordinates, the id
// counter above every id read, and writes back, beside its project file, a
// text that reads to itself.

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "fuzz/tie_inputs.h"
#include "persistence/control_points_file.h"
#include "persistence/project_file.h"
#include "testing/recorders.h"

namespace {

using namespace plenvista;

struct Scratch {
  MemorySettingsStore store;
  test_support::RecordingNotifier notifier;
  test_support::RecordingMessages messages;
  Project project{store, notifier, messages};
  Scratch() {
    fuzzing::fill_tie_project(project);
    project.model.control_points.clear();
    project.images().images.first()->reference_points.first()->control_point_id = 0;
  }
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  Scratch first;
  std::string error;
  ModelData& model = first.project.model;
  if (!decode_control_points({reinterpret_cast<const char*>(data), size}, model, first.project.images(), error))
    return 0;
  for (const ProjectImage* image : first.project.images().images) {
    for (const ReferencePoint* r : image->tie_marks) {
      const TiePoint* tie = model.tie_points.find(r->control_point_id);
      if (!tie || tie->position || r->id >= model.next_id) std::abort();
    }
    for (const ReferencePoint* r : image->reference_points)
      if (const TiePoint* tie = model.tie_points.find(r->control_point_id))
        if (!tie->position || !(r->world_position == *tie->position || *tie->position != *tie->position)) std::abort();
  }
  for (const TiePoint* t : model.tie_points)
    if (t->id >= model.next_id) std::abort();
  // The side file and the project file are saved together: the second
  // round reads both, as Open does.
  const std::string text = encode_control_points(model, first.project.images());
  const std::string project_bytes = encode_project(first.project);
  ProjectFileContents second;
  if (decode_project({reinterpret_cast<const std::uint8_t*>(project_bytes.data()), project_bytes.size()}, first.project,
                     second) != DecodeStatus::Ok)
    std::abort();
  if (!decode_control_points(text, second.model, *second.images, error)) std::abort();
  if (encode_control_points(second.model, *second.images) != text) std::abort();
  return 0;
}
