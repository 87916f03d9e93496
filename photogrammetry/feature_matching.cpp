#include "photogrammetry/feature_matching.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <limits>
#include <numbers>
#include <optional>

#include <opencv2/calib3d.hpp>
#include <opencv2/features2d.hpp>

#include "photogrammetry/patch_correlation.h"

namespace plenvista {

namespace {

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

// The features of B filed by the angle of their rays about the baseline:
// every epipolar plane holds the baseline, so the rays of B in the plane of
// a ray of A lie at that ray's angle, and those near the plane at angles
// near it. Rays are world directions of unit length.
class EpipolarFan {
 public:
  // The rays must outlive the fan.
  EpipolarFan(const Vec3& baseline, const std::vector<std::optional<Vec3>>& rays) : axis_(unit(baseline)), rays_(rays) {
    const Vec3 helper = std::fabs(axis_.x) < 0.9 ? Vec3{1, 0, 0} : Vec3{0, 1, 0};
    u_ = unit(cross(axis_, helper));
    v_ = cross(axis_, u_);
    for (int j = 0; j < static_cast<int>(rays.size()); ++j) {
      const auto& d = rays[static_cast<std::size_t>(j)];
      if (!d) continue;
      const double across = std::sqrt(std::max(0.0, 1 - dot(*d, axis_) * dot(*d, axis_)));
      fan_.push_back({angle(*d), j});
      least_across_ = std::min(least_across_, across);
    }
    std::sort(fan_.begin(), fan_.end(), [](const Ray& x, const Ray& y) { return x.angle < y.angle; });
  }

  // Calls f for every feature whose ray is within `off_plane` (the sine of
  // the angle) of the epipolar plane of A's ray `da`; those on the far
  // side of the baseline, which cannot meet da's ray in front of both
  // photographs, may be passed over.
  template <typename F>
  void near_plane(const Vec3& da, double off_plane, F&& f) const {
    const Vec3 normal = cross(axis_, da);
    const double size = length(normal);
    if (!(size > 1e-12) || fan_.empty()) return;
    // A ray `across` away from the baseline's direction turns by at most
    // asin(off_plane / across) about it while staying that near the plane.
    const double reach = off_plane < least_across_ ? std::asin(off_plane / least_across_) : std::numbers::pi;
    const double centre = angle(da);
    const auto visit = [&](double from, double to) {
      auto k = std::lower_bound(fan_.begin(), fan_.end(), from, [](const Ray& r, double a) { return r.angle < a; });
      for (; k != fan_.end() && k->angle <= to; ++k)
        if (std::fabs(dot(normal, *rays_[static_cast<std::size_t>(k->feature)])) <= off_plane * size) f(k->feature);
    };
    const double from = centre - reach, to = centre + reach;
    constexpr double kTurn = 2 * std::numbers::pi;
    if (to - from >= kTurn) {
      visit(-INFINITY, INFINITY);
      return;
    }
    visit(std::max(from, -std::numbers::pi), std::min(to, std::numbers::pi));
    if (from < -std::numbers::pi) visit(from + kTurn, INFINITY);
    if (to > std::numbers::pi) visit(-INFINITY, to - kTurn);
  }

 private:
  struct Ray {
    double angle;
    int feature;
  };
  static Vec3 unit(const Vec3& v) { return v * (1 / length(v)); }
  double angle(const Vec3& d) const { return std::atan2(dot(d, v_), dot(d, u_)); }

