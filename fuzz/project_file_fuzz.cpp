// Fuzz target: the project-file decoder must refuse or accept any bytes
// without reading outside them, and whatever it accepts must keep the
// model's invariants, with the id counter above every id it holds.

#include <cstddef>
#include <cstdint>
#include <cstdlib>

#include "persistence/project_file.h"
#include "testing/recorders.h"

namespace {

plenvista::Project& base_project() {
  static plenvista::MemorySettingsStore store;
  static plenvista::test_support::RecordingNotifier notifier;
  static plenvista::test_support::RecordingMessages messages;
  static plenvista::Project project(store, notifier, messages);
  return project;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace plenvista;
  ProjectFileContents contents;
  if (decode_project({data, size}, base_project(), contents) != DecodeStatus::Ok) return 0;
  const ModelData& m = contents.model;
  for (const ModelFace* f : m.faces) {
    if (!f->material) std::abort();
    for (const ModelPoint* c : f->corners)
      if (!m.points.contains(c)) std::abort();
  }
  for (const ModelPoint* p : m.points)
    if (!m.layers.contains(p->layer)) std::abort();
  if (!m.layers.contains(m.current_layer) || !m.materials.contains(m.current_material)) std::abort();
  auto below_counter = [&](const auto& list) { return list.empty() || list.last()->id < m.next_id; };
  if (!below_counter(m.points) || !below_counter(m.faces) || !below_counter(m.texture_coords) ||
      !below_counter(m.layers) || !below_counter(m.materials) || !below_counter(contents.images->images))
    std::abort();
  return 0;
}
