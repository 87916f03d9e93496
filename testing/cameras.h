#pragma once

// Grid cameras for tests: 10 mm cells photographed from 100 mm, all 31
// slots of the corner rows 0..rows filled, cell table derived.
// grid_camera: corners on a slightly sheared and bent lattice (so
// neighbouring edges differ). pinhole_camera: corners at a regular pitch, an
// ideal pinhole of focal length 10 x pitch pixels for a 2272 x 1704 frame
// centred on the reference intersection (row 7, column 10).

#include "model/camera_model.h"

namespace plenvista::test_support {

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

inline CameraModel pinhole_camera(double pitch = 100.0) {
  CameraModel camera;
  allocate_tables(camera, 14, 20);
  camera.centre_x = 1136;
  camera.centre_y = 852;
  for (int r = 0; r <= 14; ++r)
    for (int c = 0; c < kCornerSlots; ++c)
      camera.corner(r, c) = {camera.centre_x + (c - 10) * pitch, camera.centre_y + (r - 7) * pitch};
  derive_cells(camera);
  return camera;
}

}  // namespace plenvista::test_support
