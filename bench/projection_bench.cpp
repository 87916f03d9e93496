// Projection of many points through one pose (the camera search and the
// drawing of the image view) against the one-shot projection.

#include <benchmark/benchmark.h>

#include <vector>

#include "photogrammetry/projection.h"
#include "testing/cameras.h"

namespace plenvista {
namespace {

struct Scene {
  CameraModel camera = test_support::grid_camera(14, 20);
  ProjectImage image;
  std::vector<Vec3> points;

  Scene() {
    image.camera = &camera;
    image.centre_x = camera.centre_x;
    image.centre_y = camera.centre_y;
    image.pose = {{0.3, -0.2, -40}, {4, -7, 12}};
    for (int i = 0; i < 4096; ++i) points.push_back({(i % 64) * 0.5 - 16, (i / 64) * 0.4 - 12, -20.0 - (i % 7)});
  }
};

void BM_PreparedPoseProject(benchmark::State& state) {
  Scene scene;
  for (auto _ : state) {
    const PreparedPose pose(scene.image);
    for (const Vec3& p : scene.points) benchmark::DoNotOptimize(pose.project(p, false));
  }
  state.SetItemsProcessed(state.iterations() * static_cast<std::int64_t>(scene.points.size()));
}
BENCHMARK(BM_PreparedPoseProject);

void BM_ProjectToImageOneShot(benchmark::State& state) {
  Scene scene;
  for (auto _ : state)
    for (const Vec3& p : scene.points) benchmark::DoNotOptimize(project_to_image(p, scene.image, false));
  state.SetItemsProcessed(state.iterations() * static_cast<std::int64_t>(scene.points.size()));
}
BENCHMARK(BM_ProjectToImageOneShot);

}  // namespace
}  // namespace plenvista
