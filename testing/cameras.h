#pragma once

// Grid cameras for tests: 10 mm cells photographed from 100 mm, corners on
// a slightly sheared and bent lattice (so neighbouring edges differ), all 31
// slots of the corner rows 0..rows filled, cell table derived.

#include "photogrammetry/camera_model.h"

namespace plenvista::testing {

inline Point2 bent_corner(int r, int c) { return {200 + 40.0 * c + 0.3 * c * r, 150 + 30.0 * r + 0.2 * c * c}; }

inline CameraModel grid_camera(int rows, int columns) {
  CameraModel camera;
  allocate_tables(camera, rows, columns);
  for (int r = 0; r <= rows; ++r)
    for (int c = 0; c < kCornerSlots; ++c) camera.corner(r, c) = bent_corner(r, c);
  camera.centre_x = 610;
  camera.centre_y = 345;
  derive_cells(camera);
  return camera;
}

}  // namespace plenvista::testing
