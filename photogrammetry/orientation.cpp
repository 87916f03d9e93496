#include "photogrammetry/orientation.h"

#include <algorithm>
#include <cmath>
#include <map>
#include <numeric>

#include <Eigen/Dense>
#include <ceres/rotation.h>

#include "model/image_records.h"
#include "photogrammetry/closed_form_pose.h"
#include "photogrammetry/orientation_adjustment.h"
#include "photogrammetry/orientation_geometry.h"
#include "photogrammetry/projection.h"

namespace plenvista {

using namespace orientation_detail;

namespace {

// The arbitrary frame's baseline between the starting pair.
constexpr double kBaseline = 1000.0;
// Rays meeting at less than this angle (degrees) locate no new point.
constexpr double kMinNewPointAngle = 1.0;
// A starting pair whose points are seen under less than this median angle
// has no usable baseline.
constexpr double kMinPairAngle = 1.0;
// Pairs tried as the start, most shared marks first.
constexpr int kPairsTried = 10;
// Iterations of one step of the adjustment, and of an adjustment made while
// photographs are still being added.
constexpr int kIterationsPerStep = 10;
constexpr int kIntermediateIterations = 4;
// Another adjustment runs while adding once this many times the photographs
// of the last one are oriented.
constexpr double kAdjustGrowth = 2.0;
constexpr int kOutlierRounds = 3;
// A new photograph's pose must fit at least this share of its marks shared
// with oriented photographs, when it shares at least so many.
constexpr double kMinFittingShare = 0.5;
constexpr int kMinSharedForCheck = 10;
// A pose from the pair with an oriented photograph must put at least this
// share of the located points the photograph sees on their rays. Its
// baseline's length is their median, which puts the middle ones on their
// rays whatever the turn: a twin pose fits about half of a small patch.
constexpr double kMinLocatedFittingShare = 0.75;
// Below this ratio of the second to the widest spread the points lie on a line.
constexpr double kLineSpread = 1e-3;
// Axes whose plane point is seen from the origin within this sine of the
// X point's direction define no plane worth the name.
constexpr double kAxesSine = 0.01;
// The median of residual lengths times this is their RMS for Gaussian noise.
constexpr double kMedianToRms = 1.2011;

struct Mark {
  int photo = 0;
  int point = 0;
  Point2 position;
  std::optional<Point2> direction;
  bool outlier = false;
};

Eigen::Matrix3d to_eigen(const Matrix3& m) {
  Eigen::Matrix3d e;
  for (int i = 0; i < 3; ++i)
    for (int j = 0; j < 3; ++j) e(i, j) = m[static_cast<std::size_t>(i * 3 + j)];
  return e;
}

Matrix3 from_eigen(const Eigen::Matrix3d& e) {
  Matrix3 m;
  for (int i = 0; i < 3; ++i)
    for (int j = 0; j < 3; ++j) m[static_cast<std::size_t>(i * 3 + j)] = e(i, j);
  return m;
}

PoseParameters parameters_of(const Pose& pose) {
  PoseParameters p{};
  ceres::RotationMatrixToAngleAxis(ceres::RowMajorAdapter3x3(pose.rotation.data()), p.data());
  p[3] = pose.centre.x;
  p[4] = pose.centre.y;
  p[5] = pose.centre.z;
  return p;
}

Pose pose_of(const PoseParameters& p) {
  Pose pose;
  ceres::AngleAxisToRotationMatrix(p.data(), ceres::RowMajorAdapter3x3(pose.rotation.data()));
  pose.centre = {p[3], p[4], p[5]};
  return pose;
}

Vec3 vec_of(const PointParameters& p) { return {p[0], p[1], p[2]}; }
PointParameters parameters_of(const Vec3& v) { return {v.x, v.y, v.z}; }

// Standard deviations of a point set along its principal axes, widest first.
std::array<double, 3> spread_of(const std::vector<Vec3>& points) {
  if (points.size() < 2) return {0, 0, 0};
  Eigen::Vector3d mean = Eigen::Vector3d::Zero();
  for (const Vec3& p : points) mean += Eigen::Vector3d(p.x, p.y, p.z);
  mean /= static_cast<double>(points.size());
  Eigen::Matrix3d c = Eigen::Matrix3d::Zero();
  for (const Vec3& p : points) {
    const Eigen::Vector3d d = Eigen::Vector3d(p.x, p.y, p.z) - mean;
    c += d * d.transpose();
  }
  const Eigen::SelfAdjointEigenSolver<Eigen::Matrix3d> solver(c / static_cast<double>(points.size()));
  const Eigen::Vector3d v = solver.eigenvalues().cwiseMax(0.0);
  return {std::sqrt(v[2]), std::sqrt(v[1]), std::sqrt(v[0])};
}

bool on_one_line(const std::vector<Vec3>& points) {
  const std::array<double, 3> s = spread_of(points);
  return !(s[0] > 0) || !std::isfinite(s[0]) || s[1] <= kLineSpread * s[0];
}

// X' = scale * rotation * X + shift.
struct Similarity {
  double scale = 1.0;
  Eigen::Matrix3d rotation = Eigen::Matrix3d::Identity();
  Eigen::Vector3d shift = Eigen::Vector3d::Zero();
  Vec3 apply(const Vec3& v) const {
    const Eigen::Vector3d r = scale * (rotation * Eigen::Vector3d(v.x, v.y, v.z)) + shift;
    return {r.x(), r.y(), r.z()};
  }
};

// The similarity taking `from` onto `to` in the least-squares sense.
Similarity fit_similarity(const std::vector<Vec3>& from, const std::vector<Vec3>& to) {
  const double n = static_cast<double>(from.size());
  Eigen::Vector3d mf = Eigen::Vector3d::Zero(), mt = Eigen::Vector3d::Zero();
  for (std::size_t i = 0; i < from.size(); ++i) {
    mf += Eigen::Vector3d(from[i].x, from[i].y, from[i].z) / n;
    mt += Eigen::Vector3d(to[i].x, to[i].y, to[i].z) / n;
  }
  Eigen::Matrix3d h = Eigen::Matrix3d::Zero();
  double variance = 0.0;
  for (std::size_t i = 0; i < from.size(); ++i) {
    const Eigen::Vector3d f = Eigen::Vector3d(from[i].x, from[i].y, from[i].z) - mf;
    const Eigen::Vector3d t = Eigen::Vector3d(to[i].x, to[i].y, to[i].z) - mt;
    h += t * f.transpose();
    variance += f.squaredNorm();
  }
  const Eigen::JacobiSVD<Eigen::Matrix3d> svd(h, Eigen::ComputeFullU | Eigen::ComputeFullV);
  Eigen::Matrix3d d = Eigen::Matrix3d::Identity();
  if ((svd.matrixU() * svd.matrixV().transpose()).determinant() < 0) d(2, 2) = -1;
  Similarity s;
  s.rotation = svd.matrixU() * d * svd.matrixV().transpose();
  s.scale = (svd.singularValues().asDiagonal() * d).trace() / variance;
  s.shift = mt - s.scale * s.rotation * mf;
  return s;
}

}  // namespace

const char* orientation_failure_text(OrientationFailure failure) {
  switch (failure) {
    case OrientationFailure::None:
      return "";
    case OrientationFailure::NoCamera:
      return "The camera has no calibrated grid.";
    case OrientationFailure::TooFewSharedMarks:
      return "Too few shared marks: no two photographs share five marked points.";
    case OrientationFailure::PosesUndetermined:
      return "The marks leave the poses undetermined: they lie on one line, or the photographs have no baseline "
             "between them.";
    case OrientationFailure::UnknownLabel:
      return "A distance or the axes name a label that no mark carries.";
    case OrientationFailure::LabelNotLocated:
      return "A point named by a distance or the axes could not be located.";
    case OrientationFailure::InvalidDistance:
      return "A distance must join two different labels and be longer than 0.";
    case OrientationFailure::AxesOnOneLine:
      return "The axes points lie on one line.";
    case OrientationFailure::SurveyedOnOneLine:
      return "The surveyed points lie on one line.";
    case OrientationFailure::AdjustmentFailed:
      return "The adjustment gave no finite result.";
  }
  return "";
}

enum class Stage { Prepare, Pair, Adjust, Add, Outliers, Precision, Datum, Done };

struct OrientationRun::State {
  OrientationInput input;
  OrientationResult result;
  OrientationProgress progress;
  Stage stage = Stage::Prepare;
  Stage after_adjust = Stage::Add;

