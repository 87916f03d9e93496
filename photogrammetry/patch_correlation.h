#pragma once

// Comparing small patches of two oriented photographs by normalised
// cross-correlation, A's patch carried into B through the local affine map
// of a surface through the patch's point in space.
//
// A surface's orientation at a point is not known, so a few are tried: the
// plane facing both photographs equally (the bisector of the two viewing
// directions) and planes tilted from it by 30, 45 and 60 degrees, either way
// along and across the baseline; a score is the best of them. The map is
// the derivative of the plane's transfer from A to B at A's pixel (a 2 x 2
// matrix, from three rays of A cut with the plane and projected into B), so
// a patch costs one bilinear sample a pixel.
//
// Scores run from -1 to 1; a patch of A without texture (grey levels
// varying by less than two), one reaching outside either photograph, or a
// surface seen edge-on by either photograph scores -1. refine() moves B's
// position to the correlation's peak within `reach_px` (both directions:
// poses oriented from a few marks put the epipolar lines a few pixels off),
// to a fraction of a pixel by a parabola through the peak and its
// neighbours; none when the peak lies on the edge of the search.
//
// Positions are absolute photograph pixels (x right, y down); points in
// model units. Both images must have `pose_known` set. A correlator keeps
// the rays of the pixel it last compared: one thread uses it at a time.

#include <array>
#include <cmath>
#include <optional>

#include "model/image_records.h"
#include "photogrammetry/camera_rays.h"
#include "photogrammetry/grey_image.h"
#include "photogrammetry/projection.h"

namespace plenvista {

struct PatchMatch {
  Point2 position;    // in B
  double score = -1;  // the correlation there
};

class PatchCorrelator {
 public:
  static constexpr int kSurfaces = 13;

  // A patch of A sampled once: (2 radius + 1)^2 samples `step` pixels
  // apart around `centre`, less their mean, and their norm.
  template <int Radius>
  struct Patch {
    static constexpr int kSide = 2 * Radius + 1;
    Point2 centre;
    double step = 1;
    std::array<float, kSide * kSide> values{};
    double norm = 0;  // 0: no texture, or outside A
  };
  // Sample spacings for photographs up to 1200 px wide; wider ones as
  // much farther apart, so that a patch covers as much of the scene.
  using QuickPatch = Patch<2>;   // 5 x 5 samples 3 px apart
  using CoarsePatch = Patch<4>;  // 9 x 9 samples 2 px apart
  using FinePatch = Patch<8>;    // 17 x 17 samples 1 px apart

  // The images and photographs must outlive this.
  PatchCorrelator(const GreyImage& grey_a, const ProjectImage& image_a, const GreyImage& grey_b,
                  const ProjectImage& image_b);
  bool usable() const { return usable_; }
  // Pixels between a fine patch's samples (the coarser ones' are multiples).
  double spacing() const { return spacing_; }

  QuickPatch quick_patch(Point2 pa) const;
  CoarsePatch coarse_patch(Point2 pa) const;

  // The quick score: the bisector and the two planes tilted 60 degrees
  // across the baseline only (the ground and the faces of things seen from
  // above or below).
  double quick_score(const QuickPatch& patch, const Vec3& point, Point2 pb) const;
  // The best score over all the trial surfaces.
  double score(const CoarsePatch& patch, const Vec3& point, Point2 pb) const;
  std::optional<PatchMatch> refine(Point2 pa, const Vec3& point, Point2 pb, double reach_px) const;
  // How much better A's patch at pa correlates at pb than anywhere else
  // along its epipolar line in B (the line through pb, parallel to the
  // poses' one): points along A's ray at depths in A from `near` to `far`
  // (model units, far possibly infinite) about a pixel apart in B, the
  // surface the one that fits best at pb, the slopes of pb's own peak left
  // out. -1 when the patch cannot be compared at pb.
  double lead_on_line(Point2 pa, const Vec3& point, Point2 pb, double near, double far) const;

  // The best correlation of A's patch at p with A itself up to 40 px
  // away, past the slope of its own peak (or B's with B): high on a
  // repeated pattern. -1 without texture.
  double self_rival(Point2 p, bool in_b) const;

  // The point in space of A's pixel pa and B's pixel pb: the middle of the
  // rays' closest approach; none behind either photograph.
  std::optional<Vec3> triangulate(Point2 pa, Point2 pb) const;

 private:
  using Affine = std::array<double, 4>;  // B's offset = (m0 u + m1 v, m2 u + m3 v) for A's (u, v)

  template <int Radius>
  static Patch<Radius> sample(const GreyImage& grey, Point2 centre, double step);
  template <int Radius>
  double correlate(const Patch<Radius>& patch, const Affine& map, Point2 pb) const;
  template <int Radius>
  static double correlate_in(const GreyImage& grey, const Patch<Radius>& patch, const Affine& map, Point2 pb);
  // The trial surface whose map correlates best at pb: no map when none
  // scores above -1.
  struct Surface {
    double score = -1;
    std::optional<Affine> map;
    Vec3 normal;
  };
  Surface best_surface(const CoarsePatch& patch, const Vec3& point, Point2 pb) const;
  std::array<Vec3, kSurfaces> surfaces(const Vec3& point) const;
  std::optional<Affine> affine(Point2 pa, const Vec3& point, const Vec3& normal) const;

  const GreyImage& grey_a_;
  const GreyImage& grey_b_;
  CameraRays rays_a_, rays_b_;
  PoseFrame frame_a_, frame_b_;
  PreparedPose pose_a_;
  double spacing_;  // pixels between a fine patch's samples
  PreparedPose pose_b_;
  bool usable_ = false;
  // The world directions of A's rays through the pixel last compared and
  // its neighbours to the right and below (so one correlator serves one
  // thread).
  struct Footprint {
    Point2 pixel{NAN, NAN};
    std::array<Vec3, 3> rays;
    bool usable = false;
  };
  mutable Footprint footprint_;
};

}  // namespace plenvista
