#pragma once

// CameraModel: a camera described by a photograph of a ruled grid taken
// square-on from `distance_mm`, plus the photographed pixel position of every
// grid intersection (the corner table). Projection looks points up in the
// derived cell table, so lens distortion needs no model of its own.
//
// Units: cell sizes and distance in mm; centre, corners and native size in
// pixels of the calibration photograph (x right, y down). Row 0 of the corner
// table is the top of the grid, column 0 its left.
//
// The two tables are absent until allocated, and then always have their full
// fixed size (31 x 31 corners, 30 x 30 cells) whatever `rows` and `columns`.

#include <algorithm>
#include <array>
#include <limits>
#include <optional>
#include <string>
#include <vector>

#include "base/vec3.h"

namespace plenvista {

inline constexpr int kMaxGridCells = 30;
inline constexpr int kCornerSlots = kMaxGridCells + 1;

// One cell (row i, column j) of the derived table, P(r, c) being corners:
//  0,1 P(i,j)   2,3 P(i,j+1)   4,5 P(i+1,j)   6,7 P(i+1,j+1)
//  8 top edge px/mm, 9 bottom edge, 10 left edge, 11 right edge.
struct GridCell {
  std::array<double, 12> v{};
  friend bool operator==(const GridCell&, const GridCell&) = default;
};

struct CameraModel {
  std::optional<std::string> notes;
  int type_code = 1;
  int rows = 0;
  int columns = 0;
  double cell_width_mm = 10.0;
  double cell_height_mm = 10.0;
  double centre_x = 100.0;
  double centre_y = 100.0;
  int native_width = 2272;
  int native_height = 1704;
  std::optional<std::string> image_file;
  double distance_mm = 100.0;
  std::vector<Point2> corners;  // kCornerSlots * kCornerSlots once allocated, else empty
  std::vector<GridCell> cells;  // kMaxGridCells * kMaxGridCells once allocated, else empty
  int cells_ready = 0;

  bool has_tables() const { return !corners.empty() && !cells.empty(); }
  Point2& corner(int row, int column) { return corners[static_cast<std::size_t>(row * kCornerSlots + column)]; }
  const Point2& corner(int row, int column) const {
    return corners[static_cast<std::size_t>(row * kCornerSlots + column)];
  }
  GridCell& cell(int row, int column) { return cells[static_cast<std::size_t>(row * kMaxGridCells + column)]; }
  const GridCell& cell(int row, int column) const {
    return cells[static_cast<std::size_t>(row * kMaxGridCells + column)];
  }

  friend bool operator==(const CameraModel&, const CameraModel&) = default;
};

// Allocates fresh zeroed tables for a grid of rows x columns, replacing any
// previous tables, and clears `cells_ready`. Refused (returns false, nothing
// changed) unless both counts lie in 1..30.
bool allocate_tables(CameraModel& camera, int rows, int columns);

// Fills the cell table from the corner table for rows 0..rows-1 and columns
// 0..columns-1 and sets `cells_ready`. Does nothing without tables.
void derive_cells(CameraModel& camera);

// Looks a camera-frame point (x, y) at `depth` (mm or model units, any
// consistent unit) up in the grid and returns its pixel offset (dx, dy) from
// the camera centre, y down, with the camera's y read as if it grew
// downwards. The point is scaled onto the grid plane at `distance_mm`; the
// reference intersection is (rows div 2, columns div 2) in whole cells.
// Points outside the grid extrapolate from the nearest border cell. Depth is
// not tested: a point behind the camera goes through the centre mirrored, and
// depth 0 (or any non-finite grid position) uses cell 0 and gives a result
// that is not finite. A camera without tables gives NaN.
//
// grid_lookup derives the cell table first when `cells_ready` is 0;
// grid_lookup_ready uses the cell table as it is.
Point2 grid_lookup(CameraModel& camera, double depth, double x, double y);
inline Point2 grid_lookup_ready(const CameraModel& camera, double depth, double x, double y);

namespace detail {

// trunc(position / size) as a cell index in 0..count-1: indices at or above
// the count take the last cell, negative ones the first, and a non-finite
// quotient cell 0, all without converting an out-of-range double. The
// conversion of a quotient in (-1, count) truncates like trunc.
inline int cell_index(double position, double size, int count) {
  const double quotient = position / size;
  if (!(quotient > -1.0) || quotient == std::numeric_limits<double>::infinity()) return 0;
  if (quotient >= count) return count - 1;
  return static_cast<int>(quotient);
}

}  // namespace detail

// Defined here so that searches projecting many points inline it.
inline Point2 grid_lookup_ready(const CameraModel& camera, double depth, double x, double y) {
  if (!camera.has_tables()) {
    const double nan = std::numeric_limits<double>::quiet_NaN();
    return {nan, nan};
  }
  const double cw = camera.cell_width_mm;
  const double ch = camera.cell_height_mm;
  const double s = camera.distance_mm / depth;
  const double gx = x * s + (camera.columns / 2) * cw;
  const double gy = y * s + (camera.rows / 2) * ch;
  const int j = detail::cell_index(gx, cw, std::clamp(camera.columns, 1, kMaxGridCells));
  const int i = detail::cell_index(gy, ch, std::clamp(camera.rows, 1, kMaxGridCells));
  const double fx = (gx - j * cw) / cw;
  const double fy = (gy - i * ch) / ch;
  const auto& v = camera.cell(i, j).v;
  const double u = fx < 0.5 ? v[2] - v[0] : v[6] - v[4];
  const double w = fy < 0.5 ? v[5] - v[1] : v[7] - v[3];
  return {fx * u + v[0] - camera.centre_x, fy * w + v[1] - camera.centre_y};
}

}  // namespace plenvista
