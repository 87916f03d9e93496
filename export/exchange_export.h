#pragma once

// Exchange files for other programs: the model's points and the located
// cameras as comma-separated text (a header line first) and the cameras as
// JSON. Lines end with CR LF; numbers are the shortest text that reads back
// to the same double, independent of the locale (a number that is not
// finite is written "nan", "inf" or "-inf" in CSV and 0 in JSON). Texts
// are UTF-8; CSV fields are quoted when needed. No failure cases: the
// caller writes the text (atomically) and reports a failed write.
//
// Model points: "id,layer,X,Y,Z", model units, or export units through the
// export transform of the project's export settings (origin offset, z
// negated unless "Reverse Z axis", scale when "Use Scaling").
//
// Cameras (model/located_camera.h): "image_id,file,X,Y,Z,rotation_x,
// rotation_y,rotation_z,focal_x,focal_y,principal_x,principal_y,width,height,
// m00,m01,...,m33" with the world-from-camera matrix row by row; the JSON
// document holds the same as {"cameras": [{"image_id", "file", "position",
// "rotation_degrees", "world_from_camera" (four rows), "focal_length_px",
// "principal_point_px", "size_px"}], "camera_frame", "rotation_order"}.

#include <string>
#include <vector>

#include "model/located_camera.h"
#include "model/project.h"

namespace plenvista {

std::string model_points_csv(const Project& project, bool transformed);

std::string cameras_csv(const std::vector<LocatedCamera>& cameras);
std::string cameras_json(const std::vector<LocatedCamera>& cameras);

}  // namespace plenvista
