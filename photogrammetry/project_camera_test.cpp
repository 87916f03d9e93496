#include "photogrammetry/project_camera.h"

#include <gtest/gtest.h>

#include "base/file_io.h"
#include "model/image_management.h"
#include "photogrammetry/camera_file.h"
#include "testing/cameras.h"
#include "testing/recorders.h"
#include "testing/temp_dir.h"

namespace plenvista {
namespace {

struct SetCameraFile : ::testing::Test {
  test_support::TempDir tmp;
  MemorySettingsStore store;
  test_support::RecordingNotifier notifier;
  test_support::RecordingMessages messages;
  Project project{store, notifier, messages};
  CameraModel camera = test_support::grid_camera(6, 8);
  ProjectImage* front = nullptr;
  ProjectImage* side = nullptr;

  void SetUp() override {
    project.set_path(tmp.dir("models/house") + "house.op2");
    project.model.image_directories = ".;..\\..\\cameras";
    front = add_image(project, std::make_unique<ProjectImage>());
    side = add_image(project, std::make_unique<ProjectImage>());
    camera.notes = "kitchen";
  }
  void save_as(const std::string& relative) {
    tmp.write(relative, "");
    ASSERT_TRUE(save_camera((tmp.path / relative).string(), camera, messages));
  }
};

TEST_F(SetCameraFile, LoadsTheCameraAndGivesEveryImageItsCentre) {
  save_as("cameras/c.cal");
  EXPECT_TRUE(set_camera_file(project, "c.cal"));
  EXPECT_EQ(project.camera_file_name, "c.cal");
  EXPECT_EQ(project.camera_file_path, (tmp.path / "cameras/c.cal").string());
  EXPECT_EQ(project.images().camera, camera);
  for (const ProjectImage* image : {front, side}) {
    EXPECT_EQ(image->camera, &project.images().camera);
    EXPECT_EQ(image->centre_x, 610);
    EXPECT_EQ(image->centre_y, 345);
  }
}

TEST_F(SetCameraFile, NotFoundOrDamagedKeepsTheCameraAndSaysNothing) {
  const CameraModel before = project.images().camera;
  EXPECT_FALSE(set_camera_file(project, "c.cal"));
  EXPECT_EQ(project.camera_file_name, "c.cal");
  EXPECT_EQ(project.camera_file_path, std::nullopt);

  tmp.write("models/house/c.cal", std::string("\x0e\0\0\0PLENCAMERACAL\0\x01\0\0\0", 22));
  EXPECT_FALSE(set_camera_file(project, "c.cal"));
  EXPECT_EQ(project.camera_file_path, (tmp.path / "models/house/c.cal").string());
  EXPECT_EQ(project.images().camera, before);
  EXPECT_TRUE(messages.shown.empty());
}

}  // namespace
}  // namespace plenvista
