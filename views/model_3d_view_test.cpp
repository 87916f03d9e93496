// The 3D view on a real OpenGL context (run on an X server: Qt's offscreen
// platform has none), driven by real mouse and key events.

#include "views/model_3d_view.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QDateTime>
#include <QFile>
#include <QImage>
#include <QTest>
#include <numbers>

#include "model/layers_materials.h"
#include "testing/temp_dir.h"
#include "views/view_test_scene.h"

namespace plenvista {
namespace {

constexpr int kSide = 400;
const QRgb kQuarters[4] = {qRgb(230, 20, 20), qRgb(20, 200, 40), qRgb(30, 40, 220), qRgb(240, 220, 30)};

// Photograph a: four quarters of plain colour (top-left, top-right,
// bottom-left, bottom-right), so the square shows them upright from +Z.
class Model3dViewTest : public ::testing::Test {
 protected:
  void SetUp() override {
    QImage photo(64, 48, QImage::Format_RGB32);
    for (int y = 0; y < photo.height(); ++y)
      for (int x = 0; x < photo.width(); ++x)
        photo.setPixel(x, y, kQuarters[(y >= photo.height() / 2 ? 2 : 0) + (x >= photo.width() / 2 ? 1 : 0)]);
    const std::string path = (dir.path / "quarters.png").string();
    ASSERT_TRUE(photo.save(QString::fromStdString(path)));
    scene.a->resolved_path = path;
    view.resize(kSide, kSide);
    view.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&view));
  }

  QImage frame() { return view.grabFramebuffer(); }
  // Where the view shows a model position, in client pixels.
  QPoint at(const Vec3& p) {
    const auto s = view.camera().project(p, view.width(), view.height());
    EXPECT_TRUE(s.has_value());
    return s ? QPoint(static_cast<int>(s->client.x), static_cast<int>(s->client.y)) : QPoint();
  }
  QRgb pixel(const Vec3& p) { return frame().pixel(at(p)); }
  // Looks at the square from +Z, fitted.
  void face_on() {
    QTest::keyClick(&view, Qt::Key_1);
    QTest::keyClick(&view, Qt::Key_Home);
  }

  test_support::TempDir dir;
  test_support::SquareScene scene;
  Model3dView view{scene.project, nullptr};
};

void expect_near(QRgb actual, QRgb expected, int tolerance = 6) {
  EXPECT_NEAR(qRed(actual), qRed(expected), tolerance);
  EXPECT_NEAR(qGreen(actual), qGreen(expected), tolerance);
  EXPECT_NEAR(qBlue(actual), qBlue(expected), tolerance);
}

TEST_F(Model3dViewTest, TexturedFacesShowTheirPhotographUprightAndNothingIsDrawnWithoutAChange) {
  face_on();
  // Seen square on the light is full: the photograph's own colours.
  expect_near(pixel({25, 75, 0}), kQuarters[0]);
  expect_near(pixel({75, 75, 0}), kQuarters[1]);
  expect_near(pixel({25, 25, 0}), kQuarters[2]);
  expect_near(pixel({75, 25, 0}), kQuarters[3]);
  EXPECT_EQ(view.textures_held(), 1);

  // From behind, the same quarter, darker.
  QTest::keyClick(&view, Qt::Key_Home);
  view.camera().yaw = std::numbers::pi;
  const QRgb back = pixel({25, 75, 0});
  EXPECT_LT(qRed(back), qRed(kQuarters[0]) - 20);
  EXPECT_GT(qRed(back), 3 * qGreen(back));

  // A photograph changed on disk is read anew at the next refresh.
  QImage plain(32, 24, QImage::Format_RGB32);
  plain.fill(qRgb(20, 180, 200));
  const QString path = QString::fromStdString(*scene.a->resolved_path);
  ASSERT_TRUE(plain.save(path));
  QFile file(path);
  ASSERT_TRUE(file.open(QIODevice::ReadWrite));
  ASSERT_TRUE(file.setFileTime(QDateTime::currentDateTime().addSecs(5), QFileDevice::FileModificationTime));
  file.close();
  view.camera().yaw = 0;
  expect_near(pixel({75, 25, 0}), kQuarters[3]);  // nothing refreshed yet
  view.refresh();
  expect_near(pixel({75, 25, 0}), qRgb(20, 180, 200));

  // A photograph that cannot be read leaves the material colour.
  scene.a->resolved_path = (dir.path / "missing.png").string();
  view.refresh();
  view.camera().yaw = 0;
  expect_near(pixel({25, 75, 0}), qRgb(200, 100, 50));

  QApplication::processEvents();
  const int drawn = view.renders();
  QTest::qWait(50);
  EXPECT_EQ(view.renders(), drawn);
}

