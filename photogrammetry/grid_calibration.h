#pragma once

// Grid calibration: fills a camera's corner table from a photograph of a
// ruled grid (dark lines on a light ground) taken square-on.
//
// All positions are pixels of the grid photograph, x to the right, y down.
// The image analysis works on grey levels, (R + G + B) div 3, read once per
// pixel through the GridPhoto's grey cache; pixels outside the photograph
// (or with no photograph at all) read 0, black.
//
// A click is snapped to the nearest grid corner: a corner search finds the
// darkest L of two 20-pixel arms pointing towards the middle of the
// photograph, and line-centre scans beside it refine x and y to sub-pixel
// precision. Clicks in the top-left sixteenth of the photograph are corners
// of the top-left cell; after the fourth the caller runs calculateGrid,
// which traces the whole grid from the top-left intersection.
//
// Failure cases: a scan without contrast, an all-black scan, or one whose
// edges cannot be found, fails and drops out of its average; when all six
// scans of one axis fail the coordinate is 0 and the snap has found no
// corner (try_snap says so). A click whose snap finds no corner is refused
// (ClickKind::MissedCorner or MissedCentre; nothing is stored). Rows or
// columns outside 1..30 make calculateGrid compute nothing. Clicks without a
// photograph, or outside the corner and centre regions, are ignored.
// grid_check.h judges the traced grid.

#include <optional>
#include <string>

#include "base/vec3.h"
#include "model/camera_model.h"
#include "photogrammetry/grid_photo.h"

namespace plenvista {

struct PixelPos {
  int x = 0;
  int y = 0;
  friend bool operator==(const PixelPos&, const PixelPos&) = default;
};

// Grey level 0..255 of pixel (x, y); 0 outside the photograph.
int grey_level(GridPhoto& photo, int x, int y);

// Sum of the grey levels along the two 20-pixel arms of a corner of `type`
// starting at (x, y), the start pixel counted in both arms. Arms:
//   type 0 up and right, 1 down and right, 2 down and left, 3 up and left.
// Any other type scores 0.
int corner_score(GridPhoto& photo, int type, int x, int y);

// The corner type whose arms point from `position` towards the middle of
// the photograph; none on the photograph's vertical or horizontal centre
// line.
std::optional<int> position_type(const GridPhoto& photo, Point2 position);

// The lowest-scoring position of `type` among x0-20..x0+19 by y0-20..y0+19,
// scanning x in the outer and y in the inner loop and keeping the first of
// equal scores; positions with a negative coordinate are skipped. A negative
// x0 or y0 gives (0, 0).
PixelPos corner_search(GridPhoto& photo, int type, int x0, int y0);

enum class ScanAxis {
  Vertical,   // fixed x, y varies: crosses a horizontal line, yields its y
  Horizontal  // fixed y, x varies: crosses a vertical line, yields its x
};

// Sub-pixel centre of the dark line crossed by a 25-pixel scan centred on
// `centre` along `axis` at `fixed` on the other axis; none when the scan
// fails (too little contrast, all black, or an edge not found).
std::optional<double> line_centre(GridPhoto& photo, ScanAxis axis, int fixed, int centre);

struct SnapResult {
  Point2 position;       // a coordinate whose scans all failed is 0
  bool x_found = false;  // some horizontal scan found a vertical line
  bool y_found = false;  // some vertical scan found a horizontal line
  bool found() const { return x_found && y_found; }
};

// Snaps `position` (truncated to whole pixels) to the grid corner of
// `type` nearby: corner search, then the average of the successful scans
// beside the corner, six per axis.
SnapResult try_snap(GridPhoto& photo, Point2 position, int type);

// try_snap's position alone.
Point2 snap(GridPhoto& photo, Point2 position, int type);

enum class ClickKind {
  Ignored,
  Corner,
  Centre,
  MissedCorner,  // in the corner region, but no grid line was found near it
  MissedCentre   // in the centre region, likewise
};

struct ClickOutcome {
  ClickKind kind = ClickKind::Ignored;
  Point2 position;        // the snapped click; missed: the click in whole pixels
  int point_index = 0;    // corner and missed corner: 0..3, which of the four point fields it is for
  bool grid_due = false;  // corner: the fourth one; calculateGrid is to run now
};

// Why a missed click was refused, naming it as the editor's fields do:
//   "Point 2 : no grid line found near (186, 95); click within a few pixels of the corner"
//   "Centre : no grid line found near (1136, 852); click within a few pixels of the central cross"
// Empty for the other kinds.
std::string missed_click_message(const ClickOutcome& outcome);

// Classifies a snapped click by where it lies in the photograph: a corner
// of the top-left cell (stored as the next corner click; the click count
// goes round 0..3), the camera centre, or ignored.
ClickOutcome classify_click(GridPhoto& photo, Point2 snapped);

// A left click in the calibration view: records the grid size typed in,
// snaps the click with the type of its position and classifies it. A
// click whose snap finds no corner is classified by where it was made:
// MissedCorner or MissedCentre, with the click count and the corner clicks
// unchanged, or Ignored outside both regions.
ClickOutcome snapClick(GridPhoto& photo, Point2 click, int columns, int rows);

// Traces the grid of photo.rows x photo.columns cells from the extremes of
// the four corner clicks into the camera's corner table, predicting each
// intersection from its snapped neighbour, and records in
// photo.intersection_found which snaps found their corner. An intersection
// whose snap finds no line on an axis keeps its predicted coordinate on
// that axis, so the trace goes on from there. Returns false, with the
// camera unchanged and no intersection recorded, unless rows and columns
// both lie in 1..30.
bool calculateGrid(GridPhoto& photo, CameraModel& camera);

}  // namespace plenvista
