#include "photogrammetry/grid_check.h"

#include <gtest/gtest.h>

#include <cmath>
#include <memory>
#include <utility>

#include "photogrammetry/grid_calibration.h"
#include "testing/cameras.h"
#include "testing/synthetic_grid.h"

namespace plenvista {
namespace {

using test_support::SyntheticGrid;

std::string problems_text(const GridCheck& check) {
  std::string text;
  for (const std::string& p : check.problems) text += p + "\n";
  return text;
}

// Traces a 12 x 8 grid in `image` from the four corners of the top-left
// cell of `grid` and checks it. Good grids are checked where the clicks
// calibrate them (grid_calibration_test.cpp).
GridCheck trace(RgbImage image, const SyntheticGrid& grid) {
  GridPhoto photo;
  CameraModel camera;
  set_grid_photograph(photo, camera, std::make_unique<RgbImage>(std::move(image)));
  photo.columns = 12;
  photo.rows = 8;
  photo.corner_clicks = {test_support::true_intersection(grid, 0, 0), test_support::true_intersection(grid, 0, 1),
                         test_support::true_intersection(grid, 1, 1), test_support::true_intersection(grid, 1, 0)};
  EXPECT_TRUE(calculateGrid(photo, camera));
  return check_grid(camera, photo.intersection_found);
}

TEST(GridCheck, FaultyPhotographsFailNamingTheIntersection) {
  {
    SCOPED_TRACE("one vertical line missing");
    const SyntheticGrid grid = test_support::calibration_grid();
    SyntheticGrid drawn = grid;
    drawn.line_x.erase(drawn.line_x.begin() + 5);
    const GridCheck check = trace(test_support::draw_grid(drawn), grid);
    EXPECT_EQ(check.found, 117 - 9);
    ASSERT_FALSE(check.passed());
    EXPECT_EQ(check.problems.front(), "Not found: 9 intersections, the first at row 0, column 5");
    for (const GridIntersection& m : check.missing) EXPECT_EQ(m.column, 5);
  }
  {
    SCOPED_TRACE("a smudge thickening a line beside an intersection");
    const SyntheticGrid grid = test_support::calibration_grid();
    RgbImage image = test_support::draw_grid(grid);
    const Point2 s = test_support::true_intersection(grid, 3, 4);
    for (int y = static_cast<int>(s.y); y <= s.y + 8.5; ++y)
      for (int x = static_cast<int>(s.x) - 15; x <= s.x + 15; ++x) image.set_pixel(x, y, {40, 40, 40});
    const GridCheck check = trace(std::move(image), grid);
    ASSERT_EQ(check.problems.size(), 1u) << problems_text(check);
    EXPECT_EQ(check.worst, (GridIntersection{3, 4}));
    EXPECT_NE(check.problems.front().find("Deviation from a smooth grid above 2.00 px"), std::string::npos);
  }
  {
    SCOPED_TRACE("an ink blot over an intersection");
    const SyntheticGrid grid = test_support::calibration_grid();
    RgbImage image = test_support::draw_grid(grid);
    const Point2 s = test_support::true_intersection(grid, 3, 4);
    for (int y = 0; y < image.height(); ++y)
      for (int x = 0; x < image.width(); ++x)
        if (std::hypot(x - s.x - 7, y - s.y - 7) <= 12) image.set_pixel(x, y, {40, 40, 40});
    const GridCheck check = trace(std::move(image), grid);
    EXPECT_EQ(check.problems, (std::vector<std::string>{"Not found: intersection row 3, column 4"}));
  }
  {
    SCOPED_TRACE("a brick wall, not a grid");
    // Rows of 44-pixel bricks, every other row shifted by half a brick.
    SyntheticGrid grid = test_support::calibration_grid();
    RgbImage image(640, 480, {220, 220, 220});
    for (int y = 0; y < 480; ++y) {
      for (int x = 0; x < 640; ++x) {
        const int row = (y + 22) / 44;
        const int shift = row % 2 ? 22 : 0;
        if ((y + 22) % 44 < 3 || (x + 60 + shift) % 44 < 3) image.set_pixel(x, y, {30, 30, 30});
      }
    }
    const GridCheck check = trace(std::move(image), grid);
    EXPECT_FALSE(check.passed());
  }
}

TEST(GridCheck, RulesOnATable) {
  CameraModel camera = test_support::pinhole_camera(100.0);  // 14 x 20 cells, 2272 x 1704 photograph
  std::vector<bool> found(15 * 21, true);
  GridCheck check = check_grid(camera, found);
  EXPECT_TRUE(check.passed()) << problems_text(check);
  EXPECT_LT(check.rms_px, 1e-6);
  EXPECT_EQ(check.cell_width_px.min, 100.0);
  EXPECT_EQ(check.cell_height_px.max, 100.0);
  const std::vector<std::string> summary = grid_check_summary(check);
  ASSERT_EQ(summary.size(), 3u);
  EXPECT_EQ(summary[0], "Intersections found : 315 of 315");
  EXPECT_EQ(summary[1].rfind("Deviation from a smooth grid : RMS 0.00 px, worst 0.00 px at row ", 0), 0u);
  EXPECT_EQ(summary[2], "Cell size : 100.00 to 100.00 px wide, 100.00 to 100.00 px high");

  // Three pixels off: too far from the smooth grid, though in order and
  // without a jump in spacing.
  camera.corner(5, 8).x += 3.0;
  check = check_grid(camera, found);
  ASSERT_EQ(check.problems.size(), 1u) << problems_text(check);
  EXPECT_EQ(check.worst, (GridIntersection{5, 8}));
  EXPECT_EQ(check.problems.front().rfind("Deviation from a smooth grid above 2.00 px: 2.", 0), 0u)
      << check.problems.front();
  EXPECT_NE(check.problems.front().find(" at row 5, column 8"), std::string::npos);

  // Beyond its right neighbour: out of order and two spacing jumps.
  camera.corner(5, 8).x += 102.0;
  check = check_grid(camera, found);
  EXPECT_EQ(check.out_of_order, (std::vector<GridIntersection>{{5, 9}}));
  EXPECT_EQ(check.spacing_jumps, (std::vector<GridIntersection>{{5, 8}, {5, 9}, {5, 10}}));

  // Not found: left out of the order and spacing rules and of the fit.
  found[5 * 21 + 8] = false;
  check = check_grid(camera, found);
  EXPECT_EQ(check.problems, (std::vector<std::string>{"Not found: intersection row 5, column 8"}));
  EXPECT_EQ(check.found, 314);

  EXPECT_EQ(check_grid(camera, std::vector<bool>(10, true)).problems,
            (std::vector<std::string>{"The grid has not been traced"}));
  EXPECT_EQ(check_grid(CameraModel{}, {}).problems, (std::vector<std::string>{"The grid has not been traced"}));
}

}  // namespace
}  // namespace plenvista