  std::vector<std::string> labels;  // sorted, one per point
  std::map<std::string, int> label_index;
  std::vector<Mark> marks;
  std::vector<std::vector<int>> photo_marks;
  std::vector<std::vector<int>> point_marks;
  std::vector<PoseParameters> poses;
  std::vector<bool> oriented;
  std::vector<bool> given_up;  // photographs that failed to orient
  // Per photograph whose pose from the located points disagreed with its
  // marks shared with oriented photographs: how many photographs were
  // oriented then (it is tried again once more are); -1 when none.
  std::vector<int> deferred_at;
  std::vector<PointParameters> points;
  std::vector<bool> located;
  double focal = 1.0;
  AdjustmentGauge gauge;
  std::unique_ptr<BundleAdjustment> adjustment;
  int adjustment_iterations = 0;
  int iteration_limit = 0;
  int oriented_at_last_adjustment = 0;
  int outlier_rounds = 0;
  std::vector<std::array<double, 9>> covariances;  // per point, adjusted frame
  std::vector<bool> has_covariance;

  void fail(OrientationFailure failure, const std::string& detail = {}) {
    result.failure = failure;
    result.message = orientation_failure_text(failure);
    if (!detail.empty()) result.message += " (" + detail + ")";
    stage = Stage::Done;
  }

  bool active(const Mark& m) const {
    return m.direction && !m.outlier && oriented[static_cast<std::size_t>(m.photo)] &&
           located[static_cast<std::size_t>(m.point)];
  }