  Vec3 axis_, u_, v_;
  const std::vector<std::optional<Vec3>>& rays_;
  std::vector<Ray> fan_;
  double least_across_ = 1;
};

std::vector<std::optional<Vec3>> world_rays(const ImageFeatures& features, const CameraRays& rays,
                                            const PoseFrame& frame) {
  std::vector<std::optional<Vec3>> out(features.size());
  for (std::size_t i = 0; i < features.size(); ++i)
    if (auto d = rays.direction(features.positions[i])) out[i] = frame.to_world_direction(*d * (1 / length(*d)));
  return out;
}

// Pixels per unit of normalised image coordinates, for both photographs.
double mean_focal(const CameraRays& rays_a, const CameraRays& rays_b) {
  return 0.5 * (std::fabs(rays_a.focal_px()) + std::fabs(rays_b.focal_px()));
}

// The relative geometry of two oriented photographs as corrected from
// their matches: B's rays turned by a small rotation about B's centre and
// the baseline's direction turned, both in world axes.
class RelativeGeometry {
 public:
  RelativeGeometry(const PoseFrame& a, const PoseFrame& b, double focal_px)
      : baseline_(unit(a.centre - b.centre)), axis_a_(a.rows[2]), axis_b_(b.rows[2]), focal_(focal_px) {}

  // How far two rays (world directions as the poses give them, unit
  // length) are from one epipolar plane, as pixels on the photographs'
  // image planes: A's feature from the line of B's, and B's from A's.
  // Opposite signs; infinite where a ray runs along the baseline or away
  // from its photograph.
  std::pair<double, double> distances_px(const Vec3& da, const Vec3& db) const {
    const Vec3 turned = turn(db);
    return {off_plane_px(da, axis_a_, turned), off_plane_px(turned, turn(axis_b_), da)};
  }
  double residual_px(const Vec3& da, const Vec3& db) const {
    const auto [in_a, in_b] = distances_px(da, db);
    return 0.5 * (in_a - in_b);
  }
  // The baseline's direction (from B to A) and B's rays as the geometry
  // turns them, in which A's epipolar planes are the poses' ones.
  const Vec3& baseline() const { return baseline_; }
  Vec3 turned(const Vec3& db) const { return turn(db); }
  double focal_px() const { return focal_; }

  double distance_px(const Vec3& da, const Vec3& db) const {
    const auto [in_a, in_b] = distances_px(da, db);
    return std::max(std::fabs(in_a), std::fabs(in_b));
  }

  // Gauss-Newton on the five angles, each match weighted by Cauchy's
  // function at `scale_px` so that wrong matches have little say; then
  // kept when at least eight matches lie within `keep_px`, and no fewer
  // than before it (else the geometry as it was).
  std::optional<RelativeGeometry> refined(const std::vector<std::pair<Vec3, Vec3>>& rays, double scale_px,
                                          double keep_px) const {
    RelativeGeometry current = *this;
    for (int iteration = 0; iteration < 12; ++iteration) {
      cv::Matx<double, 5, 5> normal = cv::Matx<double, 5, 5>::zeros();
      cv::Matx<double, 5, 1> gradient = cv::Matx<double, 5, 1>::zeros();
      constexpr double kStep = 1e-6;
      std::array<RelativeGeometry, 5> nudged{current, current, current, current, current};
      for (int k = 0; k < 5; ++k) nudged[static_cast<std::size_t>(k)] = current.moved(k, kStep);
      for (const auto& [da, db] : rays) {
        const double r = current.residual_px(da, db);
        if (!std::isfinite(r)) continue;
        const double weight = 1 / (1 + (r / scale_px) * (r / scale_px));
        cv::Matx<double, 5, 1> jacobian;
        for (int k = 0; k < 5; ++k) jacobian(k) = (nudged[static_cast<std::size_t>(k)].residual_px(da, db) - r) / kStep;
        normal += weight * jacobian * jacobian.t();
        gradient += weight * r * jacobian;
      }
      for (int k = 0; k < 5; ++k) normal(k, k) *= 1.0 + 1e-6;
      cv::Matx<double, 5, 1> step;
      if (!cv::solve(normal, -gradient, step, cv::DECOMP_CHOLESKY)) return std::nullopt;
      for (int k = 0; k < 5; ++k) current = current.moved(k, step(k));
      if (std::fabs(step(0)) + std::fabs(step(1)) + std::fabs(step(2)) + std::fabs(step(3)) + std::fabs(step(4)) < 1e-9)
        break;
    }
    const auto kept = [&](const RelativeGeometry& geometry) {
      return std::count_if(rays.begin(), rays.end(), [&](const std::pair<Vec3, Vec3>& r) {
        return geometry.distance_px(r.first, r.second) <= keep_px;
      });
    };
    const auto kept_before = kept(*this), kept_after = kept(current);
    if (std::max(kept_before, kept_after) < 8) return std::nullopt;
    // Wrong matches can pull the correction off where the poses were good.
    return kept_after >= kept_before ? current : *this;
  }

