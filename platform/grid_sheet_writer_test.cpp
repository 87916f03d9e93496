#include "platform/grid_sheet_writer.h"

#include <gtest/gtest.h>

#include <QImage>
#include <cmath>
#include <cstdlib>
#include <memory>
#include <vector>

#include "photogrammetry/grid_calibration.h"
#include "photogrammetry/grid_photo.h"
#include "testing/temp_dir.h"

namespace plenvista {
namespace {

using test_support::TempDir;

bool has_program(const char* name) {
  return std::system((std::string("command -v ") + name + " >/dev/null 2>&1").c_str()) == 0;
}

// The sheet rendered back at `pixels_per_mm` by a reader of its own: pdftoppm
// for PDF, rsvg-convert for SVG. A null image when the reader is missing.
QImage render(const TempDir& dir, const GridSheet& sheet, SheetFormat format, int pixels_per_mm) {
  const char* reader = format == SheetFormat::Pdf ? "pdftoppm" : "rsvg-convert";
  if (!has_program(reader)) return {};
  const std::string file = (dir.path / (format == SheetFormat::Pdf ? "grid.pdf" : "grid.svg")).string();
  std::string error;
  EXPECT_TRUE(write_grid_sheet(sheet, file, error)) << error;
  const std::string png = (dir.path / "grid.png").string();
  const std::string dpi = std::to_string(static_cast<int>(std::lround(pixels_per_mm * 25.4)));
  const std::string command =
      format == SheetFormat::Pdf
          ? "pdftoppm -r " + dpi + " -gray -png -singlefile '" + file + "' '" + (dir.path / "grid").string() + "'"
          : "rsvg-convert -d " + dpi + " -p " + dpi + " -b white -o '" + png + "' '" + file + "'";
  EXPECT_EQ(std::system(command.c_str()), 0) << command;
  QImage image(QString::fromStdString(png));
  return image.convertToFormat(QImage::Format_Grayscale8);
}

// Centres of the dark runs along a row or column of the image, in page
// millimetres (pixel k covers k..k+1 pixels), weighted by darkness.
std::vector<double> dark_runs(const QImage& image, bool along_x, int fixed, int pixels_per_mm) {
  std::vector<double> centres;
  const int n = along_x ? image.width() : image.height();
  double weight = 0.0, moment = 0.0;
  for (int k = 0; k <= n; ++k) {
    const int grey = k < n ? (along_x ? qGray(image.pixel(k, fixed)) : qGray(image.pixel(fixed, k))) : 255;
    const double ink = (255 - grey) / 255.0;
    if (ink > 0.1) {
      weight += ink;
      moment += ink * (k + 0.5);
    } else if (weight > 0) {
      centres.push_back(moment / weight / pixels_per_mm);
      weight = moment = 0.0;
    }
  }
  return centres;
}

double run_width_mm(const QImage& image, int x, double y_mm, int pixels_per_mm) {
  int dark = 0;
  const int y0 = static_cast<int>(y_mm * pixels_per_mm);
  for (int y = y0 - 5 * pixels_per_mm; y < y0 + 5 * pixels_per_mm; ++y)
    if (qGray(image.pixel(x, y)) < 128) ++dark;
  return static_cast<double>(dark) / pixels_per_mm;
}

GridSheetRequest a4_landscape_request() {
  GridSheetRequest request;  // 20 x 14 cells of 10 mm
  request.landscape = true;
  return request;
}

TEST(GridSheet, RenderedBackShowsLinesAtScaleAndCrossAtCentre) {
  const GridSheetRequest request = a4_landscape_request();
  const GridSheet sheet = *lay_out_grid_sheet(request).sheet;
  constexpr int kPpm = 10;  // 254 dpi
  for (const SheetFormat format : {SheetFormat::Pdf, SheetFormat::Svg}) {
    SCOPED_TRACE(format == SheetFormat::Pdf ? "PDF" : "SVG");
    TempDir dir;
    const QImage image = render(dir, sheet, format, kPpm);
    if (image.isNull()) GTEST_SKIP() << "pdftoppm or rsvg-convert is not installed (scripts/install-deps.sh)";
    EXPECT_NEAR(image.width(), 297 * kPpm, 2);
    EXPECT_NEAR(image.height(), 210 * kPpm, 2);

    // Through the middle of the first column of cells and of the first row.
    const int scan_x = static_cast<int>((sheet.grid_left_mm + 5.0) * kPpm);
    const int scan_y = static_cast<int>((sheet.grid_top_mm + 5.0) * kPpm);
    const std::vector<double> ys = dark_runs(image, false, scan_x, kPpm);
    const std::vector<double> xs = dark_runs(image, true, scan_y, kPpm);
    // Below the grid the caption adds runs of its own; the grid's come first.
    ASSERT_GE(ys.size(), 15u);
    ASSERT_EQ(xs.size(), 21u);
    for (int i = 0; i <= 14; ++i) EXPECT_NEAR(ys[i], sheet.grid_top_mm + 10.0 * i, 0.1) << "row line " << i;
    for (int j = 0; j <= 20; ++j) EXPECT_NEAR(xs[j], sheet.grid_left_mm + 10.0 * j, 0.1) << "column line " << j;

    // The cross sits on intersection (7, 10), three times as thick as a line.
    const double cross_x = sheet.grid_left_mm + 100.0;
    const double cross_y = sheet.grid_top_mm + 70.0;
    const double thick = run_width_mm(image, static_cast<int>((cross_x + 2.5) * kPpm), cross_y, kPpm);
    const double thin = run_width_mm(image, static_cast<int>((cross_x + 7.5) * kPpm), cross_y, kPpm);
    EXPECT_NEAR(thick, 3 * sheet.line_width_mm, 0.15);
    EXPECT_NEAR(thin, sheet.line_width_mm, 0.15);
    const std::vector<double> cross_rows = dark_runs(image, false, static_cast<int>((cross_x + 2.5) * kPpm), kPpm);
    ASSERT_GT(cross_rows.size(), 7u);
    EXPECT_NEAR(cross_rows[7], cross_y, 0.1);
  }
}

TEST(GridSheet, GridCalibrationFindsEveryIntersectionOfTheRenderedSheet) {
  GridSheetRequest request;
  request.rows = 8;
  request.columns = 12;
  const GridSheet sheet = *lay_out_grid_sheet(request).sheet;
  constexpr int kPpm = 5;  // 127 dpi: cells of 50 pixels
  TempDir dir;
  const QImage page = render(dir, sheet, SheetFormat::Pdf, kPpm);
  if (page.isNull()) GTEST_SKIP() << "pdftoppm is not installed (scripts/install-deps.sh)";

  // The photograph: the grid with about one cell of paper around it, the
  // cross a few pixels off the photograph's centre as in a real photograph.
  const int left = static_cast<int>((sheet.grid_left_mm - 10.0) * kPpm) - 7;
  const int top = static_cast<int>((sheet.grid_top_mm - 10.0) * kPpm) - 6;
  const QImage photo = page.copy(left, top, 14 * 10 * kPpm, 10 * 10 * kPpm);
  auto pixels = std::make_unique<RgbImage>(photo.width(), photo.height());
  for (int y = 0; y < photo.height(); ++y)
    for (int x = 0; x < photo.width(); ++x) {
      const auto g = static_cast<std::uint8_t>(qGray(photo.pixel(x, y)));
      pixels->set_pixel(x, y, {g, g, g});
    }
  // Intersection (i, j) in photograph pixels, pixel centres at whole numbers.
  const auto at = [&](int i, int j) {
    return Point2{(sheet.grid_left_mm + 10.0 * j) * kPpm - left - 0.5,
                  (sheet.grid_top_mm + 10.0 * i) * kPpm - top - 0.5};
  };

  GridPhoto grid;
  CameraModel camera;
  set_grid_photograph(grid, camera, std::move(pixels));
  const Point2 cross = at(4, 6);
  EXPECT_EQ(snapClick(grid, {cross.x + 3, cross.y - 2}, 12, 8).kind, ClickKind::Centre);
  for (const auto& [i, j] : {std::pair{0, 0}, {0, 1}, {1, 1}, {1, 0}}) {
    const Point2 p = at(i, j);
    EXPECT_EQ(snapClick(grid, {p.x + 2, p.y + 3}, 12, 8).kind, ClickKind::Corner);
  }
  ASSERT_TRUE(calculateGrid(grid, camera));
  for (int i = 0; i <= 8; ++i)
    for (int j = 0; j <= 12; ++j) {
      EXPECT_TRUE(grid.intersection_found[static_cast<std::size_t>(i * (12 + 1) + j)]) << i << ", " << j;
      EXPECT_NEAR(camera.corner(i, j).x, at(i, j).x, 0.75) << i << ", " << j;
      EXPECT_NEAR(camera.corner(i, j).y, at(i, j).y, 0.75) << i << ", " << j;
    }
}

TEST(GridSheet, RefusesWhatDoesNotFitThePaper) {
  GridSheetRequest request;  // 20 x 14 cells of 10 mm: 200 mm wide
  const GridSheetLayout portrait = lay_out_grid_sheet(request);
  EXPECT_FALSE(portrait.sheet);
  EXPECT_NE(portrait.error.find("does not fit on A4 portrait"), std::string::npos) << portrait.error;
  EXPECT_NE(portrait.error.find("it fits on A4 landscape"), std::string::npos) << portrait.error;

  request.cell_width_mm = request.cell_height_mm = 30.0;
  request.paper = Paper::A2;
  const GridSheetLayout big = lay_out_grid_sheet(request);
  EXPECT_FALSE(big.sheet);
  EXPECT_NE(big.error.find("choose larger paper"), std::string::npos) << big.error;

  request.rows = 31;
  EXPECT_FALSE(lay_out_grid_sheet(request).sheet);
  request = {};
  request.cell_height_mm = 0.0;
  EXPECT_FALSE(lay_out_grid_sheet(request).sheet);
}

}  // namespace
}  // namespace plenvista
