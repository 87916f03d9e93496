#pragma once

// The 3D position of a feature clicked in two located photographs, found by
// a coarse-to-fine pattern search that minimises the sum of the two
// normalised reprojection errors.
//
// Clicks are photograph pixels (x right, y down); both are made relative to
// the first image's centre (every image carries the camera's centre). The
// result is in model units. The search starts at the origin with steps of
// 100 units and halves them down to 100/512; it cannot fail, but it has no
// depth test, so a point behind a camera may be returned for clicks that no
// point in front explains.

#include "base/vec3.h"
#include "model/image_records.h"
#include "model/project.h"

namespace plenvista {

Vec3 point_triangulation(Point2 click_a, Point2 click_b, const ProjectImage& a, const ProjectImage& b);

// The image view's point creation once its own checks have passed (Create
// mode, the "Vertex" tab, partner mode on, calibration mode off): the
// current image and its partner, `click_current` and `click_partner` being
// the last release in each (photograph pixels). Nothing happens (null)
// without a current image or partner, or when either pose is unknown;
// otherwise "Add Point" at the result, then Note change.
ModelPoint* add_point_from_partner_clicks(Project& project, Point2 click_current, Point2 click_partner);

}  // namespace plenvista
