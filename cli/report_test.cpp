// The residuals on the command line: locate, info and add-point with
// --json, and the report with its table, its JSON and its plots, on two
// photographs of a box whose reference points were marked where the true
// poses project them, one of them with a coordinate typed 100 mm off.

#include <gtest/gtest.h>

#include <QImage>
#include <cmath>
#include <numbers>
#include <random>

#include "cli/cli_test_support.h"
#include "model/image_management.h"
#include "photogrammetry/camera_file.h"
#include "photogrammetry/image_search.h"
#include "photogrammetry/projection.h"
#include "testing/search_scenes.h"

namespace plenvista {
namespace {

using test_support::CliRun;
using test_support::OpenedProject;
using test_support::parse_json;

// An ideal pinhole of focal length 600 pixels for 640 x 480 photographs.
CameraModel small_pinhole() {
  CameraModel camera;
  allocate_tables(camera, 14, 20);
  camera.centre_x = 320;
  camera.centre_y = 240;
  camera.native_width = 640;
  camera.native_height = 480;
  for (int r = 0; r <= 14; ++r)
    for (int c = 0; c < kCornerSlots; ++c) camera.corner(r, c) = {320 + (c - 10) * 60.0, 240 + (r - 7) * 60.0};
  derive_cells(camera);
  return camera;
}

const Vec3 kTarget{500, 400, 300};
const Vec3 kEyeA{1400, 1100, 2000};
const Vec3 kEyeB{-700, 900, 1900};

TEST(CliReport, ResidualsRankTheWrongCoordinateFirstInEveryOutput) {
  test_support::TempDir dir;
  CameraModel camera = small_pinhole();
  test_support::RecordingMessages messages;
  ASSERT_TRUE(save_camera(dir.dir("") + "cam.cal", camera, messages));
  dir.write("a.bmp", test_support::bmp_bytes(RgbImage(640, 480, {200, 200, 200})));
  dir.write("b.bmp", test_support::bmp_bytes(RgbImage(640, 480, {200, 200, 200})));
  const auto run = [&](const std::string& arguments) { return test_support::run_cli(dir, arguments); };
  ASSERT_EQ(run("new p.op2 --camera cam.cal --dirs '.'").status, 0);
  ASSERT_EQ(run("add-image p.op2 --file a.bmp --description A").status, 0);
  ASSERT_EQ(run("add-image p.op2 --file b.bmp --description B").status, 0);

  std::mt19937 rng(3);
  const std::vector<Vec3> world = test_support::box_points(rng, 9, {0, 0, 0}, {1000, 800, 600});
  int typo_id = 0;
  {
    OpenedProject opened((dir.path / "p.op2").string());
    Project& project = opened.project;
    for (int k = 0; k < 2; ++k) {
      ProjectImage& image = *project.images().images.at(k);
      const PreparedPose truth(image, pose_looking_at(k == 0 ? kEyeA : kEyeB, kTarget, {0, 1, 0}));
      for (std::size_t n = 0; n < world.size(); ++n) {
        Vec3 typed = world[n];
        if (k == 0 && n == 4) typed.x += 100;
        const ReferencePoint* point = add_reference_point(project, image, typed, truth.project(world[n], false));
        if (k == 0 && n == 4) typo_id = point->id;
      }
    }
    ASSERT_TRUE(save_project(project));
  }

  CliRun located = run("locate p.op2 --json");
  ASSERT_EQ(located.status, 0) << located.err;
  const QJsonArray images = parse_json(located.out)["images"].toArray();
  ASSERT_EQ(images.size(), 2);
  const QJsonObject a = images.at(0).toObject();
  EXPECT_GT(a["rms_px"].toDouble(), 1.0) << located.out;
  EXPECT_LT(images.at(1).toObject()["rms_px"].toDouble(), 0.5) << located.out;
  for (const QJsonValue& value : a["reference_points"].toArray()) {
    const QJsonObject point = value.toObject();
    const QJsonArray d = point["residual"].toArray();
    EXPECT_NEAR(point["residual_px"].toDouble(), std::hypot(d.at(0).toDouble(), d.at(1).toDouble()), 1e-9);
    EXPECT_EQ(point["outlier"].toBool(), point["id"].toInt() == typo_id) << located.out;
  }

  // The text table lists the largest residual first.
  const CliRun text = run("report p.op2");
  ASSERT_EQ(text.status, 0) << text.err;
  const std::size_t header = text.out.find("Outlier\n");
  ASSERT_NE(header, std::string::npos) << text.out;
  const std::string first_row = text.out.substr(header + 8, text.out.find('\n', header + 8) - header - 8);
  EXPECT_EQ(first_row.substr(0, 10), std::string(10 - std::to_string(typo_id).size(), ' ') + std::to_string(typo_id));
  EXPECT_NE(first_row.find("yes"), std::string::npos) << text.out;
  EXPECT_NE(text.out.find("Image 3 \"B\": score"), std::string::npos) << text.out;

  const QJsonObject report = parse_json(run("report p.op2 --json").out);
  EXPECT_EQ(report["images"].toArray().at(0).toObject()["rms_px"], a["rms_px"]);
  EXPECT_EQ(report["images"].toArray().at(0).toObject()["residuals"].toArray().size(), 9);
  const QJsonObject info = parse_json(run("info p.op2 --json").out);
  EXPECT_EQ(info["images"].toArray().at(1).toObject()["residuals"].toArray().size(), 9);

  // One picture per located photograph: the photograph dimmed, residual
  // lines in their grade's colour (the wrong coordinate's in red).
  const std::string before = test_support::read_text(dir.path / "p.op2");
  const CliRun plotted = run("report p.op2 --plot plots --scale 5");
  ASSERT_EQ(plotted.status, 0) << plotted.err;
  EXPECT_EQ(test_support::read_text(dir.path / "p.op2"), before);
  const QImage plot((dir.path / "plots/image-2.png").string().c_str());
  ASSERT_EQ(plot.size(), QSize(640, 480));
  EXPECT_EQ(QImage((dir.path / "plots/image-3.png").string().c_str()).size(), QSize(640, 480));
  int dimmed = 0, red = 0;
  for (int y = 0; y < plot.height(); ++y)
    for (int x = 0; x < plot.width(); ++x) {
      const QColor c = plot.pixelColor(x, y);
      if (c.red() < 100 && c.green() < 100 && c.blue() < 100) ++dimmed;
      if (c.red() > 200 && c.green() < 120) ++red;
    }
  EXPECT_GT(dimmed, 640 * 480 / 2);
  EXPECT_GT(red, 20);

  // A point from both photographs: its reprojection errors and the angle
  // between the rays from the found camera centres, worked out here from
  // the saved poses.
  const Vec3 corner{250, 350, 150};
  Point2 at_a, at_b;
  {
    OpenedProject opened((dir.path / "p.op2").string());
    at_a = project_to_image(corner, *opened.project.images().images.at(0), true);
    at_b = project_to_image(corner, *opened.project.images().images.at(1), true);
    at_b.y += 2;
  }
  const CliRun added = run("add-point p.op2 --json --image 2 " + std::to_string(at_a.x) + " " + std::to_string(at_a.y) +
                           " --partner 3 " + std::to_string(at_b.x) + " " + std::to_string(at_b.y));
  ASSERT_EQ(added.status, 0) << added.err;
  const QJsonObject point = parse_json(added.out);
  const QJsonArray errors = point["reprojection_px"].toArray();
  ASSERT_EQ(errors.size(), 2);
  const QJsonArray p = point["position"].toArray();
  const Vec3 made{p.at(0).toDouble(), p.at(1).toDouble(), p.at(2).toDouble()};
  OpenedProject opened((dir.path / "p.op2").string());
  const ProjectImage& image_a = *opened.project.images().images.at(0);
  const ProjectImage& image_b = *opened.project.images().images.at(1);
  const Point2 back_a = project_to_image(made, image_a, true);
  const Point2 back_b = project_to_image(made, image_b, true);
  const double clicked_ax = std::stod(std::to_string(at_a.x)), clicked_ay = std::stod(std::to_string(at_a.y));
  const double clicked_bx = std::stod(std::to_string(at_b.x)), clicked_by = std::stod(std::to_string(at_b.y));
  EXPECT_NEAR(errors.at(0).toDouble(), std::hypot(back_a.x - clicked_ax, back_a.y - clicked_ay), 1e-6);
  EXPECT_NEAR(errors.at(1).toDouble(), std::hypot(back_b.x - clicked_bx, back_b.y - clicked_by), 1e-6);
  EXPECT_GT(errors.at(0).toDouble() + errors.at(1).toDouble(), 0.5) << "the 2-pixel slip shows";
  const Vec3 centre_a = image_a.pose.offset * -1.0;
  const Vec3 centre_b = image_b.pose.offset * -1.0;
  const double ra = length(made - centre_a), rb = length(made - centre_b), ab = length(centre_a - centre_b);
  EXPECT_NEAR(point["ray_angle"].toDouble(),
              std::acos((ra * ra + rb * rb - ab * ab) / (2 * ra * rb)) * 180 / std::numbers::pi, 1e-6);
  EXPECT_FALSE(point["weak_rays"].toBool());
}

}  // namespace
}  // namespace plenvista
