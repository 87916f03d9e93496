// OBJ/MTL, DirectX, glTF, DXF, PLY and STL export of a large textured model: 100,000
// points, 200,000 faces, 200,000 texture coordinates and 20 materials,
// written to a temporary directory. The glTF export embeds two photographs
// of a 2272 x 1704 camera (1.2 MB each, as its JPEG files are). Bytes per second count the bytes of every file written;
// the text benchmarks produce the same text without writing it.

#include <benchmark/benchmark.h>

#include <cmath>
#include <filesystem>
#include <fstream>
#include <string>

#include "base/settings_store.h"
#include "export/directx_export.h"
#include "export/dxf_export.h"
#include "export/glb_export.h"
#include "export/mesh_binary_export.h"
#include "export/obj_export.h"
#include "model/layers_materials.h"
#include "model/project.h"
#include "testing/recorders.h"

namespace plenvista {
namespace {

constexpr int kColumns = 250;
constexpr int kRows = 400;  // 100,000 points
constexpr int kFaces = 200000;
constexpr int kMaterials = 20;

struct LargeModel {
  MemorySettingsStore store;
  test_support::RecordingNotifier notifier;
  test_support::RecordingMessages messages;
  Project project{store, notifier, messages};
  std::vector<ProjectImage> photos = std::vector<ProjectImage>(kMaterials);
  std::filesystem::path dir = std::filesystem::temp_directory_path() / "plenvista_export_bench";

  LargeModel() {
    std::filesystem::create_directories(dir);
    project.directory = dir.string() + "/";
    ModelData& model = project.model;
    model.transform.origin_offset = {1.5, -2.0, 0.25};
    model.transform.scale = 1.75;
    std::vector<Material*> materials{model.materials.first()};
    for (int m = 1; m < kMaterials; ++m) materials.push_back(add_material(project, "Material " + std::to_string(m)));
    for (int m = 0; m < kMaterials; ++m) {
      materials[static_cast<std::size_t>(m)]->face_colour = make_colour(static_cast<std::uint8_t>(m * 12), 200, 255);
      photos[static_cast<std::size_t>(m)].file_name = "photo" + std::to_string(m) + ".bmp";
      if (m % 2 == 0) materials[static_cast<std::size_t>(m)]->texture_image = &photos[static_cast<std::size_t>(m)];
    }
    std::vector<ModelPoint*> points;
    std::vector<TextureCoord*> coords;
    for (int r = 0; r < kRows; ++r) {
      for (int c = 0; c < kColumns; ++c) {
        auto* p = new ModelPoint{};
        p->id = model.new_id();
        p->x = c * 0.37 - 40.0;
        p->y = r * 0.29 - 55.0;
        p->z = 3.0 * std::sin(c * 0.05) * std::cos(r * 0.07);
        p->layer = model.current_layer;
        points.push_back(model.points.insert(p));
        for (int k = 0; k < 2; ++k) {  // two photographs see every point
          auto* t = new TextureCoord{};
          t->id = model.new_id();
          t->u = c / double(kColumns) + k * 0.001;
          t->v = r / double(kRows);
          t->point = p;
          coords.push_back(model.texture_coords.insert(t));
        }
      }
    }
    const int cells = (kColumns - 1) * (kRows - 1);
    for (int i = 0; i < kFaces; ++i) {
      const int cell = (i / 2) % cells;
      const int r = cell / (kColumns - 1);
      const int c = cell % (kColumns - 1);
      const int p00 = r * kColumns + c;
      const int corner_slots[2][3] = {{p00, p00 + 1, p00 + kColumns}, {p00 + 1, p00 + kColumns + 1, p00 + kColumns}};
      auto* f = new ModelFace{};
      f->id = model.new_id();
      for (int k = 0; k < 3; ++k) {
        const int slot = corner_slots[i % 2][k];
        f->corners[static_cast<std::size_t>(k)] = points[static_cast<std::size_t>(slot)];
        f->texture_coords[static_cast<std::size_t>(k)] = coords[static_cast<std::size_t>(2 * slot + (i / cells) % 2)];
      }
      f->material = materials[static_cast<std::size_t>(i % kMaterials)];
      model.faces.insert(f);
    }
  }
  ~LargeModel() { std::filesystem::remove_all(dir); }

