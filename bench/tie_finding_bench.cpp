// Finding tie points: the features of five 4-megapixel photographs and the
// matches of all ten pairs, start to finish on every core, on renderings of
// a textured plane and box (a 2272 x 1704 pinhole frame, focal length
// 1136 px) seen from five directions 20 degrees apart; the same with the
// poses known (guided matching); and from five directions 40 degrees apart,
// where the first pass leaves photographs apart and the second, with
// squeezed views, runs too. CPU is the whole process's, every thread's.

#include <benchmark/benchmark.h>

#include <cmath>
#include <map>

#include "photogrammetry/tie_finder.h"
#include "testing/textured_scene.h"

namespace plenvista {
namespace {

constexpr double kPitch = 113.6;

struct FivePhotographs {
  CameraModel camera = test_support::scene_camera(kPitch);
  std::vector<ProjectImage> images;
  std::map<const ProjectImage*, RgbImage> pictures;

  explicit FivePhotographs(double step_degrees) {
    const test_support::TexturedScene scene;
    for (int k = 0; k < 5; ++k) {
      const double angle = (k - 2) * step_degrees * kDegreesToRadians;
      images.push_back(
          test_support::scene_image(camera, {900 * std::sin(angle), 520, 900 * std::cos(angle)}, {0, 60, 0}));
    }
    for (const ProjectImage& image : images) pictures.emplace(&image, scene.render(image, kPitch));
  }
};

void run(benchmark::State& state, bool guided, double step_degrees = 20) {
  static const FivePhotographs narrow(20), wide(40);
  const FivePhotographs& photographs = step_degrees > 30 ? wide : narrow;
  std::vector<const ProjectImage*> given;
  for (const ProjectImage& image : photographs.images) given.push_back(&image);
  TieFinderOptions options;
  options.guided = guided;
  options.guided_matching.known_points = {{-150, 0, 150}, {150, 220, -150}, {400, 0, -400}};
  for (auto _ : state) {
    TieFinder finder(
        given, [&](const ProjectImage& image, std::string&) { return photographs.pictures.at(&image); }, options);
    while (finder.step()) {
    }
    const TieFinderResult& result = finder.result();
    int verified = 0;
    for (const PairReport& pair : result.pairs) verified += pair.verified;
    state.counters["features"] = result.features[0];
    state.counters["verified"] = verified;
    state.counters["ties"] = static_cast<double>(result.ties.size());
    state.counters["second_pass"] = result.second_pass;
  }
}

void BM_FiveFourMegapixelPhotographs(benchmark::State& state) { run(state, false); }
BENCHMARK(BM_FiveFourMegapixelPhotographs)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime()
    ->MeasureProcessCPUTime()
    ->Iterations(3)
    ->Repetitions(3);

void BM_FiveFourMegapixelPhotographsGuided(benchmark::State& state) { run(state, true); }
BENCHMARK(BM_FiveFourMegapixelPhotographsGuided)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime()
    ->MeasureProcessCPUTime()
    ->Iterations(3)
    ->Repetitions(3);

void BM_FiveFourMegapixelPhotographsFortyDegreesApart(benchmark::State& state) { run(state, false, 40); }
BENCHMARK(BM_FiveFourMegapixelPhotographsFortyDegreesApart)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime()
    ->MeasureProcessCPUTime()
    ->Iterations(1)
    ->Repetitions(3);

}  // namespace
}  // namespace plenvista
