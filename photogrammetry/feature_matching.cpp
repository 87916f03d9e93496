#include "photogrammetry/feature_matching.h"

#include <algorithm>
#include <bit>
#include <cmath>
#include <cstring>
#include <limits>
#include <optional>

#include <opencv2/calib3d.hpp>
#include <opencv2/features2d.hpp>

namespace plenvista {

namespace {

constexpr std::size_t kMinVerified = 15;

cv::Mat descriptor_matrix(const ImageFeatures& features) {
  // A header over the features' own bytes; OpenCV only reads it.
  return cv::Mat(static_cast<int>(features.size()), features.descriptor_bytes, CV_8U,
                 const_cast<std::uint8_t*>(features.descriptors.data()));
}

bool matchable(const ImageFeatures& a, const ImageFeatures& b) {
  return a.size() > 0 && b.size() > 0 && a.descriptor_bytes > 0 && a.descriptor_bytes == b.descriptor_bytes;
}

// The direction as OpenCV's normalised image point (x right, y down, the
// camera looking along +z).
cv::Point2d normalised(const Vec3& d) { return {d.x / -d.z, d.y / d.z}; }

// The closest approach of two rays: the distances along each, none when
// they are parallel.
struct RayApproach {
  double s;
  double t;
};
std::optional<RayApproach> approach(const Vec3& ca, const Vec3& da, const Vec3& cb, const Vec3& db) {
  const Vec3 w = ca - cb;
  const double b = dot(da, db);
  const double d = dot(da, w);
  const double e = dot(db, w);
  const double denominator = 1 - b * b;
  if (denominator < 1e-12) return std::nullopt;
  return RayApproach{(b * e - d) / denominator, (e - b * d) / denominator};
}

// Features of one photograph filed by position in square bins.
class FeatureBins {
 public:
  static constexpr double kBin = 16.0;

  explicit FeatureBins(const ImageFeatures& features) {
    double max_x = 0, max_y = 0;
    for (const Point2& p : features.positions) {
      max_x = std::max(max_x, p.x);
      max_y = std::max(max_y, p.y);
    }
    columns_ = static_cast<int>(max_x / kBin) + 1;
    rows_ = static_cast<int>(max_y / kBin) + 1;
    bins_.resize(static_cast<std::size_t>(columns_ * rows_));
    for (int i = 0; i < static_cast<int>(features.size()); ++i) {
      const Point2 p = features.positions[static_cast<std::size_t>(i)];
      if (p.x >= 0 && p.y >= 0) bins_[index(static_cast<int>(p.x / kBin), static_cast<int>(p.y / kBin))].push_back(i);
    }
  }

  // Calls f for every feature in the bins around the pixel.
  template <typename F>
  void around(Point2 p, F&& f) const {
    if (!(p.x > -kBin && p.y > -kBin && p.x < (columns_ + 1) * kBin && p.y < (rows_ + 1) * kBin)) return;
    const int cx = static_cast<int>(std::floor(p.x / kBin));
    const int cy = static_cast<int>(std::floor(p.y / kBin));
    for (int y = std::max(0, cy - 1); y <= std::min(rows_ - 1, cy + 1); ++y)
      for (int x = std::max(0, cx - 1); x <= std::min(columns_ - 1, cx + 1); ++x)
        for (int i : bins_[index(x, y)]) f(i);
  }

