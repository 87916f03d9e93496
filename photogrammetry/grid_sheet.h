#pragma once

// The printable calibration grid: where every line of the sheet goes on the
// paper, so that the PDF and SVG writers draw the same thing.
//
// The sheet holds `columns` x `rows` ruled cells of the given size at exact
// scale with the thicker central cross on intersection (rows div 2,
// columns div 2), the reference intersection the camera's corner table is
// measured from. Below the grid a caption names its parameters and a scale
// bar ruled in 10 mm steps lets the user check the print with a ruler.
//
// Units are millimetres on the page, x to the right and y down from the
// page's top-left corner. Lines are straight strokes of a width, drawn with
// square ends so that the grid's corners are closed.
//
// Failure cases: rows or columns outside 1..30, a cell size that is not
// above 0, or a grid (with the caption band below it) larger than the paper
// inside its 10 mm margins is refused with a message naming what does not
// fit; the message suggests landscape when the grid would fit that way.

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace plenvista {

enum class Paper { A4, A3, A2, Letter, Tabloid };

// "A4", "A3", "A2", "Letter", "Tabloid" in any letter case.
std::optional<Paper> paper_by_name(std::string_view name);
std::string paper_name(Paper paper);

struct GridSheetRequest {
  int rows = 14;
  int columns = 20;
  double cell_width_mm = 10.0;
  double cell_height_mm = 10.0;
  Paper paper = Paper::A4;
  bool landscape = false;
};

struct SheetLine {
  double x1 = 0.0;
  double y1 = 0.0;
  double x2 = 0.0;
  double y2 = 0.0;
  double width = 0.0;
};

struct SheetText {
  double x = 0.0;        // left end of the baseline
  double y = 0.0;        // baseline
  double size_mm = 0.0;  // height of the font's em
  std::string text;      // UTF-8
};

struct GridSheet {
  double page_width_mm = 0.0;
  double page_height_mm = 0.0;
  double grid_left_mm = 0.0;  // the top-left intersection
  double grid_top_mm = 0.0;
  double line_width_mm = 0.0;
  std::vector<SheetLine> lines;  // grid lines, the cross, then the scale bar
  std::vector<SheetText> texts;  // the caption and the scale bar's label
};

struct GridSheetLayout {
  std::optional<GridSheet> sheet;
  std::string error;  // why there is no sheet
};

inline constexpr double kSheetMarginMm = 10.0;
inline constexpr double kCaptionBandMm = 18.0;  // below the grid: caption and scale bar

GridSheetLayout lay_out_grid_sheet(const GridSheetRequest& request);

// The sheet on the smallest paper it fits, trying A4, A3 and A2, each
// portrait then landscape (the request's paper is ignored); when none is
// large enough, the refusal for A2.
GridSheetLayout lay_out_on_fitting_paper(GridSheetRequest request);

// "20 x 14 cells of 10.0 mm: check the scale bar with a ruler" (columns
// first; "of 10.0 x 12.5 mm" for cells that are not square).
std::string grid_sheet_caption(const GridSheetRequest& request);

}  // namespace plenvista
