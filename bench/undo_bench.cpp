// One Undo step at the end of a long history on a large model: the baseline
// is rebuilt and every remaining action replayed.

#include <benchmark/benchmark.h>

#include "model/edit_actions.h"
#include "model/layers_materials.h"
#include "model/project.h"
#include "model/undo_commands.h"

namespace plenvista {
namespace {

constexpr int kPoints = 20000;
constexpr int kFaces = 40000;
constexpr int kActions = 5000;

class QuietNotifier : public Notifier {
 public:
  void post(Notification, int) override {}
};

class QuietMessages : public MessageSink {
 public:
  void show(const std::string&, const std::string&) override {}
};

struct LargeProject {
  MemorySettingsStore store;
  QuietNotifier notifier;
  QuietMessages messages;
  Project project{store, notifier, messages};

  ModelPoint* point(int slot) { return project.model.points.at(slot % project.model.points.count()); }

  void select(std::initializer_list<int> slots) {
    for (ModelPoint* p : project.model.points) p->selected = false;
    for (int slot : slots) point(slot)->selected = true;
  }

  // A baseline of kPoints points and kFaces faces, then kActions mixed
  // actions of every kind that changes geometry.
  LargeProject() {
    ModelData& m = project.model;
    Material* second = add_material(project, "Second");
    for (int i = 0; i < kPoints; ++i) add_point(project, i % 200, i / 200, (i * 7) % 13);
    for (int i = 0; i < kFaces; ++i) add_face(project, *point(i), *point(i + 1), *point(i + 200));
    project.undo.reset_baseline(m);
    for (int a = 0; a < kActions; ++a) {
      const int at = (a * 37) % (m.points.count() - 400);
      switch (a % 8) {
        case 0:
        case 1:
          add_point(project, a, -a, 1);
          break;
        case 2:
          add_face(project, *point(at), *point(at + 2), *point(at + 201));
          break;
        case 3:
          select({at, at + 1, at + 2});
          edit_points(project, 0.5, 0, -0.5);
          break;
        case 4:
          select({at, at + 1, at + 200, at + 201});
          m.current_material = a % 16 == 4 ? second : m.materials.first();
          set_material(project);
          break;
        case 5:
          select({at, at + 3});
          set_layer(project);
          break;
        case 6:
          select({at + 5});
          delete_points(project);
          break;
        default:
          select({at, at + 1, at + 200});
          delete_faces(project);
          break;
      }
    }
    select({});
  }
};

void BM_UndoStep(benchmark::State& state) {
  LargeProject large;
  for (auto _ : state) {
    undo_command(large.project);
    state.PauseTiming();
    redo_command(large.project);
    state.ResumeTiming();
  }
  state.counters["points"] = large.project.model.points.count();
  state.counters["faces"] = large.project.model.faces.count();
}
BENCHMARK(BM_UndoStep)->Unit(benchmark::kMillisecond)->Iterations(20)->Repetitions(5)->ReportAggregatesOnly(true);

}  // namespace
}  // namespace plenvista
