// The photogrammetric workflow a user follows in the main window: name the
// camera, add three photographs (one of half the camera's size), mark four
// reference points in each by clicks in the image view in calibration mode
// (typed into the Reference Point dialog in the first photograph, carried
// from it to its partner with SHIFT), leave calibration mode so that every
// photograph is located, then build points from pairs of photographs and a
// face from three of them. The scene is synthetic: the marks are clicked
// where known camera poses see known world points (mm), zoomed in far
// enough that a client pixel is a small part of a photograph pixel, so the
// located poses can be checked against the truth.

#include <gtest/gtest.h>

#include <QListWidget>
#include <QPushButton>
#include <QWheelEvent>
#include <algorithm>
#include <cmath>
#include <memory>

#include "base/number_text.h"
#include "model/edit_actions.h"
#include "model/image_management.h"
#include "model/run_edit.h"
#include "model/zoom_pan.h"
#include "photogrammetry/camera_file.h"
#include "photogrammetry/image_search.h"
#include "photogrammetry/point_triangulation.h"
#include "photogrammetry/projection.h"
#include "shell/dialogs/image_centres_dialog.h"
#include "shell/dialogs/image_dialog.h"
#include "shell/dialogs/reference_point_dialog.h"
#include "shell/dialogs/search_progress_dialog.h"
#include "shell/dialogs/set_camera_dialog.h"
#include "shell/gui_test_support.h"
#include "shell/main_window.h"
#include "shell/panels/image_list_panel.h"
#include "shell/shell_test_doubles.h"
#include "testing/bmp_file.h"
#include "testing/cameras.h"
#include "testing/recorders.h"
#include "testing/temp_dir.h"
#include "views/image_view.h"

namespace plenvista {
namespace {

using test_support::click;
using test_support::click_ok;
using test_support::ModalScript;
using test_support::type_into;

const Vec3 kTarget{300, 250, 200};
// Four corners of a 600 x 500 x 400 box, not in one plane, and two more
// features to triangulate.
const Vec3 kReferences[] = {{0, 0, 0}, {600, 0, 400}, {0, 500, 400}, {600, 500, 0}};
const Vec3 kFeatures[] = {{150, 100, 50}, {450, 300, 350}, {200, 400, 250}};

struct Photograph {
  const char* file;
  const char* description;
  int width;
  int height;
  Vec3 eye;
};
const Photograph kPhotographs[] = {{"front.bmp", "Front", 2272, 1704, {300, 450, 2300}},
                                   {"left.bmp", "Left", 2272, 1704, {-1300, 550, 1600}},
                                   {"half.bmp", "Half", 1136, 852, {1900, 350, 1700}}};

CameraPose truth_of(const Photograph& photo) { return pose_looking_at(photo.eye, kTarget, {0, 1, 0}); }

struct Workflow : ::testing::Test {
  test_support::TempDir dir;
  MemorySettingsStore settings;
  test_support::ScriptedFiles files;
  test_support::ScriptedQuestions questions;
  test_support::FileStore store;
  std::unique_ptr<MainWindow> window;

  void SetUp() override {
    test_support::RecordingMessages quiet;
    CameraModel camera = test_support::pinhole_camera();
    ASSERT_TRUE(save_camera(dir.path.string() + "/lens.cal", camera, quiet));
    for (const Photograph& photo : kPhotographs)
      dir.write(photo.file, test_support::small_bmp(photo.width, photo.height));
    window = std::make_unique<MainWindow>(MainWindow::Services{settings, files, questions, store.functions(), {}});
    window->project().set_path(dir.path.string() + "/house.op2");
    window->image_list_panel()->set_search_tick(1);
    window->show();
    QApplication::processEvents();
  }
  Project& project() { return window->project(); }
  ImageListPanel& panel() { return *window->image_list_panel(); }

  void add_photograph(const Photograph& photo) {
    ModalScript script;
    if (!project().camera_file_name) {
      files.choices.push_back("/media/card/lens.cal");
      script.then_do<SetCameraDialog>([](SetCameraDialog& d) {
        click(d.browse_button());
        click_ok(d);
      });
    }
    script.then_do<ImageDialog>([&](ImageDialog& d) {
      type_into(d.field(ImageDialog::File), QString("C:\\Photos\\") + photo.file);
      type_into(d.field(ImageDialog::Description), photo.description);
      click_ok(d);
    });
    if (photo.width != 2272) {
      script.then_do<ImageCentresDialog>([](ImageCentresDialog& d) {
        type_into(d.field(ImageCentresDialog::CentreX), "568");
        type_into(d.field(ImageCentresDialog::CentreY), "426");
        type_into(d.field(ImageCentresDialog::Scale), "0.5");
        click_ok(d);
      });
    }
    click(panel().add_button());
  }

