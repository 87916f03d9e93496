// Open, Save, the undo baseline, one Undo step, the mirror rebuild and OBJ
// export of generated projects at two sizes: 50,000 points with 100,000
// faces (6 MB on disk) and 500,000 points with 1,000,000 faces (60 MB). Every point has one texture coordinate and
// every face corner the coordinate of its point. Faces use neighbouring points ("in order") or points from anywhere in
// the model ("random"), which defeats any cache that only helps neighbouring lookups. The Undo step goes back one
// action of 5,000 recorded on top of the baseline. Arguments: points, random (0/1).
//
// One generated project is kept at a time; the benchmarks of one size and
// order run one after the other, so each project is made once.

#include <benchmark/benchmark.h>

#include <filesystem>
#include <memory>
#include <random>
#include <stdexcept>
#include <string>
#include <vector>

#include "base/settings_store.h"
#include "export/obj_export.h"
#include "model/layers_materials.h"
#include "model/mirror.h"
#include "model/project.h"
#include "model/undo_commands.h"
#include "persistence/project_file.h"
#include "testing/recorders.h"

namespace plenvista {
namespace {

constexpr int kLayers = 10;
constexpr int kMaterials = 20;
constexpr int kUndoActions = 5000;

struct Generated {
  int point_count = 0;
  bool random = false;
  MemorySettingsStore store;
  test_support::RecordingNotifier notifier;
  test_support::RecordingMessages messages;
  Project project{store, notifier, messages};
  std::filesystem::path dir;

  Generated(int points, bool random_corners) : point_count(points), random(random_corners) {
    dir = std::filesystem::temp_directory_path() /
          ("plenvista_large_" + std::to_string(points) + (random ? "_random" : "_order"));
    std::filesystem::create_directories(dir);
    project.set_path((dir / "large.op2").string());
    project.directory = dir.string() + "/";
    ModelData& m = project.model;
    std::vector<Layer*> layers{m.layers.first()};
    for (int i = 1; i < kLayers; ++i) layers.push_back(add_layer(project, "Layer " + std::to_string(i), 0x00FF00));
    std::vector<Material*> materials{m.materials.first()};
    for (int i = 1; i < kMaterials; ++i) materials.push_back(add_material(project, "Material " + std::to_string(i)));

    std::mt19937 rng(29);
    std::uniform_real_distribution<double> coordinate(-100.0, 100.0);
    std::vector<ModelPoint*> made;
    made.reserve(static_cast<std::size_t>(points));
    for (int i = 0; i < points; ++i) {
      auto p = std::make_unique<ModelPoint>();
      p->id = m.new_id();
      p->x = coordinate(rng);
      p->y = coordinate(rng);
      p->z = coordinate(rng);
      p->layer = layers[static_cast<std::size_t>(i % kLayers)];
      made.push_back(m.points.insert(std::move(p)));
    }
    std::vector<TextureCoord*> coords;
    coords.reserve(made.size());
    for (ModelPoint* p : made) {
      auto t = std::make_unique<TextureCoord>();
      t->id = m.new_id();
      t->u = (p->x + 100.0) / 200.0;
      t->v = (p->y + 100.0) / 200.0;
      t->point = p;
      coords.push_back(m.texture_coords.insert(std::move(t)));
    }
    std::uniform_int_distribution<std::size_t> any_point(0, made.size() - 1);
    for (int i = 0; i < 2 * points; ++i) {
      std::array<std::size_t, 3> slots{};
      if (random) {
        slots[0] = any_point(rng);
        do slots[1] = any_point(rng);
        while (slots[1] == slots[0]);
        do slots[2] = any_point(rng);
        while (slots[2] == slots[0] || slots[2] == slots[1]);
      } else {
        const std::size_t a = static_cast<std::size_t>(i / 2);
        slots = {a, (a + 1) % made.size(), (a + 200) % made.size()};
      }
      auto f = std::make_unique<ModelFace>();
      f->id = m.new_id();
      for (std::size_t k = 0; k < 3; ++k) {
        f->corners[k] = made[slots[k]];
        f->texture_coords[k] = coords[slots[k]];
      }
      f->material = materials[static_cast<std::size_t>(i % kMaterials)];
      m.faces.insert(std::move(f));
    }
    project.undo.reset_baseline(m);
  }
  ~Generated() { std::filesystem::remove_all(dir); }

