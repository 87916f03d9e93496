#pragma once

// The quality check of a traced grid: whether a camera's corner table, as
// calculateGrid left it, is a grid worth saving, and figures that tell the
// user how good it is.
//
// Positions and distances are pixels of the grid photograph, x to the
// right, y down. Intersection (row, column) is corner table entry
// P(row, column): rows and columns count from 0 at the top-left
// intersection.
//
// The check fails, with one problem text per failed rule, when
//   - an intersection was not found (its snap found no line on an axis),
//   - an intersection is not right of its left neighbour or not below its
//     upper one,
//   - the spacing between neighbours along a row or a column changes by
//     more than kSpacingJumpFactor from one cell to the next,
//   - the intersections deviate from a smooth model of the grid by more
//     than kMaxWorstDeviationPx at any one of them or kMaxRmsDeviationPx as
//     an RMS. The model is a homography from grid (column, row) to the
//     photograph followed by two radial distortion terms about the
//     photograph's centre, fitted by least squares to the found
//     intersections (a grid under 8 found intersections is fitted without
//     the radial terms, under 4 not at all).
// Pairs and triples that involve an intersection not found are left out of
// the order and spacing rules and the cell size ranges; intersections not
// found are left out of the fit. A camera without a traced grid (no tables,
// or `found` not one entry per intersection) fails with "The grid has not
// been traced".

#include <string>
#include <vector>

#include "model/camera_model.h"

namespace plenvista {

inline constexpr double kSpacingJumpFactor = 1.5;
inline constexpr double kMaxWorstDeviationPx = 2.0;
inline constexpr double kMaxRmsDeviationPx = 1.0;

struct GridIntersection {
  int row = 0;
  int column = 0;
  friend bool operator==(const GridIntersection&, const GridIntersection&) = default;
};

struct PixelRange {
  double min = 0.0;
  double max = 0.0;
};

struct GridCheck {
  int intersections = 0;  // (rows + 1) x (columns + 1)
  int found = 0;
  // The intersections each rule names, row by row.
  std::vector<GridIntersection> missing;
  std::vector<GridIntersection> out_of_order;   // not right of its left or not below its upper neighbour
  std::vector<GridIntersection> spacing_jumps;  // far end of a spacing that jumps from the one before
  // Deviation from the fitted smooth grid, over the found intersections.
  double rms_px = 0.0;
  double worst_px = 0.0;
  GridIntersection worst;
  // Distances between found neighbours along the rows and along the columns.
  PixelRange cell_width_px;
  PixelRange cell_height_px;
  std::vector<std::string> problems;  // one sentence per failed rule; empty when the grid passes
  bool passed() const { return problems.empty(); }
};

// Checks the camera's traced grid; `found` is GridPhoto::intersection_found
// from the calculation that traced it.
GridCheck check_grid(const CameraModel& camera, const std::vector<bool>& found);

// The figures of a check as lines for the user, e.g.
//   "Intersections found : 315 of 315"
//   "Deviation from a smooth grid : RMS 0.04 px, worst 0.12 px at row 3, column 7"
//   "Cell size : 99.80 to 100.20 px wide, 99.70 to 100.10 px high"
// The problems are not among them.
std::vector<std::string> grid_check_summary(const GridCheck& check);

}  // namespace plenvista
