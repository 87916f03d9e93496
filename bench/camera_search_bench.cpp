// The camera position search on synthetic photographs (reference points
// projected by an ideal pinhole camera through a known pose), and one
// triangulation.

#include <benchmark/benchmark.h>

#include <cmath>
#include <random>

#include "photogrammetry/image_search.h"
#include "photogrammetry/point_triangulation.h"
#include "photogrammetry/projection.h"
#include "testing/search_scenes.h"

namespace plenvista {
namespace {

// Reference points in a box beside the origin, seen from 2 m: the first
// search succeeds.
void BM_WholeSearchOriginBesideObject(benchmark::State& state) {
  std::mt19937 rng(21);
  const int n = static_cast<int>(state.range(0));
  const std::vector<Vec3> points = test_support::box_points(rng, n, {0, 0, 0}, {1000, 800, 600});
  const CameraPose truth = pose_looking_at({1500, 1200, 2100}, {500, 400, 300}, {0, 1, 0});
  for (auto _ : state) {
    test_support::SearchScene scene;
    scene.mark(points, truth);
    ImageSearch search(scene.image);
    while (!search.run_batch()) {
    }
    benchmark::DoNotOptimize(scene.image.pose);
  }
}
BENCHMARK(BM_WholeSearchOriginBesideObject)->Arg(4)->Arg(10)->Arg(40)->Unit(benchmark::kMillisecond);

// Reference points symmetric about the origin, camera 3 to 6 times their
// extent away: the first search ends poorly and the further starts run.
void BM_WholeSearchOriginAtCentroid(benchmark::State& state) {
  std::mt19937 rng(7);
  const int n = static_cast<int>(state.range(0));
  std::vector<Vec3> points = test_support::box_points(rng, n / 2, {0, -300, -250}, {400, 300, 250});
  for (std::size_t k = 0, half = points.size(); k < half; ++k)
    points.push_back({-points[k].x, points[k].y, points[k].z});
  const double extent = 2 * std::hypot(400.0, 300.0, 250.0);
  const CameraPose views[] = {pose_looking_at({0, 500, 3 * extent}, {0, 0, 0}, {0, 1, 0}),
                              pose_looking_at({4 * extent, 1500, 2 * extent}, {0, 0, 0}, {0.2, 1, 0}),
                              pose_looking_at({-3 * extent, 2 * extent, -4 * extent}, {0, 0, 0}, {0, 1, 0})};
  std::size_t k = 0;
  for (auto _ : state) {
    test_support::SearchScene scene;
    scene.mark(points, views[k++ % 3]);
    ImageSearch search(scene.image);
    while (!search.run_batch()) {
    }
    benchmark::DoNotOptimize(scene.image.pose);
  }
}
BENCHMARK(BM_WholeSearchOriginAtCentroid)->Arg(10)->Unit(benchmark::kMillisecond);

void BM_PointTriangulation(benchmark::State& state) {
  test_support::SearchScene a;
  test_support::SearchScene b;
  a.image.pose = {{-100, -50, -2000}, {0, 0, 0}};
  b.image.pose = {{-1300, -50, -1700}, {0, -37, 2}};
  const Vec3 truth{230, -120, 75};
  const Point2 click_a = project_to_image(truth, a.image, true);
  const Point2 click_b = project_to_image(truth, b.image, true);
  for (auto _ : state) benchmark::DoNotOptimize(point_triangulation(click_a, click_b, a.image, b.image));
}
BENCHMARK(BM_PointTriangulation)->Unit(benchmark::kMicrosecond);

}  // namespace
}  // namespace plenvista
