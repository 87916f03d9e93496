#include "photogrammetry/grid_calibration.h"

#include <gtest/gtest.h>

#include <cmath>
#include <memory>
#include <utility>
#include <vector>

#include "photogrammetry/grid_check.h"
#include "testing/synthetic_grid.h"

namespace plenvista {
namespace {

using test_support::SyntheticGrid;

// A grey photograph that counts how often each pixel is read.
class CountingPixels : public PixelSource {
 public:
  CountingPixels(int width, int height, Rgb colour)
      : width_(width), height_(height), colour_(colour), reads_(static_cast<std::size_t>(width * height)) {}
  int width() const override { return width_; }
  int height() const override { return height_; }
  Rgb pixel(int x, int y) const override {
    ++reads_[static_cast<std::size_t>(y * width_ + x)];
    return colour_;
  }
  int reads(int x, int y) const { return reads_[static_cast<std::size_t>(y * width_ + x)]; }

 private:
  int width_;
  int height_;
  Rgb colour_;
  mutable std::vector<int> reads_;
};

GridPhoto photo_of(RgbImage image) {
  GridPhoto photo;
  CameraModel camera;
  set_grid_photograph(photo, camera, std::make_unique<RgbImage>(std::move(image)));
  return photo;
}

// The reference the summed corner search must match: every position scored
// arm by arm.
PixelPos plain_corner_search(GridPhoto& photo, int type, int x0, int y0) {
  if (x0 < 0 || y0 < 0) return {0, 0};
  int best = 1000000;
  PixelPos found{0, 0};
  for (int x = x0 - 20; x < x0 + 20; ++x) {
    for (int y = y0 - 20; y < y0 + 20; ++y) {
      if (x < 0 || y < 0) continue;
      const int score = corner_score(photo, type, x, y);
      if (score < best) {
        best = score;
        found = {x, y};
      }
    }
  }
  return found;
}

Point2 plain_snap(GridPhoto& photo, Point2 p, int type) {
  const PixelPos c = plain_corner_search(photo, type, static_cast<int>(p.x), static_cast<int>(p.y));
  double x = 0.0, y = 0.0;
  int nx = 0, ny = 0;
  for (const int d : {8, 10, 12, -8, -10, -12}) {
    if (const auto v = line_centre(photo, ScanAxis::Vertical, c.x + d, c.y)) y += *v, ++ny;
    if (const auto h = line_centre(photo, ScanAxis::Horizontal, c.y + d, c.x)) x += *h, ++nx;
  }
  return {nx ? x / nx : 0.0, ny ? y / ny : 0.0};
}

std::vector<Point2> plain_grid(GridPhoto& photo, Point2 top_left, Point2 cell) {
  std::vector<Point2> table;
  int type = 0;
  for (int i = 0; i <= photo.rows; ++i) {
    for (int j = 0; j <= photo.columns; ++j) {
      Point2 p = top_left;
      if (j > 0) p = {table.back().x + cell.x, table.back().y};
      if (i > 0 && j == 0) {
        const Point2 above = table[table.size() - static_cast<std::size_t>(photo.columns + 1)];
        p = {above.x, above.y + cell.y};
      }
      type = position_type(photo, p).value_or(type);
      table.push_back(plain_snap(photo, p, type));
    }
  }
  return table;
}

// Clicks the centre and the four corners of the top-left cell, each a few
// pixels off, and runs the grid calculation when the fourth corner asks.
ClickOutcome click_grid(GridPhoto& photo, CameraModel& camera, const SyntheticGrid& grid, int columns, int rows) {
  const int mid_row = static_cast<int>(grid.line_y.size() / 2);
  const int mid_column = static_cast<int>(grid.line_x.size() / 2);
  const Point2 centre = test_support::true_intersection(grid, mid_row, mid_column);
  const ClickOutcome centre_click = snapClick(photo, {centre.x + 4, centre.y - 3}, columns, rows);
  const std::pair<int, int> corners[] = {{0, 0}, {0, 1}, {1, 1}, {1, 0}};
  const Point2 offsets[] = {{3, 4}, {-5, 2}, {2, -6}, {-4, -3}};
  for (int k = 0; k < 4; ++k) {
    const Point2 truth = test_support::true_intersection(grid, corners[k].first, corners[k].second);
    const ClickOutcome outcome = snapClick(photo, {truth.x + offsets[k].x, truth.y + offsets[k].y}, columns, rows);
    EXPECT_EQ(outcome.kind, ClickKind::Corner);
    EXPECT_EQ(outcome.point_index, k);
    EXPECT_EQ(outcome.grid_due, k == 3);
    if (outcome.grid_due) {
      EXPECT_TRUE(calculateGrid(photo, camera));
    }
  }
  return centre_click;
}

void expect_table_matches(const CameraModel& camera, const SyntheticGrid& grid, double tolerance) {
  ASSERT_TRUE(camera.has_tables());
  for (int i = 0; i <= camera.rows; ++i) {
    for (int j = 0; j <= camera.columns; ++j) {
      const Point2 truth = test_support::true_intersection(grid, i, j);
      EXPECT_NEAR(camera.corner(i, j).x, truth.x, tolerance) << "row " << i << " column " << j;
      EXPECT_NEAR(camera.corner(i, j).y, truth.y, tolerance) << "row " << i << " column " << j;
    }
  }
}

TEST(GreyLevel, AveragesTheChannelsAndReadsEachPixelOnce) {
  GridPhoto photo;
  CameraModel camera;
  auto pixels = std::make_unique<CountingPixels>(4, 3, Rgb{10, 20, 32});
  const CountingPixels* counter = pixels.get();
  set_grid_photograph(photo, camera, std::move(pixels));
  EXPECT_EQ(camera.native_width, 4);
  EXPECT_EQ(camera.native_height, 3);
  EXPECT_EQ(grey_level(photo, 3, 2), 20);  // 62 div 3
  EXPECT_EQ(grey_level(photo, 3, 2), 20);
  EXPECT_EQ(counter->reads(3, 2), 1);
  EXPECT_EQ(counter->reads(0, 0), 0);
}

TEST(GreyLevel, OutsideThePhotographAndWithoutOneIsBlack) {
  GridPhoto photo = photo_of(RgbImage(4, 3, {255, 255, 255}));
  EXPECT_EQ(grey_level(photo, 0, 0), 255);
  EXPECT_EQ(grey_level(photo, -1, 0), 0);
  EXPECT_EQ(grey_level(photo, 4, 0), 0);
  EXPECT_EQ(grey_level(photo, 0, 3), 0);
  GridPhoto none;
  EXPECT_EQ(grey_level(none, 0, 0), 0);
}

TEST(CornerScore, CountsTheStartTwiceAndOutsidePixelsAsBlack) {
  GridPhoto photo = photo_of(RgbImage(100, 100, {200, 200, 200}));
  for (int type = 0; type < 4; ++type) EXPECT_EQ(corner_score(photo, type, 50, 50), 40 * 200);
  // Type 0 points up and right: from the top row only the start of the
  // vertical arm is inside.
  EXPECT_EQ(corner_score(photo, 0, 0, 0), 21 * 200);
  EXPECT_EQ(corner_score(photo, 1, 0, 0), 40 * 200);
  EXPECT_EQ(corner_score(photo, 2, 0, 0), 21 * 200);
  EXPECT_EQ(corner_score(photo, 3, 99, 99), 40 * 200);
  EXPECT_EQ(corner_score(photo, 4, 50, 50), 0);
}

TEST(PositionType, ArmsPointTowardsTheMiddle) {
  GridPhoto photo = photo_of(RgbImage(640, 480));
  EXPECT_EQ(position_type(photo, {100, 300}), 0);
  EXPECT_EQ(position_type(photo, {100, 100}), 1);
  EXPECT_EQ(position_type(photo, {500, 100}), 2);
  EXPECT_EQ(position_type(photo, {500, 300}), 3);
  EXPECT_EQ(position_type(photo, {320, 100}), std::nullopt);
  EXPECT_EQ(position_type(photo, {100, 240}), std::nullopt);
}

TEST(CornerSearch, MatchesThePlainEvaluationEverywhere) {
  SyntheticGrid grid = test_support::calibration_grid();
  grid.noise = 12;
  GridPhoto photo = photo_of(test_support::draw_grid(grid));
  for (int type = -1; type <= 4; ++type) {
    for (int y0 = -3; y0 < 520; y0 += 37) {
      for (int x0 = -3; x0 < 680; x0 += 29) {
        ASSERT_EQ(corner_search(photo, type, x0, y0), plain_corner_search(photo, type, x0, y0))
            << "type " << type << " at " << x0 << ", " << y0;
      }
    }
  }
}

TEST(CornerSearch, KeepsTheFirstOfEqualScoresAndSkipsNegativePositions) {
  GridPhoto photo = photo_of(RgbImage(200, 200, {100, 100, 100}));
  EXPECT_EQ(corner_search(photo, 1, 60, 70), (PixelPos{40, 50}));
  EXPECT_EQ(corner_search(photo, 1, 5, 8), (PixelPos{0, 0}));
  EXPECT_EQ(corner_search(photo, 1, -1, 50), (PixelPos{0, 0}));
  EXPECT_EQ(corner_search(photo, 1, 50, -1), (PixelPos{0, 0}));
}

TEST(CornerSearch, NearTheRightEdgeFavoursArmsLeavingThePhotograph) {
  GridPhoto photo = photo_of(RgbImage(200, 200, {100, 100, 100}));
  // Right-pointing arms: the furthest right position loses most to the
  // black outside; the first y of it wins.
  EXPECT_EQ(corner_search(photo, 1, 170, 100), (PixelPos{189, 80}));
  // A position wholly outside scores 0 and beats every position inside.
  EXPECT_EQ(corner_search(photo, 1, 190, 100), (PixelPos{200, 80}));
  EXPECT_EQ(corner_search(photo, 0, 195, 10), (PixelPos{200, 0}));
}

TEST(LineCentre, FindsTheCentreOfASymmetricLine) {
  RgbImage image(30, 40, {200, 200, 200});
  for (int y = 19; y <= 21; ++y) image.set_pixel(5, y, {20, 20, 20});
  GridPhoto photo = photo_of(std::move(image));
  ASSERT_TRUE(line_centre(photo, ScanAxis::Vertical, 5, 18).has_value());
  EXPECT_NEAR(*line_centre(photo, ScanAxis::Vertical, 5, 18), 20.0, 1e-12);
  EXPECT_NEAR(*line_centre(photo, ScanAxis::Vertical, 5, 25), 20.0, 1e-12);
  // The same line seen along the other axis is a flat scan.
  EXPECT_FALSE(line_centre(photo, ScanAxis::Horizontal, 20, 15).has_value());
}

TEST(LineCentre, FindsASubPixelLineToATenthOfAPixel) {
  SyntheticGrid grid;
  grid.width = grid.height = 60;
  grid.line_x = {30.3};
  grid.line_y = {-100.0, 100.0};
  GridPhoto photo = photo_of(test_support::draw_grid(grid));
  const auto x = line_centre(photo, ScanAxis::Horizontal, 30, 28);
  ASSERT_TRUE(x.has_value());
  EXPECT_NEAR(*x, 30.3, 0.1);
}

TEST(LineCentre, ScansThatCannotPlaceALineFail) {
  RgbImage image(40, 40, {180, 180, 180});
  for (int y = 0; y < 40; ++y) {
    for (int x = 0; x < 10; ++x) image.set_pixel(x, y, {0, 0, 0});
    image.set_pixel(25, y, {170, 170, 170});
  }
  GridPhoto photo = photo_of(std::move(image));
  // All equal and not black: too little contrast.
  EXPECT_FALSE(line_centre(photo, ScanAxis::Vertical, 20, 20).has_value());
  // A faint line: contrast under a tenth of the brightest value.
  EXPECT_FALSE(line_centre(photo, ScanAxis::Horizontal, 20, 25).has_value());
  // All black.
  EXPECT_FALSE(line_centre(photo, ScanAxis::Vertical, 3, 20).has_value());
  EXPECT_FALSE(line_centre(photo, ScanAxis::Vertical, 30, 100).has_value());
  // Dark to light: no bright side left of the minimum.
  EXPECT_FALSE(line_centre(photo, ScanAxis::Horizontal, 20, 12).has_value());
  // Light to dark at the photograph's edge: no bright side right of it.
  EXPECT_FALSE(line_centre(photo, ScanAxis::Horizontal, 20, 36).has_value());
}

TEST(Snap, RefinesAnInnerIntersectionWithAllScans) {
  const SyntheticGrid grid = test_support::calibration_grid();
  GridPhoto photo = photo_of(test_support::draw_grid(grid));
  const Point2 truth = test_support::true_intersection(grid, 2, 3);
  const Point2 snapped = snap(photo, {truth.x + 9, truth.y - 11}, 1);
  EXPECT_NEAR(snapped.x, truth.x, 0.1);
  EXPECT_NEAR(snapped.y, truth.y, 0.1);
}

TEST(Snap, DropsTheScansOffTheGridAndGivesZeroWhenAllFail) {
  const SyntheticGrid grid = test_support::calibration_grid();
  GridPhoto photo = photo_of(test_support::draw_grid(grid));
  const Point2 outer = test_support::true_intersection(grid, 8, 12);
  const Point2 snapped = snap(photo, {outer.x - 6, outer.y + 5}, 3);
  EXPECT_NEAR(snapped.x, outer.x, 0.1);
  EXPECT_NEAR(snapped.y, outer.y, 0.1);
  // Blank paper around the photograph's corner: every scan is flat.
  EXPECT_EQ(snap(photo, {15, 15}, 1), (Point2{0, 0}));
}

TEST(ClassifyClick, SortsByRegionAndCyclesTheCornerClicks) {
  GridPhoto photo = photo_of(RgbImage(640, 480));
  EXPECT_EQ(classify_click(photo, {160, 50}).kind, ClickKind::Ignored);   // u = 0.25 exactly
  EXPECT_EQ(classify_click(photo, {50, 120}).kind, ClickKind::Ignored);   // v = 0.25 exactly
  EXPECT_EQ(classify_click(photo, {480, 240}).kind, ClickKind::Ignored);  // u = 0.75 exactly
  EXPECT_EQ(classify_click(photo, {100, 400}).kind, ClickKind::Ignored);
  const ClickOutcome centre = classify_click(photo, {330.5, 250.25});
  EXPECT_EQ(centre.kind, ClickKind::Centre);
  EXPECT_EQ(centre.position, (Point2{330.5, 250.25}));
  EXPECT_EQ(photo.click_count, 0);

  for (int round = 0; round < 2; ++round) {
    for (int k = 0; k < 4; ++k) {
      const Point2 p{10.0 + k, 20.0 + round};
      const ClickOutcome corner = classify_click(photo, p);
      EXPECT_EQ(corner.kind, ClickKind::Corner);
      EXPECT_EQ(corner.point_index, k);
      EXPECT_EQ(corner.grid_due, k == 3);
      EXPECT_EQ(photo.corner_clicks[static_cast<std::size_t>(k)], p);
      EXPECT_EQ(photo.click_count, (k + 1) % 4);
    }
  }
}

TEST(SnapClick, WithoutAPhotographIgnoresClicksButKeepsTheGridSize) {
  GridPhoto photo;
  const ClickOutcome outcome = snapClick(photo, {10, 10}, 20, 14);
  EXPECT_EQ(outcome.kind, ClickKind::Ignored);
  EXPECT_EQ(photo.click_count, 0);
  EXPECT_EQ(photo.columns, 20);
  EXPECT_EQ(photo.rows, 14);
}

TEST(SnapClick, ClicksWithNoGridLineNearbyAreRefusedAndStoreNothing) {
  const SyntheticGrid grid = test_support::calibration_grid();
  GridPhoto photo = photo_of(test_support::draw_grid(grid));
  const Point2 top_left = test_support::true_intersection(grid, 0, 0);
  ASSERT_EQ(snapClick(photo, {top_left.x + 2, top_left.y + 3}, 12, 8).kind, ClickKind::Corner);

  // Blank paper above and left of the grid: the second corner is refused.
  const ClickOutcome missed = snapClick(photo, {20.7, 18.2}, 12, 8);
  EXPECT_EQ(missed.kind, ClickKind::MissedCorner);
  EXPECT_EQ(missed.point_index, 1);
  EXPECT_EQ(missed.position, (Point2{20, 18}));
  EXPECT_EQ(missed_click_message(missed),
            "Point 2 : no grid line found near (20, 18); click within a few pixels of the corner");
  EXPECT_EQ(photo.click_count, 1);
  EXPECT_EQ(photo.corner_clicks[1], (Point2{}));

  GridPhoto blank = photo_of(RgbImage(640, 480, {220, 220, 220}));
  const ClickOutcome centre = snapClick(blank, {331, 250}, 12, 8);
  EXPECT_EQ(centre.kind, ClickKind::MissedCentre);
  EXPECT_EQ(missed_click_message(centre),
            "Centre : no grid line found near (331, 250); click within a few pixels of the central cross");
  EXPECT_EQ(snapClick(blank, {600, 400}, 12, 8).kind, ClickKind::Ignored);
  EXPECT_EQ(missed_click_message(snapClick(blank, {600, 400}, 12, 8)), "");
}

TEST(SnapClick, ClicksNearTheCornersCalibrateTheWholeGrid) {
  struct Case {
    const char* name;
    double barrel;
    int noise;
  };
  for (const Case c : {Case{"straight", 0.0, 0}, Case{"distorted", 0.04, 0}, Case{"noisy", 0.0, 10},
                       Case{"distorted and noisy", 0.04, 10}}) {
    SCOPED_TRACE(c.name);
    SyntheticGrid grid = test_support::calibration_grid();
    grid.barrel = c.barrel;
    grid.noise = c.noise;
    GridPhoto photo;
    CameraModel camera;
    set_grid_photograph(photo, camera, std::make_unique<RgbImage>(test_support::draw_grid(grid)));
    const ClickOutcome centre = click_grid(photo, camera, grid, 12, 8);
    EXPECT_EQ(centre.kind, ClickKind::Centre);
    const Point2 cross = test_support::true_intersection(grid, 4, 6);
    EXPECT_NEAR(centre.position.x, cross.x, 0.5);
    EXPECT_NEAR(centre.position.y, cross.y, 0.5);
    EXPECT_EQ(camera.rows, 8);
    EXPECT_EQ(camera.columns, 12);
    expect_table_matches(camera, grid, 0.5);

    const GridCheck check = check_grid(camera, photo.intersection_found);
    EXPECT_TRUE(check.passed()) << ::testing::PrintToString(check.problems);
    EXPECT_EQ(check.found, 117);
    EXPECT_LT(check.rms_px, 0.3);
    EXPECT_LT(check.worst_px, 1.0);
    EXPECT_GT(check.cell_width_px.min, 38.0);
    EXPECT_LT(check.cell_width_px.max, 44.5);
    EXPECT_GT(check.cell_height_px.min, 38.0);
    EXPECT_LT(check.cell_height_px.max, 44.5);
  }
}

TEST(CalculateGrid, MatchesThePlainEvaluationOnWholeTables) {
  for (const double barrel : {0.0, 0.05}) {
    for (const int noise : {0, 15}) {
      SyntheticGrid grid = test_support::calibration_grid();
      grid.barrel = barrel;
      grid.noise = noise;
      GridPhoto photo = photo_of(test_support::draw_grid(grid));
      photo.columns = 12;
      photo.rows = 8;
      photo.corner_clicks = {Point2{57, 62}, Point2{101, 62}, Point2{101, 106}, Point2{57, 106}};
      CameraModel camera;
      ASSERT_TRUE(calculateGrid(photo, camera));
      const std::vector<Point2> reference = plain_grid(photo, {57, 62}, {44, 44});
      std::size_t k = 0;
      for (int i = 0; i <= 8; ++i) {
        for (int j = 0; j <= 12; ++j) EXPECT_EQ(camera.corner(i, j), reference[k++]) << i << ", " << j;
      }
    }
  }
}

TEST(CalculateGrid, EachPredictionRestsOnTheSnappedNeighbour) {
  // A first cell of 50 x 40 pixels, then wider and taller cells: every
  // prediction falls short by a few pixels, which is absorbed only when it
  // starts from the neighbour just found.
  SyntheticGrid grid;
  grid.width = 1400;
  grid.height = 900;
  grid.line_x = {100};
  for (int j = 1; j <= 20; ++j) grid.line_x.push_back(grid.line_x.back() + (j == 1 ? 50 : 58));
  grid.line_y = {80};
  for (int i = 1; i <= 14; ++i) grid.line_y.push_back(grid.line_y.back() + (i == 1 ? 40 : 48));
  GridPhoto photo;
  CameraModel camera;
  set_grid_photograph(photo, camera, std::make_unique<RgbImage>(test_support::draw_grid(grid)));
  camera.cells_ready = 1;
  click_grid(photo, camera, grid, 20, 14);
  EXPECT_EQ(camera.cells_ready, 0);
  EXPECT_EQ(photo.click_count, 0);
  expect_table_matches(camera, grid, 1e-9);
  // 21 x 15 intersections; the slots beyond stay empty.
  EXPECT_EQ(camera.corner(0, 21), (Point2{}));
  EXPECT_EQ(camera.corner(15, 0), (Point2{}));
}

TEST(CalculateGrid, RefusesGridSizesOutsideOneToThirty) {
  GridPhoto photo = photo_of(test_support::draw_grid(test_support::calibration_grid()));
  photo.corner_clicks = {Point2{57, 62}, Point2{101, 62}, Point2{101, 106}, Point2{57, 106}};
  for (const auto& [columns, rows] : {std::pair{0, 8}, std::pair{12, 0}, std::pair{31, 8}, std::pair{12, 31}}) {
    photo.columns = columns;
    photo.rows = rows;
    CameraModel camera;
    const CameraModel before = camera;
    EXPECT_FALSE(calculateGrid(photo, camera));
    EXPECT_EQ(camera, before);
  }
}

}  // namespace
}  // namespace plenvista
