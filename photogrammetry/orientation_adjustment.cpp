#include "photogrammetry/orientation_adjustment.h"

#include <algorithm>
#include <cmath>

#include <Eigen/Dense>
#include <ceres/ceres.h>
#include <ceres/rotation.h>

namespace plenvista::orientation_detail {
namespace {

constexpr std::size_t kDenseSchurPhotographs = 100;

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
  Problem(const CameraModel& c, const std::vector<OrientationPhotograph>& p, std::vector<PoseParameters>& o,
          const std::vector<AdjustedMark>& m, const AdjustmentGauge& g)
      : camera(&c), photographs(&p), poses(o), marks(m), gauge(g) {}
  ceres::Problem problem;
  ceres::Solver::Options options;
  const CameraModel* camera = nullptr;
  const std::vector<OrientationPhotograph>* photographs = nullptr;
  std::vector<PoseParameters>& poses;
  std::vector<AdjustedMark> marks;
  AdjustmentGauge gauge;
};

BundleAdjustment::BundleAdjustment(const CameraModel& camera, const std::vector<OrientationPhotograph>& photographs,
                                   std::vector<PoseParameters>& poses, std::vector<PointParameters>& points,
                                   const std::vector<AdjustedMark>& marks, const AdjustmentGauge& gauge,
                                   double loss_scale_px)
    : problem_(std::make_unique<Problem>(camera, photographs, poses, marks, gauge)), points_(points) {
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
  // The Schur complement is as large as the poses: dense while they are few
  // (measured faster up to a few hundred pose parameters), sparse beyond.
  options.linear_solver_type = poses.size() <= kDenseSchurPhotographs ? ceres::DENSE_SCHUR : ceres::SPARSE_SCHUR;
  options.num_threads = 1;
  options.logging_type = ceres::SILENT;
  options.function_tolerance = 1e-8;
  options.gradient_tolerance = 1e-12;
  options.parameter_tolerance = 1e-9;
}

BundleAdjustment::~BundleAdjustment() = default;

bool BundleAdjustment::iterate(int iterations, int& done) {
  problem_->options.max_num_iterations = std::max(1, iterations);
  ceres::Solver::Summary summary;
  ceres::Solve(problem_->options, &problem_->problem, &summary);
  done = static_cast<int>(summary.iterations.size() > 0 ? summary.iterations.size() - 1 : 0);
  return summary.termination_type != ceres::NO_CONVERGENCE;
}

// The covariance of the points from the normal equations' Schur complement
// (the least-squares covariance at the solution, without the loss's
// weights): with U the poses' block, V the points' (3 x 3 blocks), W between
// them and S = U - W V^-1 W^T, a point's block is
// V_p^-1 + V_p^-1 W_p^T S^-1 W_p V_p^-1. Cheaper than a general sparse
// covariance by far, as the poses are few.
bool BundleAdjustment::point_covariances(const std::vector<int>& points, std::vector<std::array<double, 9>>& out) {
  using Matrix63 = Eigen::Matrix<double, 6, 3>;
  const Problem& pr = *problem_;
  // Free poses: every photograph with marks but the fixed one.
  std::vector<int> pose_index(pr.poses.size(), -1);
  int free_poses = 0;
  for (const AdjustedMark& m : pr.marks)
    if (m.photo != pr.gauge.fixed_photo && pose_index[static_cast<std::size_t>(m.photo)] < 0)
      pose_index[static_cast<std::size_t>(m.photo)] = free_poses++;
  const Eigen::Index n = 6 * static_cast<Eigen::Index>(free_poses);
  // The held coordinate of the scale photograph's centre.
  const int held_pose = pose_index[static_cast<std::size_t>(pr.gauge.scale_photo)];
  const int held = held_pose < 0 ? -1 : 6 * held_pose + 3 + pr.gauge.scale_axis;

  struct MarkBlocks {
    int pose = -1;
    Matrix63 w = Matrix63::Zero();
  };
  std::vector<std::vector<MarkBlocks>> per_point(points_.size());
  std::vector<Eigen::Matrix3d> v(points_.size(), Eigen::Matrix3d::Zero());
  Eigen::MatrixXd u = Eigen::MatrixXd::Zero(n, n);
  for (const AdjustedMark& m : pr.marks) {
    const ceres::AutoDiffCostFunction<GridResidual, 2, 3, 3, 3> cost(
        new GridResidual{pr.camera, &(*pr.photographs)[static_cast<std::size_t>(m.photo)], m.mark});
    PoseParameters& pose = pr.poses[static_cast<std::size_t>(m.photo)];
    PointParameters& point = points_[static_cast<std::size_t>(m.point)];
    const double* parameters[3] = {pose.data(), pose.data() + 3, point.data()};
    double residual[2];
    Eigen::Matrix<double, 2, 3, Eigen::RowMajor> jr, jc, jp;
    double* jacobians[3] = {jr.data(), jc.data(), jp.data()};
    if (!cost.Evaluate(parameters, residual, jacobians)) return false;
    v[static_cast<std::size_t>(m.point)] += jp.transpose() * jp;
    const int index = pose_index[static_cast<std::size_t>(m.photo)];
    if (index < 0) continue;
    Eigen::Matrix<double, 2, 6> j;
    j << jr, jc;
    if (held >= 0 && index == held_pose) j.col(held - 6 * index).setZero();
    u.block<6, 6>(6 * index, 6 * index) += j.transpose() * j;
    per_point[static_cast<std::size_t>(m.point)].push_back({index, j.transpose() * jp});
  }
  if (held >= 0) u(held, held) = 1.0;

  std::vector<Eigen::Matrix3d> v_inverse(points_.size());
  for (std::size_t p = 0; p < points_.size(); ++p) {
    if (per_point[p].empty() && v[p].isZero()) continue;
    Eigen::FullPivLU<Eigen::Matrix3d> lu(v[p]);
    if (!lu.isInvertible()) continue;
    v_inverse[p] = lu.inverse();
    for (const MarkBlocks& a : per_point[p]) {
      const Matrix63 av = a.w * v_inverse[p];
      for (const MarkBlocks& b : per_point[p]) u.block<6, 6>(6 * a.pose, 6 * b.pose) -= av * b.w.transpose();
    }
  }
  const Eigen::LDLT<Eigen::MatrixXd> s(u);
  if (n > 0 && (s.info() != Eigen::Success || !s.isPositive())) return false;
  const Eigen::MatrixXd s_inverse =
      n > 0 ? Eigen::MatrixXd(s.solve(Eigen::MatrixXd::Identity(n, n))) : Eigen::MatrixXd(0, 0);
  if (!s_inverse.allFinite()) return false;

  out.assign(points.size(), {});
  for (std::size_t k = 0; k < points.size(); ++k) {
    const std::size_t p = static_cast<std::size_t>(points[k]);
    Eigen::FullPivLU<Eigen::Matrix3d> lu(v[p]);
    if (!lu.isInvertible()) return false;
    Eigen::Matrix3d inner = Eigen::Matrix3d::Zero();
    for (const MarkBlocks& a : per_point[p])
      for (const MarkBlocks& b : per_point[p])
        inner += a.w.transpose() * s_inverse.block<6, 6>(6 * a.pose, 6 * b.pose) * b.w;
    const Eigen::Matrix3d c = v_inverse[p] + v_inverse[p] * inner * v_inverse[p];
    if (!c.allFinite()) return false;
    for (int i = 0; i < 3; ++i)
      for (int j = 0; j < 3; ++j) out[k][static_cast<std::size_t>(i * 3 + j)] = c(i, j);
  }
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
