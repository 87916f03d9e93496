#include "photogrammetry/orientation_geometry.h"

#include <algorithm>
#include <cmath>
#include <limits>

#include <Eigen/Dense>
#include <opencv2/calib3d.hpp>
#include <opencv2/core.hpp>

namespace plenvista::orientation_detail {
namespace {

constexpr double kRadiansToDegrees = 57.29577951308232;
// OpenCV's random generator is reseeded before every RANSAC so that a run
// gives the same result whatever ran before it.
constexpr std::uint64_t kRansacSeed = 0x5eed;
// The largest distance (px) between a mark and the projection of the
// direction found for it.
constexpr double kDirectionTolerancePx = 0.5;
// Directions whose narrower spread is below this share of the wider lie on
// one line.
constexpr double kLineRatio = 0.01;
// A pair of photographs of which this share of marks is explained by a
// turn of the camera alone has no baseline.
constexpr double kRotationShare = 0.9;

// OpenCV's camera frame (x right, y down, looking along +z) is ours turned
// half a turn about x: a direction (a, b) is the normalised point (a, -b).
std::vector<cv::Point2d> normalised(const std::vector<Point2>& directions) {
  std::vector<cv::Point2d> out;
  out.reserve(directions.size());
  for (const Point2& d : directions) out.emplace_back(d.x, -d.y);
  return out;
}

Matrix3 from_cv(const cv::Mat& m) {
  Matrix3 r;
  for (int i = 0; i < 3; ++i)
    for (int j = 0; j < 3; ++j) r[static_cast<std::size_t>(i * 3 + j)] = m.at<double>(i, j);
  return r;
}

}  // namespace

Vec3 rotate(const Matrix3& r, const Vec3& v) {
  return {r[0] * v.x + r[1] * v.y + r[2] * v.z, r[3] * v.x + r[4] * v.y + r[5] * v.z,
          r[6] * v.x + r[7] * v.y + r[8] * v.z};
}

Vec3 rotate_back(const Matrix3& r, const Vec3& v) {
  return {r[0] * v.x + r[3] * v.y + r[6] * v.z, r[1] * v.x + r[4] * v.y + r[7] * v.z,
          r[2] * v.x + r[5] * v.y + r[8] * v.z};
}

bool camera_usable(CameraModel& camera) {
  if (!camera.has_tables() || camera.rows < 1 || camera.rows > kMaxGridCells || camera.columns < 1 ||
      camera.columns > kMaxGridCells)
    return false;
  if (!(camera.distance_mm > 0) || !(camera.cell_width_mm > 0) || !(camera.cell_height_mm > 0) ||
      !std::isfinite(camera.distance_mm) || !std::isfinite(camera.cell_width_mm) ||
      !std::isfinite(camera.cell_height_mm))
    return false;
  if (!camera.cells_ready) derive_cells(camera);
  const double f = focal_pixels(camera);
  return std::isfinite(f) && f > 0;
}

double focal_pixels(const CameraModel& camera) {
  double across = 0.0;
  for (int r = 0; r <= camera.rows; ++r) across += camera.corner(r, camera.columns).x - camera.corner(r, 0).x;
  return across / ((camera.rows + 1) * camera.columns * camera.cell_width_mm) * camera.distance_mm;
}

std::optional<Point2> viewing_direction(const CameraModel& camera, const OrientationPhotograph& photo, Point2 mark) {
  Point2 m = mark;
  if (photo.size_differs) {
    if (!(photo.texture_scale != 0) || !std::isfinite(photo.texture_scale)) return std::nullopt;
    m.x = (m.x + (photo.centre_x - photo.texture_centre_x)) / photo.texture_scale;
    m.y = (m.y + (photo.centre_y - photo.texture_centre_y)) / photo.texture_scale;
  }
  // The projection flips the grid offset (dx, dy) into (dx, -dy).
  const Point2 target{m.x, -m.y};
  if (!std::isfinite(target.x) || !std::isfinite(target.y)) return std::nullopt;
  const double f = focal_pixels(camera);
  const Point2 at_axis = grid_lookup_ready(camera, 1.0, 0.0, 0.0);
  double a = (target.x - at_axis.x) / f;
  double b = (target.y - at_axis.y) / f;
  // The lookup is piecewise linear and may jump a little at half cells, so
  // a mark in such a gap has no exact inverse: the nearest iterate serves.
  const double h = 1e-7;
  Point2 best{a, b};
  double best_error = std::numeric_limits<double>::infinity();
  for (int iteration = 0; iteration < 20; ++iteration) {
    const Point2 p = grid_lookup_ready(camera, 1.0, a, b);
    const double ex = p.x - target.x;
    const double ey = p.y - target.y;
    if (!std::isfinite(ex) || !std::isfinite(ey)) break;
    const double error = std::hypot(ex, ey);
    if (error < best_error) {
      best_error = error;
      best = {a, b};
    }
    if (error < 1e-9) break;
    const Point2 pa = grid_lookup_ready(camera, 1.0, a + h, b);
    const Point2 pb = grid_lookup_ready(camera, 1.0, a, b + h);
    const double j00 = (pa.x - p.x) / h, j01 = (pb.x - p.x) / h;
    const double j10 = (pa.y - p.y) / h, j11 = (pb.y - p.y) / h;
    const double det = j00 * j11 - j01 * j10;
    if (!std::isfinite(det) || det == 0) break;
    a -= (j11 * ex - j01 * ey) / det;
    b -= (-j10 * ex + j00 * ey) / det;
  }
  if (best_error > 1e-6) {
    // Newton can hop between cells across a jump: solve each half cell's
    // affine piece and keep the exact preimage nearest the guess.
    const Point2 guess = best;
    const int columns = std::clamp(camera.columns, 1, kMaxGridCells);
    const int rows = std::clamp(camera.rows, 1, kMaxGridCells);
    double nearest = std::numeric_limits<double>::infinity();
    for (int i = 0; i < rows; ++i)
      for (int j = 0; j < columns; ++j) {
        const auto& v = camera.cell(i, j).v;
        for (const double u : {v[2] - v[0], v[6] - v[4]})
          for (const double w : {v[5] - v[1], v[7] - v[3]}) {
            const double fx = (target.x + camera.centre_x - v[0]) / u;
            const double fy = (target.y + camera.centre_y - v[1]) / w;
            const Point2 candidate{
                ((j + fx) * camera.cell_width_mm - (camera.columns / 2) * camera.cell_width_mm) / camera.distance_mm,
                ((i + fy) * camera.cell_height_mm - (camera.rows / 2) * camera.cell_height_mm) / camera.distance_mm};
            const Point2 p = grid_lookup_ready(camera, 1.0, candidate.x, candidate.y);
            const double error = std::hypot(p.x - target.x, p.y - target.y);
            const double distance = std::hypot(candidate.x - guess.x, candidate.y - guess.y);
            if (error < 1e-6 && distance < nearest) {
              nearest = distance;
              best = candidate;
              best_error = error;
            }
          }
      }
  }
  if (!(best_error < kDirectionTolerancePx)) return std::nullopt;
  return best;
}

bool directions_on_one_line(const std::vector<Point2>& directions) {
  if (directions.size() < 3) return true;
  Eigen::Vector2d mean = Eigen::Vector2d::Zero();
  for (const Point2& d : directions) mean += Eigen::Vector2d(d.x, d.y);
  mean /= static_cast<double>(directions.size());
  Eigen::Matrix2d c = Eigen::Matrix2d::Zero();
  for (const Point2& d : directions) {
    const Eigen::Vector2d v = Eigen::Vector2d(d.x, d.y) - mean;
    c += v * v.transpose();
  }
  const Eigen::SelfAdjointEigenSolver<Eigen::Matrix2d> solver(c);
  const Eigen::Vector2d e = solver.eigenvalues().cwiseMax(0.0);
  return !(e[1] > 0) || !std::isfinite(e[1]) || std::sqrt(e[0]) < kLineRatio * std::sqrt(e[1]);
}

bool rotation_explains(const std::vector<Point2>& first, const std::vector<Point2>& second, double threshold) {
  if (first.empty() || first.size() != second.size()) return false;
  const auto bearing = [](const Point2& d) { return Eigen::Vector3d(d.x, d.y, -1.0).normalized(); };
  Eigen::Matrix3d h = Eigen::Matrix3d::Zero();
  for (std::size_t i = 0; i < first.size(); ++i) h += bearing(second[i]) * bearing(first[i]).transpose();
  const Eigen::JacobiSVD<Eigen::Matrix3d> svd(h, Eigen::ComputeFullU | Eigen::ComputeFullV);
  Eigen::Matrix3d d = Eigen::Matrix3d::Identity();
  if ((svd.matrixU() * svd.matrixV().transpose()).determinant() < 0) d(2, 2) = -1;
  const Eigen::Matrix3d r = svd.matrixU() * d * svd.matrixV().transpose();
  std::size_t explained = 0;
  for (std::size_t i = 0; i < first.size(); ++i)
    if ((bearing(second[i]) - r * bearing(first[i])).norm() < threshold) ++explained;
  return static_cast<double>(explained) >= kRotationShare * static_cast<double>(first.size());
}

std::optional<RelativePose> relative_pose(const std::vector<Point2>& first, const std::vector<Point2>& second,
                                          double threshold, int iterations) {
  if (first.size() < 5 || first.size() != second.size()) return std::nullopt;
  const std::vector<cv::Point2d> p1 = normalised(first);
  const std::vector<cv::Point2d> p2 = normalised(second);
  const cv::Mat identity = cv::Mat::eye(3, 3, CV_64F);
  try {
    cv::theRNG().state = kRansacSeed;
    cv::Mat mask;
    const cv::Mat e = cv::findEssentialMat(p1, p2, identity, cv::RANSAC, 0.999, threshold, iterations, mask);
    if (e.rows != 3 || e.cols != 3) return std::nullopt;
    cv::Mat r, t;
    const int good = cv::recoverPose(e, p1, p2, identity, r, t, mask);
    if (good < 5) return std::nullopt;
    // x2 = R x1 + t in OpenCV's frames; ours flip y and z (F = diag(1,-1,-1)).
    const Matrix3 rc = from_cv(r);
    const Vec3 tc{t.at<double>(0), t.at<double>(1), t.at<double>(2)};
    RelativePose out;
    const double f[3] = {1, -1, -1};
    for (int i = 0; i < 3; ++i)
      for (int j = 0; j < 3; ++j)
        out.second.rotation[static_cast<std::size_t>(i * 3 + j)] =
            f[i] * rc[static_cast<std::size_t>(i * 3 + j)] * f[j];
    const Vec3 tp{tc.x, -tc.y, -tc.z};
    out.second.centre = rotate_back(out.second.rotation, tp) * (-1.0 / length(tp));
    out.inlier.resize(first.size());
    for (std::size_t i = 0; i < first.size(); ++i) out.inlier[i] = mask.at<unsigned char>(static_cast<int>(i)) != 0;
    if (!std::isfinite(out.second.centre.x + out.second.centre.y + out.second.centre.z)) return std::nullopt;
    return out;
  } catch (const cv::Exception&) {
    return std::nullopt;
  }
}

std::optional<Pose> absolute_pose(const std::vector<Vec3>& world, const std::vector<Point2>& directions,
                                  double threshold, int iterations, std::vector<bool>& inlier) {
  if (world.size() < 4 || world.size() != directions.size()) return std::nullopt;
  std::vector<cv::Point3d> object;
  object.reserve(world.size());
  for (const Vec3& w : world) object.emplace_back(w.x, w.y, w.z);
  const std::vector<cv::Point2d> image = normalised(directions);
  const cv::Mat identity = cv::Mat::eye(3, 3, CV_64F);
  try {
    cv::theRNG().state = kRansacSeed;
    cv::Mat rvec, tvec;
    std::vector<int> ransac_inliers;
    if (!cv::solvePnPRansac(object, image, identity, cv::noArray(), rvec, tvec, false, iterations,
                            static_cast<float>(threshold), 0.999, ransac_inliers, cv::SOLVEPNP_SQPNP))
      return std::nullopt;
    // The points that fit a pose: in front of it (the solvers fit lines of
    // sight, not rays) and within the threshold of their directions.
    const auto fitting = [&](std::vector<bool>& fits) {
      cv::Mat r;
      cv::Rodrigues(rvec, r);
      const Matrix3 rc = from_cv(r);
      const Vec3 t{tvec.at<double>(0), tvec.at<double>(1), tvec.at<double>(2)};
      fits.assign(world.size(), false);
      for (std::size_t i = 0; i < world.size(); ++i) {
        const Vec3 c = rotate(rc, world[i]) + t;
        fits[i] = c.z > 0 && std::hypot(c.x / c.z - image[i].x, c.y / c.z - image[i].y) <= threshold;
      }
      return std::count(fits.begin(), fits.end(), true);
    };
    // RANSAC counts the points of its best sample's pose; the pose refined
    // on them fits more, often all (and more exactly) where the points lie
    // on one plane seen nearly face on.
    long count = fitting(inlier);
    while (count >= 4) {
      std::vector<cv::Point3d> kept_object;
      std::vector<cv::Point2d> kept_image;
      for (std::size_t i = 0; i < world.size(); ++i)
        if (inlier[i]) {
          kept_object.push_back(object[i]);
          kept_image.push_back(image[i]);
        }
      const cv::Mat last_r = rvec.clone(), last_t = tvec.clone();
      std::vector<bool> fits;
      long refined = -1;
      if (cv::solvePnP(kept_object, kept_image, identity, cv::noArray(), rvec, tvec, true, cv::SOLVEPNP_ITERATIVE))
        refined = fitting(fits);
      if (refined < count) {
        rvec = last_r;
        tvec = last_t;
        break;
      }
      inlier = fits;
      if (refined == count) break;
      count = refined;
    }
    if (count < 4) return std::nullopt;
    cv::Mat r;
    cv::Rodrigues(rvec, r);
    const Matrix3 rc = from_cv(r);
    Pose pose;
    // Our camera frame is OpenCV's with y and z negated: rows 1 and 2 flip.
    for (std::size_t j = 0; j < 3; ++j) {
      pose.rotation[j] = rc[j];
      pose.rotation[3 + j] = -rc[3 + j];
      pose.rotation[6 + j] = -rc[6 + j];
    }
    const Vec3 t{tvec.at<double>(0), tvec.at<double>(1), tvec.at<double>(2)};
    pose.centre = rotate_back(rc, t) * -1.0;
    if (!std::isfinite(pose.centre.x + pose.centre.y + pose.centre.z)) return std::nullopt;
    return pose;
  } catch (const cv::Exception&) {
    return std::nullopt;
  }
}

Ray world_ray(const Pose& pose, Point2 direction) {
  const Vec3 d = rotate_back(pose.rotation, {direction.x, direction.y, -1.0});
  return {pose.centre, d * (1.0 / length(d))};
}

std::optional<Vec3> triangulate(const std::vector<Ray>& rays, double& max_angle_deg) {
  max_angle_deg = 0.0;
  if (rays.size() < 2) return std::nullopt;
  double min_cos = 1.0;
  Eigen::Matrix3d a = Eigen::Matrix3d::Zero();
  Eigen::Vector3d b = Eigen::Vector3d::Zero();
  for (std::size_t i = 0; i < rays.size(); ++i) {
    const Eigen::Vector3d d(rays[i].direction.x, rays[i].direction.y, rays[i].direction.z);
    const Eigen::Vector3d o(rays[i].origin.x, rays[i].origin.y, rays[i].origin.z);
    const Eigen::Matrix3d p = Eigen::Matrix3d::Identity() - d * d.transpose();
    a += p;
    b += p * o;
    for (std::size_t j = i + 1; j < rays.size(); ++j)
      min_cos = std::min(min_cos, dot(rays[i].direction, rays[j].direction));
  }
  max_angle_deg = std::acos(std::clamp(min_cos, -1.0, 1.0)) * kRadiansToDegrees;
  // Rays closer than this to parallel give no depth worth keeping.
  if (!(max_angle_deg > 0.05)) return std::nullopt;
  const Eigen::Vector3d x = a.ldlt().solve(b);
  if (!x.allFinite()) return std::nullopt;
  const Vec3 point{x.x(), x.y(), x.z()};
  for (const Ray& ray : rays)
    if (!(dot(point - ray.origin, ray.direction) > 0)) return std::nullopt;
  return point;
}

}  // namespace plenvista::orientation_detail
