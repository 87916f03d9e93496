#include "photogrammetry/camera_model.h"

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
      v = {tl.x, tl.y, tr.x, tr.y, bl.x, bl.y, br.x, br.y,
           (tr.x - tl.x) / camera.cell_width_mm, (br.x - bl.x) / camera.cell_width_mm,
           (bl.y - tl.y) / camera.cell_height_mm, (br.y - tr.y) / camera.cell_height_mm};
    }
  }
  camera.cells_ready = 1;
}

namespace {

// trunc(position / size) as a cell index in 0..count-1: indices at or above
// the count take the last cell, negative ones the first, and a non-finite
// position cell 0, all without converting an out-of-range double.
int cell_index(double position, double size, int count) {
  const double index = std::trunc(position / size);
  if (!std::isfinite(index)) return 0;
  if (index >= count) return count - 1;
  if (index < 0) return 0;
  return static_cast<int>(index);
}

}  // namespace

Point2 grid_lookup(CameraModel& camera, double depth, double x, double y) {
  if (!camera.cells_ready) derive_cells(camera);
  return grid_lookup_ready(camera, depth, x, y);
}

Point2 grid_lookup_ready(const CameraModel& camera, double depth, double x, double y) {
  if (!camera.has_tables()) {
    const double nan = std::numeric_limits<double>::quiet_NaN();
    return {nan, nan};
  }
  const double cw = camera.cell_width_mm;
  const double ch = camera.cell_height_mm;
  const double s = camera.distance_mm / depth;
  const double gx = x * s + (camera.columns / 2) * cw;
  const double gy = y * s + (camera.rows / 2) * ch;
  const int j = cell_index(gx, cw, std::clamp(camera.columns, 1, kMaxGridCells));
  const int i = cell_index(gy, ch, std::clamp(camera.rows, 1, kMaxGridCells));
  const double fx = (gx - j * cw) / cw;
  const double fy = (gy - i * ch) / ch;
  const auto& v = camera.cell(i, j).v;
  const double u = fx < 0.5 ? v[2] - v[0] : v[6] - v[4];
  const double w = fy < 0.5 ? v[5] - v[1] : v[7] - v[3];
  return {fx * u + v[0] - camera.centre_x, fy * w + v[1] - camera.centre_y};
}

}  // namespace plenvista
