// Paints of the image view and the CAD view at 1600 x 1000 with a model of
// 20,000 points and 40,000 faces over a 2272 x 1704 photograph, offscreen,
// and mouse moves over both (cursor status, crosshair; no model redraw).

#include <benchmark/benchmark.h>

#include <QApplication>
#include <QMouseEvent>
#include <QTemporaryDir>
#include <memory>

#include "views/cad_view.h"
#include "views/image_view.h"
#include "views/view_test_scene.h"

namespace plenvista {
namespace {

constexpr int kWidth = 1600;
constexpr int kHeight = 1000;

QApplication& application() {
  static int argc = 1;
  static char name[] = "views_bench";
  static char* argv[] = {name, nullptr};
  qputenv("QT_QPA_PLATFORM", "offscreen");
  // Never destroyed: Qt's own globals may be gone at exit.
  static QApplication* app = new QApplication(argc, argv);
  return *app;
}

// 200 x 100 points on the plane z = 0 filling the first photograph, two
// faces per cell and a few more to make 40,000.
struct BigScene {
  QTemporaryDir dir;
  test_support::ViewScene scene{kWidth, kHeight, kWidth / 2272.0};

  BigScene() {
    const QString path = dir.filePath("photo.bmp");
    QImage photo(2272, 1704, QImage::Format_RGB32);
    for (int y = 0; y < photo.height(); ++y)
      for (int x = 0; x < photo.width(); ++x) photo.setPixel(x, y, qRgb(x % 256, y % 256, (x + y) % 256));
    photo.save(path, "BMP");
    scene.a->resolved_path = path.toStdString();
    Project& project = scene.project;
    constexpr int columns = 200, rows = 100;
    std::vector<ModelPoint*> grid;
    for (int r = 0; r < rows; ++r)
      for (int c = 0; c < columns; ++c) grid.push_back(add_point(project, -2200 + 22.0 * c, -1400 + 28.0 * r, 0));
    const auto at = [&grid](int r, int c) { return grid[static_cast<std::size_t>(r * columns + c)]; };
    int faces = 0;
    for (int r = 0; r + 1 < rows && faces < 40000; ++r)
      for (int c = 0; c + 1 < columns && faces < 40000; ++c, faces += 2) {
        add_face(project, *at(r, c), *at(r, c + 1), *at(r + 1, c + 1));
        add_face(project, *at(r, c), *at(r + 1, c + 1), *at(r + 1, c));
      }
    for (int i = 0; faces < 40000; ++i, ++faces) {
      const int r = i % (rows - 1), c = 2 * (i / (rows - 1));
      add_face(project, *at(r, c), *at(r, c + 2), *at(r + 1, c + 1));
    }
    project.note_change();
  }
};

BigScene& big_scene() {
  application();
  static BigScene scene;
  return scene;
}

void move_mouse(QWidget& view, int i) {
  const QPointF at(100 + (i % 1000), 100 + (i % 700));
  QMouseEvent move(QEvent::MouseMove, at, view.mapToGlobal(at), Qt::NoButton, Qt::NoButton, Qt::NoModifier);
  QApplication::sendEvent(&view, &move);
  QApplication::processEvents();
}

void BM_ImageViewPaint(benchmark::State& state) {
  BigScene& big = big_scene();
  ImageView view(big.scene.project, nullptr);
  view.resize(kWidth, kHeight);
  QImage frame(kWidth, kHeight, QImage::Format_RGB32);
  view.render(frame);  // decodes the photograph once
  for (auto _ : state) {
    view.render(frame);
    benchmark::DoNotOptimize(frame.constBits());
  }
}
BENCHMARK(BM_ImageViewPaint)->Unit(benchmark::kMillisecond);

void BM_CadViewPaint(benchmark::State& state) {
  BigScene& big = big_scene();
  CadViewState& settings = big.scene.project.cad_views[0];
  settings.sub_views[0].zoom = 0.33;
  settings.sub_views[0].scroll_x = -(kWidth / 2);  // the origin in the middle, as a fresh view puts it
  settings.sub_views[0].scroll_y = -(kHeight / 2);
  CadView view(big.scene.project, settings, nullptr);
  view.resize(kWidth, kHeight);
  QImage frame(kWidth, kHeight, QImage::Format_RGB32);
  for (auto _ : state) {
    view.render(frame);
    benchmark::DoNotOptimize(frame.constBits());
  }
}
BENCHMARK(BM_CadViewPaint)->Unit(benchmark::kMillisecond);

template <class View>
void mouse_moves(benchmark::State& state, View& view) {
  view.resize(kWidth, kHeight);
  view.show();
  QApplication::processEvents();
  int i = 0;
  for (auto _ : state) move_mouse(view, i++);
}

void BM_ImageViewMouseMove(benchmark::State& state) {
  ImageView view(big_scene().scene.project, nullptr);
  mouse_moves(state, view);
}
BENCHMARK(BM_ImageViewMouseMove)->Unit(benchmark::kMicrosecond);

void BM_CadViewMouseMove(benchmark::State& state) {
  BigScene& big = big_scene();
  CadView view(big.scene.project, big.scene.project.cad_views[0], nullptr);
  mouse_moves(state, view);
  const int renders = view.renders();
  move_mouse(view, 1);
  if (view.renders() != renders) state.SkipWithError("a mouse move redrew the model");
}
BENCHMARK(BM_CadViewMouseMove)->Unit(benchmark::kMicrosecond);

}  // namespace
}  // namespace plenvista
