#pragma once

// Sub-pixel marking: a rough click on a photograph is moved onto the
// feature under it, a round target or a corner, before it becomes a mark.
//
// Positions are photograph pixels measured from the photograph's top-left
// corner, x right, y down, as marks are stored: pixel (i, j) covers i..i+1
// and j..j+1, so its centre is (i + 0.5, j + 0.5). `radius` (photograph
// pixels, taken within 1..64) is how far from the click the feature may
// lie; snap_radius_for_zoom gives the one that matches a view's zoom.
//
// - A round target (a bright, dark or coloured disc, or a shaded sphere, on
//   a contrasting ground, whole or cut by the photograph's edge, up to about
//   100 pixels across) is taken as the centre of the ellipse fitted to its
//   edge. The target is what differs in colour from the ground around it (a
//   red ball on grey cloth as well as a white disc on black); its edge is
//   found to a fraction of a pixel along rays from its middle, where the
//   colour difference falls halfway, and stretches that fall gently (the
//   dark side of a sphere fading into a ground of its own level) are left
//   out. When less than four fifths of the outline is seen, a circle is
//   fitted instead of an ellipse. Measured on anti-aliased, slightly
//   blurred and noisy targets 20 to 30 pixels across clicked up to 3 pixels
//   off: flat discs 0.010 px rms for the edge ellipse against 0.008 px for
//   the intensity-weighted centroid, but shaded spheres 0.05 px against
//   several pixels, as the shading pulls the centroid towards the light;
//   so the edge ellipse is used.
// - A corner (two edges meeting) is the least-squares point at which the
//   image gradients around it point (OpenCV's cornerSubPix on grey levels
//   along the colour axis on which the neighbourhood varies most), started
//   from the strongest corner response within the radius.
//
// A target is tried first, then a corner. When neither fits well (too
// little contrast against the noise, a poor edge fit, a feature farther
// away than the radius) the kind is None and the position is the click.
// `confidence` (0..1) says how well the feature fitted: 1 for an edge that
// lies on its ellipse or gradients that meet in one point, less as the
// scatter grows; 0 for None.

#include <vector>

#include "base/vec3.h"
#include "photogrammetry/pixel_source.h"

namespace plenvista {

enum class SnapKind { None, Target, Corner };

struct SnapResult {
  Point2 position;  // the refined position, or the click
  SnapKind kind = SnapKind::None;
  double confidence = 0.0;
  double moved_px = 0.0;  // distance from the click to `position`
};

// The default radius in photograph pixels: a few screen pixels at zoom 1.
inline constexpr double kSnapRadius = 8.0;

// The radius that reaches kSnapRadius view pixels at `zoom` (view pixels
// per photograph pixel), within 3..64 photograph pixels.
double snap_radius_for_zoom(double zoom);

// Refines `click` to the feature within `radius` of it.
SnapResult snap_mark(const PixelSource& photo, Point2 click, double radius = kSnapRadius);

// The name used in reports and JSON: "target", "corner" or "none".
const char* snap_kind_name(SnapKind kind);

}  // namespace plenvista