  // Records kUndoActions actions of every geometric kind on top of the
  // baseline, as the edit actions would: points added and moved, faces added,
  // deleted and given materials, and added points deleted again.
  void record_history() {
    UndoHistory& undo = project.undo;
    ModelData& m = project.model;
    undo.reset_baseline(m);
    std::mt19937 rng(5000);
    std::uniform_int_distribution<int> any_point(0, m.points.count() - 1);
    std::uniform_int_distribution<int> any_face(0, m.faces.count() - 1);
    int next_id = m.next_id;
    std::vector<int> added_points;
    for (int a = 0; a < kUndoActions; ++a) {
      undo.begin_action("bench");
      switch (a % 6) {
        case 0:
        case 1: {
          UndoEntry& e = undo.record(UndoKind::AddPoint);
          e.record_id = next_id++;
          e.x = a;
          e.layer_id = m.layers.first()->id;
          added_points.push_back(e.record_id);
          break;
        }
        case 2:
          for (int k = 0; k < 4; ++k) {
            const ModelPoint* p = m.points.at(any_point(rng));
            UndoEntry& e = undo.record(UndoKind::SetPoint);
            e.record_id = p->id;
            e.x = p->x + 1.0;
            e.y = p->y;
            e.z = p->z;
            e.layer_id = p->layer->id;
          }
          break;
        case 3: {
          UndoEntry& e = undo.record(UndoKind::AddFace);
          e.record_id = next_id++;
          e.corner_ids = {m.points.at(any_point(rng))->id, m.points.at(any_point(rng))->id,
                          m.points.at(any_point(rng))->id};
          e.material_id = m.materials.last()->id;
          break;
        }
        case 4: {
          const ModelFace* f = m.faces.at(any_face(rng));
          UndoEntry& e = undo.record(a % 12 == 4 ? UndoKind::DeleteFace : UndoKind::SetFace);
          e.record_id = f->id;
          e.material_id = m.materials.first()->id;
          for (std::size_t k = 0; k < 3; ++k) {
            e.corner_ids[k] = f->corners[k]->id;
            e.texture_ids[k] = f->texture_coords[k] ? f->texture_coords[k]->id : -1;
          }
          break;
        }
        default:
          // A point added earlier in the history and used by no face.
          undo.record(UndoKind::DeletePoint).record_id = added_points.back();
          added_points.pop_back();
          break;
      }
      undo.end_action();
    }
    m.next_id = next_id;
    if (!undo.move(m, 0)) throw std::runtime_error("the recorded history does not replay");
  }
};

Generated& generated(const benchmark::State& state) {
  static std::unique_ptr<Generated> current;
  const int points = static_cast<int>(state.range(0));
  const bool random = state.range(1) != 0;
  if (!current || current->point_count != points || current->random != random) {
    current.reset();
    current = std::make_unique<Generated>(points, random);
  }
  return *current;
}

void count_bytes(benchmark::State& state, const std::filesystem::path& file) {
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations()) *
                          static_cast<std::int64_t>(std::filesystem::file_size(file)));
}

void BM_Open(benchmark::State& state) {
  Generated& g = generated(state);
  if (!save_project(g.project)) state.SkipWithError("save failed");
  MemorySettingsStore store;
  test_support::RecordingNotifier notifier;
  test_support::RecordingMessages messages;
  Project target(store, notifier, messages);
  target.set_path(*g.project.path);
  for (auto _ : state)
    if (open_project(target) != OpenResult::Opened) state.SkipWithError("open failed");
  count_bytes(state, *g.project.path);
}

void BM_Save(benchmark::State& state) {
  Generated& g = generated(state);
  for (auto _ : state)
    if (!save_project(g.project)) state.SkipWithError("save failed");
  count_bytes(state, *g.project.path);
}

void BM_Baseline(benchmark::State& state) {
  Generated& g = generated(state);
  for (auto _ : state) g.project.undo.reset_baseline(g.project.model);
}

void BM_UndoStep(benchmark::State& state) {
  Generated& g = generated(state);
  g.record_history();
  for (auto _ : state) {
    undo_command(g.project);
    state.PauseTiming();
    redo_command(g.project);
    state.ResumeTiming();
  }
}

void BM_MirrorRebuild(benchmark::State& state) {
  Generated& g = generated(state);
  ModelData& m = g.project.model;
  m.transform.mirror_plane = MirrorPlane::X;
  m.transform.mirror_buffer = 1.0;
  const int next_id = m.next_id;
  for (auto _ : state) {
    m.next_id = next_id;
    rebuild_mirror_lists(m);
  }
  m.transform.mirror_plane = MirrorPlane::None;
  rebuild_mirror_lists(m);
  m.next_id = next_id;
}

void BM_ExportObj(benchmark::State& state) {
  Generated& g = generated(state);
  for (auto _ : state)
    if (!export_obj(g.project, "large")) state.SkipWithError("export failed");
  count_bytes(state, g.dir / "large.obj");
}

// Every operation of one project before the next project is made.
void register_all() {
  for (const int points : {50000, 500000}) {
    const int repetitions = points > 100000 ? 3 : 5;
    for (const int random : {0, 1}) {
      using Run = void (*)(benchmark::State&);
      const std::pair<const char*, Run> runs[] = {{"Open", BM_Open},
                                                  {"Save", BM_Save},
                                                  {"Baseline", BM_Baseline},
                                                  {"UndoStep", BM_UndoStep},
                                                  {"MirrorRebuild", BM_MirrorRebuild},
                                                  {"ExportObj", BM_ExportObj}};
      for (const auto& [name, run] : runs)
        benchmark::RegisterBenchmark(name, run)
            ->Args({points, random})
            ->ArgNames({"points", "random"})
            ->Unit(benchmark::kMillisecond)
            ->UseRealTime()
            ->Iterations(points > 100000 ? 2 : 5)
            ->Repetitions(repetitions)
            ->ReportAggregatesOnly(true);
    }
  }
}

const bool registered = (register_all(), true);

}  // namespace
}  // namespace plenvista