 private:
  std::size_t index(int x, int y) const { return static_cast<std::size_t>(y * columns_ + x); }
  int columns_ = 0;
  int rows_ = 0;
  std::vector<std::vector<int>> bins_;
};

std::vector<std::optional<Vec3>> world_rays(const ImageFeatures& features, const CameraRays& rays,
                                            const PoseFrame& frame) {
  std::vector<std::optional<Vec3>> out(features.size());
  for (std::size_t i = 0; i < features.size(); ++i)
    if (auto d = rays.direction(features.positions[i])) out[i] = frame.to_world_direction(*d * (1 / length(*d)));
  return out;
}

}  // namespace

int hamming_distance(const std::uint8_t* a, const std::uint8_t* b, int bytes) {
  int distance = 0;
  int i = 0;
  for (; i + 8 <= bytes; i += 8) {
    std::uint64_t x, y;
    std::memcpy(&x, a + i, 8);
    std::memcpy(&y, b + i, 8);
    distance += std::popcount(x ^ y);
  }
  for (; i < bytes; ++i) distance += std::popcount(static_cast<unsigned>(a[i] ^ b[i]));
  return distance;
}

std::vector<FeatureMatch> match_descriptors(const ImageFeatures& a, const ImageFeatures& b, double ratio) {
  std::vector<FeatureMatch> out;
  if (!matchable(a, b)) return out;
  const cv::Mat da = descriptor_matrix(a);
  const cv::Mat db = descriptor_matrix(b);
  cv::BFMatcher matcher(cv::NORM_HAMMING);
  std::vector<std::vector<cv::DMatch>> forward;
  std::vector<std::vector<cv::DMatch>> backward;
  matcher.knnMatch(da, db, forward, 2);
  matcher.knnMatch(db, da, backward, 2);
  // B's feature's nearest in A, when clearly nearer than its second.
  std::vector<int> best_for_b(b.size(), -1);
  for (const auto& pair : backward)
    if (!pair.empty() && (pair.size() < 2 || pair[0].distance < ratio * pair[1].distance))
      best_for_b[static_cast<std::size_t>(pair[0].queryIdx)] = pair[0].trainIdx;
  for (const auto& pair : forward) {
    if (pair.empty()) continue;
    const cv::DMatch& best = pair[0];
    if (pair.size() > 1 && !(best.distance < ratio * pair[1].distance)) continue;
    if (best_for_b[static_cast<std::size_t>(best.trainIdx)] != best.queryIdx) continue;
    out.push_back({best.queryIdx, best.trainIdx});
  }
  return out;
}

std::vector<FeatureMatch> verify_by_essential(const ImageFeatures& a, const CameraRays& rays_a, const ImageFeatures& b,
                                              const CameraRays& rays_b, const std::vector<FeatureMatch>& matches,
                                              double tolerance_px) {
  std::vector<FeatureMatch> usable;
  std::vector<cv::Point2d> points_a, points_b;
  if (!rays_a.usable() || !rays_b.usable()) return {};
  for (const FeatureMatch& m : matches) {
    const auto da = rays_a.direction(a.positions[static_cast<std::size_t>(m.a)]);
    const auto db = rays_b.direction(b.positions[static_cast<std::size_t>(m.b)]);
    if (!da || !db) continue;
    usable.push_back(m);
    points_a.push_back(normalised(*da));
    points_b.push_back(normalised(*db));
  }
  if (usable.size() < 8) return {};
  const double focal = 0.5 * (std::fabs(rays_a.focal_px()) + std::fabs(rays_b.focal_px()));
  const cv::Mat identity = cv::Mat::eye(3, 3, CV_64F);
  cv::Mat mask;
  // OpenCV reports input it cannot use by throwing: that pair verifies none.
  try {
    const cv::Mat essential =
        cv::findEssentialMat(points_a, points_b, identity, cv::USAC_ACCURATE, 0.9999, tolerance_px / focal, mask);
    if (essential.rows != 3 || essential.cols != 3) return {};
    cv::Mat rotation, translation;
    cv::recoverPose(essential, points_a, points_b, identity, rotation, translation, mask);
  } catch (const cv::Exception&) {
    return {};
  }
  if (mask.rows != static_cast<int>(usable.size()) && mask.cols != static_cast<int>(usable.size())) return {};
  std::vector<FeatureMatch> out;
  for (std::size_t i = 0; i < usable.size(); ++i)
    if (mask.at<std::uint8_t>(static_cast<int>(i))) out.push_back(usable[i]);
  // A handful of inliers is what chance gives on smooth photographs: the
  // sample's renderings verify pairs of eight or nine wrong matches.
  if (out.size() < kMinVerified) return {};
  return out;
}

GuidedMatches guided_match(const ImageFeatures& a, const ProjectImage& image_a, const ImageFeatures& b,
                           const ProjectImage& image_b, const GuidedOptions& options) {
  GuidedMatches result;
  if (!image_a.pose_known || !image_b.pose_known || !matchable(a, b)) return result;
  const CameraRays rays_a(image_a), rays_b(image_b);
  if (!rays_a.usable() || !rays_b.usable()) return result;
  const PoseFrame frame_a = PoseFrame::of(image_a), frame_b = PoseFrame::of(image_b);
  const PreparedPose pose_a(image_a), pose_b(image_b);
  const double baseline = length(frame_a.centre - frame_b.centre);
  if (!(baseline > 0)) return result;

  double near = 0.05 * baseline, far = std::numeric_limits<double>::infinity();
  {
    double lowest = far, highest = 0;
    for (const Vec3& p : options.known_points) {
      const double depth = -frame_a.to_camera(p).z;
      if (!(depth > 0)) continue;
      lowest = std::min(lowest, depth);
      highest = std::max(highest, depth);
    }
    if (highest > 0) {
      near = 0.5 * lowest;
      far = 2 * highest;
    }
  }

  const auto directions_a = world_rays(a, rays_a, frame_a);
  const auto directions_b = world_rays(b, rays_b, frame_b);
  const FeatureBins bins(b);
  const int max_distance = a.descriptor_bytes * 8 * 3 / 10;

  // Each feature's two nearest in all of B: a match must also stand out
  // from every feature off its epipolar line (a repeated pattern does not).
  std::vector<std::vector<cv::DMatch>> nearest;
  cv::BFMatcher(cv::NORM_HAMMING).knnMatch(descriptor_matrix(a), descriptor_matrix(b), nearest, 2);

  struct Choice {
    int b = -1;
    int distance = std::numeric_limits<int>::max();
  };
  std::vector<Choice> chosen(a.size());
  std::vector<int> seen(b.size(), -1);
  for (int i = 0; i < static_cast<int>(a.size()); ++i) {
    const auto& da = directions_a[static_cast<std::size_t>(i)];
    if (!da) continue;
    // The epipolar curve: the ray sampled evenly in inverse depth, from
    // the nearest allowed depth out to the farthest (or infinity).
    const double inverse_near = 1 / near;
    const double inverse_far = std::isfinite(far) ? 1 / far : 0.0;
    auto point_at = [&](double inverse_depth) {
      // Depth along the optical axis of A, turned into distance along the ray.
      const double along = -frame_a.to_camera(frame_a.centre + *da).z;
      if (inverse_depth <= 0) return frame_a.centre + *da * (1e6 * baseline);
      return frame_a.centre + *da * (1 / (inverse_depth * along));
    };
    const Point2 p_near = pose_b.project(point_at(inverse_near), true);
    const Point2 p_far = pose_b.project(point_at(inverse_far), true);
    const double span = std::hypot(p_near.x - p_far.x, p_near.y - p_far.y);
    const int samples =
        std::isfinite(span) ? std::clamp(static_cast<int>(span / (FeatureBins::kBin * 0.5)), 2, 2000) : 2000;
    int best = -1, best_distance = std::numeric_limits<int>::max(), second_distance = best_distance;
    for (int k = 0; k <= samples; ++k) {
      const double inverse_depth = inverse_far + (inverse_near - inverse_far) * k / samples;
      const Vec3 world = point_at(inverse_depth);
      if (!(-frame_b.to_camera(world).z > 0)) continue;
      bins.around(pose_b.project(world, true), [&](int j) {
        if (seen[static_cast<std::size_t>(j)] == i) return;
        seen[static_cast<std::size_t>(j)] = i;
        const auto& db = directions_b[static_cast<std::size_t>(j)];
        if (!db) return;
        const auto meet = approach(frame_a.centre, *da, frame_b.centre, *db);
        if (!meet || meet->s <= 0 || meet->t <= 0) return;
        const Vec3 point = (frame_a.centre + *da * meet->s + frame_b.centre + *db * meet->t) * 0.5;
        const double depth = -frame_a.to_camera(point).z;
        if (!(depth >= near && depth <= far)) return;
        const Point2 in_a = pose_a.project(point, true);
        const Point2 in_b = pose_b.project(point, true);
        const Point2 fa = a.positions[static_cast<std::size_t>(i)];
        const Point2 fb = b.positions[static_cast<std::size_t>(j)];
        if (!(std::hypot(in_a.x - fa.x, in_a.y - fa.y) <= options.tolerance_px &&
              std::hypot(in_b.x - fb.x, in_b.y - fb.y) <= options.tolerance_px))
          return;
        ++result.candidates;
        const int distance = hamming_distance(a.descriptor(static_cast<std::size_t>(i)),
                                              b.descriptor(static_cast<std::size_t>(j)), a.descriptor_bytes);
        if (distance < best_distance) {
          second_distance = best_distance;
          best_distance = distance;
          best = j;
        } else if (distance < second_distance) {
          second_distance = distance;
        }
      });
    }
    if (best < 0 || best_distance > max_distance) continue;
    if (second_distance != std::numeric_limits<int>::max() && !(best_distance < options.ratio * second_distance))
      continue;
    const auto& global = nearest[static_cast<std::size_t>(i)];
    const double other = global.empty()               ? INFINITY
                         : global[0].trainIdx != best ? global[0].distance
                         : global.size() > 1          ? global[1].distance
                                                      : INFINITY;
    if (!(best_distance < options.distinct_ratio * other)) continue;
    chosen[static_cast<std::size_t>(i)] = {best, best_distance};
  }

  // Mutual: each feature of B keeps only its nearest feature of A.
  std::vector<int> owner(b.size(), -1);
  for (int i = 0; i < static_cast<int>(a.size()); ++i) {
    const Choice& c = chosen[static_cast<std::size_t>(i)];
    if (c.b < 0) continue;
    int& o = owner[static_cast<std::size_t>(c.b)];
    if (o < 0 || c.distance < chosen[static_cast<std::size_t>(o)].distance) o = i;
  }
  for (int i = 0; i < static_cast<int>(a.size()); ++i) {
    const Choice& c = chosen[static_cast<std::size_t>(i)];
    if (c.b >= 0 && owner[static_cast<std::size_t>(c.b)] == i) result.matches.push_back({i, c.b});
  }
  return result;
}

}  // namespace plenvista
