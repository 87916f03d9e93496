#include "model/camera_model.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace plenvista {

bool allocate_tables(CameraModel& camera, int rows, int columns) {
  if (rows < 1 || rows > kMaxGridCells || columns < 1 || columns > kMaxGridCells) return false;
  camera.corners.assign(static_cast<std::size_t>(kCornerSlots * kCornerSlots), Point2{});
  camera.cells.assign(static_cast<std::size_t>(kMaxGridCells * kMaxGridCells), GridCell{});
  camera.rows = rows;
  camera.columns = columns;
  camera.cells_ready = 0;
  return true;
}

void derive_cells(CameraModel& camera) {
  if (!camera.has_tables()) return;
  const int rows = std::clamp(camera.rows, 0, kMaxGridCells);
  const int columns = std::clamp(camera.columns, 0, kMaxGridCells);
  for (int i = 0; i < rows; ++i) {
    for (int j = 0; j < columns; ++j) {
      const Point2 tl = camera.corner(i, j);
      const Point2 tr = camera.corner(i, j + 1);
      const Point2 bl = camera.corner(i + 1, j);
      const Point2 br = camera.corner(i + 1, j + 1);
      auto& v = camera.cell(i, j).v;
      v = {tl.x,
           tl.y,
           tr.x,
           tr.y,
           bl.x,
           bl.y,
           br.x,
           br.y,
           (tr.x - tl.x) / camera.cell_width_mm,
           (br.x - bl.x) / camera.cell_width_mm,
           (bl.y - tl.y) / camera.cell_height_mm,
           (br.y - tr.y) / camera.cell_height_mm};
    }
  }
  camera.cells_ready = 1;
}

Point2 grid_lookup(CameraModel& camera, double depth, double x, double y) {
  if (!camera.cells_ready) derive_cells(camera);
  return grid_lookup_ready(camera, depth, x, y);
}

}  // namespace plenvista