  void prepare();
  bool check_datum_labels();
  void choose_pair();
  void start_adjustment(int limit, Stage next);
  void adjust_step();
  void add_photograph();
  // Whether a pose found from the located points also fits the photograph's
  // marks shared with oriented photographs (most of them, when there are
  // enough to tell): located points that all lie in one small patch of a
  // plane can give a pose far off that fits them alone.
  bool fits_shared_marks(int photo, const Pose& pose) const;
  // The pose from the relative orientation with the oriented photograph
  // sharing the most marks, its baseline's length from the located points
  // this one sees; none when it leaves more than a quarter of those points
  // off their rays or, like the first, misfits its shared marks.
  std::optional<Pose> pose_from_shared_pair(int photo) const;
  void locate_points();
  void find_outliers();
  void compute_precision();
  void apply_datum();
  void finish();
  double residual_length(const Mark& m) const;
  double rms() const;
};

void OrientationRun::State::prepare() {
  if (!camera_usable(input.camera)) return fail(OrientationFailure::NoCamera);
  focal = focal_pixels(input.camera);
  std::map<int, int> photo_index;
  std::vector<OrientationPhotograph> photographs;
  for (const OrientationPhotograph& p : input.photographs)
    if (photo_index.emplace(p.id, static_cast<int>(photographs.size())).second) photographs.push_back(p);
  input.photographs = std::move(photographs);
  const std::size_t n_photos = input.photographs.size();

  for (const OrientationMark& m : input.marks)
    if (photo_index.count(m.photograph_id)) label_index.emplace(m.label, 0);
  for (auto& [label, index] : label_index) {
    index = static_cast<int>(labels.size());
    labels.push_back(label);
  }
  photo_marks.assign(n_photos, {});
  point_marks.assign(labels.size(), {});
  for (const OrientationMark& m : input.marks) {
    const auto photo = photo_index.find(m.photograph_id);
    if (photo == photo_index.end()) continue;
    const int point = label_index.at(m.label);
    // One mark per point and photograph: the first given.
    const bool repeated = std::any_of(point_marks[static_cast<std::size_t>(point)].begin(),
                                      point_marks[static_cast<std::size_t>(point)].end(),
                                      [&](int k) { return marks[static_cast<std::size_t>(k)].photo == photo->second; });
    if (repeated) continue;
    Mark mark;
    mark.photo = photo->second;
    mark.point = point;
    mark.position = m.position;
    mark.direction =
        viewing_direction(input.camera, input.photographs[static_cast<std::size_t>(photo->second)], m.position);
    const int index = static_cast<int>(marks.size());
    marks.push_back(mark);
    photo_marks[static_cast<std::size_t>(mark.photo)].push_back(index);
    point_marks[static_cast<std::size_t>(point)].push_back(index);
  }
  poses.assign(n_photos, {});
  oriented.assign(n_photos, false);
  given_up.assign(n_photos, false);
  deferred_at.assign(n_photos, -1);
  points.assign(labels.size(), {});
  located.assign(labels.size(), false);
  progress.photographs = static_cast<int>(n_photos);
  if (!check_datum_labels()) return;
  stage = Stage::Pair;
}

bool OrientationRun::State::check_datum_labels() {
  const auto known = [&](const std::string& label) {
    if (label_index.count(label)) return true;
    fail(OrientationFailure::UnknownLabel, label);
    return false;
  };
  for (const DatumDistance& d : input.distances) {
    if (!known(d.from) || !known(d.to)) return false;
    if (d.from == d.to || !(d.length > 0) || !std::isfinite(d.length)) {
      fail(OrientationFailure::InvalidDistance, d.from + " " + d.to);
      return false;
    }
  }
  if (input.axes) {
    const DatumAxes& a = *input.axes;
    if (!known(a.origin) || !known(a.x_point) || !known(a.plane_point)) return false;
    if (a.origin == a.x_point || a.origin == a.plane_point || a.x_point == a.plane_point) {
      fail(OrientationFailure::AxesOnOneLine);
      return false;
    }
  }
  return true;
}

void OrientationRun::State::choose_pair() {
  progress.phase = OrientationPhase::StartingPair;
  const std::size_t n = input.photographs.size();
  std::map<std::pair<int, int>, int> shared;
  for (const std::vector<int>& on_point : point_marks)
    for (std::size_t a = 0; a < on_point.size(); ++a)
      for (std::size_t b = a + 1; b < on_point.size(); ++b) {
        const Mark& ma = marks[static_cast<std::size_t>(on_point[a])];
        const Mark& mb = marks[static_cast<std::size_t>(on_point[b])];
        if (!ma.direction || !mb.direction) continue;
        ++shared[{std::min(ma.photo, mb.photo), std::max(ma.photo, mb.photo)}];
      }
  std::vector<std::pair<int, std::pair<int, int>>> pairs;
  for (const auto& [pair, count] : shared)
    if (count >= 5) pairs.push_back({count, pair});
  if (pairs.empty() || n < 2) return fail(OrientationFailure::TooFewSharedMarks);
  std::stable_sort(pairs.begin(), pairs.end(), [](const auto& a, const auto& b) { return a.first > b.first; });
  if (pairs.size() > static_cast<std::size_t>(kPairsTried)) pairs.resize(kPairsTried);

  struct Candidate {
    double score = 0;
    int first = 0, second = 0;
    Pose pose;
    std::vector<std::pair<int, Vec3>> points;
  };
  std::optional<Candidate> best;
  bool collinear = false;
  const double threshold = input.settings.outlier_threshold_px / focal;
  for (const auto& [count, pair] : pairs) {
    std::vector<int> common;
    std::vector<Point2> first, second;
    for (int k : photo_marks[static_cast<std::size_t>(pair.first)]) {
      const Mark& m = marks[static_cast<std::size_t>(k)];
      if (!m.direction) continue;
      for (int other : point_marks[static_cast<std::size_t>(m.point)]) {
        const Mark& o = marks[static_cast<std::size_t>(other)];
        if (o.photo != pair.second || !o.direction) continue;
        common.push_back(m.point);
        first.push_back(*m.direction);
        second.push_back(*o.direction);
      }
    }
    if (directions_on_one_line(first) || directions_on_one_line(second)) {
      collinear = true;
      continue;
    }
    if (rotation_explains(first, second, threshold)) continue;
    const std::optional<RelativePose> relative =
        relative_pose(first, second, threshold, std::max(1, input.settings.ransac_iterations));
    if (!relative) continue;
    Candidate c;
    c.first = pair.first;
    c.second = pair.second;
    c.pose = relative->second;
    c.pose.centre = c.pose.centre * kBaseline;
    std::vector<double> angles;
    std::vector<Vec3> triangulated;
    for (std::size_t i = 0; i < common.size(); ++i) {
      if (!relative->inlier[i]) continue;
      double angle = 0;
      const std::optional<Vec3> p = triangulate({world_ray(Pose{}, first[i]), world_ray(c.pose, second[i])}, angle);
      if (!p) continue;
      c.points.push_back({common[i], *p});
      triangulated.push_back(*p);
      angles.push_back(angle);
    }
    if (c.points.size() < 5) continue;
    if (on_one_line(triangulated)) {
      collinear = true;
      continue;
    }
    std::nth_element(angles.begin(), angles.begin() + static_cast<std::ptrdiff_t>(angles.size() / 2), angles.end());
    const double median = angles[angles.size() / 2];
    if (median < kMinPairAngle) continue;
    c.score = static_cast<double>(c.points.size()) * std::min(1.0, median / 5.0);
    if (!best || c.score > best->score) best = std::move(c);
  }
  if (!best) return fail(OrientationFailure::PosesUndetermined, collinear ? "on one line" : "no baseline");
  poses[static_cast<std::size_t>(best->first)] = parameters_of(Pose{});
  poses[static_cast<std::size_t>(best->second)] = parameters_of(best->pose);
  oriented[static_cast<std::size_t>(best->first)] = true;
  oriented[static_cast<std::size_t>(best->second)] = true;
  for (const auto& [point, position] : best->points) {
    points[static_cast<std::size_t>(point)] = parameters_of(position);
    located[static_cast<std::size_t>(point)] = true;
  }
  gauge.fixed_photo = best->first;
  gauge.scale_photo = best->second;
  const Vec3 c = best->pose.centre;
  gauge.scale_axis = std::fabs(c.x) >= std::fabs(c.y) && std::fabs(c.x) >= std::fabs(c.z) ? 0
                     : std::fabs(c.y) >= std::fabs(c.z)                                   ? 1
                                                                                          : 2;
  progress.oriented = 2;
  start_adjustment(kIntermediateIterations, Stage::Add);
}

void OrientationRun::State::start_adjustment(int limit, Stage next) {
  std::vector<AdjustedMark> adjusted;
  // A point behind a photograph gives that mark no residual.
  for (const Mark& m : marks)
    if (active(m) && std::isfinite(residual_length(m))) adjusted.push_back({m.photo, m.point, m.position});
  adjustment = std::make_unique<BundleAdjustment>(input.camera, input.photographs, poses, points, adjusted, gauge,
                                                  input.settings.loss_scale_px);
  iteration_limit = std::max(1, limit);
  adjustment_iterations = 0;
  oriented_at_last_adjustment = progress.oriented;
  after_adjust = next;
  stage = Stage::Adjust;
}

void OrientationRun::State::adjust_step() {
  progress.phase = OrientationPhase::Adjusting;
  int done = 0;
  const bool stopped = adjustment->iterate(std::min(kIterationsPerStep, iteration_limit - adjustment_iterations), done);
  adjustment_iterations += std::max(done, 1);
  progress.iteration += done;
  progress.rms_px = rms();
  if (!std::isfinite(progress.rms_px)) return fail(OrientationFailure::AdjustmentFailed);
  if (stopped || adjustment_iterations >= iteration_limit) stage = after_adjust;
}

void OrientationRun::State::locate_points() {
  for (std::size_t p = 0; p < labels.size(); ++p) {
    if (located[p]) continue;
    std::vector<Ray> rays;
    for (int k : point_marks[p]) {
      const Mark& m = marks[static_cast<std::size_t>(k)];
      if (m.direction && !m.outlier && oriented[static_cast<std::size_t>(m.photo)])
        rays.push_back(world_ray(pose_of(poses[static_cast<std::size_t>(m.photo)]), *m.direction));
    }
    double angle = 0;
    const std::optional<Vec3> position = triangulate(rays, angle);
    if (!position || angle < kMinNewPointAngle) continue;
    points[p] = parameters_of(*position);
    located[p] = true;
  }
}

void OrientationRun::State::add_photograph() {
  progress.phase = OrientationPhase::AddingPhotographs;
  int best = -1;
  int best_count = 0;
  for (std::size_t photo = 0; photo < input.photographs.size(); ++photo) {
    if (oriented[photo] || given_up[photo] || deferred_at[photo] == progress.oriented) continue;
    int count = 0;
    for (int k : photo_marks[photo]) {
      const Mark& m = marks[static_cast<std::size_t>(k)];
      if (m.direction && located[static_cast<std::size_t>(m.point)]) ++count;
    }
    if (count >= std::max(4, input.settings.min_marks) && count > best_count) {
      best = static_cast<int>(photo);
      best_count = count;
    }
  }
  if (best < 0) {
    // Nothing more to add: the final adjustment, then the outliers.
    start_adjustment(input.settings.max_adjustment_iterations, Stage::Outliers);
    return;
  }
  std::vector<Vec3> world;
  std::vector<Point2> directions;
  for (int k : photo_marks[static_cast<std::size_t>(best)]) {
    const Mark& m = marks[static_cast<std::size_t>(k)];
    if (!m.direction || !located[static_cast<std::size_t>(m.point)]) continue;
    world.push_back(vec_of(points[static_cast<std::size_t>(m.point)]));
    directions.push_back(*m.direction);
  }
  std::vector<bool> inlier;
  if (directions_on_one_line(directions)) {
    given_up[static_cast<std::size_t>(best)] = true;
    return;
  }
  const std::optional<Pose> pose = absolute_pose(world, directions, input.settings.outlier_threshold_px / focal,
                                                 std::max(1, input.settings.ransac_iterations), inlier);
  const long inliers = std::count(inlier.begin(), inlier.end(), true);
  if (!pose || inliers < std::max(4, input.settings.min_marks)) {
    given_up[static_cast<std::size_t>(best)] = true;
    return;
  }
  std::optional<Pose> chosen = pose;
  if (!fits_shared_marks(best, *pose)) chosen = pose_from_shared_pair(best);
  if (!chosen) {
    deferred_at[static_cast<std::size_t>(best)] = progress.oriented;
    return;
  }
  poses[static_cast<std::size_t>(best)] = parameters_of(*chosen);
  oriented[static_cast<std::size_t>(best)] = true;
  ++progress.oriented;
  locate_points();
  if (progress.oriented >= kAdjustGrowth * oriented_at_last_adjustment)
    start_adjustment(kIntermediateIterations, Stage::Add);
}

bool OrientationRun::State::fits_shared_marks(int photo, const Pose& pose) const {
  // Each mark of the photograph on a point not located yet (the located
  // ones gave the pose) against the epipolar plane of each mark of the
  // same point in an oriented photograph: the angle of its ray out of that
  // plane, as pixels.
  int shared = 0, fitting = 0;
  for (int k : photo_marks[static_cast<std::size_t>(photo)]) {
    const Mark& m = marks[static_cast<std::size_t>(k)];
    if (!m.direction || located[static_cast<std::size_t>(m.point)]) continue;
    const Ray ray = world_ray(pose, *m.direction);
    for (int other : point_marks[static_cast<std::size_t>(m.point)]) {
      const Mark& o = marks[static_cast<std::size_t>(other)];
      if (o.photo == photo || !o.direction || o.outlier || !oriented[static_cast<std::size_t>(o.photo)]) continue;
      const Ray seen = world_ray(pose_of(poses[static_cast<std::size_t>(o.photo)]), *o.direction);
      const Vec3 across = cross(ray.origin - seen.origin, seen.direction);
      const double size = length(across);
      if (!(size > 1e-12)) continue;
      ++shared;
      if (std::fabs(dot(across, ray.direction)) / size * focal <= input.settings.outlier_threshold_px) ++fitting;
    }
  }
  return shared < kMinSharedForCheck || fitting >= kMinFittingShare * shared;
}

std::optional<Pose> OrientationRun::State::pose_from_shared_pair(int photo) const {
  // The oriented photograph sharing the most points with this one.
  std::vector<int> shared(input.photographs.size(), 0);
  for (int k : photo_marks[static_cast<std::size_t>(photo)]) {
    if (!marks[static_cast<std::size_t>(k)].direction) continue;
    for (int other : point_marks[static_cast<std::size_t>(marks[static_cast<std::size_t>(k)].point)]) {
      const Mark& o = marks[static_cast<std::size_t>(other)];
      if (o.photo != photo && o.direction && !o.outlier && oriented[static_cast<std::size_t>(o.photo)])
        ++shared[static_cast<std::size_t>(o.photo)];
    }
  }
  const int partner = static_cast<int>(std::max_element(shared.begin(), shared.end()) - shared.begin());
  if (shared[static_cast<std::size_t>(partner)] < kMinSharedForCheck) return std::nullopt;
  std::vector<Point2> first, second;
  for (int k : photo_marks[static_cast<std::size_t>(photo)]) {
    const Mark& m = marks[static_cast<std::size_t>(k)];
    if (!m.direction) continue;
    for (int other : point_marks[static_cast<std::size_t>(m.point)]) {
      const Mark& o = marks[static_cast<std::size_t>(other)];
      if (o.photo != partner || !o.direction || o.outlier) continue;
      first.push_back(*o.direction);
      second.push_back(*m.direction);
    }
  }
  const double threshold = input.settings.outlier_threshold_px / focal;
  if (rotation_explains(first, second, threshold)) return std::nullopt;
  const std::optional<RelativePose> relative =
      relative_pose(first, second, threshold, std::max(1, input.settings.ransac_iterations));
  if (!relative) return std::nullopt;
  // The pair's pose in the world: turned and placed by the partner's.
  const Pose known = pose_of(poses[static_cast<std::size_t>(partner)]);
  Pose out;
  for (int r = 0; r < 3; ++r)
    for (int c = 0; c < 3; ++c) {
      double v = 0;
      for (int k = 0; k < 3; ++k)
        v += relative->second.rotation[static_cast<std::size_t>(r * 3 + k)] *
             known.rotation[static_cast<std::size_t>(k * 3 + c)];
      out.rotation[static_cast<std::size_t>(r * 3 + c)] = v;
    }
  const Vec3 baseline = rotate_back(known.rotation, relative->second.centre);
  // The baseline's length from the located points this photograph sees:
  // the median of the lengths that put each point on its ray.
  std::vector<double> lengths;
  for (int k : photo_marks[static_cast<std::size_t>(photo)]) {
    const Mark& m = marks[static_cast<std::size_t>(k)];
    if (!m.direction || !located[static_cast<std::size_t>(m.point)]) continue;
    const Vec3 d = world_ray(out, *m.direction).direction;
    const Vec3 across = cross(baseline, d);
    const double size = dot(across, across);
    if (!(size > 1e-12)) continue;
    lengths.push_back(dot(cross(vec_of(points[static_cast<std::size_t>(m.point)]) - known.centre, d), across) / size);
  }
  if (lengths.size() < 3) return std::nullopt;
  std::nth_element(lengths.begin(), lengths.begin() + static_cast<std::ptrdiff_t>(lengths.size() / 2), lengths.end());
  const double baseline_length = lengths[lengths.size() / 2];
  if (!(baseline_length > 0)) return std::nullopt;
  out.centre = known.centre + baseline * (baseline_length / std::sqrt(dot(baseline, baseline)));
  // The pair's marks alone cannot tell a pose from its twin where they lie
  // on one plane: the located points this photograph sees must fit too.
  std::size_t fitting = 0;
  for (int k : photo_marks[static_cast<std::size_t>(photo)]) {
    const Mark& m = marks[static_cast<std::size_t>(k)];
    if (!m.direction || !located[static_cast<std::size_t>(m.point)]) continue;
    const Ray ray = world_ray(out, *m.direction);
    const Vec3 to = vec_of(points[static_cast<std::size_t>(m.point)]) - ray.origin;
    if (dot(to, ray.direction) > 0 &&
        length(cross(to, ray.direction)) / length(to) * focal <= input.settings.outlier_threshold_px)
      ++fitting;
  }
  if (static_cast<double>(fitting) < kMinLocatedFittingShare * static_cast<double>(lengths.size()) ||
      !fits_shared_marks(photo, out))
    return std::nullopt;
  return out;
}

double OrientationRun::State::residual_length(const Mark& m) const {
  const Point2 r = adjusted_residual(input.camera, input.photographs[static_cast<std::size_t>(m.photo)],
                                     poses[static_cast<std::size_t>(m.photo)],
                                     points[static_cast<std::size_t>(m.point)], m.position);
  return std::hypot(r.x, r.y);
}

double OrientationRun::State::rms() const {
  double sum = 0;
  int n = 0;
  for (const Mark& m : marks)
    if (active(m)) {
      const double r = residual_length(m);
      sum += r * r;
      ++n;
    }
  return n ? std::sqrt(sum / n) : 0.0;
}

void OrientationRun::State::find_outliers() {
  progress.phase = OrientationPhase::Outliers;
  std::vector<std::pair<double, int>> residuals;
  for (std::size_t k = 0; k < marks.size(); ++k)
    if (active(marks[k])) residuals.push_back({residual_length(marks[k]), static_cast<int>(k)});
  if (residuals.empty()) return fail(OrientationFailure::AdjustmentFailed);
  std::vector<double> lengths;
  for (const auto& r : residuals) lengths.push_back(r.first);
  std::nth_element(lengths.begin(), lengths.begin() + static_cast<std::ptrdiff_t>(lengths.size() / 2), lengths.end());
  const double robust_rms = kMedianToRms * lengths[lengths.size() / 2];
  const double limit = std::max(input.settings.outlier_threshold_px, input.settings.outlier_factor * robust_rms);
  bool found = false;
  for (const auto& [length, k] : residuals)
    if (!(length <= limit)) {
      marks[static_cast<std::size_t>(k)].outlier = true;
      found = true;
    }
  // A point left with fewer than two rays is no longer located.
  for (std::size_t p = 0; p < labels.size(); ++p) {
    if (!located[p]) continue;
    const long rays = std::count_if(point_marks[p].begin(), point_marks[p].end(),
                                    [&](int k) { return active(marks[static_cast<std::size_t>(k)]); });
    if (rays < 2) located[p] = false;
  }
  if (found && ++outlier_rounds < kOutlierRounds) {
    start_adjustment(input.settings.max_adjustment_iterations, Stage::Outliers);
    return;
  }
  std::vector<Vec3> all;
  for (std::size_t p = 0; p < labels.size(); ++p)
    if (located[p]) all.push_back(vec_of(points[p]));
  if (on_one_line(all)) return fail(OrientationFailure::PosesUndetermined, "on one line");
  if (found) {
    start_adjustment(input.settings.max_adjustment_iterations, Stage::Precision);
    return;
  }
  stage = Stage::Precision;
}

void OrientationRun::State::compute_precision() {
  progress.phase = OrientationPhase::Precision;
  std::vector<int> wanted;
  for (std::size_t p = 0; p < labels.size(); ++p)
    if (located[p]) wanted.push_back(static_cast<int>(p));
  has_covariance.assign(labels.size(), false);
  covariances.assign(labels.size(), {});
  // The variance of unit weight from the residuals' redundancy.
  double sum = 0;
  int n = 0;
  for (const Mark& m : marks)
    if (active(m)) {
      const double r = residual_length(m);
      sum += r * r;
      ++n;
    }
  const long unknowns = 6L * progress.oriented - 7 + 3L * static_cast<long>(wanted.size());
  const long redundancy = 2L * n - unknowns;
  std::vector<std::array<double, 9>> blocks;
  if (redundancy > 0 && adjustment->point_covariances(wanted, blocks)) {
    const double variance = sum / static_cast<double>(redundancy);
    for (std::size_t k = 0; k < wanted.size(); ++k) {
      const std::size_t p = static_cast<std::size_t>(wanted[k]);
      for (std::size_t e = 0; e < 9; ++e) covariances[p][e] = blocks[k][e] * variance;
      has_covariance[p] = true;
    }
  }
  stage = Stage::Datum;
}

void OrientationRun::State::apply_datum() {
  progress.phase = OrientationPhase::Datum;
  const auto located_label = [&](const std::string& label) -> std::optional<Vec3> {
    const auto it = label_index.find(label);
    if (it == label_index.end() || !located[static_cast<std::size_t>(it->second)]) return std::nullopt;
    return vec_of(points[static_cast<std::size_t>(it->second)]);
  };
  Similarity s;
  std::vector<Vec3> from, to;
  for (const SurveyedPoint& sp : input.surveyed)
    if (const std::optional<Vec3> p = located_label(sp.label)) {
      from.push_back(*p);
      to.push_back(sp.position);
    }
  std::vector<std::pair<double, double>> lengths;  // measured, given
  for (const DatumDistance& d : input.distances) {
    const std::optional<Vec3> a = located_label(d.from);
    const std::optional<Vec3> b = located_label(d.to);
    if (!a || !b) return fail(OrientationFailure::LabelNotLocated, !a ? d.from : d.to);
    lengths.push_back({length(*b - *a), d.length});
  }
  if (from.size() >= 3) {
    if (on_one_line(to) || on_one_line(from)) return fail(OrientationFailure::SurveyedOnOneLine);
    s = fit_similarity(from, to);
    result.datum = DatumKind::Surveyed;
    result.datum_description = std::to_string(from.size()) + " surveyed points";
  } else {
    if (!from.empty())
      result.warnings.push_back("Fewer than three surveyed points were located; their coordinates were not used.");
    double scale = 1.0;
    if (!lengths.empty()) {
      double num = 0, den = 0;
      for (const auto& [measured, given] : lengths) {
        num += measured * given;
        den += measured * measured;
      }
      scale = num / den;
      if (!std::isfinite(scale) || !(scale > 0)) return fail(OrientationFailure::AdjustmentFailed);
    }
    if (input.axes) {
      const std::optional<Vec3> o = located_label(input.axes->origin);
      const std::optional<Vec3> x = located_label(input.axes->x_point);
      const std::optional<Vec3> q = located_label(input.axes->plane_point);
      if (!o || !x || !q)
        return fail(OrientationFailure::LabelNotLocated, !o   ? input.axes->origin
                                                         : !x ? input.axes->x_point
                                                              : input.axes->plane_point);
      const Eigen::Vector3d origin(o->x, o->y, o->z);
      const Eigen::Vector3d ex = Eigen::Vector3d(x->x, x->y, x->z) - origin;
      const Eigen::Vector3d eq = Eigen::Vector3d(q->x, q->y, q->z) - origin;
      const Eigen::Vector3d ez = ex.cross(eq);
      if (!(ez.norm() > kAxesSine * ex.norm() * eq.norm())) return fail(OrientationFailure::AxesOnOneLine);
      s.rotation.row(0) = ex.normalized();
      s.rotation.row(2) = ez.normalized();
      s.rotation.row(1) = ez.normalized().cross(ex.normalized());
      s.scale = scale;
      s.shift = -scale * (s.rotation * origin);
      result.datum = lengths.empty() ? DatumKind::AxesOnly : DatumKind::AxesAndScale;
      result.datum_description =
          "axes " + input.axes->origin + " " + input.axes->x_point + " " + input.axes->plane_point;
      if (lengths.empty()) result.warnings.push_back("No distance was given: the scale is arbitrary.");
    } else if (!lengths.empty()) {
      s.scale = scale;
      result.datum = DatumKind::ScaleOnly;
      result.datum_description = "arbitrary axes";
      result.warnings.push_back("No axes were given: the frame's orientation is arbitrary.");
    } else {
      const Vec3 c = pose_of(poses[static_cast<std::size_t>(gauge.scale_photo)]).centre -
                     pose_of(poses[static_cast<std::size_t>(gauge.fixed_photo)]).centre;
      s.scale = kBaseline / length(c);
      result.datum = DatumKind::Arbitrary;
      result.datum_description = "arbitrary frame";
      result.warnings.push_back(
          "No surveyed points, distances or axes were given: the result is in an arbitrary frame and scale.");
    }
    if (!lengths.empty())
      result.datum_description +=
          "; scale from " + std::to_string(lengths.size()) + (lengths.size() == 1 ? " distance" : " distances");
  }
  if (!std::isfinite(s.scale) || !(s.scale > 0) || !s.rotation.allFinite() || !s.shift.allFinite())
    return fail(OrientationFailure::AdjustmentFailed);
  result.scale = s.scale;

  for (std::size_t photo = 0; photo < poses.size(); ++photo) {
    if (!oriented[photo]) continue;
    Pose pose = pose_of(poses[photo]);
    pose.centre = s.apply(pose.centre);
    pose.rotation = from_eigen(to_eigen(pose.rotation) * s.rotation.transpose());
    poses[photo] = parameters_of(pose);
  }
  for (std::size_t p = 0; p < points.size(); ++p) {
    if (!located[p]) continue;
    points[p] = parameters_of(s.apply(vec_of(points[p])));
    if (!has_covariance[p]) continue;
    Eigen::Matrix3d c;
    for (int i = 0; i < 3; ++i)
      for (int j = 0; j < 3; ++j) c(i, j) = covariances[p][static_cast<std::size_t>(i * 3 + j)];
    const Eigen::Matrix3d turned = s.scale * s.scale * s.rotation * c * s.rotation.transpose();
    for (int i = 0; i < 3; ++i)
      for (int j = 0; j < 3; ++j) covariances[p][static_cast<std::size_t>(i * 3 + j)] = turned(i, j);
  }
  for (std::size_t k = 0; k < input.distances.size(); ++k) {
    const DatumDistance& d = input.distances[k];
    const double measured = length(*located_label(d.to) - *located_label(d.from));
    result.distance_misfits.push_back({d, measured, measured - d.length});
  }
  finish();
}

void OrientationRun::State::finish() {
  // Residuals through the program's own projection of the stored pose.
  std::vector<double> sums(poses.size(), 0.0);
  std::vector<int> counts(poses.size(), 0);
  double total = 0;
  int total_count = 0;
  std::vector<ProjectImage> images(poses.size());
  std::vector<CameraPose> stored(poses.size());
  for (std::size_t photo = 0; photo < poses.size(); ++photo) {
    const OrientationPhotograph& p = input.photographs[photo];
    ProjectImage& image = images[photo];
    image.camera = &input.camera;
    image.centre_x = p.centre_x;
    image.centre_y = p.centre_y;
    image.pixel_width = p.pixel_width;
    image.pixel_height = p.pixel_height;
    image.size_differs = p.size_differs ? 1 : 0;
    image.texture_centre_x = p.texture_centre_x;
    image.texture_centre_y = p.texture_centre_y;
    image.texture_scale = p.texture_scale;
    if (!oriented[photo]) continue;
    const Pose pose = pose_of(poses[photo]);
    stored[photo] = pose_from_axes(pose.centre, {Vec3{pose.rotation[0], pose.rotation[1], pose.rotation[2]},
                                                 Vec3{pose.rotation[3], pose.rotation[4], pose.rotation[5]},
                                                 Vec3{pose.rotation[6], pose.rotation[7], pose.rotation[8]}});
  }
  for (const Mark& m : marks) {
    const std::size_t photo = static_cast<std::size_t>(m.photo);
    if (!active(m)) continue;
    const PreparedPose prepared(images[photo], stored[photo]);
    const Point2 p = prepared.project(vec_of(points[static_cast<std::size_t>(m.point)]), false);
    const double r2 = (p.x - m.position.x) * (p.x - m.position.x) + (p.y - m.position.y) * (p.y - m.position.y);
    sums[photo] += r2;
    ++counts[photo];
    total += r2;
    ++total_count;
  }
  for (std::size_t photo = 0; photo < poses.size(); ++photo) {
    OrientedPhotograph out;
    out.id = input.photographs[photo].id;
    out.oriented = oriented[photo];
    out.marks = static_cast<int>(photo_marks[photo].size());
    if (oriented[photo]) {
      out.pose = stored[photo];
      out.rms_px = counts[photo] ? std::sqrt(sums[photo] / counts[photo]) : 0.0;
    } else {
      result.too_few_marks.push_back(out.id);
    }
    result.photographs.push_back(out);
  }
  result.rms_px = total_count ? std::sqrt(total / total_count) : 0.0;

  std::map<std::string, Vec3> surveyed;
  for (const SurveyedPoint& sp : input.surveyed) surveyed.emplace(sp.label, sp.position);
  for (std::size_t p = 0; p < labels.size(); ++p) {
    OrientedPoint out;
    out.label = labels[p];
    out.located = located[p];
    const auto known = surveyed.find(labels[p]);
    out.surveyed = known != surveyed.end();
    if (located[p]) {
      out.position = vec_of(points[p]);
      const double nan = std::nan("");
      out.sigma = has_covariance[p]
                      ? Vec3{std::sqrt(covariances[p][0]), std::sqrt(covariances[p][4]), std::sqrt(covariances[p][8])}
                      : Vec3{nan, nan, nan};
      std::vector<Ray> rays;
      for (int k : point_marks[p]) {
        const Mark& m = marks[static_cast<std::size_t>(k)];
        if (active(m)) rays.push_back(world_ray(pose_of(poses[static_cast<std::size_t>(m.photo)]), *m.direction));
      }
      out.rays = static_cast<int>(rays.size());
      triangulate(rays, out.max_angle_deg);
      if (out.surveyed && result.datum == DatumKind::Surveyed) out.surveyed_residual = out.position - known->second;
    }
    result.points.push_back(out);
  }
  for (const Mark& m : marks)
    if (m.outlier)
      result.outliers.push_back({labels[static_cast<std::size_t>(m.point)],
                                 input.photographs[static_cast<std::size_t>(m.photo)].id,
                                 oriented[static_cast<std::size_t>(m.photo)] ? residual_length(m) : 0.0});
  progress.rms_px = result.rms_px;
  progress.phase = OrientationPhase::Done;
  stage = Stage::Done;
}

OrientationRun::OrientationRun(OrientationInput input) : state_(std::make_unique<State>()) {
  state_->input = std::move(input);
}

OrientationRun::~OrientationRun() = default;

bool OrientationRun::step() {
  State& s = *state_;
  switch (s.stage) {
    case Stage::Prepare:
      s.prepare();
      break;
    case Stage::Pair:
      s.choose_pair();
      break;
    case Stage::Adjust:
      s.adjust_step();
      break;
    case Stage::Add:
      s.add_photograph();
      break;
    case Stage::Outliers:
      s.find_outliers();
      break;
    case Stage::Precision:
      s.compute_precision();
      break;
    case Stage::Datum:
      s.apply_datum();
      break;
    case Stage::Done:
      break;
  }
  if (s.stage == Stage::Done) {
    s.adjustment.reset();
    s.progress.phase = OrientationPhase::Done;
  }
  return s.stage != Stage::Done;
}

bool OrientationRun::finished() const { return state_->stage == Stage::Done; }

OrientationProgress OrientationRun::progress() const { return state_->progress; }

const OrientationResult& OrientationRun::result() const { return state_->result; }

OrientationResult orient_photographs(OrientationInput input) {
  OrientationRun run(std::move(input));
  while (run.step()) {
  }
  return run.result();
}

}  // namespace plenvista
