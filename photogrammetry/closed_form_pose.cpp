#include "photogrammetry/closed_form_pose.h"

#include <algorithm>
#include <cmath>
#include <vector>

#include <Eigen/Dense>

#include "model/camera_pose.h"

namespace plenvista {
namespace {

using Eigen::Matrix3d;
using Eigen::Vector3d;
using Eigen::Vector4d;
using Matrix6x10 = Eigen::Matrix<double, 6, 10>;
using Vector6d = Eigen::Matrix<double, 6, 1>;

constexpr double kRadiansToDegrees = 1 / kDegreesToRadians;
// Below this ratio of the thinnest to the widest spread the control points
// are ill-conditioned; the search's other starts take over.
constexpr double kThinnestSpread = 0.01;
// Below this ratio the points lie on one line as far as doubles can tell.
constexpr double kCollinearSpread = 1e-6;

Vector3d vec(const Vec3& v) { return {v.x, v.y, v.z}; }
Vec3 vec(const Vector3d& v) { return {v.x(), v.y(), v.z()}; }

// The principal axes of the reference points about their centroid:
// eigenvalues of the covariance in ascending order, axes as columns.
struct PointSpread {
  Vector3d centroid = Vector3d::Zero();
  Vector3d variances = Vector3d::Zero();
  Matrix3d axes = Matrix3d::Identity();
};

PointSpread spread_of(const std::vector<Vector3d>& points) {
  PointSpread spread;
  if (points.empty()) return spread;
  for (const Vector3d& p : points) spread.centroid += p / static_cast<double>(points.size());
  Matrix3d covariance = Matrix3d::Zero();
  for (const Vector3d& p : points) covariance += (p - spread.centroid) * (p - spread.centroid).transpose();
  covariance /= static_cast<double>(points.size());
  const Eigen::SelfAdjointEigenSolver<Matrix3d> solver(covariance);
  spread.variances = solver.eigenvalues().cwiseMax(0.0);
  spread.axes = solver.eigenvectors();
  return spread;
}

std::vector<Vector3d> world_points(const ProjectImage& image) {
  std::vector<Vector3d> points;
  for (const ReferencePoint* point : image.reference_points) points.push_back(vec(point->world_position));
  return points;
}

// Straight-line fit pixel = a + b * (grid position in mm from the reference
// intersection) along one axis of the corner table.
struct AxisFit {
  double a = 0.0;
  double b = 0.0;
};

AxisFit fit_axis(const CameraModel& camera, bool along_x) {
  double n = 0, sum_g = 0, sum_p = 0, sum_gg = 0, sum_gp = 0;
  for (int r = 0; r <= camera.rows; ++r)
    for (int c = 0; c <= camera.columns; ++c) {
      const double g =
          along_x ? (c - camera.columns / 2) * camera.cell_width_mm : (r - camera.rows / 2) * camera.cell_height_mm;
      const double p = along_x ? camera.corner(r, c).x : camera.corner(r, c).y;
      n += 1;
      sum_g += g;
      sum_p += p;
      sum_gg += g * g;
      sum_gp += g * p;
    }
  const double variance = sum_gg - sum_g * sum_g / n;
  AxisFit fit;
  fit.b = (sum_gp - sum_g * sum_p / n) / variance;
  fit.a = (sum_p - fit.b * sum_g) / n;
  return fit;
}

// Viewing directions (x / depth, y / depth with y downwards, the camera
// looking along +z) of the marked image positions through the pinhole
// approximation of the grid camera; empty when it has no usable scale.
std::vector<Eigen::Vector2d> viewing_directions(const ProjectImage& image) {
  const CameraModel& camera = *image.camera;
  const AxisFit fx = fit_axis(camera, true);
  const AxisFit fy = fit_axis(camera, false);
  const double scale_x = fx.b * camera.distance_mm;
  const double scale_y = fy.b * camera.distance_mm;
  if (!std::isfinite(scale_x) || !std::isfinite(scale_y) || scale_x == 0 || scale_y == 0) return {};
  if (image.size_differs && !(image.texture_scale != 0)) return {};
  std::vector<Eigen::Vector2d> directions;
  for (const ReferencePoint* point : image.reference_points) {
    Point2 m = point->image_position;
    if (image.size_differs) {
      m.x = (m.x + (image.centre_x - image.texture_centre_x)) / image.texture_scale;
      m.y = (m.y + (image.centre_y - image.texture_centre_y)) / image.texture_scale;
    }
    // The projection flips the grid offset (dx, dy) into (dx, -dy).
    const double dx = m.x;
    const double dy = -m.y;
    const double x_over_depth = (dx + camera.centre_x - fx.a) / scale_x;
    const double y_over_depth = (dy + camera.centre_y - fy.a) / scale_y;
    directions.push_back({x_over_depth, -y_over_depth});
  }
  return directions;
}

// A rigid motion world -> frame with x right, y down, looking along +z.
struct Motion {
  Matrix3d r = Matrix3d::Identity();
  Vector3d t = Vector3d::Zero();
  double error = 0.0;  // summed distance of the directions
  bool in_front = false;
};

// The rotation and translation taking `from` onto `to` in the least-squares
// sense (proper rotation).
Motion fit_motion(const std::vector<Vector3d>& from, const std::vector<Vector3d>& to) {
  const double n = static_cast<double>(from.size());
  Vector3d mean_from = Vector3d::Zero();
  Vector3d mean_to = Vector3d::Zero();
  for (std::size_t i = 0; i < from.size(); ++i) {
    mean_from += from[i] / n;
    mean_to += to[i] / n;
  }
  Matrix3d h = Matrix3d::Zero();
  for (std::size_t i = 0; i < from.size(); ++i) h += (to[i] - mean_to) * (from[i] - mean_from).transpose();
  const Eigen::JacobiSVD<Matrix3d> svd(h, Eigen::ComputeFullU | Eigen::ComputeFullV);
  Matrix3d u = svd.matrixU();
  if ((u * svd.matrixV().transpose()).determinant() < 0) u.col(2) = -u.col(2);
  Motion motion;
  motion.r = u * svd.matrixV().transpose();
  motion.t = mean_to - motion.r * mean_from;
  return motion;
}

void score_motion(Motion& motion, const std::vector<Vector3d>& world, const std::vector<Eigen::Vector2d>& directions) {
  motion.error = 0.0;
  motion.in_front = true;
  for (std::size_t i = 0; i < world.size(); ++i) {
    const Vector3d c = motion.r * world[i] + motion.t;
    if (!(c.z() > 0)) motion.in_front = false;
    motion.error += std::hypot(c.x() / c.z() - directions[i].x(), c.y() / c.z() - directions[i].y());
  }
  if (!std::isfinite(motion.error)) motion.in_front = false;
}

// The products of the four scale factors in the order of the columns of L:
// b00, b01, b11, b02, b12, b22, b03, b13, b23, b33.
Eigen::Matrix<double, 10, 1> beta_products(const Vector4d& b) {
  Eigen::Matrix<double, 10, 1> p;
  p << b[0] * b[0], b[0] * b[1], b[1] * b[1], b[0] * b[2], b[1] * b[2], b[2] * b[2], b[0] * b[3], b[1] * b[3],
      b[2] * b[3], b[3] * b[3];
  return p;
}

// Gauss-Newton on the scale factors so that the control points' mutual
// distances match the world's.
void refine_betas(const Matrix6x10& l, const Vector6d& rho, Vector4d& b) {
  for (int iteration = 0; iteration < 5; ++iteration) {
    Eigen::Matrix<double, 6, 4> jacobian;
    for (int i = 0; i < 6; ++i) {
      const auto row = l.row(i);
      jacobian(i, 0) = 2 * row[0] * b[0] + row[1] * b[1] + row[3] * b[2] + row[6] * b[3];
      jacobian(i, 1) = row[1] * b[0] + 2 * row[2] * b[1] + row[4] * b[2] + row[7] * b[3];
      jacobian(i, 2) = row[3] * b[0] + row[4] * b[1] + 2 * row[5] * b[2] + row[8] * b[3];
      jacobian(i, 3) = row[6] * b[0] + row[7] * b[1] + row[8] * b[2] + 2 * row[9] * b[3];
    }
    const Vector6d residual = rho - l * beta_products(b);
    b += jacobian.colPivHouseholderQr().solve(residual);
  }
}

// First guesses of the scale factors with one, two or three null vectors,
// each from a linear solve for some of the products.
std::vector<Vector4d> first_betas(const Matrix6x10& l, const Vector6d& rho) {
  std::vector<Vector4d> guesses;
  const auto solve_columns = [&](std::initializer_list<int> columns) {
    Eigen::MatrixXd part(6, static_cast<Eigen::Index>(columns.size()));
    Eigen::Index k = 0;
    for (int column : columns) part.col(k++) = l.col(column);
    return Eigen::VectorXd(part.colPivHouseholderQr().solve(rho));
  };
  {
    const Eigen::VectorXd x = solve_columns({0, 1, 3, 6});
    const double b0 = std::sqrt(std::fabs(x[0]));
    if (b0 > 0) {
      const double sign = x[0] < 0 ? -1.0 : 1.0;
      guesses.push_back({b0, sign * x[1] / b0, sign * x[2] / b0, sign * x[3] / b0});
    }
  }
  for (bool three : {false, true}) {
    const Eigen::VectorXd x = three ? solve_columns({0, 1, 2, 3, 4}) : solve_columns({0, 1, 2});
    double b0 = std::sqrt(std::fabs(x[0]));
    const double b1 = (x[0] < 0) == (x[2] < 0) ? std::sqrt(std::fabs(x[2])) : 0.0;
    if (x[1] < 0) b0 = -b0;
    if (b0 == 0) continue;
    guesses.push_back({b0, b1, three ? x[3] / b0 : 0.0, 0.0});
  }
  return guesses;
}

std::optional<Motion> solve_pnp(const std::vector<Vector3d>& world, const std::vector<Eigen::Vector2d>& directions,
                                const PointSpread& spread) {
  const std::size_t n = world.size();
  // Control points: the centroid and one along each principal axis.
  std::array<Vector3d, 4> control;
  control[0] = spread.centroid;
  for (int k = 0; k < 3; ++k) control[k + 1] = spread.centroid + std::sqrt(spread.variances[k]) * spread.axes.col(k);
  Matrix3d basis;
  for (int k = 0; k < 3; ++k) basis.col(k) = control[k + 1] - control[0];
  const Matrix3d to_basis = basis.inverse();

  Eigen::MatrixXd alphas(static_cast<Eigen::Index>(n), 4);
  Eigen::MatrixXd m = Eigen::MatrixXd::Zero(static_cast<Eigen::Index>(2 * n), 12);
  for (std::size_t i = 0; i < n; ++i) {
    const Eigen::Index row = static_cast<Eigen::Index>(i);
    const Vector3d a = to_basis * (world[i] - control[0]);
    alphas.row(row) << 1 - a.sum(), a.x(), a.y(), a.z();
    for (int j = 0; j < 4; ++j) {
      const double alpha = alphas(row, j);
      m(2 * row, 3 * j) = alpha;
      m(2 * row, 3 * j + 2) = -alpha * directions[i].x();
      m(2 * row + 1, 3 * j + 1) = alpha;
      m(2 * row + 1, 3 * j + 2) = -alpha * directions[i].y();
    }
  }
  const Eigen::Matrix<double, 12, 12> mtm = m.transpose() * m;
  const Eigen::SelfAdjointEigenSolver<Eigen::Matrix<double, 12, 12>> solver(mtm);
  const auto& null_vectors = solver.eigenvectors();  // smallest eigenvalues first

  constexpr int kPairs[6][2] = {{0, 1}, {0, 2}, {0, 3}, {1, 2}, {1, 3}, {2, 3}};
  Matrix6x10 l;
  Vector6d rho;
  for (int i = 0; i < 6; ++i) {
    const int a = kPairs[i][0];
    const int b = kPairs[i][1];
    std::array<Vector3d, 4> d;
    for (int k = 0; k < 4; ++k) d[k] = null_vectors.col(k).segment<3>(3 * a) - null_vectors.col(k).segment<3>(3 * b);
    l.row(i) << d[0].dot(d[0]), 2 * d[0].dot(d[1]), d[1].dot(d[1]), 2 * d[0].dot(d[2]), 2 * d[1].dot(d[2]),
        d[2].dot(d[2]), 2 * d[0].dot(d[3]), 2 * d[1].dot(d[3]), 2 * d[2].dot(d[3]), d[3].dot(d[3]);
    rho[i] = (control[a] - control[b]).squaredNorm();
  }

  std::optional<Motion> best;
  for (Vector4d betas : first_betas(l, rho)) {
    refine_betas(l, rho, betas);
    Eigen::Matrix<double, 12, 1> stacked = Eigen::Matrix<double, 12, 1>::Zero();
    for (int k = 0; k < 4; ++k) stacked += betas[k] * null_vectors.col(k);
    std::vector<Vector3d> in_camera(n);
    double depth_sum = 0.0;
    for (std::size_t i = 0; i < n; ++i) {
      in_camera[i] = Vector3d::Zero();
      for (int j = 0; j < 4; ++j) in_camera[i] += alphas(static_cast<Eigen::Index>(i), j) * stacked.segment<3>(3 * j);
      depth_sum += in_camera[i].z();
    }
    if (depth_sum < 0)
      for (Vector3d& p : in_camera) p = -p;
    Motion motion = fit_motion(world, in_camera);
    score_motion(motion, world, directions);
    if (motion.in_front && (!best || motion.error < best->error)) best = motion;
  }
  return best;
}

}  // namespace

CameraPose pose_from_axes(const Vec3& eye, const std::array<Vec3, 3>& axes) {
  // The rotation equals Ry(b) Rx(a) Rz(g): its row 1 (up) is
  // (cos a sin g, cos a cos g, -sin a) and its column 2 is
  // (sin b cos a, -sin a, cos b cos a).
  const Vec3& right = axes[0];
  const Vec3& up = axes[1];
  const Vec3& back = axes[2];
  const double a = std::asin(std::clamp(-up.z, -1.0, 1.0));
  // Looking straight along Y (cos a = 0) only b + g or b - g is defined:
  // take g = 0, where row 0 is (cos b, ., .) and row 2 is (-sin b, ., .).
  const bool along_y = std::fabs(up.z) > 1 - 1e-12;
  const double b = along_y ? std::atan2(-back.x, right.x) : std::atan2(right.z, back.z);
  const double g = along_y ? 0.0 : std::atan2(up.x, up.y);
  return {{-eye.x, -eye.y, -eye.z}, {a * kRadiansToDegrees, b * kRadiansToDegrees, g * kRadiansToDegrees}};
}

std::array<double, 3> reference_point_spread(const ProjectImage& image) {
  const PointSpread spread = spread_of(world_points(image));
  return {std::sqrt(spread.variances[2]), std::sqrt(spread.variances[1]), std::sqrt(spread.variances[0])};
}

bool reference_points_degenerate(const ProjectImage& image) {
  if (image.reference_points.count() < 4) return true;
  const std::array<double, 3> s = reference_point_spread(image);
  return !(s[0] > 0) || !std::isfinite(s[0]) || s[1] <= kCollinearSpread * s[0];
}

std::optional<CameraPose> closed_form_pose(const ProjectImage& image) {
  if (image.reference_points.count() < 4 || !image.camera || !image.camera->has_tables()) return std::nullopt;
  if (image.camera->rows < 1 || image.camera->columns < 1) return std::nullopt;
  const std::vector<Vector3d> world = world_points(image);
  const PointSpread spread = spread_of(world);
  const double widest = std::sqrt(spread.variances[2]);
  if (!(widest > 0) || !std::isfinite(widest) || std::sqrt(spread.variances[0]) < kThinnestSpread * widest)
    return std::nullopt;
  const std::vector<Eigen::Vector2d> directions = viewing_directions(image);
  if (directions.size() != world.size()) return std::nullopt;
  for (const Eigen::Vector2d& d : directions)
    if (!d.allFinite()) return std::nullopt;
  const std::optional<Motion> motion = solve_pnp(world, directions, spread);
  if (!motion) return std::nullopt;
  // Camera frame of the program: x right, y up, looking along -z, i.e.
  // the solver's frame turned half a turn about x. The optical centre is
  // where the solver's frame has its origin.
  const Matrix3d& r = motion->r;
  const Vector3d eye = -r.transpose() * motion->t;
  return pose_from_axes(vec(eye), {vec(Vector3d(r.row(0).transpose())), vec(Vector3d(-r.row(1).transpose())),
                                   vec(Vector3d(-r.row(2).transpose()))});
}

}  // namespace plenvista
