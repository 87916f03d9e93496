#include "photogrammetry/camera_search.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <vector>

#include "photogrammetry/projection.h"

namespace plenvista {
namespace {

// A reference point whose error (error-frame pixels) exceeds this after a
// search is flagged as an outlier.
constexpr double kOutlierError = 15;

// The reference points gathered once per step, in list order (the order of
// the error sum, which must not change).
struct Marks {
  std::vector<Vec3> world;
  std::vector<Point2> stored;
};

Marks marks_of(const ProjectImage& image) {
  Marks marks;
  marks.world.reserve(static_cast<std::size_t>(image.reference_points.count()));
  marks.stored.reserve(static_cast<std::size_t>(image.reference_points.count()));
  for (const ReferencePoint* point : image.reference_points) {
    marks.world.push_back(point->world_position);
    marks.stored.push_back(point->image_position);
  }
  return marks;
}

// The summed error through `pose`, given up as soon as the partial sum is no
// longer below `bound`: every term is at least 0 (or NaN), so the whole sum
// could not be either, and the partial sum returned then fails the same
// test. A bound of -1 means none.
double summed_error_below(const PreparedPose& pose, const Marks& marks, const ProjectImage& image, double bound) {
  double sum = 0.0;
  const bool bounded = bound != -1.0;
  for (std::size_t k = 0; k < marks.world.size(); ++k) {
    sum += normalised_error(pose.project(marks.world[k], false), marks.stored[k], image);
    if (bounded && !(sum < bound)) break;
  }
  return sum;
}

}  // namespace

double model_size(const ProjectImage& image) {
  if (image.reference_points.empty()) return 0.0;
  Vec3 low = image.reference_points.first()->world_position;
  Vec3 high = low;
  for (const ReferencePoint* point : image.reference_points) {
    const Vec3& w = point->world_position;
    low = {std::min(low.x, w.x), std::min(low.y, w.y), std::min(low.z, w.z)};
    high = {std::max(high.x, w.x), std::max(high.y, w.y), std::max(high.z, w.z)};
  }
  return std::fabs(std::fabs(high.y) - std::fabs(low.y)) + std::fabs(std::fabs(high.x) - std::fabs(low.x)) +
         std::fabs(std::fabs(high.z) - std::fabs(low.z));
}

double summed_error(const ProjectImage& image) { return summed_error_at(image, image.pose); }

double summed_error_at(const ProjectImage& image, const CameraPose& pose) {
  return summed_error_below(PreparedPose(image, pose), marks_of(image), image, -1.0);
}

bool all_in_front(const ProjectImage& image, const CameraPose& pose) {
  const PreparedPose prepared(image, pose);
  for (const ReferencePoint* point : image.reference_points)
    if (!(-prepared.to_camera_frame(point->world_position).z > 0)) return false;
  return true;
}

void reset_search(SearchState& state) {
  state.best_error = -1.0;
  state.accepted_error = -1.0;
  state.step_divisor = 0.1;
}

void initial_scan(ProjectImage& image, SearchState& state) {
  const double s = model_size(image);
  state.model_size = s;
  const std::array<CameraPose, 10> starts{{
      {{0, 0, -s}, {0, 0, 0}},
      {{s, 0, -s}, {0, 45, 0}},
      {{s, 0, 0}, {0, 90, 0}},
      {{s, 0, s}, {0, 135, 0}},
      {{0, 0, s}, {0, 180, 0}},
      {{-s, 0, s}, {0, -135, 0}},
      {{-s, 0, 0}, {0, -90, 0}},
      {{-s, 0, -s}, {0, -45, 0}},
      {{0, 0, 0}, {90, 0, 0}},
      {{0, 0, 0}, {-90, 0, 0}},
  }};
  std::size_t best = 0;
  double best_score = 0.0;
  for (std::size_t k = 0; k < starts.size(); ++k) {
    reset_search(state);
    image.pose = starts[k];
    for (int step = 0; step < 30; ++step)
      if (refine_step(image, state)) break;
    if (k == 0 || state.best_error < best_score) {
      best = k;
      best_score = state.best_error;
    }
  }
  image.pose = starts[best];
  reset_search(state);
}

bool refine_step(ProjectImage& image, SearchState& state) {
  const CameraPose base = image.pose;
  const double h = state.model_size / 50;
  const double r = state.step_divisor;
  const std::array<const double*, 3> base_offset{&base.offset.x, &base.offset.y, &base.offset.z};
  const std::array<const double*, 3> base_angle{&base.rotation.x, &base.rotation.y, &base.rotation.z};
  // Each pose value takes only three values in a step: the candidates'
  // offsets and the sines and cosines of their angles are taken once.
  std::array<std::array<double, 3>, 3> offset{};
  std::array<std::array<double, 3>, 3> angle{};
  std::array<std::array<AngleTrig, 3>, 3> trig{};
  for (std::size_t axis = 0; axis < 3; ++axis)
    for (std::size_t k = 0; k < 3; ++k) {
      const int i = static_cast<int>(k) - 1;
      offset[axis][k] = *base_offset[axis] + i * h / r;
      angle[axis][k] = *base_angle[axis] + i / r;
      trig[axis][k] = AngleTrig::of_degrees(angle[axis][k]);
    }

  const Marks marks = marks_of(image);
  CameraPose best = base;
  double best_error = state.best_error;
  for (std::size_t a = 0; a < 3; ++a)
    for (std::size_t b = 0; b < 3; ++b)
      for (std::size_t c = 0; c < 3; ++c) {
        const Vec3 candidate_offset{offset[0][a], offset[1][b], offset[2][c]};
        for (std::size_t d = 0; d < 3; ++d)
          for (std::size_t e = 0; e < 3; ++e)
            for (std::size_t f = 0; f < 3; ++f) {
              const PreparedPose pose(image, candidate_offset, trig[0][d], trig[1][e], trig[2][f]);
              const double error = summed_error_below(pose, marks, image, best_error);
              if (error < best_error || best_error == -1.0) {
                best = {candidate_offset, {angle[0][d], angle[1][e], angle[2][f]}};
                best_error = error;
              }
            }
      }

  image.pose = best;
  state.best_error = best_error;
  if (state.accepted_error > state.best_error || state.accepted_error == -1.0) {
    state.accepted_error = state.best_error;
    return false;
  }
  state.step_divisor = 2 * r;
  return state.step_divisor > 1000;
}

double search_score_for(double summed, int reference_point_count) {
  const int n = reference_point_count > 0 ? reference_point_count : 1;
  const double mean = summed / n;
  const double score = 100 - mean * mean;
  // A NaN error (a reference point at depth 0) scores 0 like any hopeless fit.
  return score > 0 ? score : 0.0;
}

void finish_search(ProjectImage& image, const SearchState& state) {
  image.marks_changed = false;
  const PreparedPose pose(image);
  for (ReferencePoint* point : image.reference_points) {
    point->projected_position = pose.project(point->world_position, false);
    point->outlier = normalised_error(point->projected_position, point->image_position, image) > kOutlierError;
  }
  image.search_score = search_score_for(state.best_error, image.reference_points.count());
  image.pose_known = true;
}

}  // namespace plenvista
