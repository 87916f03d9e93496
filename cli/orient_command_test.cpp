// plenvista-cli orient on the sample house marked with tie points only:
// the scale and axes from the command line, the result stored, and inputs
// that cannot be oriented leaving the file as it was, automatic tie points
// left out on request.

#include <gtest/gtest.h>

#include <cmath>

#include "cli/cli_test_support.h"
#include "model/auto_ties.h"
#include "model/image_management.h"
#include "model/tie_points.h"
#include "photogrammetry/projection.h"
#include "testing/sample_scene.h"

namespace plenvista {
namespace {

using test_support::OpenedProject;
using test_support::parse_json;

std::string corner_label(std::size_t k) { return "T" + std::to_string(k); }

// The sample's photographs with its house corners marked where the true
// poses show them, as tie points, and the pinhole camera in cam.cal.
void write_tie_project(const test_support::TempDir& dir, std::size_t photographs) {
  CameraModel camera = test_support::pinhole_camera();
  test_support::RecordingMessages messages;
  ASSERT_TRUE(save_camera((dir.path / "cam.cal").string(), camera, messages));
  MemorySettingsStore store;
  test_support::RecordingNotifier notifier;
  Project project{store, notifier, messages};
  project.set_path((dir.path / "p.op2").string());
  project.camera_file_name = "cam.cal";
  project.images().camera = camera;
  std::vector<LabelledMark> marks;
  for (std::size_t s = 0; s < photographs; ++s) {
    const sample::Shot& shot = sample::kShots[s];
    auto made = std::make_unique<ProjectImage>();
    made->file_name = shot.file;
    ProjectImage* image = add_image(project, std::move(made));
    image->camera = &project.images().camera;
    image->centre_x = camera.centre_x;
    image->centre_y = camera.centre_y;
    image->pixel_width = 2272;
    image->pixel_height = 1704;
    const PreparedPose pose(*image, sample::true_pose(shot));
    for (std::size_t k = 0; k < sample::kHouseCorners.size(); ++k)
      marks.push_back({corner_label(k), pose.project(sample::kHouseCorners[k], true), shot.file, 0});
  }
  ASSERT_TRUE(import_labelled_marks(project, marks));
  ASSERT_TRUE(save_project(project));
}

std::vector<double> numbers(const QJsonValue& array) {
  std::vector<double> out;
  for (const QJsonValue& v : array.toArray()) out.push_back(v.toDouble());
  return out;
}

TEST(CliOrient, TiePointsAloneWithADistanceAndAxesGiveTheSampleHouseBack) {
  test_support::TempDir dir;
  write_tie_project(dir, sample::kShots.size());
  const std::string project = test_support::read_text(dir.path / "p.op2");
  const std::string side = test_support::read_text(dir.path / "p.points.csv");

  // A scale bar to a label nothing carries: a message, and nothing written.
  auto run = test_support::run_cli(dir, "orient p.op2 --distance T0 Z9 600");
  EXPECT_EQ(run.status, 1);
  EXPECT_NE(run.err.find("Z9"), std::string::npos) << run.err;
  EXPECT_EQ(test_support::read_text(dir.path / "p.op2"), project);
  EXPECT_EQ(test_support::read_text(dir.path / "p.points.csv"), side);

  run = test_support::run_cli(dir, "orient p.op2 --distance T0 T1 600 --axes T0 T1 T4 --json");
  ASSERT_EQ(run.status, 0) << run.err;
  const QJsonObject result = parse_json(run.out);
  EXPECT_LT(result["rms_px"].toDouble(), 0.05);
  EXPECT_TRUE(result["outliers"].toArray().isEmpty());
  const QJsonArray images = result["images"].toArray();
  ASSERT_EQ(images.size(), 4);
  for (qsizetype s = 0; s < images.size(); ++s) {
    const QJsonObject image = images[s].toObject();
    EXPECT_TRUE(image["oriented"].toBool());
    EXPECT_EQ(image["file"].toString(), sample::kShots[static_cast<std::size_t>(s)].file);
    const std::vector<double> centre = numbers(image["centre"]);
    const Vec3 eye = sample::kShots[static_cast<std::size_t>(s)].eye;
    ASSERT_EQ(centre.size(), 3u);
    EXPECT_LT(std::hypot(centre[0] - eye.x, centre[1] - eye.y, centre[2] - eye.z), 1.0);
  }
  const QJsonArray points = result["points"].toArray();
  ASSERT_EQ(points.size(), static_cast<qsizetype>(sample::kHouseCorners.size()));
  for (const QJsonValue& value : points) {
    const QJsonObject point = value.toObject();
    const std::size_t k = std::stoul(point["label"].toString().mid(1).toStdString());
    const std::vector<double> xyz = numbers(point["xyz"]);
    ASSERT_EQ(xyz.size(), 3u);
    const Vec3 truth = sample::kHouseCorners[k];
    EXPECT_LT(std::hypot(xyz[0] - truth.x, xyz[1] - truth.y, xyz[2] - truth.z), 0.3) << k;
    EXPECT_EQ(numbers(point["sigma_mm"]).size(), 3u);
    EXPECT_GE(point["rays"].toInt(), 2);
    EXPECT_GT(point["max_angle_deg"].toDouble(), 10);
  }
  EXPECT_TRUE(result["datum"].isObject());

  // Stored: poses that the search's scores accept, tie points with
  // coordinates, and model points made on them.
  {
    OpenedProject opened((dir.path / "p.op2").string());
    for (const ProjectImage* image : opened.project.images().images) {
      EXPECT_EQ(image->pose_known, 1);
      EXPECT_GT(image->search_score, 99.9);
      EXPECT_TRUE(image->tie_marks.empty());
    }
    const TiePoint* ridge = find_tie_point(opened.project.model, "T9");
    ASSERT_TRUE(ridge && ridge->position && ridge->precision);
  }
  run = test_support::run_cli(dir, "make-points p.op2 --ties");
  ASSERT_EQ(run.status, 0) << run.err;
  OpenedProject opened((dir.path / "p.op2").string());
  EXPECT_EQ(opened.project.model.points.count(), static_cast<int>(sample::kHouseCorners.size()));
}

TEST(CliOrient, WithoutAutoLeavesTheAutomaticTiesOutAndKeepsThem) {
  test_support::TempDir dir;
  write_tie_project(dir, sample::kShots.size());
  {
    // Three automatic ties on corners 0-2, each forty pixels off in the
    // last photograph: wrong matches an orientation with them would reject.
    OpenedProject opened((dir.path / "p.op2").string());
    std::vector<FoundTie> found(3);
    for (const ProjectImage* image : opened.project.images().images)
      for (std::size_t k = 0; k < found.size(); ++k) {
        Point2 at =
            mark_pixel(*image, *find_mark_of(*image, find_tie_point(opened.project.model, corner_label(k))->id));
        if (image == opened.project.images().images.last()) at.x += 40;
        found[k].push_back({image->id, at});
      }
    ASSERT_TRUE(add_automatic_ties(opened.project, found));
    ASSERT_TRUE(save_project(opened.project));
  }

  auto run = test_support::run_cli(dir, "orient p.op2 --without-auto --distance T0 T1 600 --axes T0 T1 T4 --json");
  ASSERT_EQ(run.status, 0) << run.err;
  QJsonObject result = parse_json(run.out);
  EXPECT_EQ(result["left_out_automatic_marks"].toInt(), 12);
  EXPECT_LT(result["rms_px"].toDouble(), 0.05);
  EXPECT_TRUE(result["removed_automatic"].toArray().isEmpty());
  EXPECT_EQ(result["points"].toArray().size(), static_cast<qsizetype>(sample::kHouseCorners.size()));
  for (const QJsonValue& point : result["points"].toArray())
    EXPECT_FALSE(point.toObject()["label"].toString().startsWith("auto-"));
  {
    OpenedProject opened((dir.path / "p.op2").string());
    const TiePoint* kept = find_tie_point(opened.project.model, "auto-2");
    ASSERT_TRUE(kept);
    EXPECT_FALSE(kept->position);
    EXPECT_EQ(opened.project.images().images.first()->tie_marks.count(), 3);
  }
  run = test_support::run_cli(dir, "orient p.op2 --without-auto --distance T0 T1 600 --axes T0 T1 T4");
  ASSERT_EQ(run.status, 0) << run.err;
  EXPECT_NE(run.out.find("Automatic tie points left out: 12 marks\n"), std::string::npos) << run.out;

  // With them, they take part and their wrong marks get them removed.
  run = test_support::run_cli(dir, "orient p.op2 --distance T0 T1 600 --axes T0 T1 T4 --json");
  ASSERT_EQ(run.status, 0) << run.err;
  result = parse_json(run.out);
  EXPECT_EQ(result["left_out_automatic_marks"].toInt(), 0);
  EXPECT_EQ(result["removed_automatic"].toArray().size(), 3);
  OpenedProject opened((dir.path / "p.op2").string());
  EXPECT_FALSE(find_tie_point(opened.project.model, "auto-1"));
}

TEST(CliOrient, OnePhotographHasNothingToOrientFrom) {
  test_support::TempDir dir;
  write_tie_project(dir, 1);
  const std::string project = test_support::read_text(dir.path / "p.op2");
  const auto run = test_support::run_cli(dir, "orient p.op2 --json");
  EXPECT_EQ(run.status, 1);
  EXPECT_TRUE(run.out.empty());
  EXPECT_NE(run.err.find("Error: "), std::string::npos) << run.err;
  EXPECT_EQ(test_support::read_text(dir.path / "p.op2"), project);
}

}  // namespace
}  // namespace plenvista