 private:
  static Vec3 unit(const Vec3& v) { return v * (1 / length(v)); }

  // The distance of `ray` (seen along `axis`, a camera's -z) on its image
  // plane from the epipolar plane through the baseline and `other`.
  double off_plane_px(const Vec3& ray, const Vec3& axis, const Vec3& other) const {
    const Vec3 across = cross(baseline_, other);
    const double size = length(across);
    const double depth = -dot(ray, axis);
    if (!(size > 1e-9 && depth > 1e-9)) return INFINITY;
    const Vec3 normal = across * (1 / size);
    const double tilt = dot(normal, axis);
    return focal_ * dot(normal, ray) / depth / std::sqrt(std::max(1e-12, 1 - tilt * tilt));
  }

  Vec3 turn(const Vec3& v) const {
    return {rotation_(0, 0) * v.x + rotation_(0, 1) * v.y + rotation_(0, 2) * v.z,
            rotation_(1, 0) * v.x + rotation_(1, 1) * v.y + rotation_(1, 2) * v.z,
            rotation_(2, 0) * v.x + rotation_(2, 1) * v.y + rotation_(2, 2) * v.z};
  }

  // Parameters 0-2 turn B's rays about the world axes, 3-4 the baseline
  // about two axes square to it.
  RelativeGeometry moved(int k, double angle) const {
    RelativeGeometry out = *this;
    if (k < 3) {
      cv::Vec3d axis(0, 0, 0);
      axis[k] = angle;
      cv::Matx33d turn;
      cv::Rodrigues(axis, turn);
      out.rotation_ = turn * rotation_;
    } else {
      const Vec3 helper = std::fabs(baseline_.x) < 0.9 ? Vec3{1, 0, 0} : Vec3{0, 1, 0};
      const Vec3 side = unit(cross(baseline_, helper));
      const Vec3 up = cross(baseline_, side);
      out.baseline_ = unit(baseline_ + (k == 3 ? side : up) * angle);
    }
    return out;
  }

