#pragma once

// A located photograph's camera as other programs describe cameras: where it
// stands, how it is turned, and the pinhole camera closest to its grid
// camera. World units are model units; pixels are photograph pixels from
// its top-left corner, x right, y down.
//
// The camera frame is the program's: x right, y up, looking along -z. The
// world-from-camera matrix (row-major, last row 0 0 0 1) takes camera-frame
// coordinates to world coordinates; a world point p in front of the camera
// (camera-frame c with c.z < 0) shows at
//   (principal_x + focal_x * c.x / -c.z, principal_y - focal_y * c.y / -c.z).
//
// The pinhole approximation of a grid camera: its focal lengths are the
// grid's mean pixel pitch per mm across the whole traced grid, times the
// calibration distance; its principal point is where the grid's reference
// intersection (the one the projection measures from) shows, mapped into
// the photograph like every projected position (a photograph of another
// size than the camera's through its scale and centre). For a grid traced
// from an ideal lens the approximation projects exactly as the grid does.

#include <array>
#include <string>
#include <vector>

#include "base/vec3.h"
#include "model/image_set.h"

namespace plenvista {

struct LocatedCamera {
  int image_id = 0;
  std::string file_name;
  Vec3 position;  // the optical centre (the pose's offset negated)
  Vec3 rotation;  // degrees about X, Y, Z as the pose stores them
  std::array<double, 16> world_from_camera{};
  double focal_x = 0.0;  // pixels
  double focal_y = 0.0;
  Point2 principal_point;
  int width = 0;  // photograph size in pixels
  int height = 0;
};

// Every image with a known pose and a camera with grid tables, in list order.
std::vector<LocatedCamera> located_cameras(const ImageSet& images);

}  // namespace plenvista
