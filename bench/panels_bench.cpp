// The side panels' refresh on ImagesChanged with a large project: 200
// photographs and 100 layers and materials. Every refresh rewrites one
// image's score line, as after a search, and refills all four lists.
// Target: under 20 ms per refresh.

#include <benchmark/benchmark.h>

#include <QApplication>

#include "model/image_management.h"
#include "model/layers_materials.h"
#include "model/project.h"
#include "shell/panels/image_list_panel.h"
#include "shell/panels/layer_material_panel.h"
#include "shell/shell_test_doubles.h"
#include "testing/recorders.h"

namespace plenvista {
namespace {

void ensure_application() {
  static int argc = 1;
  static char name[] = "panels_bench";
  static char* argv[] = {name, nullptr};
  // Lives until the process ends: destroying it during exit crashes.
  static QApplication* const app = [] {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    return new QApplication(argc, argv);
  }();
  (void)app;
}

void BM_PanelRefresh(benchmark::State& state) {
  ensure_application();
  MemorySettingsStore settings;
  test_support::RecordingNotifier notifier;
  test_support::RecordingMessages messages;
  Project project(settings, notifier, messages);
  for (int i = 0; i < 200; ++i) {
    auto image = std::make_unique<ProjectImage>();
    image->description = "Photograph " + std::to_string(i);
    image->search_score = i * 0.5;
    add_image(project, std::move(image));
  }
  for (int i = 0; i < 100; ++i) {
    Layer* layer = add_layer(project, "Layer " + std::to_string(i), 0);
    if (i % 2) project.model.visible_layers.insert(layer);
    add_material(project, "Material " + std::to_string(i));
  }
  project.images().current = project.images().images.at(150);
  test_support::ScriptedFiles files;
  test_support::ScriptedQuestions questions;
  ImageListPanel images(project, files, questions, nullptr);
  LayerMaterialPanel layers(project, nullptr);
  images.resize(175, 265);
  layers.resize(175, 200);
  images.show();
  layers.show();
  QApplication::processEvents();
  int round = 0;
  for (auto _ : state) {
    project.images().images.at(round++ % 200)->search_score += 1.0;
    images.refresh();
    layers.refresh();
    QApplication::processEvents();  // the repaint the refresh causes
  }
}
BENCHMARK(BM_PanelRefresh)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace plenvista