  cv::Matx33d rotation_ = cv::Matx33d::eye();
  Vec3 baseline_;
  Vec3 axis_a_, axis_b_;
  double focal_;
};

// A feature of B that passed a pair's geometry as a candidate for a
// feature of A: the point in space their rays meet at, the reprojection
// error of that point under the poses (pixels, the larger of the two), and
// how well the photographs' patches around them correlate (-1 untried).
struct Candidate {
  int b = 0;
  float error_px = 0;
  float score = -1;
  Vec3 point;
};

// Candidates of one feature of A compared by the quick correlation; only
// this many of the best are compared by the full one.
constexpr std::size_t kCompared = 4;
// Every this many features of A are matched in the wide band to correct a
// pair's relative geometry.
constexpr int kWideShare = 4;
// How far a feature's position may lie from where its surface point
// appears (features found at coarse scales are placed less exactly), and
// so how far refinement searches, pixels.
constexpr double kFeatureSlack = 3.0;
// A patch correlating this well with A itself nearby is of a repeated
// pattern: its match cannot be told from its neighbours'.
constexpr double kMostSelfLike = 0.9;

}  // namespace

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
                                              double tolerance_px, int min_verified, double min_parallax_degrees,
                                              EssentialMatrix* essential_out) {
  const std::size_t enough = static_cast<std::size_t>(std::max(5, min_verified));
  if (!rays_a.usable() || !rays_b.usable()) return {};
  std::vector<FeatureMatch> usable;
  std::vector<cv::Point2d> points_a, points_b;
  for (const FeatureMatch& m : matches) {
    const auto da = rays_a.direction(a.positions[static_cast<std::size_t>(m.a)]);
    const auto db = rays_b.direction(b.positions[static_cast<std::size_t>(m.b)]);
    if (!da || !db) continue;
    usable.push_back(m);
    points_a.push_back(normalised(*da));
    points_b.push_back(normalised(*db));
  }
  if (usable.size() < enough) return {};
  const cv::Mat identity = cv::Mat::eye(3, 3, CV_64F);
  cv::Mat mask;
  cv::Matx33d rotation;
  cv::Matx33d found;
  // OpenCV reports input it cannot use by throwing: that pair verifies none.
  try {
    const cv::Mat essential = cv::findEssentialMat(points_a, points_b, identity, cv::USAC_ACCURATE, 0.9999,
                                                   tolerance_px / mean_focal(rays_a, rays_b), mask);
    if (essential.rows != 3 || essential.cols != 3) return {};
    found = cv::Matx33d(essential);
    cv::Mat turn, translation;
    cv::recoverPose(essential, points_a, points_b, identity, turn, translation, mask);
    rotation = cv::Matx33d(turn);
  } catch (const cv::Exception&) {
    return {};
  }
  if (mask.rows != static_cast<int>(usable.size()) && mask.cols != static_cast<int>(usable.size())) return {};
  std::vector<FeatureMatch> out;
  std::vector<double> parallax;
  for (std::size_t i = 0; i < usable.size(); ++i) {
    if (!mask.at<std::uint8_t>(static_cast<int>(i))) continue;
    out.push_back(usable[i]);
    // The angle between the two rays at their point: B's ray turned into A.
    const cv::Vec3d ray_a(points_a[i].x, points_a[i].y, 1);
    const cv::Vec3d ray_b = rotation.t() * cv::Vec3d(points_b[i].x, points_b[i].y, 1);
    parallax.push_back(std::acos(std::clamp(ray_a.dot(ray_b) / (cv::norm(ray_a) * cv::norm(ray_b)), -1.0, 1.0)));
  }
  // A handful of inliers is what chance gives on smooth photographs: the
  // sample's renderings verify pairs of eight or nine wrong matches. Rays
  // that meet at a glancing angle say little about the geometry either:
  // wrong matches that an essential matrix happens to fit on smooth
  // photographs meet at a few tenths of a degree, as do matches on a
  // distant background alone.
  if (out.size() < enough) return {};
  std::nth_element(parallax.begin(), parallax.begin() + static_cast<std::ptrdiff_t>(parallax.size() / 2),
                   parallax.end());
  if (!(parallax[parallax.size() / 2] >= min_parallax_degrees * kDegreesToRadians)) return {};
  if (essential_out)
    for (int k = 0; k < 9; ++k) (*essential_out)[static_cast<std::size_t>(k)] = found(k / 3, k % 3);
  return out;
}

double essential_distance_px(const EssentialMatrix& e, const Vec3& da, const Vec3& db, double focal_px) {
  if (!(da.z < 0) || !(db.z < 0)) return INFINITY;
  const cv::Point2d pa = normalised(da), pb = normalised(db);
  const cv::Matx33d m(e.data());
  const cv::Vec3d a(pa.x, pa.y, 1), b(pb.x, pb.y, 1);
  const cv::Vec3d line_b = m * a;      // B's epipolar line of A's point
  const cv::Vec3d line_a = m.t() * b;  // A's epipolar line of B's point
  const double in_b = std::fabs(b.dot(line_b)) / std::hypot(line_b[0], line_b[1]);
  const double in_a = std::fabs(a.dot(line_a)) / std::hypot(line_a[0], line_a[1]);
  const double distance = std::fabs(focal_px) * std::max(in_a, in_b);
  return std::isfinite(distance) ? distance : INFINITY;
}

