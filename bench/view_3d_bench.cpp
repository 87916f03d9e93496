// The 3D view under Mesa's software renderer (run it on an X server:
//   xvfb-run -a -s "-screen 0 1280x1024x24" build/bench/bench/view_3d_bench).
// A frame of 100,000 textured faces in two materials, each textured from a
// 2272 x 1704 photograph, in an 800 x 600 view: drawn and read back, the
// photographs already on the GPU. Target: under 50 ms.
// The first frame of the 3D page with the sample project open: the page
// chosen in the image list, the view made, its OpenGL set up, the scene
// built, both texture photographs decoded and uploaded, and the frame
// drawn. Target: under 300 ms.

#include <benchmark/benchmark.h>

#include <QApplication>
#include <QImage>
#include <QTabBar>
#include <QTemporaryDir>
#include <cmath>
#include <memory>

#include "model/edit_actions.h"
#include "model/layers_materials.h"
#include "persistence/project_file.h"
#include "shell/main_window.h"
#include "shell/panels/image_list_panel.h"
#include "shell/shell_test_doubles.h"
#include "views/model_3d_view.h"
#include "views/view_test_scene.h"

namespace plenvista {
namespace {

QApplication& application() {
  static int argc = 1;
  static char name[] = "view_3d_bench";
  static char* argv[] = {name, nullptr};
  // Lives until the process ends: destroying it during exit crashes.
  static QApplication* app = [] {
    qputenv("QT_QPA_PLATFORM", "xcb");
    return new QApplication(argc, argv);
  }();
  return *app;
}

// A photograph of smooth colours and fine detail, as JPEG.
std::string write_photograph(const QTemporaryDir& dir, const QString& name, int seed) {
  QImage photo(2272, 1704, QImage::Format_RGB32);
  for (int y = 0; y < photo.height(); ++y) {
    auto* line = reinterpret_cast<QRgb*>(photo.scanLine(y));
    for (int x = 0; x < photo.width(); ++x)
      line[x] = qRgb((x / 9 + seed * 40) % 256, (y / 7) % 256, ((x ^ y) + seed * 90) % 256);
  }
  const QString path = dir.filePath(name);
  photo.save(path, "JPEG", 90);
  return path.toStdString();
}

// A wavy sheet of 250 x 200 squares, two faces each, the left half in one
// textured material, the right half in another.
void BM_TexturedFrame(benchmark::State& state) {
  application();
  QTemporaryDir dir;
  test_support::ViewScene scene;
  Project& project = scene.project;
  scene.a->resolved_path = write_photograph(dir, "a.jpg", 1);
  scene.b->resolved_path = write_photograph(dir, "b.jpg", 2);
  constexpr int kColumns = 250, kRows = 200;
  std::vector<Vec3> positions;
  for (int r = 0; r <= kRows; ++r)
    for (int c = 0; c <= kColumns; ++c)
      positions.push_back({c * 4.0, r * 4.0, 20 * std::sin(c * 0.05) * std::cos(r * 0.04)});
  const std::vector<ModelPoint*> points = add_points(project, positions);
  Material& left = *project.model.current_material;
  Material* right = add_material(project, "right");
  left.texture_image = scene.a;
  right->texture_image = scene.b;
  set_visible_materials(project, {true, true});
  const auto at = [&points](int r, int c) { return points[static_cast<std::size_t>(r * (kColumns + 1) + c)]; };
  for (int r = 0; r < kRows; ++r)
    for (int c = 0; c < kColumns; ++c) {
      Material* material = c < kColumns / 2 ? &left : right;
      for (ModelFace* face : {add_face(project, *at(r, c), *at(r, c + 1), *at(r + 1, c + 1)),
                              add_face(project, *at(r, c), *at(r + 1, c + 1), *at(r + 1, c))})
        face->material = material;
    }
  apply_texture(project, {&left, right}, [](Material&, ProjectImage&, TextureSink& sink) {
    std::map<const ModelPoint*, TextureCoord*> made;
    for (ModelFace* face : sink.model().faces) {
      std::array<TextureCoord*, 3> coords{};
      for (std::size_t i = 0; i < 3; ++i) {
        ModelPoint& p = *face->corners[i];
        TextureCoord*& t = made[&p];
        if (t == nullptr) t = sink.create(p, p.x / 1000.0, 1.0 - p.y / 800.0);
        coords[i] = t;
      }
      sink.attach(*face, coords);
    }
  });
  project.note_change();

  Model3dView view(project, nullptr);
  view.resize(800, 600);
  view.show();
  QApplication::processEvents();
  view.camera().yaw = 0.3;
  view.camera().pitch = 0.4;
  view.fit();
  view.grabFramebuffer();  // the photographs go to the GPU
  if (view.textures_held() != 2 || view.scene().face_records.size() != 2u * kColumns * kRows)
    state.SkipWithError(("the scene is not as planned: " + std::to_string(view.textures_held()) + " textures, " +
                         std::to_string(view.scene().face_records.size()) + " faces")
                            .c_str());
  if (qEnvironmentVariableIsSet("EXP_SAVE")) view.grabFramebuffer().save("/tmp/frame.png");
  for (auto _ : state) {
    view.camera().orbit(1, 0);
    benchmark::DoNotOptimize(view.grabFramebuffer());
  }
}
BENCHMARK(BM_TexturedFrame)->Unit(benchmark::kMillisecond)->Iterations(30)->Repetitions(3)->ReportAggregatesOnly();

void BM_FirstFrameOf3dPage(benchmark::State& state) {
  application();
  QTemporaryDir dir;
  for (auto _ : state) {
    state.PauseTiming();
    MemorySettingsStore settings;
    test_support::ScriptedFiles files;
    test_support::ScriptedQuestions questions;
    auto window = std::make_unique<MainWindow>(
        MainWindow::Services{settings, files, questions, {open_project, save_project}, {}});
    window->set_sample_directory(dir.filePath("sample").toStdString() + "/");
    window->actions().help_open_sample->trigger();
    window->resize(1100, 750);
    window->show();
    QApplication::processEvents();
    state.ResumeTiming();

    // The page's notification is handled, the view made and shown; its
    // first frame is drawn then or, where the window system has not asked
    // for it yet, here.
    window->image_list_panel()->setCurrentIndex(2);
    QApplication::processEvents();
    Model3dView* view = window->model_3d_view();
    if (view == nullptr) {
      state.SkipWithError("no 3D view");
      break;
    }
    if (view->renders() == 0) benchmark::DoNotOptimize(view->grabFramebuffer());

    state.PauseTiming();
    if (view->textures_held() == 0) state.SkipWithError("no texture shown");
    window.reset();
    state.ResumeTiming();
  }
}
BENCHMARK(BM_FirstFrameOf3dPage)->Unit(benchmark::kMillisecond)->Iterations(5)->Repetitions(3)->ReportAggregatesOnly();

}  // namespace
}  // namespace plenvista
