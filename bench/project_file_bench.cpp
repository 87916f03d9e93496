// Save and Open of a large project: 100,000 points, 200,000 faces, 200,000
// texture coordinates, 10 layers, 20 materials and 20 images with 20
// reference points each, written to a temporary directory; and the part of
// an autosave that runs on the GUI thread (encoding the recovery copy; the
// worker thread writes it). Target for the latter: under 60 ms.

#include <benchmark/benchmark.h>

#include <cmath>
#include <filesystem>
#include <string>

#include "model/image_management.h"
#include "model/layers_materials.h"
#include "model/project.h"
#include "persistence/project_file.h"
#include "persistence/recovery.h"
#include "testing/recorders.h"

namespace plenvista {
namespace {

struct LargeProject {
  MemorySettingsStore store;
  test_support::RecordingNotifier notifier;
  test_support::RecordingMessages messages;
  Project project{store, notifier, messages};
  std::filesystem::path dir = std::filesystem::temp_directory_path() / "plenvista_project_bench";

  LargeProject() {
    std::filesystem::create_directories(dir);
    project.set_path((dir / "large.op2").string());
    ModelData& m = project.model;
    std::vector<Layer*> layers{m.layers.first()};
    for (int i = 1; i < 10; ++i) layers.push_back(add_layer(project, "Layer " + std::to_string(i), 0x00FF00));
    std::vector<Material*> materials{m.materials.first()};
    for (int i = 1; i < 20; ++i) materials.push_back(add_material(project, "Material " + std::to_string(i)));
    for (int i = 0; i < 20; ++i) {
      auto image = std::make_unique<ProjectImage>();
      image->description = "view " + std::to_string(i);
      image->file_name = "view" + std::to_string(i) + ".bmp";
      ProjectImage* added = add_image(project, std::move(image));
      for (int k = 0; k < 20; ++k)
        add_reference_point(project, *added, {k * 1.0, k * 2.0, k * 3.0}, {k * 4.0, k * 5.0});
    }
    std::vector<ModelPoint*> points;
    for (int i = 0; i < 100000; ++i) {
      auto p = std::make_unique<ModelPoint>();
      p->id = m.new_id();
      p->x = std::sin(i * 0.001) * 50.0;
      p->y = i * 0.01;
      p->z = std::cos(i * 0.003) * 20.0;
      p->layer = layers[static_cast<std::size_t>(i % 10)];
      points.push_back(m.points.insert(std::move(p)));
    }
    std::vector<TextureCoord*> coords;
    for (int i = 0; i < 200000; ++i) {
      auto t = std::make_unique<TextureCoord>();
      t->id = m.new_id();
      t->u = (i % 1000) * 0.001;
      t->v = (i % 777) * 0.001;
      t->point = points[static_cast<std::size_t>(i / 2)];
      coords.push_back(m.texture_coords.insert(std::move(t)));
    }
    for (int i = 0; i < 200000; ++i) {
      auto f = std::make_unique<ModelFace>();
      f->id = m.new_id();
      const std::size_t a = static_cast<std::size_t>(i / 2);
      f->corners = {points[a], points[(a + 1) % points.size()], points[(a + 250) % points.size()]};
      f->texture_coords = {coords[static_cast<std::size_t>(i)], nullptr, nullptr};
      f->material = materials[static_cast<std::size_t>(i % 20)];
      m.faces.insert(std::move(f));
    }
  }
  ~LargeProject() { std::filesystem::remove_all(dir); }
};

LargeProject& large() {
  static LargeProject project;
  return project;
}

void BM_SaveProject(benchmark::State& state) {
  Project& project = large().project;
  for (auto _ : state) {
    if (!save_project(project)) state.SkipWithError("save failed");
  }
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations()) *
                          static_cast<std::int64_t>(std::filesystem::file_size(*project.path)));
}
BENCHMARK(BM_SaveProject)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_OpenProject(benchmark::State& state) {
  Project& project = large().project;
  if (!save_project(project)) state.SkipWithError("save failed");
  MemorySettingsStore store;
  test_support::RecordingNotifier notifier;
  test_support::RecordingMessages messages;
  Project target(store, notifier, messages);
  target.set_path(*project.path);
  for (auto _ : state) {
    if (open_project(target) != OpenResult::Opened) state.SkipWithError("open failed");
  }
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations()) *
                          static_cast<std::int64_t>(std::filesystem::file_size(*project.path)));
}
BENCHMARK(BM_OpenProject)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_AutosaveGuiThreadPart(benchmark::State& state) {
  Project& project = large().project;
  const ProcessIdentity self{4711, "bench"};
  const std::string path = (large().dir / recovery_file_name(project.path, self, 0)).string();
  for (auto _ : state) {
    RecoveryCopy copy = prepare_recovery_copy(project, path, self, 1.0e12);
    benchmark::DoNotOptimize(copy.project_bytes.data());
  }
}
BENCHMARK(BM_AutosaveGuiThreadPart)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime()
    ->Repetitions(5)
    ->ReportAggregatesOnly();

}  // namespace
}  // namespace plenvista
