#pragma once

// Photographs of a project and the reference points marked in them. Image
// positions are pixels relative to the image centre (`centre_x`, `centre_y`,
// copied from the camera); world positions are model units; angles degrees.

#include <array>
#include <optional>
#include <string>

#include "base/text.h"
#include "base/vec3.h"
#include "model/camera_model.h"
#include "model/camera_pose.h"
#include "model/id_list.h"
#include "model/model_records.h"
#include "model/zoom_pan_state.h"

namespace plenvista {

// A point of known world position marked in one photograph.
struct ReferencePoint {
  int id = 0;
  Vec3 world_position;
  Point2 image_position;      // marked pixel minus the image centre
  Point2 projected_position;  // where the last search's pose projects it, centre-relative
  bool outlier = false;       // error above 15 after the last search
  bool selected = false;      // never saved
  int control_point_id = 0;   // the control or tie point it was made from, 0 none; kept beside the project file
  // From the last orientation that used the mark (kept beside the project
  // file): its residual in pixels and whether it was reported as an outlier.
  std::optional<double> orientation_residual;
  bool orientation_outlier = false;
};

// One photograph.
struct ProjectImage {
  int id = 0;
  StoredText description = "";
  IdList<ReferencePoint> reference_points{10, 10};
  // Marks of tie points not yet placed: no world position, so they stay out
  // of the camera search and the residuals (and out of the project file).
  IdList<ReferencePoint> tie_marks{10, 10};
  CameraPose pose;
  ProjectImage* partner = nullptr;  // another image, itself, or null
  CameraModel* camera = nullptr;    // the project's one camera
  double centre_x = 0.0;
  double centre_y = 0.0;
  StoredText file_name = "";                 // without directory
  std::optional<std::string> resolved_path;  // where the file was found
  ZoomPanState view;                         // the image view's zoom and scroll for this photograph
  bool marks_changed = false;                // reference points changed since the last search
  double search_score = 0.0;                 // percent
  bool pose_known = false;
  int pixel_width = 0;
  int pixel_height = 0;
  double texture_centre_x = 0.0;
  double texture_centre_y = 0.0;
  double texture_scale = 1.0;
  bool size_differs = false;  // the photograph is not of the camera's native size
};

}  // namespace plenvista