SelfLikeness::SelfLikeness(std::size_t features, double spacing) : values_(features), spacing_(spacing) {
  for (std::atomic<float>& value : values_) value.store(NAN, std::memory_order_relaxed);
}

GuidedMatches guided_match(const GuidedPhotograph& pa, const GuidedPhotograph& pb, const GuidedOptions& options) {
  GuidedMatches result;
  const ImageFeatures& a = pa.features;
  const ImageFeatures& b = pb.features;
  const ProjectImage& image_a = pa.image;
  const ProjectImage& image_b = pb.image;
  if (!image_a.pose_known || !image_b.pose_known || a.size() == 0 || b.size() == 0) return result;
  const CameraRays rays_a(image_a), rays_b(image_b);
  const PatchCorrelator correlator(pa.grey, image_a, pb.grey, image_b);
  if (!correlator.usable()) return result;
  const PoseFrame frame_a = PoseFrame::of(image_a), frame_b = PoseFrame::of(image_b);
  const PreparedPose pose_a(image_a), pose_b(image_b);
  const double baseline = length(frame_a.centre - frame_b.centre);

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
  const EpipolarFan fan(frame_a.centre - frame_b.centre, directions_b);
  const double band = std::max(options.tolerance_px, options.search_px);

  // Feature i of A's candidates in B: within the band of the poses'
  // epipolar geometry, at a consistent depth, among the features near its
  // epipolar plane in `near_rays` that `keep` lets through.
  std::vector<std::vector<Candidate>> candidates(a.size());
  const auto gather = [&](int i, const EpipolarFan& near_rays, double off_plane, auto&& keep) {
    const auto& da = directions_a[static_cast<std::size_t>(i)];
    if (!da) return;
    near_rays.near_plane(*da, off_plane, [&](int j) {
      if (!keep(j)) return;
      const Vec3& db = *directions_b[static_cast<std::size_t>(j)];
      const auto meet = approach(frame_a.centre, *da, frame_b.centre, db);
      if (!meet || meet->s <= 0 || meet->t <= 0) return;
      const Vec3 point = (frame_a.centre + *da * meet->s + frame_b.centre + db * meet->t) * 0.5;
      const double depth = -frame_a.to_camera(point).z;
      if (!(depth >= near && depth <= far)) return;
      const Point2 in_a = pose_a.project(point, true);
      const Point2 in_b = pose_b.project(point, true);
      const Point2 fa = a.positions[static_cast<std::size_t>(i)];
      const Point2 fb = b.positions[static_cast<std::size_t>(j)];
      const double error = std::max(std::hypot(in_a.x - fa.x, in_a.y - fa.y), std::hypot(in_b.x - fb.x, in_b.y - fb.y));
      if (!(error <= band)) return;
      candidates[static_cast<std::size_t>(i)].push_back({j, static_cast<float>(error), -1, point});
    });
  };
  // The whole band: a ray of B off the epipolar plane of A's ray by more
  // than four times the band's angle misses it by far more than the band
  // (its point's reprojection in B is off by at least half the angle's
  // share of the focal length).
  std::vector<bool> in_whole_band(a.size(), false);
  const auto gather_whole_band = [&](int i) {
    if (in_whole_band[static_cast<std::size_t>(i)]) return;
    in_whole_band[static_cast<std::size_t>(i)] = true;
    gather(i, fan, 4 * band / std::fabs(rays_b.focal_px()), [](int) { return true; });
  };

  // A feature's candidates that `allowed` lets through by correlation: all
  // by the quick score, the best few of them by the full one. Those left
  // out keep -1 (untried), below any a match needs; a feature scored whole
  // is not scored again.
  std::vector<bool> scored_whole(a.size(), false);
  const auto score = [&](int i, auto&& allowed) {
    auto& list = candidates[static_cast<std::size_t>(i)];
    if (list.empty() || scored_whole[static_cast<std::size_t>(i)]) return;
    const auto end = std::partition(list.begin(), list.end(), [&](const Candidate& c) { return allowed(i, c); });
    if (end == list.begin()) return;
    scored_whole[static_cast<std::size_t>(i)] = end == list.end();
    const Point2 at = a.positions[static_cast<std::size_t>(i)];
    const auto quick = correlator.quick_patch(at);
    for (auto c = list.begin(); c != end; ++c)
      c->score =
          static_cast<float>(correlator.quick_score(quick, c->point, b.positions[static_cast<std::size_t>(c->b)]));
    const auto compared = std::min<std::ptrdiff_t>(kCompared, end - list.begin());
    std::partial_sort(list.begin(), list.begin() + compared, end,
                      [](const Candidate& x, const Candidate& y) { return x.score > y.score; });
    const auto coarse = correlator.coarse_patch(at);
    for (auto c = list.begin(); c != list.begin() + compared; ++c)
      c->score = static_cast<float>(correlator.score(coarse, c->point, b.positions[static_cast<std::size_t>(c->b)]));
  };
  const auto everything = [](int, const Candidate&) { return true; };
  const auto score_whole_band = [&](int i, auto&& allowed) {
    gather_whole_band(i);
    score(i, allowed);
  };

  // The matches among the candidates `allowed` lets through: each feature
  // of A its best candidate when that correlates well and clearly better
  // than the second (the dots of a repeated pattern all correlate alike);
  // then mutual, each feature of B keeping its best of A; then each moved
  // to its correlation's peak near B's feature and kept when that is high,
  // `fits` the geometry, and, when `strict`, stands out along the
  // epipolar line with neither patch like its own surroundings (checked
  // last, the most costly). What does not depend on the geometry is
  // worked out once for each pair of features.
  struct Verdict {
    int b = -1;
    std::optional<Point2> position;  // in B; none when the match fails
    std::optional<bool> distinct;    // not yet checked: none
  };
  std::vector<Verdict> verdicts(a.size());
  // Each photograph's own features' self-likeness, shared with its other
  // pairs when it brings one at this pair's spacing.
  std::optional<SelfLikeness> own_a, own_b;
  const auto likeness = [&](const GuidedPhotograph& p, std::optional<SelfLikeness>& own) -> SelfLikeness& {
    if (p.self_likeness && p.self_likeness->spacing() == correlator.spacing()) return *p.self_likeness;
    return own.emplace(p.features.size(), correlator.spacing());
  };
  SelfLikeness& like_a = likeness(pa, own_a);
  SelfLikeness& like_b = likeness(pb, own_b);
  const auto judged = [&](int i, const Candidate& c) {
    Verdict& v = verdicts[static_cast<std::size_t>(i)];
    if (v.b == c.b) return v.position;
    v = {c.b, std::nullopt, std::nullopt};
    const Point2 at = a.positions[static_cast<std::size_t>(i)];
    const auto moved = correlator.refine(at, c.point, b.positions[static_cast<std::size_t>(c.b)], kFeatureSlack);
    if (!moved || moved->score < options.min_refined_score) return v.position;
    v.position = moved->position;
    return v.position;
  };
  // Whether a match judged good stands out: along the epipolar line, and
  // neither patch like its own surroundings.
  const auto distinct = [&](int i, const Candidate& c) {
    Verdict& v = verdicts[static_cast<std::size_t>(i)];
    if (!v.distinct)
      v.distinct = [&] {
        const Point2 at = a.positions[static_cast<std::size_t>(i)];
        if (correlator.lead_on_line(at, c.point, *v.position, near, far) < options.score_margin) return false;
        if (like_a.at(static_cast<std::size_t>(i), [&] { return correlator.self_rival(at, false); }) >= kMostSelfLike)
          return false;
        const Point2 in_b = b.positions[static_cast<std::size_t>(c.b)];
        return like_b.at(static_cast<std::size_t>(c.b), [&] { return correlator.self_rival(in_b, true); }) <
               kMostSelfLike;
      }();
    return *v.distinct;
  };
  struct Refined {
    FeatureMatch match;
    Point2 position;  // in B
  };
  const auto pick = [&](auto&& allowed, auto&& fits, bool strict) {
    struct Choice {
      const Candidate* c = nullptr;
    };
    std::vector<Choice> chosen(a.size());
    for (int i = 0; i < static_cast<int>(a.size()); ++i) {
      const auto& list = candidates[static_cast<std::size_t>(i)];
      const Candidate* best = nullptr;
      for (const Candidate& c : list)
        if (allowed(i, c) && (!best || c.score > best->score)) best = &c;
      if (!best || best->score < options.min_score) continue;
      // The second best elsewhere: features of B a few pixels apart are
      // one surface point found twice (at two scales), not a rival.
      const Point2 at = b.positions[static_cast<std::size_t>(best->b)];
      double second = -1;
      for (const Candidate& c : list) {
        const Point2 p = b.positions[static_cast<std::size_t>(c.b)];
        if (&c != best && allowed(i, c) && std::hypot(p.x - at.x, p.y - at.y) > 2 * kFeatureSlack)
          second = std::max(second, double{c.score});
      }
      if (best->score - second >= options.score_margin) chosen[static_cast<std::size_t>(i)].c = best;
    }
    std::vector<int> owner(b.size(), -1);
    for (int i = 0; i < static_cast<int>(a.size()); ++i) {
      const Candidate* c = chosen[static_cast<std::size_t>(i)].c;
      if (!c) continue;
      int& o = owner[static_cast<std::size_t>(c->b)];
      if (o < 0 || c->score > chosen[static_cast<std::size_t>(o)].c->score) o = i;
    }
    std::vector<Refined> out;
    for (int i = 0; i < static_cast<int>(a.size()); ++i) {
      const Candidate* c = chosen[static_cast<std::size_t>(i)].c;
      if (!c || owner[static_cast<std::size_t>(c->b)] != i) continue;
      const auto position = judged(i, *c);
      if (position && fits(i, *position) && (!strict || distinct(i, *c))) out.push_back({{i, c->b}, *position});
    }
    return out;
  };
  const auto direction_b = [&](Point2 p) -> std::optional<Vec3> {
    const auto d = rays_b.direction(p);
    if (!d) return std::nullopt;
    return frame_b.to_world_direction(*d * (1 / length(*d)));
  };

  // The wide band's matches correct the pair's relative geometry, free of
  // the poses' errors; their candidates within a narrower band of it are
  // matched again and correct it once more; then every feature is matched
  // within `tolerance_px` of it (the features within that and their own
  // slack; the refined positions within it). The correction needs only a
  // share of the features (every kWideShare-th, spread over the
  // photograph as the detector's tiles are), and the rest are scored near
  // the corrected lines alone, a small part of the wide band's
  // candidates. When the share cannot correct the geometry, every feature
  // is tried in the wide band; too few even so, the matches are those
  // about the poses' reprojection. The matches that only correct the
  // geometry are not checked for standing out (`strict`): wrong ones have
  // little say in the correction.
  RelativeGeometry geometry(frame_a, frame_b, mean_focal(rays_a, rays_b));
  const auto rays_of = [&](const std::vector<Refined>& found) {
    std::vector<std::pair<Vec3, Vec3>> rays;
    for (const Refined& m : found)
      if (const auto db = direction_b(m.position))
        rays.emplace_back(*directions_a[static_cast<std::size_t>(m.match.a)], *db);
    return rays;
  };
  const auto within = [&](double px) {
    return [&, px](int i, const Candidate& c) {
      return geometry.distance_px(*directions_a[static_cast<std::size_t>(i)],
                                  *directions_b[static_cast<std::size_t>(c.b)]) <= px + kFeatureSlack;
    };
  };
  const auto fits_within = [&](double px) {
    return [&, px](int i, Point2 position) {
      const auto db = direction_b(position);
      return db && geometry.distance_px(*directions_a[static_cast<std::size_t>(i)], *db) <= px;
    };
  };
  const auto anywhere = [](int, Point2) { return true; };
  std::vector<Refined> matches;
  bool corrected = band > options.tolerance_px;
  if (corrected) {
    const double narrower = std::max(options.tolerance_px, band / 4);
    for (int i = 0; i < static_cast<int>(a.size()); i += kWideShare) score_whole_band(i, everything);
    auto refined = geometry.refined(rays_of(pick(everything, anywhere, false)), band, narrower);
    if (!refined) {
      for (int i = 0; i < static_cast<int>(a.size()); ++i) score_whole_band(i, everything);
      refined = geometry.refined(rays_of(pick(everything, anywhere, false)), band, narrower);
    }
    // The features scored whole correct it once more, then every feature
    // is matched near its corrected lines.
    if (refined) {
      geometry = *refined;
      refined = geometry.refined(rays_of(pick(within(narrower), fits_within(narrower), false)), narrower,
                                 options.tolerance_px);
    }
    corrected = refined.has_value();
    if (corrected) {
      geometry = *refined;
      // The features not gathered yet, only near the corrected lines (a
      // distance from them is at least the focal length times the angle
      // to the plane).
      std::vector<std::optional<Vec3>> turned_b(directions_b.size());
      for (std::size_t j = 0; j < turned_b.size(); ++j)
        if (directions_b[j]) turned_b[j] = geometry.turned(*directions_b[j]);
      const EpipolarFan corrected_fan(geometry.baseline(), turned_b);
      const double reach = options.tolerance_px + kFeatureSlack;
      for (int i = 0; i < static_cast<int>(a.size()); ++i)
        if (!in_whole_band[static_cast<std::size_t>(i)])
          gather(i, corrected_fan, reach / geometry.focal_px(), [&](int j) {
            return geometry.distance_px(*directions_a[static_cast<std::size_t>(i)],
                                        *directions_b[static_cast<std::size_t>(j)]) <= reach;
          });
      for (int i = 0; i < static_cast<int>(a.size()); ++i) score(i, within(options.tolerance_px));
      matches = pick(within(options.tolerance_px), fits_within(options.tolerance_px), true);
    }
  }
  if (!corrected) {
    const auto near_poses = [&](int, const Candidate& c) { return c.error_px <= options.tolerance_px + kFeatureSlack; };
    for (int i = 0; i < static_cast<int>(a.size()); ++i) score_whole_band(i, near_poses);
    matches = pick(
        near_poses,
        [&](int i, Point2 position) {
          const auto point = correlator.triangulate(a.positions[static_cast<std::size_t>(i)], position);
          if (!point) return false;
          const Point2 in_a = pose_a.project(*point, true), in_b = pose_b.project(*point, true);
          const Point2 fa = a.positions[static_cast<std::size_t>(i)];
          return std::max(std::hypot(in_a.x - fa.x, in_a.y - fa.y),
                          std::hypot(in_b.x - position.x, in_b.y - position.y)) <= options.tolerance_px;
        },
        true);
  }
  for (const auto& list : candidates) result.candidates += static_cast<int>(list.size());
  for (const Refined& m : matches) {
    result.matches.push_back(m.match);
    result.positions_b.push_back(m.position);
  }
  return result;
}

}  // namespace plenvista
