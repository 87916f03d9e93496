#pragma once

// Matching features between two photographs of one calibrated camera.
//
// match_descriptors: each feature's nearest neighbour by descriptor, kept
// when it is clearly nearer than the second nearest (ratio test) and when
// the two features are each other's nearest (mutual best match).
//
// verify_by_essential: the geometric check of a pair whose poses are not
// known. The matches' viewing directions (through the grid camera, so lens
// distortion is already removed) give an essential matrix by the five-point
// method with RANSAC; matches farther than `tolerance_px` from their
// epipolar line, or triangulating behind either camera, are dropped. No
// consistent essential matrix, fewer than `min_verified` matches left on it
// (fifteen: what chance alone gives on smooth photographs), or rays meeting
// at a median angle under `min_parallax_degrees` (two) verify none.
//
// guided_match: the matching of a pair whose poses are both known. A
// feature of A is compared only with the features of B whose triangulated
// point reprojects within `search_px` of both features, lies in front of
// both cameras, at a depth in A consistent with the tie points already
// there (half the nearest to twice the farthest), or anywhere beyond a
// twentieth of the baseline when there are none. The candidates are
// compared not by descriptor (which changes too much between views 40
// degrees apart) but by correlating the photographs' grey levels: A's
// patch carried into B through the surface through the candidate's point
// (PatchCorrelator, a few surface orientations tried). A feature's best
// candidate is taken when it scores at least `min_score` and `score_margin`
// above the second (so the dots of a repeated pattern, all on one epipolar
// line and all alike, give no match), and mutually; B's position is then
// moved to the correlation's peak, to a fraction of a pixel, which must
// score at least `min_refined_score` and `score_margin` above any other
// place along the epipolar line, features or not; and a match whose
// feature's patch in A or B correlates at 0.9 with its own surroundings (a
// repeated pattern whose rival may lie outside B) is left out. The marks are where
// A's feature's surface point appears in B, not where B's detector put
// its feature.
// The band is wide because poses oriented from a few hand-placed marks
// are off by a few tenths of a degree, which is several pixels on the
// epipolar line: the matches in it correct the pair's relative geometry
// (robustly, at `tolerance_px`), and the candidates near its epipolar
// lines are matched again, keeping the refined positions within
// `tolerance_px` of them. Only every fourth feature of A is matched in
// the wide band and the narrower one (enough to correct the geometry, and
// most of the cost); every feature is then compared with its candidates
// near the corrected lines alone. When that share cannot correct it,
// every feature is tried in the wide band; when fewer than eight fit even
// so, the refined positions within `tolerance_px` of the poses'
// reprojection are kept.
// Features need no descriptors here (detect_corners serves).
// Photographs without texture (a plain wall, the sky) give no matches.
// `candidates` counts the pairs of features compared: within the wide band
// for the features that correct the geometry, near the corrected lines for
// the rest.
//
// Positions are absolute photograph pixels (x right, y down); world points
// in model units. Feature indices refer to the ImageFeatures given.

#include <array>
#include <atomic>
#include <cmath>
#include <vector>

#include "model/image_records.h"
#include "photogrammetry/camera_rays.h"
#include "photogrammetry/grey_image.h"
#include "photogrammetry/image_features.h"

namespace plenvista {

struct FeatureMatch {
  int a = 0;
  int b = 0;
  friend bool operator==(const FeatureMatch&, const FeatureMatch&) = default;
};

std::vector<FeatureMatch> match_descriptors(const ImageFeatures& a, const ImageFeatures& b, double ratio = 0.8);

inline constexpr int kMinVerifiedMatches = 15;
inline constexpr double kMinParallaxDegrees = 2.0;

// The essential matrix of a verified pair, row by row, on the viewing
// directions as OpenCV's normalised image points (x right, y down, the
// camera looking along +z): b^T E a = 0.
using EssentialMatrix = std::array<double, 9>;

// When the pair verifies and `essential` is given, sets it.
std::vector<FeatureMatch> verify_by_essential(const ImageFeatures& a, const CameraRays& rays_a, const ImageFeatures& b,
                                              const CameraRays& rays_b, const std::vector<FeatureMatch>& matches,
                                              double tolerance_px = 1.0, int min_verified = kMinVerifiedMatches,
                                              double min_parallax_degrees = kMinParallaxDegrees,
                                              EssentialMatrix* essential = nullptr);

// How far two viewing directions (camera frames, as CameraRays gives them)
// are from fitting `essential`: the larger distance of either from the
// other's epipolar line, in pixels at `focal_px`; infinite for a direction
// behind its camera.
double essential_distance_px(const EssentialMatrix& essential, const Vec3& da, const Vec3& db, double focal_px);

struct GuidedOptions {
  double tolerance_px = 0.75;      // the final band: distance from the epipolar line, pixels
  double search_px = 12.0;         // the first band: the poses' reprojection error, pixels
  double min_score = 0.6;          // a feature's best candidate's correlation, -1..1
  double score_margin = 0.1;       // ... above its second's
  double min_refined_score = 0.8;  // the correlation at the refined position
  std::vector<Vec3> known_points;
};

// How like its own surroundings each feature's patch is (the best
// correlation with itself nearby, PatchCorrelator::self_rival) at one
// sample spacing: worked out once for all the pairs a photograph takes
// part in. Pairs on several threads may share one; two asking at once may
// both work a value out.
class SelfLikeness {
 public:
  SelfLikeness(std::size_t features, double spacing);
  double spacing() const { return spacing_; }
  // Feature i's, from `work_out` the first time it is asked for.
  template <typename F>
  float at(std::size_t i, F&& work_out) {
    float value = values_[i].load(std::memory_order_relaxed);
    if (std::isnan(value)) {
      value = static_cast<float>(work_out());
      values_[i].store(value, std::memory_order_relaxed);
    }
    return value;
  }

 private:
  std::vector<std::atomic<float>> values_;  // NaN until worked out
  double spacing_;
};

// A photograph as guided matching reads it: its features, its pose and
// camera, its grey levels, and optionally its features' self-likeness
// shared with its other pairs (used when its spacing is the pair's).
struct GuidedPhotograph {
  const ImageFeatures& features;
  const ProjectImage& image;
  const GreyImage& grey;
  SelfLikeness* self_likeness = nullptr;
};

struct GuidedMatches {
  std::vector<FeatureMatch> matches;
  std::vector<Point2> positions_b;  // per match: where A's feature's point appears in B
  int candidates = 0;
};

// Both images must have `pose_known` set and usable rays; otherwise none.
GuidedMatches guided_match(const GuidedPhotograph& a, const GuidedPhotograph& b, const GuidedOptions& options = {});

}  // namespace plenvista