  // Where the true pose sees a world point in the image, centre-relative.
  static Point2 seen(const ProjectImage& image, const Photograph& photo, const Vec3& world) {
    return PreparedPose(image, truth_of(photo)).project(world, false);
  }
  static Point2 absolute(const ProjectImage& image, Point2 relative) {
    return {relative.x + image.centre_x, relative.y + image.centre_y};
  }

  ImageView& view() { return window->image_view(); }
  void wheel_up() {
    QWheelEvent event(QPointF(), QPointF(), QPoint(), QPoint(0, 120), Qt::NoButton, Qt::NoModifier, Qt::NoScrollPhase,
                      false);
    QApplication::sendEvent(&view(), &event);
  }
  // Shows the feature at `world` of the displayed photograph enlarged: from
  // the whole photograph in view, the mouse goes onto the feature and the
  // wheel zooms about it. Gives the client pixel nearest to the feature.
  QPoint zoom_onto(const Vec3& world) {
    ProjectImage& image = *view().displayed_image();
    const Photograph& photo = kPhotographs[project().images().images.index_of(&image)];
    image.view.zoom = 0.9 * std::min(double(view().width()) / photo.width, double(view().height()) / photo.height);
    image.view.scroll_x = image.view.scroll_y = 0;
    const Point2 feature = absolute(image, seen(image, photo, world));
    const auto client = [&] {
      const Point2 c = image_to_client(image.view, view().view_size(), feature);
      return QPoint(static_cast<int>(std::lround(c.x)), static_cast<int>(std::lround(c.y)));
    };
    QTest::mouseMove(&view(), client());
    for (int step = 0; step < 40; ++step) wheel_up();
    const QPoint at = client();
    QTest::mouseMove(&view(), at);
    return at;
  }
  void click_view(QPoint at, Qt::KeyboardModifiers keys = {}) { QTest::mouseClick(&view(), Qt::LeftButton, keys, at); }
  // Marks the feature at `world` in the displayed photograph and types its
  // X, Y, Z into the Reference Point dialog.
  void mark_typed(const Vec3& world) {
    ModalScript script;
    script.then_do<ReferencePointDialog>([&](ReferencePointDialog& d) {
      const double xyz[3] = {world.x, world.y, world.z};
      for (int axis = 0; axis < 3; ++axis) type_into(d.field(axis), QString::number(xyz[axis]));
      click_ok(d);
    });
    click_view(zoom_onto(world));
  }
  // Selects the current photograph's mark of `world`, holds SHIFT and clicks
  // the same feature in the partner, which takes the mark's X, Y, Z.
  void carry_to_partner(const Vec3& world) {
    click_view(zoom_onto(world));
    QTest::keyPress(&view(), Qt::Key_Shift);
    click_view(zoom_onto(world), Qt::ShiftModifier);
    QTest::keyRelease(&view(), Qt::Key_Shift);
  }
  // With SHIFT held in the image view, choosing a photograph in the list
  // makes it the current one's partner; SHIFT is let go over the list.
  void choose_partner(int row) {
    QTest::mouseMove(&view(), QPoint(20, 20));
    QTest::keyPress(&view(), Qt::Key_Shift);
    test_support::click_row(panel().list(), row, Qt::ShiftModifier);
    QTest::keyRelease(panel().list(), Qt::Key_Shift);
    EXPECT_EQ(project().images().partner_mode, 0);
  }
};

TEST_F(Workflow, PhotographsAreLocatedFromReferencePointsAndModelledFromPairs) {
  for (const Photograph& photo : kPhotographs) add_photograph(photo);
  QApplication::processEvents();
  ImageSet& set = project().images();
  ASSERT_EQ(set.images.count(), 3);
  EXPECT_EQ(project().camera_file_name, "lens.cal");
  EXPECT_EQ(set.images.at(0)->file_name, "front.bmp");
  EXPECT_EQ(set.images.at(0)->size_differs, 0);
  EXPECT_EQ(set.images.at(2)->size_differs, 1);
  EXPECT_EQ(set.images.at(2)->texture_scale, 0.5);
  EXPECT_EQ(panel().list()->item(1)->text(), "Left \t 0.00%");

  // Calibration mode: four reference points in each photograph, typed in
  // Front, carried from Front to Left, two of each kind in Half.
  click(panel().calibration_box());
  test_support::click_row(panel().list(), 0);
  ProjectImage& front = *set.images.at(0);
  ASSERT_EQ(set.current, &front);
  for (const Vec3& world : kReferences) mark_typed(world);
  ASSERT_EQ(front.reference_points.count(), 4);
  choose_partner(1);
  EXPECT_EQ(set.current, &front);
  ASSERT_EQ(front.partner, set.images.at(1));
  for (const Vec3& world : kReferences) carry_to_partner(world);
  EXPECT_EQ(set.partner_mode, 0);
  choose_partner(2);
  ASSERT_EQ(front.partner, set.images.at(2));
  carry_to_partner(kReferences[0]);
  carry_to_partner(kReferences[1]);
  test_support::click_row(panel().list(), 2);
  ASSERT_EQ(set.current, set.images.at(2));
  mark_typed(kReferences[2]);
  mark_typed(kReferences[3]);
  for (int i = 0; i < 3; ++i) {
    SCOPED_TRACE(kPhotographs[i].description);
    const ProjectImage& image = *set.images.at(i);
    ASSERT_EQ(image.reference_points.count(), 4);
    EXPECT_EQ(image.marks_changed, 1);
    for (int m = 0; m < 4; ++m) {
      const ReferencePoint& mark = *image.reference_points.at(m);
      EXPECT_EQ(mark.world_position, kReferences[m]);
      const Point2 truth = seen(image, kPhotographs[i], kReferences[m]);
      EXPECT_NEAR(mark.image_position.x, truth.x, 0.1);
      EXPECT_NEAR(mark.image_position.y, truth.y, 0.1);
    }
  }

  // Leaving calibration mode locates each photograph in turn.
  int searches = 0;
  {
    ModalScript script;
    for (int i = 0; i < 3; ++i) {
      script.then<SearchProgressDialog>([&](SearchProgressDialog& d) {
        if (!d.ok_button()->isEnabled()) return false;
        ++searches;
        click(d.ok_button());
        return true;
      });
    }
    click(panel().calibration_box());
  }
  EXPECT_EQ(searches, 3);
  QApplication::processEvents();
  for (int i = 0; i < 3; ++i) {
    SCOPED_TRACE(kPhotographs[i].description);
    const ProjectImage& image = *set.images.at(i);
    const CameraPose truth = truth_of(kPhotographs[i]);
    EXPECT_EQ(image.pose_known, 1);
    EXPECT_EQ(image.marks_changed, 0);
    EXPECT_NEAR(image.pose.offset.x, truth.offset.x, 1.0);
    EXPECT_NEAR(image.pose.offset.y, truth.offset.y, 1.0);
    EXPECT_NEAR(image.pose.offset.z, truth.offset.z, 1.0);
    EXPECT_EQ(panel().list()->item(i)->text().toStdString(),
              image.description.value_or("") + " \t " + format_fixed(image.search_score, 2) + "%");
    EXPECT_GT(image.search_score, 99.0);
  }
  EXPECT_EQ(project().modified, 1);

  // Points from pairs of photographs, then a face from three of them.
  std::vector<ModelPoint*> points;
  for (const Vec3& world : kFeatures) {
    const ProjectImage& half = *set.images.at(2);
    const Vec3 at = point_triangulation(absolute(front, seen(front, kPhotographs[0], world)),
                                        absolute(half, seen(half, kPhotographs[2], world)), front, half);
    EXPECT_NEAR(at.x, world.x, 1.0);
    EXPECT_NEAR(at.y, world.y, 1.0);
    EXPECT_NEAR(at.z, world.z, 1.0);
    run_edit(project(), [&] { points.push_back(add_point(project(), at.x, at.y, at.z)); });
  }
  run_edit(project(), [&] { add_face(project(), *points[0], *points[1], *points[2]); });
  QApplication::processEvents();
  EXPECT_EQ(window->status_text(3), "Points : 3, Faces : 1");
}

}  // namespace
}  // namespace plenvista
