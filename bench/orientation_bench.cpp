// Orientation from tie points alone: the sample house (its corners marked
// in its four photographs, one distance and the axes) and a large synthetic
// survey. Each run checks its result against the truth and fails the
// benchmark when it misses it.

#include <benchmark/benchmark.h>

#include <cmath>
#include <random>
#include <string>

#include "photogrammetry/orientation.h"
#include "testing/orientation_scenes.h"
#include "testing/sample_scene.h"
#include "testing/search_scenes.h"

namespace plenvista {
namespace {

// The sample's grid camera: 20 x 14 cells of 50 mm from 500 mm.
CameraModel sample_camera() {
  CameraModel camera;
  allocate_tables(camera, sample::kGridRows, sample::kGridColumns);
  camera.cell_width_mm = camera.cell_height_mm = sample::kGridCellMm;
  camera.distance_mm = sample::kGridDistanceMm;
  camera.centre_x = 1136;
  camera.centre_y = 852;
  for (int r = 0; r <= sample::kGridRows; ++r)
    for (int c = 0; c < kCornerSlots; ++c)
      camera.corner(r, c) = {sample::kGridTopLeft.x + c * sample::kGridPitchPx,
                             sample::kGridTopLeft.y + r * sample::kGridPitchPx};
  derive_cells(camera);
  return camera;
}

// The ten house corners and the front door's right edge: twelve corners,
// C1 at the origin, C2 on +X, C5 above the origin.
void BM_SampleHouseFromTies(benchmark::State& state) {
  std::vector<Vec3> corners(sample::kHouseCorners.begin(), sample::kHouseCorners.end());
  corners.push_back({360, 0, 0});
  corners.push_back({360, 220, 0});
  std::vector<Vec3> eyes;
  for (const sample::Shot& shot : sample::kShots) eyes.push_back(shot.eye);
  test_support::OrientationScene scene =
      test_support::orientation_scene(sample_camera(), corners, eyes, sample::kLookAt, 0.0, 1);
  scene.input.axes = DatumAxes{"P0", "P1", "P4"};
  scene.input.distances = {{"P0", "P1", 600}};
  double worst_camera = 0, worst_point = 0;
  for (auto _ : state) {
    const OrientationResult result = orient_photographs(scene.input);
    if (!result.ok()) {
      state.SkipWithError(result.message.c_str());
      return;
    }
    for (std::size_t k = 0; k < eyes.size(); ++k)
      worst_camera = std::max(worst_camera, length(result.photographs[k].pose.offset * -1.0 - eyes[k]));
    for (const OrientedPoint& p : result.points)
      worst_point = std::max(worst_point, length(p.position - corners[std::stoul(p.label.substr(1))]));
  }
  state.counters["camera_mm"] = worst_camera;
  state.counters["point_mm"] = worst_point;
  if (!(worst_camera < 1.0 && worst_point < 0.3)) state.SkipWithError("the result misses the sample's truth");
}
BENCHMARK(BM_SampleHouseFromTies)->Unit(benchmark::kMillisecond);

// 50 photographs on a ring, 2,000 points each marked in 10 of them (20,000
// marks), 0.5 px of noise.
void BM_LargeSurveyFromTies(benchmark::State& state) {
  std::mt19937 rng(4);
  const Vec3 target{500, 500, -500};
  const std::vector<Vec3> points = test_support::box_points(rng, 2000, {0, 0, -1000}, {1000, 1000, 0});
  test_support::OrientationScene scene = test_support::orientation_scene(
      test_support::pinhole_camera(), points, test_support::ring_eyes(50, target, 3000, 1500, 330), target, 0.5, 9, 10);
  scene.input.axes = DatumAxes{"P0", "P1", "P2"};
  scene.input.distances = {{"P0", "P1", length(points[1] - points[0])}};
  for (auto _ : state) {
    const OrientationResult result = orient_photographs(scene.input);
    if (!result.ok()) {
      state.SkipWithError(result.message.c_str());
      return;
    }
    int oriented = 0;
    for (const OrientedPhotograph& p : result.photographs) oriented += p.oriented;
    state.counters["oriented"] = oriented;
    state.counters["rms_px"] = result.rms_px;
    state.counters["outliers"] = static_cast<double>(result.outliers.size());
  }
}
BENCHMARK(BM_LargeSurveyFromTies)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace plenvista
