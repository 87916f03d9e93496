#include "photogrammetry/least_squares_matching.h"

#include <algorithm>
#include <cmath>

#include <Eigen/Dense>

namespace plenvista {

namespace {

// Least grey-level spread (standard deviation) of a patch worth matching.
constexpr double kMinSpread = 2.0;
constexpr int kMaxIterations = 30;
// A step moving the position by less than this has settled, pixels.
constexpr double kSettledPx = 0.002;
// How far the map's area may stray from the starting map's.
constexpr double kMaxScaleChange = 1.5;

using Vector8 = Eigen::Matrix<double, 8, 1>;
using Matrix8 = Eigen::Matrix<double, 8, 8>;

double correlation(const std::vector<double>& x, const std::vector<double>& y) {
  const double n = static_cast<double>(x.size());
  double sx = 0, sy = 0;
  for (std::size_t k = 0; k < x.size(); ++k) {
    sx += x[k];
    sy += y[k];
  }
  const double mx = sx / n, my = sy / n;
  double xy = 0, xx = 0, yy = 0;
  for (std::size_t k = 0; k < x.size(); ++k) {
    xy += (x[k] - mx) * (y[k] - my);
    xx += (x[k] - mx) * (x[k] - mx);
    yy += (y[k] - my) * (y[k] - my);
  }
  return xx > 0 && yy > 0 ? xy / std::sqrt(xx * yy) : -1.0;
}

}  // namespace

std::optional<AffineMap> local_affine(const std::vector<std::pair<Point2, Point2>>& correspondences, Point2 at,
                                      double radius_px) {
  std::vector<std::pair<double, std::size_t>> near;
  for (std::size_t k = 0; k < correspondences.size(); ++k) {
    const Point2 p = correspondences[k].first;
    const double d2 = (p.x - at.x) * (p.x - at.x) + (p.y - at.y) * (p.y - at.y);
    if (d2 <= radius_px * radius_px) near.emplace_back(d2, k);
  }
  if (near.size() < kLocalAffineNeighbours) return std::nullopt;
  std::partial_sort(near.begin(), near.begin() + kLocalAffineNeighbours, near.end());
  near.resize(kLocalAffineNeighbours);
  Point2 mean_a{0, 0}, mean_b{0, 0};
  for (const auto& [d2, k] : near) {
    mean_a = {mean_a.x + correspondences[k].first.x, mean_a.y + correspondences[k].first.y};
    mean_b = {mean_b.x + correspondences[k].second.x, mean_b.y + correspondences[k].second.y};
  }
  const double n = static_cast<double>(near.size());
  mean_a = {mean_a.x / n, mean_a.y / n};
  mean_b = {mean_b.x / n, mean_b.y / n};
  Eigen::Matrix2d aa = Eigen::Matrix2d::Zero(), ba = Eigen::Matrix2d::Zero();
  for (const auto& [d2, k] : near) {
    const Eigen::Vector2d da(correspondences[k].first.x - mean_a.x, correspondences[k].first.y - mean_a.y);
    const Eigen::Vector2d db(correspondences[k].second.x - mean_b.x, correspondences[k].second.y - mean_b.y);
    aa += da * da.transpose();
    ba += db * da.transpose();
  }
  // Neighbours along a line fix the map across it not at all.
  const double trace = aa.trace();
  if (!(aa.determinant() > 0.01 * trace * trace / 4)) return std::nullopt;
  const Eigen::Matrix2d m = ba * aa.inverse();
  return AffineMap{m(0, 0), m(0, 1), m(1, 0), m(1, 1)};
}

std::optional<LeastSquaresMatch> match_least_squares(const GreyImage& a, Point2 pa, const GreyImage& b, Point2 pb,
                                                     const AffineMap& start, const LeastSquaresOptions& options) {
  const int side = 2 * options.radius + 1;
  const std::size_t count = static_cast<std::size_t>(side) * static_cast<std::size_t>(side);
  std::vector<double> patch_a(count), patch_b(count);
  std::vector<Point2> offsets(count);
  std::size_t k = 0;
  for (int v = -options.radius; v <= options.radius; ++v)
    for (int u = -options.radius; u <= options.radius; ++u, ++k) {
      offsets[k] = {u * options.spacing, v * options.spacing};
      const float value = a.sample(pa.x + offsets[k].x, pa.y + offsets[k].y);
      if (std::isnan(value)) return std::nullopt;
      patch_a[k] = value;
    }
  double sum = 0, squares = 0;
  for (double value : patch_a) {
    sum += value;
    squares += value * value;
  }
  const double mean_a = sum / static_cast<double>(count);
  if (!(squares / static_cast<double>(count) - mean_a * mean_a >= kMinSpread * kMinSpread)) return std::nullopt;

  // The parameters: shift x, y; map m0..m3; gain; offset.
  Vector8 p;
  p << 0, 0, start[0], start[1], start[2], start[3], 1, 0;
  const double start_area = std::fabs(start[0] * start[3] - start[1] * start[2]);
  // Where sample s of A's patch lands in B at the current parameters.
  const auto warped = [&](std::size_t s) {
    const double u = offsets[s].x, v = offsets[s].y;
    return Point2{pb.x + p[0] + p[2] * u + p[3] * v, pb.y + p[1] + p[4] * u + p[5] * v};
  };
  const auto inside = [&](Point2 q) { return q.x >= 1 && q.y >= 1 && q.x < b.width - 2 && q.y < b.height - 2; };
  bool settled = false;
  for (int iteration = 0; iteration < kMaxIterations && !settled; ++iteration) {
    Matrix8 normal = Matrix8::Zero();
    Vector8 rhs = Vector8::Zero();
    for (std::size_t s = 0; s < count; ++s) {
      const Point2 q = warped(s);
      if (!inside(q)) return std::nullopt;
      const double value = b.sample_inside(q.x, q.y);
      const double gx = p[6] * (b.sample_inside(q.x + 1, q.y) - b.sample_inside(q.x - 1, q.y)) / 2;
      const double gy = p[6] * (b.sample_inside(q.x, q.y + 1) - b.sample_inside(q.x, q.y - 1)) / 2;
      const double u = offsets[s].x, v = offsets[s].y;
      Vector8 row;
      row << gx, gy, gx * u, gx * v, gy * u, gy * v, value, 1;
      const double residual = p[6] * value + p[7] - patch_a[s];
      normal.selfadjointView<Eigen::Lower>().rankUpdate(row);
      rhs -= row * residual;
    }
    const Vector8 step = normal.selfadjointView<Eigen::Lower>().ldlt().solve(rhs);
    if (!step.allFinite()) return std::nullopt;
    p += step;
    settled = std::hypot(step[0], step[1]) < kSettledPx;
    if (std::hypot(p[0], p[1]) > options.reach_px) return std::nullopt;
  }
  if (!settled) return std::nullopt;
  const double area = std::fabs(p[2] * p[5] - p[3] * p[4]);
  const double change = std::sqrt(area / start_area);
  if (!(change <= kMaxScaleChange && change >= 1 / kMaxScaleChange)) return std::nullopt;
  for (std::size_t s = 0; s < count; ++s) {
    const Point2 q = warped(s);
    if (!inside(q)) return std::nullopt;
    patch_b[s] = b.sample_inside(q.x, q.y);
  }
  const double score = correlation(patch_a, patch_b);
  if (score < options.min_score) return std::nullopt;
  return LeastSquaresMatch{{pb.x + p[0], pb.y + p[1]}, score};
}

}  // namespace plenvista
