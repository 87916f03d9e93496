// plenvista-cli find-ties on three rendered photographs of a textured plane
// and box: automatic ties stored on the true epipolar lines, an orientation
// from them, then guided matching; and the refusals that leave the file.

#include <gtest/gtest.h>

#include <cmath>
#include <fstream>

#include "cli/cli_test_support.h"
#include "model/image_management.h"
#include "testing/epipolar_check.h"

namespace plenvista {
namespace {

using test_support::OpenedProject;
using test_support::parse_json;

constexpr double kPitch = 50;  // 1000 x 700 photographs, focal length 500 px

// The photographs at their true poses, 20 degrees apart, in p.op2 without
// poses and in files beside it.
struct ThreeViews {
  test_support::TempDir dir;
  CameraModel camera = test_support::scene_camera(kPitch);
  std::vector<ProjectImage> truth;

  ThreeViews() {
    test_support::RecordingMessages messages;
    EXPECT_TRUE(save_camera((dir.path / "cam.cal").string(), camera, messages));
    MemorySettingsStore store;
    test_support::RecordingNotifier notifier;
    Project project{store, notifier, messages};
    project.set_path((dir.path / "p.op2").string());
    project.camera_file_name = "cam.cal";
    project.images().camera = camera;
    const test_support::TexturedScene scene;
    for (int k = 0; k < 3; ++k) {
      const double angle = (k - 1) * 20 * kDegreesToRadians;
      truth.push_back(
          test_support::scene_image(camera, {900 * std::sin(angle), 520, 900 * std::cos(angle)}, {0, 60, 0}));
      const std::string name = "view" + std::to_string(k) + ".bmp";
      std::ofstream(dir.path / name, std::ios::binary) << test_support::bmp_bytes(scene.render(truth.back(), kPitch));
      auto made = std::make_unique<ProjectImage>();
      made->file_name = name;
      ProjectImage* image = add_image(project, std::move(made));
      image->camera = &project.images().camera;
      image->centre_x = camera.centre_x;
      image->centre_y = camera.centre_y;
      image->pixel_width = static_cast<int>(20 * kPitch);
      image->pixel_height = static_cast<int>(14 * kPitch);
    }
    EXPECT_TRUE(save_project(project));
  }

  const ProjectImage& true_image(const Project& project, int id) const {
    return truth[static_cast<std::size_t>(project.images().images.lookup(id).slot)];
  }
};

int verified(const QJsonObject& report, bool guided) {
  int sum = 0;
  for (const QJsonValue& pair : report["pairs"].toArray()) {
    EXPECT_EQ(pair.toObject()["guided"].toBool(), guided);
    sum += pair.toObject()["verified"].toInt();
  }
  return sum;
}

TEST(CliFindTies, FoundTiesOrientThePhotographsAndGuideTheNextSearch) {
  ThreeViews views;
  auto run = test_support::run_cli(views.dir, "find-ties p.op2 --json");
  ASSERT_EQ(run.status, 0) << run.err;
  const QJsonObject found = parse_json(run.out);
  ASSERT_EQ(found["pairs"].toArray().size(), 3);
  EXPECT_GT(found["images"].toArray()[0].toObject()["features"].toInt(), 500);
  const QJsonObject first = found["pairs"].toArray()[0].toObject();
  EXPECT_GE(first["candidates"].toInt(), first["verified"].toInt());
  const int unguided = verified(found, false);
  const qsizetype added = found["added"].toArray().size();
  EXPECT_GT(added, 100);
  EXPECT_EQ(found["tracks"].toInt(), added);
  {
    OpenedProject opened((views.dir.path / "p.op2").string());
    EXPECT_EQ(opened.project.model.tie_points.count(), added);
    EXPECT_TRUE(find_tie_point(opened.project.model, "auto-" + std::to_string(added)));
    const auto on_lines = test_support::automatic_marks_on_epipolar_lines(
        opened.project, [&](int id) -> const ProjectImage& { return views.true_image(opened.project, id); }, 1.5);
    EXPECT_GE(on_lines.share(), 0.98) << on_lines.within << " of " << on_lines.marks;
  }

  run = test_support::run_cli(views.dir, "orient p.op2 --json");
  ASSERT_EQ(run.status, 0) << run.err;
  for (const QJsonValue& image : parse_json(run.out)["images"].toArray())
    EXPECT_TRUE(image.toObject()["oriented"].toBool());

  // Oriented now: matched along the epipolar lines, finding more; the new
  // ties number on.
  run = test_support::run_cli(views.dir, "find-ties p.op2 --guided --images 2,3,3 --json");
  ASSERT_EQ(run.status, 0) << run.err;
  const QJsonObject guided = parse_json(run.out);
  ASSERT_EQ(guided["pairs"].toArray().size(), 1);
  EXPECT_GT(verified(guided, true), unguided / 3);
  EXPECT_GT(guided["added"].toArray()[0].toString().mid(5).toInt(), added);
}

TEST(CliFindTies, RefusalsLeaveTheFileAsItWas) {
  ThreeViews views;
  const std::string before = test_support::read_text(views.dir.path / "p.op2");
  for (const char* arguments : {"find-ties p.op2 --images 2,99", "find-ties p.op2 --images 2"}) {
    const auto run = test_support::run_cli(views.dir, arguments);
    EXPECT_EQ(run.status, 1) << arguments;
    EXPECT_NE(run.err.find("Error: "), std::string::npos) << run.err;
    EXPECT_EQ(test_support::read_text(views.dir.path / "p.op2"), before);
  }
  // A photograph gone: named, and the others still matched.
  std::filesystem::remove(views.dir.path / "view2.bmp");
  const auto run = test_support::run_cli(views.dir, "find-ties p.op2");
  ASSERT_EQ(run.status, 0) << run.err;
  EXPECT_NE(run.err.find("view2.bmp"), std::string::npos) << run.err;
  EXPECT_NE(run.out.find("Tracks: "), std::string::npos) << run.out;
  const int first = OpenedProject((views.dir.path / "p.op2").string()).project.model.tie_points.count();
  ASSERT_GT(first, 0);

  // Found again in place of the first: numbered from 1 again.
  const auto again = test_support::run_cli(views.dir, "find-ties p.op2 --replace --json");
  ASSERT_EQ(again.status, 0) << again.err;
  const QJsonObject report = parse_json(again.out);
  EXPECT_EQ(report["deleted"].toInt(), first);
  EXPECT_EQ(report["added"].toArray()[0].toString(), "auto-1");
  EXPECT_EQ(OpenedProject((views.dir.path / "p.op2").string()).project.model.tie_points.count(),
            report["added"].toArray().size());
}

}  // namespace
}  // namespace plenvista
