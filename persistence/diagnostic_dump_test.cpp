#include "persistence/diagnostic_dump.h"

#include <gtest/gtest.h>

#include <limits>

#include "model/image_management.h"
#include "testing/recorders.h"

namespace plenvista {
namespace {

struct DiagnosticDump : ::testing::Test {
  MemorySettingsStore store;
  test_support::RecordingNotifier notifier;
  test_support::RecordingMessages messages;
  Project project{store, notifier, messages};

  // A 20 x 14 camera whose intersections lie 50 pixels apart, centred on
  // the grid's reference intersection (600, 450).
  void SetUp() override {
    CameraModel& camera = project.images().camera;
    ASSERT_TRUE(allocate_tables(camera, 14, 20));
    for (int r = 0; r <= 14; ++r)
      for (int c = 0; c <= 20; ++c) camera.corner(r, c) = {100.0 + 50.0 * c, 100.0 + 50.0 * r};
    derive_cells(camera);
    camera.centre_x = 600;
    camera.centre_y = 450;
  }

  ProjectImage* add(const std::string& description) {
    auto image = std::make_unique<ProjectImage>();
    image->description = description;
    return add_image(project, std::move(image));
  }
};

TEST_F(DiagnosticDump, AProjectWithoutImagesHasOnlyTheCountLine) {
  EXPECT_EQ(diagnostic_dump_text(project), "\r\nImages : 0\r\n");
}

TEST_F(DiagnosticDump, RecomputesTheErrorRawWhileTheSizeIsUnknown) {
  ProjectImage* front = add("front");
  add("empty");
  ReferencePoint* ref = add_reference_point(project, *front, {0, 0, -100}, {3, 4});
  ref->projected_position = {7.125, -1};  // from an earlier search: printed as stored
  EXPECT_EQ(diagnostic_dump_text(project),
            "\r\nImages : 2\r\n"
            "Image : front, Offset:(0.000,0.000,0.000) Rotation:(0.000,0.000,0.000)\r\n"
            "  0: (3.00,4.00) (7.12,-1.00) (0.00,0.00,-100.00) [5.00] \r\n"
            "\r\n"
            "Image : empty, Offset:(0.000,0.000,0.000) Rotation:(0.000,0.000,0.000)\r\n"
            "\r\n");
}

TEST_F(DiagnosticDump, ScalesTheErrorToTheReferenceFrameAndPrintsThePose) {
  ProjectImage* front = add("front");
  front->pixel_width = 1136;
  front->pixel_height = 852;
  front->pose.offset = {0, 0, -0.0005};
  front->pose.rotation = {1.23456, 0, -90};
  add_reference_point(project, *front, {0, 0, -100}, {3, 4});
  const std::string text = diagnostic_dump_text(project);
  EXPECT_NE(text.find("Offset:(0.000,0.000,-0.001) Rotation:(1.235,0.000,-90.000)"), std::string::npos) << text;
}

TEST_F(DiagnosticDump, AnAbsentDescriptionShowsNothingAndNonFiniteNumbersHaveNoSign) {
  ProjectImage* unlocated = add("");
  unlocated->description.reset();
  // The pose still at the origin puts this point at depth 0: its error is
  // not a number, with the sign bit the processor gives 0 x infinity.
  ReferencePoint* ref = add_reference_point(project, *unlocated, {0, 0, 0}, {3, 4});
  ref->projected_position = {-std::numeric_limits<double>::quiet_NaN(), std::numeric_limits<double>::infinity()};
  EXPECT_EQ(diagnostic_dump_text(project),
            "\r\nImages : 1\r\n"
            "Image : , Offset:(0.000,0.000,0.000) Rotation:(0.000,0.000,0.000)\r\n"
            "  0: (3.00,4.00) (nan,inf) (0.00,0.00,0.00) [nan] \r\n"
            "\r\n");
}

TEST_F(DiagnosticDump, UnwritableFileIsReported) {
  EXPECT_FALSE(write_diagnostic_dump(project, "/nonexistent-dir/PlenDebug.txt"));
  ASSERT_EQ(messages.shown.size(), 1u);
  EXPECT_EQ(messages.shown[0], (test_support::Shown{"Cannot Open PlenDebug File", "Error"}));
}

}  // namespace
}  // namespace plenvista
