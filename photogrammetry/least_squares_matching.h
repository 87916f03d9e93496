#pragma once

// Least-squares matching: where a patch of photograph A appears in
// photograph B, to a small fraction of a pixel, when neither pose is known.
//
// B's patch is A's carried through an affine map (a shift and a 2 x 2
// matrix on A's offsets from the patch centre), and B's grey levels may
// differ from A's by a gain and an offset. Starting from a rough position
// and map, Gauss-Newton steps move all eight to where B's resampled patch
// fits A's best in the least-squares sense, so a patch foreshortened or
// turned between the photographs is followed as well as a shifted one.
//
// local_affine gives the starting map at a place from corresponding
// positions nearby (matched features of the same two photographs): the
// least-squares affine transfer of the nearest `kLocalAffineNeighbours`
// within `radius_px` of A's position; none when fewer lie there or they
// lie on a line.
//
// match_least_squares fails (none) when A's patch reaches outside A or has
// no texture (grey levels varying by less than two), when B's reaches
// outside B, when the steps do not settle within a few tens of
// iterations, when the position moves more than `reach_px` from where it
// started, when the map shrinks or stretches the patch by more than half
// again against the starting map, or when the fitted patches correlate
// below `min_score` (normalised cross-correlation, -1..1).
//
// Positions are absolute photograph pixels (x right, y down); the patch
// has (2 radius + 1)^2 samples `spacing` pixels apart in A.

#include <array>
#include <optional>
#include <utility>
#include <vector>

#include "base/vec3.h"
#include "photogrammetry/grey_image.h"

namespace plenvista {

// B's offset from its patch centre = (m0 u + m1 v, m2 u + m3 v) for A's (u, v).
using AffineMap = std::array<double, 4>;

inline constexpr std::size_t kLocalAffineNeighbours = 8;

std::optional<AffineMap> local_affine(const std::vector<std::pair<Point2, Point2>>& correspondences, Point2 at,
                                      double radius_px);

struct LeastSquaresMatch {
  Point2 position;  // in B
  double score = -1;
};

struct LeastSquaresOptions {
  int radius = 8;
  double spacing = 1.0;  // between samples in A, pixels: patch_spacing() of the two photographs
  double reach_px = 3.0;
  double min_score = 0.8;
};

std::optional<LeastSquaresMatch> match_least_squares(const GreyImage& a, Point2 pa, const GreyImage& b, Point2 pb,
                                                     const AffineMap& start, const LeastSquaresOptions& options = {});

}  // namespace plenvista
