#include "photogrammetry/grid_sheet.h"

#include <algorithm>
#include <cmath>

#include "base/number_text.h"
#include "base/text.h"
#include "model/camera_model.h"

namespace plenvista {

namespace {

struct PaperInfo {
  Paper paper;
  const char* name;
  double width_mm;  // portrait
  double height_mm;
};

constexpr PaperInfo kPapers[] = {
    {Paper::A4, "A4", 210.0, 297.0},         {Paper::A3, "A3", 297.0, 420.0},           {Paper::A2, "A2", 420.0, 594.0},
    {Paper::Letter, "Letter", 215.9, 279.4}, {Paper::Tabloid, "Tabloid", 279.4, 431.8},
};

const PaperInfo& info(Paper paper) {
  for (const PaperInfo& p : kPapers)
    if (p.paper == paper) return p;
  return kPapers[0];
}

// One decimal, or up to four where the number needs them.
std::string mm_text(double mm) {
  int decimals = 1;
  while (decimals < 4 && std::abs(parse_number(format_fixed(mm, decimals)) - mm) > 1e-9 * std::max(1.0, std::abs(mm)))
    ++decimals;
  return format_fixed(mm, decimals);
}

constexpr double kCaptionSizeMm = 3.5;
constexpr double kScaleStepMm = 10.0;
constexpr double kScaleBarMaxMm = 100.0;
constexpr double kScaleLineMm = 0.3;

struct Inner {
  double width;
  double height;
};

Inner inner_area(double page_width, double page_height) {
  return {page_width - 2 * kSheetMarginMm, page_height - 2 * kSheetMarginMm - kCaptionBandMm};
}

}  // namespace

std::optional<Paper> paper_by_name(std::string_view name) {
  for (const PaperInfo& p : kPapers)
    if (equal_ignoring_case(name, p.name)) return p.paper;
  return std::nullopt;
}

std::string paper_name(Paper paper) { return info(paper).name; }

std::string grid_sheet_caption(const GridSheetRequest& request) {
  std::string cell = mm_text(request.cell_width_mm);
  if (request.cell_height_mm != request.cell_width_mm) cell += " x " + mm_text(request.cell_height_mm);
  return std::to_string(request.columns) + " x " + std::to_string(request.rows) + " cells of " + cell +
         " mm: check the scale bar with a ruler";
}

GridSheetLayout lay_out_grid_sheet(const GridSheetRequest& request) {
  GridSheetLayout result;
  if (request.rows < 1 || request.rows > kMaxGridCells || request.columns < 1 || request.columns > kMaxGridCells) {
    result.error = "Rows and columns must each lie in 1.." + std::to_string(kMaxGridCells);
    return result;
  }
  const double cw = request.cell_width_mm;
  const double ch = request.cell_height_mm;
  if (!(cw > 0) || !(ch > 0) || !std::isfinite(cw) || !std::isfinite(ch)) {
    result.error = "The cell size must be above 0 mm";
    return result;
  }

  const PaperInfo& paper = info(request.paper);
  const double page_w = request.landscape ? paper.height_mm : paper.width_mm;
  const double page_h = request.landscape ? paper.width_mm : paper.height_mm;
  const double grid_w = cw * request.columns;
  const double grid_h = ch * request.rows;
  const Inner inner = inner_area(page_w, page_h);
  if (grid_w > inner.width || grid_h > inner.height) {
    const Inner turned = inner_area(page_h, page_w);
    result.error = "A grid of " + std::to_string(request.columns) + " x " + std::to_string(request.rows) + " cells (" +
                   mm_text(grid_w) + " x " + mm_text(grid_h) + " mm) does not fit on " + paper.name +
                   (request.landscape ? " landscape" : " portrait") + " (" + mm_text(inner.width) + " x " +
                   mm_text(inner.height) + " mm inside the margins, below it the caption)";
    if (grid_w <= turned.width && grid_h <= turned.height)
      result.error += std::string("; it fits on ") + paper.name + (request.landscape ? " portrait" : " landscape");
    else
      result.error += "; choose larger paper or fewer or smaller cells";
    return result;
  }

  GridSheet sheet;
  sheet.page_width_mm = page_w;
  sheet.page_height_mm = page_h;
  sheet.grid_left_mm = kSheetMarginMm + (inner.width - grid_w) / 2;
  sheet.grid_top_mm = kSheetMarginMm + (inner.height - grid_h) / 2;
  // Dark enough to find at a few pixels a cell, thin enough to place the
  // intersections sharply.
  sheet.line_width_mm = std::clamp(0.03 * std::min(cw, ch), 0.2, 1.0);
  const double left = sheet.grid_left_mm;
  const double top = sheet.grid_top_mm;
  const double w = sheet.line_width_mm;

  for (int i = 0; i <= request.rows; ++i) sheet.lines.push_back({left, top + i * ch, left + grid_w, top + i * ch, w});
  for (int j = 0; j <= request.columns; ++j)
    sheet.lines.push_back({left + j * cw, top, left + j * cw, top + grid_h, w});

  const double cross_x = left + (request.columns / 2) * cw;
  const double cross_y = top + (request.rows / 2) * ch;
  const double arm = 0.5 * std::min(cw, ch);
  sheet.lines.push_back({cross_x - arm, cross_y, cross_x + arm, cross_y, 3 * w});
  sheet.lines.push_back({cross_x, cross_y - arm, cross_x, cross_y + arm, 3 * w});

  const double band_top = top + grid_h;
  sheet.texts.push_back({kSheetMarginMm, band_top + 7.0, kCaptionSizeMm, grid_sheet_caption(request)});

  const double bar_length = std::clamp(std::floor(grid_w / kScaleStepMm) * kScaleStepMm, kScaleStepMm, kScaleBarMaxMm);
  const double bar_y = band_top + 14.0;
  sheet.lines.push_back({kSheetMarginMm, bar_y, kSheetMarginMm + bar_length, bar_y, kScaleLineMm});
  for (double x = 0; x <= bar_length + 1e-9; x += kScaleStepMm)
    sheet.lines.push_back({kSheetMarginMm + x, bar_y, kSheetMarginMm + x, bar_y - 2.5, kScaleLineMm});
  sheet.texts.push_back(
      {kSheetMarginMm + bar_length + 3.0, bar_y, kCaptionSizeMm, format_fixed(bar_length, 0) + " mm"});

  result.sheet = std::move(sheet);
  return result;
}

GridSheetLayout lay_out_on_fitting_paper(GridSheetRequest request) {
  GridSheetLayout layout;
  for (const Paper paper : {Paper::A4, Paper::A3, Paper::A2})
    for (const bool landscape : {false, true}) {
      request.paper = paper;
      request.landscape = landscape;
      layout = lay_out_grid_sheet(request);
      if (layout.sheet) return layout;
    }
  return layout;
}

}  // namespace plenvista
