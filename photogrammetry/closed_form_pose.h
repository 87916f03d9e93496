#pragma once

// A camera pose computed directly (no search) from a photograph's reference
// points, as a start for the search's refinement.
//
// The grid camera is approximated by a pinhole: a straight-line fit of the
// corner table's pixel positions against the intersections' positions on
// the calibration grid gives the focal lengths (pixels per unit of x/depth
// and y/depth) and the pixel position of the optical axis. Every marked
// image position then gives a viewing direction, and the pose follows from
// four or more directions by the perspective-n-point method with four
// virtual control points (their camera-frame positions are found as a
// combination of the null vectors of a 2n x 12 system, scaled so that their
// mutual distances match the world's, then the rigid motion is fitted).
//
// Frames: world units in, the returned pose in the program's convention
// (offset added, then rotation about Z, X, Y in degrees; camera x right,
// y up, looking along -z). The result is the pinhole's fit, not the grid
// camera's: callers refine it through the real projection.
//
// Failure (nullopt): fewer than four reference points, no camera or no grid
// tables, a fit without a usable scale, reference points nearly on one
// plane or line or at one place, or a solution that puts any reference
// point at or behind the camera.

#include <array>
#include <optional>

#include "model/image_records.h"

namespace plenvista {

// The pose of a camera at `eye` whose world-to-camera rotation has the
// camera's right, up and backward axes (unit, orthogonal, right-handed) as
// its rows.
CameraPose pose_from_axes(const Vec3& eye, const std::array<Vec3, 3>& axes);

// How the reference points' world positions spread: the standard
// deviations along their three principal axes, largest first.
std::array<double, 3> reference_point_spread(const ProjectImage& image);

// The reference points give no camera position at all: fewer than four of
// them, or all at one place or on one line.
bool reference_points_degenerate(const ProjectImage& image);

std::optional<CameraPose> closed_form_pose(const ProjectImage& image);

}  // namespace plenvista
