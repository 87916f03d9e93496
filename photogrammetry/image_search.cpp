#include "photogrammetry/image_search.h"

#include <algorithm>
#include <array>
#include <cmath>

#include <Eigen/Core>
#include <Eigen/LU>

#include "photogrammetry/camera_search.h"
#include "photogrammetry/closed_form_pose.h"
#include "photogrammetry/projection.h"

namespace plenvista {
namespace {

constexpr int kScanSteps = 12;
constexpr int kStepCap = 2000;
constexpr int kPolishSteps = 300;
constexpr std::size_t kFinalists = 3;
constexpr int kStepsPerBatch = 60;
// A search that ends at this score with every reference point in front
// (mean error below a third of a pixel) is kept as it is.
constexpr double kVeryGoodScore = 99.9;
// The closed-form start's refinement begins with moves of 1/500 of the
// camera's distance and 0.1 degree.
constexpr double kClosedFormDivisor = 10.0;

// Results in order of preference: every reference point in front first,
// then the lower summed error; a NaN error never wins.
bool preferred(bool in_front_a, double error_a, bool in_front_b, double error_b) {
  if (in_front_a != in_front_b) return in_front_a;
  return error_a < error_b || (!std::isnan(error_a) && std::isnan(error_b));
}

using Params = std::array<double, 6>;

Params params_of(const CameraPose& pose) {
  return {pose.offset.x, pose.offset.y, pose.offset.z, pose.rotation.x, pose.rotation.y, pose.rotation.z};
}
CameraPose pose_of(const Params& p) { return {{p[0], p[1], p[2]}, {p[3], p[4], p[5]}}; }

// The normalised residuals (x and y of every reference point).
std::vector<double> residuals(const ProjectImage& image, const Params& p) {
  const PreparedPose pose(image, pose_of(p));
  const bool sized = image.pixel_width > 0 && image.pixel_height > 0;
  const double sx = sized ? static_cast<double>(kErrorFrameWidth) / image.pixel_width : 1.0;
  const double sy = sized ? static_cast<double>(kErrorFrameHeight) / image.pixel_height : 1.0;
  std::vector<double> r;
  for (const ReferencePoint* point : image.reference_points) {
    const Point2 q = pose.project(point->world_position, false);
    r.push_back((q.x - point->image_position.x) * sx);
    r.push_back((q.y - point->image_position.y) * sy);
  }
  return r;
}

double squared_sum(const std::vector<double>& r) {
  double sum = 0.0;
  for (double v : r) sum += v * v;
  return sum;
}

// Solves a x = b for a symmetric 6 x 6 system; false when it is singular.
bool solve(const Eigen::Matrix<double, 6, 6>& a, const Eigen::Matrix<double, 6, 1>& b, Params& x) {
  const Eigen::FullPivLU<Eigen::Matrix<double, 6, 6>> lu(a);
  if (!lu.isInvertible()) return false;
  const Eigen::Matrix<double, 6, 1> solution = lu.solve(b);
  for (std::size_t k = 0; k < 6; ++k) x[k] = solution(static_cast<Eigen::Index>(k));
  return true;
}

// Levenberg-Marquardt on the squared residuals from a pose the pattern
// search brought near a minimum; the pattern search's steps cannot follow
// the narrow valley in which turning the camera and moving it sideways
// almost cancel.
CameraPose least_squares_polish(const ProjectImage& image, const CameraPose& start) {
  Params p = params_of(start);
  std::vector<double> r = residuals(image, p);
  double cost = squared_sum(r);
  double lambda = 1e-3;
  for (int iteration = 0; iteration < 100 && std::isfinite(cost) && lambda < 1e12; ++iteration) {
    std::array<std::vector<double>, 6> jacobian;
    for (std::size_t k = 0; k < 6; ++k) {
      const double h = k < 3 ? 1e-6 * std::max(1.0, std::fabs(p[k])) : 1e-6;
      Params up = p;
      Params down = p;
      up[k] += h;
      down[k] -= h;
      const std::vector<double> ru = residuals(image, up);
      const std::vector<double> rd = residuals(image, down);
      jacobian[k].resize(r.size());
      for (std::size_t i = 0; i < r.size(); ++i) jacobian[k][i] = (ru[i] - rd[i]) / (2 * h);
    }
    Eigen::Matrix<double, 6, 6> normal = Eigen::Matrix<double, 6, 6>::Zero();
    Eigen::Matrix<double, 6, 1> gradient = Eigen::Matrix<double, 6, 1>::Zero();
    for (std::size_t a = 0; a < 6; ++a) {
      const auto ia = static_cast<Eigen::Index>(a);
      for (std::size_t b = 0; b < 6; ++b)
        for (std::size_t i = 0; i < r.size(); ++i)
          normal(ia, static_cast<Eigen::Index>(b)) += jacobian[a][i] * jacobian[b][i];
      for (std::size_t i = 0; i < r.size(); ++i) gradient(ia) -= jacobian[a][i] * r[i];
    }
    for (;;) {
      Eigen::Matrix<double, 6, 6> damped = normal;
      damped.diagonal() += lambda * normal.diagonal();
      Params delta{};
      Params trial = p;
      if (solve(damped, gradient, delta))
        for (std::size_t k = 0; k < 6; ++k) trial[k] += delta[k];
      const std::vector<double> rt = residuals(image, trial);
      const double trial_cost = squared_sum(rt);
      if (trial_cost < cost) {
        const bool converged = cost - trial_cost <= 1e-14 * cost;
        p = trial;
        r = rt;
        cost = trial_cost;
        lambda = std::max(lambda / 10, 1e-12);
        if (converged) return pose_of(p);
        break;
      }
      lambda *= 10;
      if (lambda >= 1e12) break;
    }
  }
  return pose_of(p);
}

}  // namespace

CameraPose pose_looking_at(const Vec3& eye, const Vec3& target, const Vec3& up) {
  const Vec3 view = target - eye;
  const Vec3 forward = view * (1 / length(view));
  const Vec3 side = cross(forward, up);
  const Vec3 right = side * (1 / length(side));
  const Vec3 camera_up = cross(right, forward);
  return pose_from_axes(eye, {right, camera_up, forward * -1});
}

std::vector<CameraPose> starts_around_reference_points(const ProjectImage& image) {
  const int n = image.reference_points.count();
  if (n == 0) return {};
  Vec3 centroid{0, 0, 0};
  for (const ReferencePoint* point : image.reference_points) {
    centroid.x += point->world_position.x / n;
    centroid.y += point->world_position.y / n;
    centroid.z += point->world_position.z / n;
  }
  double radius = 0.0;
  for (const ReferencePoint* point : image.reference_points) {
    const Vec3& w = point->world_position;
    radius = std::max(radius, length(w - centroid));
  }
  if (!(radius > 0) || !std::isfinite(radius)) return {};

  std::vector<Vec3> directions;  // from the centroid towards the camera
  for (double elevation : {0.0, 40.0}) {
    const double e = elevation * kDegreesToRadians;
    for (int k = 0; k < 8; ++k) {
      const double azimuth = k * 45 * kDegreesToRadians;
      directions.push_back({std::cos(e) * std::sin(azimuth), std::sin(e), std::cos(e) * std::cos(azimuth)});
    }
  }
  directions.push_back({0, 1, 0});
  directions.push_back({0, -1, 0});

  std::vector<CameraPose> starts;
  for (double distance : {2.5, 5.0, 10.0})
    for (const Vec3& d : directions) {
      const Vec3 eye = centroid + d * distance * radius;
      // Straight above or below, the image's top points away from +Z.
      const Vec3 up = d.x == 0 && d.z == 0 ? Vec3{0, 0, -1} : Vec3{0, 1, 0};
      starts.push_back(pose_looking_at(eye, centroid, up));
    }
  return starts;
}

// Whether the world origin lies strictly inside the box of the reference
// points: the ten standard viewpoints then stand among them.
bool origin_among_reference_points(const ProjectImage& image) {
  bool inside[3] = {true, true, true};
  for (int axis = 0; axis < 3; ++axis) {
    bool below = false;
    bool above = false;
    for (const ReferencePoint* point : image.reference_points) {
      const Vec3& w = point->world_position;
      const double v = axis == 0 ? w.x : axis == 1 ? w.y : w.z;
      below = below || v < 0;
      above = above || v > 0;
    }
    inside[axis] = below && above;
  }
  return inside[0] && inside[1] && inside[2];
}

ImageSearch::ImageSearch(ProjectImage& image) : image_(image) {
  if (reference_points_degenerate(image_)) {
    end_degenerate();
    return;
  }
  closed_form_ = closed_form_pose(image_);
  if (closed_form_ && origin_among_reference_points(image_)) {
    begin_closed_form();
    return;
  }
  initial_scan(image_, state_);
}

bool ImageSearch::run_batch() {
  switch (phase_) {
    case Phase::Plain:
      run_plain_batch();
      break;
    case Phase::ClosedForm:
      run_closed_form_batch();
      break;
    case Phase::Scan:
    case Phase::Polish:
      run_more_starts_batch();
      break;
    case Phase::Ended:
      break;
  }
  return ended();
}

double ImageSearch::shown_error() const {
  if (phase_ == Phase::Plain || phase_ == Phase::Ended) return state_.best_error;
  const Result* best = nullptr;
  for (const std::vector<Result>* list : {&results_, &scanned_})
    for (const Result& r : *list)
      if (!best || preferred(r.in_front, r.state.best_error, best->in_front, best->state.best_error)) best = &r;
  const double current = state_.best_error;
  if (phase_ == Phase::ClosedForm && current >= 0 && (!best || current < best->state.best_error)) return current;
  return best ? best->state.best_error : current;
}

// Steps until one improves the summed error or the search ends.
void ImageSearch::run_plain_batch() {
  for (;;) {
    const bool finished = refine_step(image_, state_);
    ++steps_;
    current_error_ = state_.best_error;
    bool end = finished;
    if (!finished) {
      end = steps_without_finish_ > kStepCap;
      ++steps_without_finish_;
    }
    if (end) {
      end_plain_search();
      return;
    }
    const bool improved = previous_error_ > current_error_;
    previous_error_ = current_error_;
    if (improved) return;
  }
}

ImageSearch::Result ImageSearch::current_result() const {
  return {image_.pose, state_, all_in_front(image_, image_.pose)};
}

void ImageSearch::end_plain_search() {
  const Result plain = current_result();
  const double score = search_score_for(plain.state.best_error, image_.reference_points.count());
  if (score >= kVeryGoodScore && plain.in_front) {
    finish_search(image_, state_);
    phase_ = Phase::Ended;
    return;
  }
  results_.push_back(plain);
  if (closed_form_)
    begin_closed_form();
  else
    begin_more_starts();
}

void ImageSearch::begin_more_starts() {
  starts_ = starts_around_reference_points(image_);
  if (starts_.empty()) {
    conclude();
    return;
  }
  phase_ = Phase::Scan;
}

// From the closed-form pose: a least-squares polish through the grid
// camera (the closed form fits its pinhole approximation), refinement steps
// from small moves, a last polish.
void ImageSearch::begin_closed_form() {
  image_.pose = *closed_form_;
  reset_search(state_);
  state_.best_error = summed_error(image_);
  polish();
  // Steps in proportion to the depth of the farthest reference point.
  const PreparedPose pose(image_);
  double depth = 0.0;
  for (const ReferencePoint* point : image_.reference_points)
    depth = std::max(depth, -pose.to_camera_frame(point->world_position).z);
  state_.model_size = depth;
  state_.best_error = -1;
  state_.accepted_error = -1;
  state_.step_divisor = kClosedFormDivisor;
  steps_in_trial_ = 0;
  tried_closed_form_ = true;
  phase_ = Phase::ClosedForm;
}

void ImageSearch::run_closed_form_batch() {
  for (int budget = kStepsPerBatch; budget > 0; --budget) {
    const bool finished = refine_step(image_, state_);
    ++steps_;
    if (!finished && ++steps_in_trial_ <= kPolishSteps) continue;
    polish();
    const Result refined = current_result();
    results_.push_back(refined);
    steps_in_trial_ = 0;
    if (refined.in_front)
      conclude();
    else
      begin_more_starts();
    return;
  }
}

// Keeps the least-squares optimum of the pose where it lowers the summed
// error.
void ImageSearch::polish() {
  const CameraPose polished = least_squares_polish(image_, image_.pose);
  const double polished_error = summed_error_at(image_, polished);
  if (polished_error < state_.best_error) {
    image_.pose = polished;
    state_.best_error = polished_error;
  }
}

void ImageSearch::run_more_starts_batch() {
  for (int budget = kStepsPerBatch; budget > 0 && !ended(); --budget) {
    if (phase_ == Phase::Scan)
      scan_step();
    else
      polish_step();
  }
}

void ImageSearch::scan_step() {
  if (steps_in_trial_ == 0) {
    const CameraPose& start = starts_[next_start_];
    image_.pose = start;
    reset_search(state_);
    // Steps in proportion to the distance from the first reference point,
    // which is where the start looks from: moves of a fifth of it at first.
    const Vec3& w = image_.reference_points.first()->world_position;
    state_.model_size = length(w + start.offset);
  }
  const bool finished = refine_step(image_, state_);
  ++steps_;
  ++steps_in_trial_;
  if (!finished && steps_in_trial_ < kScanSteps) return;
  scanned_.push_back(current_result());
  steps_in_trial_ = 0;
  if (++next_start_ < starts_.size()) return;

  finalists_ = scanned_;
  std::stable_sort(finalists_.begin(), finalists_.end(), [](const Result& a, const Result& b) {
    return preferred(a.in_front, a.state.best_error, b.in_front, b.state.best_error);
  });
  finalists_.resize(std::min(finalists_.size(), kFinalists));
  phase_ = Phase::Polish;
}

void ImageSearch::polish_step() {
  if (steps_in_trial_ == 0) {
    image_.pose = finalists_[next_finalist_].pose;
    state_ = finalists_[next_finalist_].state;
  }
  const bool finished = refine_step(image_, state_);
  ++steps_;
  ++steps_in_trial_;
  if (!finished && steps_in_trial_ <= kPolishSteps) return;
  polish();
  results_.push_back(current_result());
  steps_in_trial_ = 0;
  if (++next_finalist_ == finalists_.size()) conclude();
}

void ImageSearch::end_degenerate() {
  const bool pose_known = image_.pose_known;
  reset_search(state_);
  state_.best_error = summed_error(image_);
  finish_search(image_, state_);
  image_.search_score = 0;
  image_.pose_known = pose_known;
  problem_ = kDegenerateMessage;
  phase_ = Phase::Ended;
}

void ImageSearch::conclude() {
  const Result* kept = &results_.front();
  for (const Result& r : results_)
    if (preferred(r.in_front, r.state.best_error, kept->in_front, kept->state.best_error)) kept = &r;
  image_.pose = kept->pose;
  state_ = kept->state;
  finish_search(image_, state_);
  phase_ = Phase::Ended;
}

}  // namespace plenvista
