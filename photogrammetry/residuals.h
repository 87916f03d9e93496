#pragma once

// How well a located photograph and a triangulated point fit their marks,
// for the user to judge: nothing here is stored in the project file, every
// value is recomputed from the current poses when asked for.
//
// Residuals are in pixels of the photograph itself (not normalised to a
// 2272 x 1704 frame): the projected position minus the marked one, x to the
// right, y down. A reference point's outlier flag is the one the last camera
// search stored (normalised error above 15), so it agrees with the crosses
// the image view draws. Ray angles are in degrees, between the two lines of
// sight from the camera centres (-offset of each pose, model units) to the
// point. Images without a camera project to NaN, so their residuals are NaN.

#include <cstddef>
#include <string>
#include <vector>

#include "base/colour.h"
#include "base/vec3.h"
#include "model/image_records.h"

namespace plenvista {

struct ReferenceResidual {
  const ReferencePoint* point = nullptr;
  Point2 delta;          // projected minus marked, photograph pixels
  double length = 0.0;   // |delta|
  bool outlier = false;  // the search's flag
};

struct ImageResiduals {
  std::vector<ReferenceResidual> points;  // in id order
  double rms = 0.0;                       // root mean square of the lengths; 0 without points
};

// Residuals of every reference point of the image under its current pose.
ImageResiduals image_residuals(const ProjectImage& image);

// Positions in `points` ordered by residual length, largest first (NaN
// last, ties by id).
std::vector<std::size_t> largest_first(const ImageResiduals& residuals);

// How a residual looks to the eye: small (below 2 pixels, what careful
// clicks on a calibrated camera give), medium (below 5), large.
enum class ResidualGrade { Small, Medium, Large };
inline ResidualGrade residual_grade(double pixels) {
  if (pixels < 2.0) return ResidualGrade::Small;
  if (pixels < 5.0) return ResidualGrade::Medium;
  return ResidualGrade::Large;
}
// The colour residual lines are drawn in: green, yellow, red by grade.
inline Colour residual_colour(double pixels) {
  switch (residual_grade(pixels)) {
    case ResidualGrade::Small:
      return make_colour(40, 210, 40);
    case ResidualGrade::Medium:
      return make_colour(250, 200, 0);
    case ResidualGrade::Large:
      break;
  }
  return make_colour(255, 40, 30);
}

// Rays closer than this many degrees fix a point's depth poorly.
inline constexpr double kWeakRayAngle = 2.0;

struct PointFit {
  Point2 delta_a;  // projection minus click in image A, photograph pixels
  Point2 delta_b;
  double error_a = 0.0;  // |delta_a|
  double error_b = 0.0;
  double ray_angle = 0.0;  // degrees, 0..180
  bool weak() const { return !(ray_angle >= kWeakRayAngle); }
};

// The camera centre of an image in world coordinates: -offset.
inline Vec3 camera_centre(const ProjectImage& image) { return image.pose.offset * -1.0; }

// The angle at `point` between the lines of sight from the two centres;
// 0 when the point lies on a centre.
double ray_angle_degrees(const Vec3& point, const Vec3& centre_a, const Vec3& centre_b);

// The fit of a point made from clicks in two photographs (photograph
// pixels, as given to point_triangulation).
PointFit point_fit(const Vec3& point, Point2 click_a, Point2 click_b, const ProjectImage& a, const ProjectImage& b);

// "Point 17: reprojection 0.42 px and 0.61 px, rays 23.5 degrees apart",
// with " - rays closer than 2 degrees fix its depth poorly" for weak rays.
std::string point_fit_summary(int point_id, const PointFit& fit);

}  // namespace plenvista
