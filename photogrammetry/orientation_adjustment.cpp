#include "photogrammetry/orientation_adjustment.h"

#include <algorithm>
#include <cmath>

#include <ceres/ceres.h>
#include <ceres/rotation.h>

namespace plenvista::orientation_detail {
namespace {

inline double value_of(double v) { return v; }
template <typename T, int N>
double value_of(const ceres::Jet<T, N>& v) {
  return v.a;
}

// grid_lookup_ready and PreparedPose::project (relative positions) on any
// scalar: the cell and the half-cell branch follow the value, the
// arithmetic carries the derivatives.
template <typename T>
bool grid_project(const CameraModel& camera, const OrientationPhotograph& photo, const T* c, T* pixel) {
  const T depth = -c[2];
  if (!(value_of(depth) > 0)) return false;
  const double cw = camera.cell_width_mm;
  const double ch = camera.cell_height_mm;
  const T s = camera.distance_mm / depth;
  const T gx = c[0] * s + (camera.columns / 2) * cw;
  const T gy = c[1] * s + (camera.rows / 2) * ch;
  const int j = detail::cell_index(value_of(gx), cw, std::clamp(camera.columns, 1, kMaxGridCells));
  const int i = detail::cell_index(value_of(gy), ch, std::clamp(camera.rows, 1, kMaxGridCells));
  const T fx = (gx - j * cw) / cw;
  const T fy = (gy - i * ch) / ch;
  const auto& v = camera.cell(i, j).v;
  const double u = value_of(fx) < 0.5 ? v[2] - v[0] : v[6] - v[4];
  const double w = value_of(fy) < 0.5 ? v[5] - v[1] : v[7] - v[3];
  pixel[0] = fx * u + (v[0] - camera.centre_x);
  pixel[1] = -(fy * w + (v[1] - camera.centre_y));
  if (photo.size_differs) {
    pixel[0] = pixel[0] * photo.texture_scale - (photo.centre_x - photo.texture_centre_x);
    pixel[1] = pixel[1] * photo.texture_scale - (photo.centre_y - photo.texture_centre_y);
  }
  return true;
}

struct GridResidual {
  const CameraModel* camera;
  const OrientationPhotograph* photo;
  Point2 mark;

  template <typename T>
  bool operator()(const T* rotation, const T* centre, const T* point, T* residual) const {
    const T d[3] = {point[0] - centre[0], point[1] - centre[1], point[2] - centre[2]};
    T c[3];
    ceres::AngleAxisRotatePoint(rotation, d, c);
    T pixel[2];
    if (!grid_project(*camera, *photo, c, pixel)) return false;
    residual[0] = pixel[0] - mark.x;
    residual[1] = pixel[1] - mark.y;
    return true;
  }
};

}  // namespace

struct BundleAdjustment::Problem {
  ceres::Problem problem;
  ceres::Solver::Options options;
  std::vector<const double*> point_blocks;
};

BundleAdjustment::BundleAdjustment(const CameraModel& camera, const std::vector<OrientationPhotograph>& photographs,
                                   std::vector<PoseParameters>& poses, std::vector<PointParameters>& points,
                                   const std::vector<AdjustedMark>& marks, const AdjustmentGauge& gauge,
                                   double loss_scale_px)
    : problem_(std::make_unique<Problem>()), points_(points) {
  ceres::Problem& problem = problem_->problem;
  // One loss shared by every residual; the problem owns it (and deletes it once).
  ceres::LossFunction* loss = new ceres::CauchyLoss(loss_scale_px > 0 ? loss_scale_px : 1.0);
  bool loss_used = false;
  for (const AdjustedMark& m : marks) {
    auto* cost = new ceres::AutoDiffCostFunction<GridResidual, 2, 3, 3, 3>(
        new GridResidual{&camera, &photographs[static_cast<std::size_t>(m.photo)], m.mark});
    PoseParameters& pose = poses[static_cast<std::size_t>(m.photo)];
    problem.AddResidualBlock(cost, loss, pose.data(), pose.data() + 3,
                             points[static_cast<std::size_t>(m.point)].data());
    loss_used = true;
  }
  if (!loss_used) delete loss;
  PoseParameters& fixed = poses[static_cast<std::size_t>(gauge.fixed_photo)];
  if (problem.HasParameterBlock(fixed.data())) {
    problem.SetParameterBlockConstant(fixed.data());
    problem.SetParameterBlockConstant(fixed.data() + 3);
  }
  double* scale_centre = poses[static_cast<std::size_t>(gauge.scale_photo)].data() + 3;
  if (problem.HasParameterBlock(scale_centre))
    problem.SetManifold(scale_centre, new ceres::SubsetManifold(3, {gauge.scale_axis}));

  ceres::Solver::Options& options = problem_->options;
  options.linear_solver_type = ceres::SPARSE_SCHUR;
  options.num_threads = 1;
  options.logging_type = ceres::SILENT;
  options.function_tolerance = 1e-10;
  options.gradient_tolerance = 1e-12;
  options.parameter_tolerance = 1e-10;
}

BundleAdjustment::~BundleAdjustment() = default;

bool BundleAdjustment::iterate(int iterations, int& done) {
  problem_->options.max_num_iterations = std::max(1, iterations);
  ceres::Solver::Summary summary;
  ceres::Solve(problem_->options, &problem_->problem, &summary);
  done = static_cast<int>(summary.iterations.size() > 0 ? summary.iterations.size() - 1 : 0);
  return summary.termination_type != ceres::NO_CONVERGENCE;
}

bool BundleAdjustment::point_covariances(const std::vector<int>& points, std::vector<std::array<double, 9>>& out) {
  ceres::Covariance::Options options;
  options.algorithm_type = ceres::SPARSE_QR;
  options.num_threads = 1;
  ceres::Covariance covariance(options);
  std::vector<std::pair<const double*, const double*>> blocks;
  blocks.reserve(points.size());
  for (int p : points) {
    const double* block = points_[static_cast<std::size_t>(p)].data();
    if (!problem_->problem.HasParameterBlock(block)) return false;
    blocks.emplace_back(block, block);
  }
  if (!covariance.Compute(blocks, &problem_->problem)) return false;
  out.assign(points.size(), {});
  for (std::size_t k = 0; k < points.size(); ++k)
    if (!covariance.GetCovarianceBlock(blocks[k].first, blocks[k].second, out[k].data())) return false;
  return true;
}

Point2 adjusted_residual(const CameraModel& camera, const OrientationPhotograph& photograph, const PoseParameters& pose,
                         const PointParameters& point, Point2 mark) {
  double r[2];
  const GridResidual residual{&camera, &photograph, mark};
  if (!residual(pose.data(), pose.data() + 3, point.data(), r)) {
    const double nan = std::nan("");
    return {nan, nan};
  }
  return {r[0], r[1]};
}

}  // namespace plenvista::orientation_detail