  std::uintmax_t size_of(const std::string& name) const { return std::filesystem::file_size(dir / name); }
};

LargeModel& large_model() {
  static LargeModel model;
  return model;
}

void BM_ExportObj(benchmark::State& state) {
  LargeModel& m = large_model();
  for (auto _ : state) benchmark::DoNotOptimize(export_obj(m.project, "large"));
  const auto bytes = m.size_of("large.obj") + m.size_of("large.mtl");
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * bytes));
  state.counters["output_bytes"] = static_cast<double>(bytes);
  if (!m.messages.shown.empty()) state.SkipWithError("an export file failed");
}
BENCHMARK(BM_ExportObj)->Unit(benchmark::kMillisecond);

void BM_ExportDirectX(benchmark::State& state) {
  LargeModel& m = large_model();
  for (auto _ : state) benchmark::DoNotOptimize(export_directx(m.project, "large.x"));
  const auto bytes = m.size_of("large.x");
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * bytes));
  state.counters["output_bytes"] = static_cast<double>(bytes);
  if (!m.messages.shown.empty()) state.SkipWithError("the export file failed");
}
BENCHMARK(BM_ExportDirectX)->Unit(benchmark::kMillisecond);

void BM_ExportGlb(benchmark::State& state) {
  LargeModel& m = large_model();
  std::string jpeg(1200000, '\x5a');
  jpeg[0] = '\xFF';
  jpeg[1] = '\xD8';
  jpeg[2] = '\xFF';
  for (const int k : {0, 2}) {
    const std::string name = "texture" + std::to_string(k) + ".jpg";
    m.photos[static_cast<std::size_t>(k)].file_name = name;
    std::ofstream(m.dir / name, std::ios::binary) << jpeg;
  }
  m.project.model.image_directories = ".";
  int textured = 0;
  for (Material* material : m.project.model.materials) {
    if (material->texture_image) material->texture_image = &m.photos[static_cast<std::size_t>(textured++ % 2 * 2)];
  }
  for (auto _ : state) benchmark::DoNotOptimize(export_glb(m.project, m.project.directory + "large.glb"));
  const auto bytes = m.size_of("large.glb");
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * bytes));
  state.counters["output_bytes"] = static_cast<double>(bytes);
  if (!m.messages.shown.empty()) state.SkipWithError("the export file failed");
}
BENCHMARK(BM_ExportGlb)->Unit(benchmark::kMillisecond);

// The single-file exports of the CAD and mesh formats, written to disk.
void file_benchmark(benchmark::State& state, bool (*write)(Project&, const std::string&), const char* name) {
  LargeModel& m = large_model();
  for (auto _ : state) benchmark::DoNotOptimize(write(m.project, m.project.directory + name));
  const auto bytes = m.size_of(name);
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * bytes));
  state.counters["output_bytes"] = static_cast<double>(bytes);
  if (!m.messages.shown.empty()) state.SkipWithError("the export file failed");
}
void BM_ExportDxf(benchmark::State& state) { file_benchmark(state, export_dxf, "large.dxf"); }
void BM_ExportPly(benchmark::State& state) { file_benchmark(state, export_ply, "large.ply"); }
void BM_ExportStl(benchmark::State& state) { file_benchmark(state, export_stl, "large.stl"); }
BENCHMARK(BM_ExportDxf)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ExportPly)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ExportStl)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace plenvista

namespace plenvista {
namespace {

// Text generation alone: the text is counted and dropped.
void text_benchmark(benchmark::State& state, void (*write)(ModelData&, const ExportSettings&, TextOut&)) {
  LargeModel& m = large_model();
  std::size_t bytes = 0;
  for (auto _ : state) {
    TextOut out([&bytes](std::string_view chunk) {
      bytes += chunk.size();
      return true;
    });
    write(m.project.model, m.project.export_settings, out);
    out.finish();
  }
  state.SetBytesProcessed(static_cast<std::int64_t>(bytes));
}

void BM_ObjText(benchmark::State& state) {
  large_model().project.export_settings.base_name = "large";
  text_benchmark(state, write_obj);
}
BENCHMARK(BM_ObjText)->Unit(benchmark::kMillisecond);

void BM_DirectXText(benchmark::State& state) { text_benchmark(state, write_directx); }
BENCHMARK(BM_DirectXText)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace plenvista
