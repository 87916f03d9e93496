#pragma once

// ImageSet: the photographs of a project, the current image, the one camera
// every image points to, and the image list panel's modes.

#include <optional>

#include "base/vec3.h"
#include "model/camera_model.h"
#include "model/id_list.h"
#include "model/image_records.h"

namespace plenvista {

struct ImageSet {
  IdList<ProjectImage> images{20, 20};
  ProjectImage* current = nullptr;
  std::optional<Vec3> pending_world_position;  // given to the next reference point marked
  int pending_control_point_id = 0;            // the control point it came from, 0 none
  Point2 last_clicked;
  CameraModel camera;
  bool partner_mode = false;
  bool calibration_mode = false;
  bool reference_points_only = false;

  ImageSet() = default;
  ImageSet(const ImageSet&) = delete;
  ImageSet& operator=(const ImageSet&) = delete;
};

}  // namespace plenvista
