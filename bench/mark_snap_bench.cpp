// Snapping marks: one click on a shaded sphere, on a corner and on a
// featureless patch (nothing found, the most work), and a list of 100 marks
// on a photograph of 100 spheres.

#include <benchmark/benchmark.h>

#include <random>
#include <vector>

#include "photogrammetry/mark_snap.h"
#include "testing/synthetic_marks.h"

namespace plenvista {
namespace {

using namespace test_support;

RgbImage sphere_photo() {
  RgbImage photo(640, 480, {90, 90, 90});
  draw_sphere(photo, {320.4, 240.7}, 12.5, {220, 40, 30});
  draw_wedge(photo, {500.3, 300.6}, 0.3, 2.0, 40.0, {40, 40, 45});
  blur(photo, 0.6);
  add_noise(photo, 2.0, 1);
  return photo;
}

void BM_SnapSphere(benchmark::State& state) {
  const RgbImage photo = sphere_photo();
  for (auto _ : state) benchmark::DoNotOptimize(snap_mark(photo, {322.4, 239.2}));
}
BENCHMARK(BM_SnapSphere)->Unit(benchmark::kMicrosecond);

void BM_SnapCorner(benchmark::State& state) {
  const RgbImage photo = sphere_photo();
  for (auto _ : state) benchmark::DoNotOptimize(snap_mark(photo, {501.6, 299.1}));
}
BENCHMARK(BM_SnapCorner)->Unit(benchmark::kMicrosecond);

void BM_SnapNothing(benchmark::State& state) {
  const RgbImage photo = sphere_photo();
  for (auto _ : state) benchmark::DoNotOptimize(snap_mark(photo, {100.5, 100.5}));
}
BENCHMARK(BM_SnapNothing)->Unit(benchmark::kMicrosecond);

void BM_SnapHundredMarks(benchmark::State& state) {
  RgbImage photo(2000, 1500, {70, 80, 95});
  std::mt19937 random(3);
  std::uniform_real_distribution<double> unit(0.0, 1.0);
  std::vector<Point2> clicks;
  for (int k = 0; k < 100; ++k) {
    const Point2 centre{100.0 + 180.0 * (k % 10) + unit(random), 100.0 + 130.0 * (k / 10) + unit(random)};
    draw_sphere(photo, centre, 10.0 + 5.0 * unit(random), {230, 210, 40});
    clicks.push_back({centre.x + 3.0 * unit(random) - 1.5, centre.y + 3.0 * unit(random) - 1.5});
  }
  blur(photo, 0.6);
  for (auto _ : state)
    for (const Point2& click : clicks) benchmark::DoNotOptimize(snap_mark(photo, click));
}
BENCHMARK(BM_SnapHundredMarks)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace plenvista