TEST_F(Model3dViewTest, DragTurnsWheelZoomsHomeFitsAndAxisKeysLookAlongTheAxes) {
  face_on();
  const OrbitCamera fitted = view.camera();
  const QImage before = frame();

  QTest::mousePress(&view, Qt::LeftButton, {}, {200, 200});
  QTest::mouseMove(&view, {230, 200});
  QTest::mouseMove(&view, {260, 210});
  QTest::mouseRelease(&view, Qt::LeftButton, {}, {260, 210});
  EXPECT_LT(view.camera().yaw, fitted.yaw - 0.3);  // dragged right: the model turned right
  EXPECT_GT(view.camera().pitch, fitted.pitch);
  EXPECT_NE(frame(), before);
  EXPECT_EQ(view.camera().target, fitted.target);

  // SHIFT + drag moves the model with the mouse (exactly at the target's depth).
  const Vec3 target = view.camera().target;
  const QPoint middle = at(target);
  QTest::mousePress(&view, Qt::LeftButton, Qt::ShiftModifier, {100, 100});
  QTest::mouseMove(&view, {110, 100});
  QTest::mouseMove(&view, {140, 120});
  QTest::mouseRelease(&view, Qt::LeftButton, Qt::ShiftModifier, {140, 120});
  const QPoint moved = at(target);
  EXPECT_NEAR(moved.x() - middle.x(), 40, 1);
  EXPECT_NEAR(moved.y() - middle.y(), 20, 1);

  // The wheel comes nearer.
  const double far = view.camera().distance;
  QWheelEvent wheel({200, 200}, view.mapToGlobal(QPoint(200, 200)), {}, {0, 240}, Qt::NoButton, {}, Qt::NoScrollPhase,
                    false);
  QApplication::sendEvent(&view, &wheel);
  EXPECT_LT(view.camera().distance, far);

  // Home brings back the fitted view of this direction.
  QTest::keyClick(&view, Qt::Key_1);
  QTest::keyClick(&view, Qt::Key_Home);
  EXPECT_EQ(view.camera().target, fitted.target);
  EXPECT_DOUBLE_EQ(view.camera().distance, fitted.distance);
  EXPECT_EQ(frame(), before);

  // 7 looks down from above; SHIFT alone cycles Z, X, Y as in the CAD view.
  QTest::keyClick(&view, Qt::Key_7);
  EXPECT_DOUBLE_EQ(view.camera().pitch, std::numbers::pi / 2);
  QTest::keyClick(&view, Qt::Key_Shift);
  EXPECT_DOUBLE_EQ(view.camera().pitch, 0.0);
  EXPECT_DOUBLE_EQ(view.camera().yaw, 0.0);
  QTest::keyClick(&view, Qt::Key_Shift);
  EXPECT_DOUBLE_EQ(view.camera().yaw, std::numbers::pi / 2);
}

TEST_F(Model3dViewTest, ClicksSelectFacesAndPointsAndAHiddenLayerDisappears) {
  face_on();
  QTest::mouseClick(&view, Qt::LeftButton, {}, at({75, 20, 0}));
  EXPECT_TRUE(scene.corners[0]->selected && scene.corners[1]->selected && scene.corners[2]->selected);
  EXPECT_FALSE(scene.corners[3]->selected);
  EXPECT_TRUE(scene.project.modified);
  // The selected face is tinted towards the face line colour.
  scene.project.model.face_line_colour = make_colour(255, 255, 255);
  view.refresh();
  const QRgb tinted = pixel({75, 20, 0});
  EXPECT_GT(qGreen(tinted), qGreen(kQuarters[3]) - 1);
  EXPECT_GT(qBlue(tinted), qBlue(kQuarters[3]) + 40);
  // Clicked again, it is let go.
  QTest::mouseClick(&view, Qt::LeftButton, {}, at({75, 20, 0}));
  EXPECT_FALSE(scene.corners[0]->selected || scene.corners[1]->selected || scene.corners[2]->selected);
  // The point before the square is toggled, not the face behind it.
  QTest::mouseClick(&view, Qt::LeftButton, {}, at({50, 50, 200}));
  EXPECT_TRUE(scene.lone->selected);
  EXPECT_FALSE(scene.corners[0]->selected);
  // ESC clears the selection.
  QTest::keyClick(&view, Qt::Key_Escape);
  EXPECT_FALSE(scene.lone->selected);

  // The only layer hidden (beside an empty one): the square is gone.
  const QRgb background = frame().pixel(1, 1);
  ASSERT_NE(add_layer(scene.project, "empty", 0), nullptr);
  ASSERT_TRUE(set_visible_layers(scene.project, {false, true}));
  view.refresh();
  EXPECT_EQ(pixel({75, 20, 0}), background);
}

TEST_F(Model3dViewTest, DoubleClickOnACameraChoosesItsPhotograph) {
  ProjectImage* chosen = nullptr;
  view.set_image_chooser([&chosen](ProjectImage& image) { chosen = &image; });
  QTest::keyClick(&view, Qt::Key_Home);
  view.camera().distance *= 12;  // both cameras in sight
  const Frustum& f = view.scene().frusta.at(1);
  const QPoint inside = at((f.apex + f.corners[0] + f.corners[1] + f.corners[2]) * 0.25);
  QTest::mouseDClick(&view, Qt::LeftButton, {}, inside);
  EXPECT_EQ(chosen, scene.b);
  chosen = nullptr;
  QTest::mouseDClick(&view, Qt::LeftButton, {}, {1, 1});
  EXPECT_EQ(chosen, nullptr);
}

}  // namespace
}  // namespace plenvista
