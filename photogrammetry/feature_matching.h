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
// twentieth of the baseline when there are none. Because the geometry has
// already removed most wrong candidates, the ratio test runs among the
// remaining candidates only, with a looser ratio; a match must still stand
// out, if only slightly, from the nearest feature anywhere else in B (the
// dots of a repeated pattern all look alike), and be mutual. The band is
// wide because poses oriented from a few hand-placed marks are off by a
// few tenths of a degree, which is several pixels on the epipolar line:
// the matches in it fit the pair's own essential matrix (RANSAC at
// `tolerance_px`), and the candidates within `tolerance_px` of its
// epipolar lines are matched again. When fewer than fifteen fit it, the
// candidates within `tolerance_px` of the poses' reprojection are.
// `candidates` counts the pairs of features within the wide band.
//
// Positions are absolute photograph pixels (x right, y down); world points
// in model units. Feature indices refer to the ImageFeatures given.

#include <array>
#include <vector>

#include "model/image_records.h"
#include "photogrammetry/camera_rays.h"
#include "photogrammetry/image_features.h"

namespace plenvista {

struct FeatureMatch {
  int a = 0;
  int b = 0;
  friend bool operator==(const FeatureMatch&, const FeatureMatch&) = default;
};

int hamming_distance(const std::uint8_t* a, const std::uint8_t* b, int bytes);

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
  double tolerance_px = 0.75;   // the final band: distance from the epipolar line, pixels
  double search_px = 12.0;      // the first band: the poses' reprojection error, pixels
  double ratio = 0.9;           // among the candidates on the epipolar line
  double distinct_ratio = 0.9;  // against the nearest feature anywhere else
  std::vector<Vec3> known_points;
};

struct GuidedMatches {
  std::vector<FeatureMatch> matches;
  int candidates = 0;
};

// Both images must have `pose_known` set and usable rays; otherwise none.
GuidedMatches guided_match(const ImageFeatures& a, const ProjectImage& image_a, const ImageFeatures& b,
                           const ProjectImage& image_b, const GuidedOptions& options = {});

}  // namespace plenvista
