// Finding tie points in the sample's four photographs (smooth renderings of
// a small house, 2272 x 1704, decoded by the program's photograph reader),
// unguided and guided by the sample's located poses. Counters: features
// of the first photograph, verified matches of all pairs, tracks, and the
// share of verified marks within 1.5 px of the epipolar line of their
// partner under the located poses (the sample's truth to within its
// search's accuracy).

#include <benchmark/benchmark.h>

#include <algorithm>
#include <cmath>

#include "base/settings_store.h"
#include "model/project.h"
#include "persistence/project_file.h"
#include "photogrammetry/camera_rays.h"
#include "photogrammetry/tie_finder.h"
#include "platform/photograph_reader.h"
#include "testing/recorders.h"

namespace plenvista {
namespace {

double epipolar_distance(const ProjectImage& a, Point2 pa, const ProjectImage& b, Point2 pb) {
  const auto d = CameraRays(a).direction(pa);
  if (!d) return INFINITY;
  const PoseFrame frame = PoseFrame::of(a);
  const Vec3 ray = frame.to_world_direction(*d);
  const PreparedPose pose_b(b);
  // The epipolar curve near the mark: two points on the ray about the
  // mark's depth, found by trying depths along it.
  double best = INFINITY;
  Point2 previous = pose_b.project(frame.centre + ray * 50, true);
  for (double depth = 55; depth < 20000; depth *= 1.05) {
    const Point2 next = pose_b.project(frame.centre + ray * depth, true);
    const double lx = next.x - previous.x, ly = next.y - previous.y;
    const double l2 = lx * lx + ly * ly;
    if (l2 > 0) {
      const double t = std::clamp(((pb.x - previous.x) * lx + (pb.y - previous.y) * ly) / l2, 0.0, 1.0);
      best = std::min(best, std::hypot(previous.x + t * lx - pb.x, previous.y + t * ly - pb.y));
    }
    previous = next;
  }
  return best;
}

void run(benchmark::State& state, bool guided) {
  MemorySettingsStore store;
  test_support::RecordingNotifier notifier;
  test_support::RecordingMessages messages;
  Project project{store, notifier, messages};
  project.set_path(PLENVISTA_SAMPLE_PROJECT);
  if (open_project(project) != OpenResult::Opened) {
    state.SkipWithError("the sample project does not open");
    return;
  }
  install_photograph_readers();
  std::vector<const ProjectImage*> images;
  for (const ProjectImage* image : project.images().images) images.push_back(image);
  TieFinderOptions options;
  options.guided = guided;
  for (auto _ : state) {
    TieFinder finder(
        images,
        [](const ProjectImage& image, std::string& error) {
          return read_photograph_pixels(image.resolved_path.value_or(""), &error);
        },
        options);
    while (finder.step()) {
    }
    const TieFinderResult& result = finder.result();
    int verified = 0;
    for (const PairReport& pair : result.pairs) verified += pair.verified;
    int marks = 0, near = 0;
    for (const TiePointMarks& tie : result.ties)
      for (std::size_t i = 0; i < tie.images.size(); ++i)
        for (std::size_t j = 0; j < tie.images.size(); ++j) {
          if (i == j) continue;
          ++marks;
          near += epipolar_distance(*images[static_cast<std::size_t>(tie.images[i])], tie.positions[i],
                                    *images[static_cast<std::size_t>(tie.images[j])], tie.positions[j]) <= 1.5;
        }
    state.counters["features"] = result.features[0];
    state.counters["verified"] = verified;
    state.counters["ties"] = static_cast<double>(result.ties.size());
    state.counters["within_1.5px"] = marks ? static_cast<double>(near) / marks : 0.0;
  }
}

void BM_SamplePhotographs(benchmark::State& state) { run(state, false); }
BENCHMARK(BM_SamplePhotographs)->Unit(benchmark::kMillisecond)->Iterations(1)->Repetitions(3);

void BM_SamplePhotographsGuided(benchmark::State& state) { run(state, true); }
BENCHMARK(BM_SamplePhotographsGuided)->Unit(benchmark::kMillisecond)->Iterations(1)->Repetitions(3);

}  // namespace
}  // namespace plenvista
