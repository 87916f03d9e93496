#include "photogrammetry/grid_calibration.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <span>

#include "base/number_text.h"

namespace plenvista {
namespace {

constexpr int kArm = 20;           // pixels per corner arm, start included
constexpr int kSearchBefore = 20;  // the corner search covers x0-20 .. x0+19
constexpr int kSearchAfter = 19;
constexpr int kSearchSide = kSearchBefore + kSearchAfter + 1;
constexpr int kWindowSide = kSearchSide + 2 * (kArm - 1);
constexpr int kScanHalf = 12;  // a scan covers centre-12 .. centre+12
constexpr int kScanLength = 2 * kScanHalf + 1;
constexpr int kBox = 5;
constexpr int kSmoothed = kScanLength - kBox + 1;
constexpr std::array<int, 6> kScanOffsets = {8, 10, 12, -8, -10, -12};

// Whole pixels far beyond any photograph; keeps the search arithmetic in
// range while every pixel out there still reads black.
constexpr double kFarPixel = 1 << 30;

int to_pixel(double v) {
  if (std::isnan(v)) return -1;
  return static_cast<int>(std::clamp(v, -kFarPixel, kFarPixel));
}

// Grey levels of out.size() pixels of row y from column x on, as
// grey_level gives them one by one.
void read_grey_row(GridPhoto& photo, int x, int y, std::span<int> out) {
  std::fill(out.begin(), out.end(), 0);
  if (!photo.photograph || y < 0 || y >= photo.height) return;
  const int first = std::max(x, 0);
  const int end = std::min(x + static_cast<int>(out.size()), photo.width);
  std::int32_t* cache = &photo.grey[static_cast<std::size_t>(y) * static_cast<std::size_t>(photo.width)];
  for (int i = first; i < end; ++i) {
    if (cache[i] < 0) {
      const Rgb c = photo.photograph->pixel(i, y);
      cache[i] = (c.r + c.g + c.b) / 3;
    }
    out[static_cast<std::size_t>(i - x)] = cache[i];
  }
}

}  // namespace

int grey_level(GridPhoto& photo, int x, int y) {
  if (!photo.photograph || x < 0 || y < 0 || x >= photo.width || y >= photo.height) return 0;
  int g = 0;
  read_grey_row(photo, x, y, std::span(&g, 1));
  return g;
}

int corner_score(GridPhoto& photo, int type, int x, int y) {
  if (type < 0 || type > 3) return 0;
  const int dy = (type == 0 || type == 3) ? -1 : 1;
  const int dx = (type == 0 || type == 1) ? 1 : -1;
  int sum = 0;
  for (int k = 0; k < kArm; ++k) sum += grey_level(photo, x, y + dy * k) + grey_level(photo, x + dx * k, y);
  return sum;
}

std::optional<int> position_type(const GridPhoto& photo, Point2 position) {
  const double mid_x = photo.width / 2.0;
  const double mid_y = photo.height / 2.0;
  if (position.x < mid_x) {
    if (position.y > mid_y) return 0;
    if (position.y < mid_y) return 1;
  } else if (position.x > mid_x) {
    if (position.y < mid_y) return 2;
    if (position.y > mid_y) return 3;
  }
  return std::nullopt;
}

// The scores of all 1,600 positions come from running sums along the rows
// and columns of the grey levels around the search square, so each arm
// costs two lookups instead of twenty reads. The sums are exact integers,
// so the winner is the one the position-by-position scores give.
PixelPos corner_search(GridPhoto& photo, int type, int x0, int y0) {
  if (x0 < 0 || y0 < 0) return {0, 0};
  const int x_first = std::max(x0 - kSearchBefore, 0);
  const int y_first = std::max(y0 - kSearchBefore, 0);
  const int x_last = x0 + kSearchAfter;
  const int y_last = y0 + kSearchAfter;
  if (type < 0 || type > 3) return {x_first, y_first};  // every score is 0

  // Window of grey levels reaching one arm beyond the square on every side.
  const int wx = x_first - (kArm - 1);
  const int wy = y_first - (kArm - 1);
  const int nx = x_last + (kArm - 1) - wx + 1;
  const int ny = y_last + (kArm - 1) - wy + 1;
  constexpr int kStride = kWindowSide + 1;
  // row_sums[r * kStride + c]: sum of row r over columns 0..c-1;
  // column_sums[r * kStride + c]: sum of column c over rows 0..r-1.
  std::array<int, kStride * kStride> row_sums;
  std::array<int, kStride * kStride> column_sums;
  for (int c = 0; c < nx; ++c) column_sums[static_cast<std::size_t>(c)] = 0;
  std::array<int, kWindowSide> grey_row;
  for (int r = 0; r < ny; ++r) {
    read_grey_row(photo, wx, wy + r, std::span(grey_row.data(), static_cast<std::size_t>(nx)));
    int* row = &row_sums[static_cast<std::size_t>(r * kStride)];
    const int* above = &column_sums[static_cast<std::size_t>(r * kStride)];
    int* below = &column_sums[static_cast<std::size_t>((r + 1) * kStride)];
    row[0] = 0;
    for (int c = 0; c < nx; ++c) {
      const int g = grey_row[static_cast<std::size_t>(c)];
      row[c + 1] = row[c] + g;
      below[c] = above[c] + g;
    }
  }
  const auto rows_at = [&](int r, int c) { return row_sums[static_cast<std::size_t>(r * kStride + c)]; };
  const auto columns_at = [&](int r, int c) { return column_sums[static_cast<std::size_t>(r * kStride + c)]; };
  const bool up = type == 0 || type == 3;
  const bool right = type == 0 || type == 1;

  int best = 1000000;
  PixelPos found{0, 0};
  for (int x = x_first; x <= x_last; ++x) {
    const int c = x - wx;
    for (int y = y_first; y <= y_last; ++y) {
      const int r = y - wy;
      const int vertical =
          up ? columns_at(r + 1, c) - columns_at(r + 1 - kArm, c) : columns_at(r + kArm, c) - columns_at(r, c);
      const int horizontal =
          right ? rows_at(r, c + kArm) - rows_at(r, c) : rows_at(r, c + 1) - rows_at(r, c + 1 - kArm);
      const int score = vertical + horizontal;
      if (score < best) {
        best = score;
        found = {x, y};
      }
    }
  }
  return found;
}

std::optional<double> line_centre(GridPhoto& photo, ScanAxis axis, int fixed, int centre) {
  std::array<int, kScanLength> g;
  for (int k = 0; k < kScanLength; ++k) {
    const int along = centre - kScanHalf + k;
    g[static_cast<std::size_t>(k)] =
        axis == ScanAxis::Vertical ? grey_level(photo, fixed, along) : grey_level(photo, along, fixed);
  }
  std::array<double, kSmoothed> s;
  for (std::size_t k = 0; k < s.size(); ++k) s[k] = (g[k] + g[k + 1] + g[k + 2] + g[k + 3] + g[k + 4]) / 5.0;

  std::size_t k_lo = 0;
  double hi = s[0];
  for (std::size_t k = 1; k < s.size(); ++k) {
    if (s[k] < s[k_lo]) k_lo = k;
    hi = std::max(hi, s[k]);
  }
  const double lo = s[k_lo];
  if (hi <= 0.0 || (hi - lo) / hi < 0.1) return std::nullopt;
  const double t = (lo + hi) * 0.5;

  std::size_t above_right = k_lo;
  while (above_right < s.size() && !(s[above_right] > t)) ++above_right;
  if (above_right == s.size()) return std::nullopt;
  const std::size_t r = above_right - 1;
  const double right_edge = static_cast<double>(r) + (t - s[r]) / (s[r + 1] - s[r]);

  std::size_t above_left = k_lo;
  while (!(s[above_left] > t)) {
    if (above_left == 0) return std::nullopt;
    --above_left;
  }
  const std::size_t l = above_left + 1;
  const double left_edge = static_cast<double>(l) - (t - s[l]) / (s[l - 1] - s[l]);

  return (right_edge + left_edge) * 0.5 - 10 + centre;
}

SnapResult try_snap(GridPhoto& photo, Point2 position, int type) {
  const PixelPos corner = corner_search(photo, type, to_pixel(position.x), to_pixel(position.y));
  const auto refine = [&](ScanAxis axis, int fixed, int centre, bool& found_any) {
    double sum = 0.0;
    int found = 0;
    for (const int offset : kScanOffsets) {
      if (const auto c = line_centre(photo, axis, fixed + offset, centre)) {
        sum += *c;
        ++found;
      }
    }
    found_any = found > 0;
    return found > 0 ? sum / found : 0.0;
  };
  SnapResult result;
  result.position.y = refine(ScanAxis::Vertical, corner.x, corner.y, result.y_found);
  result.position.x = refine(ScanAxis::Horizontal, corner.y, corner.x, result.x_found);
  return result;
}

Point2 snap(GridPhoto& photo, Point2 position, int type) { return try_snap(photo, position, type).position; }

ClickOutcome classify_click(GridPhoto& photo, Point2 snapped) {
  ClickOutcome outcome;
  outcome.position = snapped;
  if (photo.width <= 0 || photo.height <= 0) return outcome;
  const double u = snapped.x / photo.width;
  const double v = snapped.y / photo.height;
  if (u < 0.25 && v < 0.25) {
    outcome.kind = ClickKind::Corner;
    outcome.point_index = photo.click_count;
    photo.corner_clicks[static_cast<std::size_t>(photo.click_count)] = snapped;
    photo.click_count = (photo.click_count + 1) % 4;
    outcome.grid_due = photo.click_count == 0;
  } else if (u > 0.25 && u < 0.75 && v > 0.25 && v < 0.75) {
    outcome.kind = ClickKind::Centre;
  }
  return outcome;
}

ClickOutcome snapClick(GridPhoto& photo, Point2 click, int columns, int rows) {
  photo.columns = columns;
  photo.rows = rows;
  if (!photo.photograph || photo.width <= 0 || photo.height <= 0) return {};
  // On a centre line any type serves; the first one is taken.
  const int type = position_type(photo, click).value_or(0);
  const SnapResult snapped = try_snap(photo, click, type);
  if (snapped.found()) return classify_click(photo, snapped.position);

  // Classified where it was made, as the search saw it.
  ClickOutcome outcome;
  outcome.position = {static_cast<double>(to_pixel(click.x)), static_cast<double>(to_pixel(click.y))};
  const double u = outcome.position.x / photo.width;
  const double v = outcome.position.y / photo.height;
  if (u < 0.25 && v < 0.25) {
    outcome.kind = ClickKind::MissedCorner;
    outcome.point_index = photo.click_count;
  } else if (u > 0.25 && u < 0.75 && v > 0.25 && v < 0.75) {
    outcome.kind = ClickKind::MissedCentre;
  }
  return outcome;
}

std::string missed_click_message(const ClickOutcome& outcome) {
  std::string field;
  std::string target;
  if (outcome.kind == ClickKind::MissedCorner) {
    field = "Point " + std::to_string(outcome.point_index + 1);
    target = "the corner";
  } else if (outcome.kind == ClickKind::MissedCentre) {
    field = "Centre";
    target = "the central cross";
  } else {
    return {};
  }
  return field + " : no grid line found near (" + format_fixed(outcome.position.x, 0) + ", " +
         format_fixed(outcome.position.y, 0) + "); click within a few pixels of " + target;
}

bool calculateGrid(GridPhoto& photo, CameraModel& camera) {
  double min_x = 100000.0;
  double max_x = 0.0;
  double min_y = 100000.0;
  double max_y = 0.0;
  for (const Point2& c : photo.corner_clicks) {
    if (c.x < min_x) min_x = c.x;
    if (c.x > max_x) max_x = c.x;
    if (c.y < min_y) min_y = c.y;
    if (c.y > max_y) max_y = c.y;
  }
  const double cell_width = max_x - min_x;
  const double cell_height = max_y - min_y;
  photo.intersection_found.clear();
  if (!allocate_tables(camera, photo.rows, photo.columns)) return false;

  int type = 0;
  for (int i = 0; i <= camera.rows; ++i) {
    for (int j = 0; j <= camera.columns; ++j) {
      Point2 predicted{min_x, min_y};
      if (j > 0) {
        predicted = camera.corner(i, j - 1);
        predicted.x += cell_width;
      } else if (i > 0) {
        predicted = camera.corner(i - 1, 0);
        predicted.y += cell_height;
      }
      type = position_type(photo, predicted).value_or(type);
      const SnapResult snapped = try_snap(photo, predicted, type);
      Point2& stored = camera.corner(i, j);
      stored.x = snapped.x_found ? snapped.position.x : predicted.x;
      stored.y = snapped.y_found ? snapped.position.y : predicted.y;
      photo.intersection_found.push_back(snapped.found());
    }
  }
  return true;
}

}  // namespace plenvista
