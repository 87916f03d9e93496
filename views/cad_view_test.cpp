#include "views/cad_view.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QTest>

#include "model/zoom_pan.h"
#include "views/view_test_scene.h"

namespace plenvista {
namespace {

class CadViewTest : public ::testing::Test {
 protected:
  void SetUp() override {
    view.resize(301, 200);
    view.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&view));
    paint();
  }
  void paint() {
    QImage frame(view.size(), QImage::Format_RGB32);
    view.render(frame);
  }
  QPoint at(const ModelPoint* p) const {
    const Point2 c = image_to_client(state.sub_views[static_cast<std::size_t>(state.current_axis)], view.view_size(),
                                     axis_projection(state.current_axis, p->position()));
    return {static_cast<int>(c.x), static_cast<int>(c.y)};
  }
  void drag(QPoint from, QPoint to) {
    QTest::mousePress(&view, Qt::LeftButton, Qt::NoModifier, from);
    QTest::mouseMove(&view, to);
    QTest::mouseRelease(&view, Qt::LeftButton, Qt::NoModifier, to);
  }

  test_support::ViewScene scene;
  Project& project = scene.project;
  CadViewState& state = project.cad_views[0];
  CadView view{project, state, nullptr};
};

TEST_F(CadViewTest, FreshViewsPutTheOriginAtTheCentre) {
  for (const ZoomPanState& sub : state.sub_views) {
    EXPECT_EQ(sub.scroll_x, -150);  // 301 div 2
    EXPECT_EQ(sub.scroll_y, -100);
  }
  ModelPoint* origin = scene.point(0, 0, 0);
  for (int axis : {0, 1, 2}) {
    view.set_current_axis(axis);
    paint();
    EXPECT_EQ(at(origin), QPoint(150, 100));
  }
  // A zoomed sub-view keeps its scroll; one reset to zoom 1 and no scroll is centred again.
  state.sub_views[1].zoom = 2.0;
  state.sub_views[1].scroll_x = 0;
  state.sub_views[1].scroll_y = 0;
  state.sub_views[2].scroll_x = 0;
  state.sub_views[2].scroll_y = 0;
  paint();
  EXPECT_EQ(state.sub_views[1].scroll_x, 0);
  EXPECT_EQ(state.sub_views[2].scroll_x, -150);

  // A view made over settings the project file brought, zoomed but not
  // scrolled, leaves them as they are at its first paint.
  CadViewState& opened = project.cad_views[1];
  opened.sub_views[0].zoom = 3.0;
  CadView second(project, opened, nullptr);
  second.resize(301, 200);
  QImage frame(second.size(), QImage::Format_RGB32);
  second.render(frame);
  EXPECT_EQ(opened.sub_views[0].scroll_x, 0);
  EXPECT_EQ(opened.sub_views[1].scroll_x, -150);
}

TEST_F(CadViewTest, DraggingAPointMovesTheSelectedPointsAlongTheAxis) {
  view.set_current_axis(1);  // X view: u = -Z, v = -Y
  paint();
  ModelPoint* a = scene.point(0, 0, 0, true);
  ModelPoint* b = scene.point(40, 30, 20, true);
  ModelPoint* unselected = scene.point(-40, -30, 0);
  drag(at(a), at(a) + QPoint(10, 0));
  EXPECT_EQ(a->position(), (Vec3{0, 0, -10}));
  EXPECT_EQ(b->position(), (Vec3{40, 30, 10}));
  EXPECT_EQ(unselected->position(), (Vec3{-40, -30, 0}));

  // Dragging an unselected point moves the selected ones only.
  drag(at(unselected), at(unselected) + QPoint(0, 5));
  EXPECT_EQ(unselected->position(), (Vec3{-40, -30, 0}));
  EXPECT_EQ(a->position(), (Vec3{0, -5, -10}));
  EXPECT_EQ(b->position(), (Vec3{40, 25, 10}));

  view.set_current_axis(2);  // Y view: u = X, v = Z
  paint();
  drag(at(a), at(a) + QPoint(3, 4));
  EXPECT_EQ(a->position(), (Vec3{3, -5, -6}));
  EXPECT_EQ(project.undo.actions.last()->name, kEditPointsAction);
}

TEST_F(CadViewTest, SelectionByBandAndClickButNeverFromADraggedPoint) {
  project.select_mode = SelectMode::Select;
  ModelPoint* a = scene.point(0, 0, 0);
  ModelPoint* b = scene.point(30, 0, 0);
  ModelPoint* c = scene.point(100, -50, 0, true);
  // A drag that starts on a point selects nothing by rectangle.
  drag(at(a), at(b) + QPoint(10, 10));
  EXPECT_EQ(a->selected + b->selected, 0);
  // From empty space it does; New selection drops the others first.
  drag(at(a) - QPoint(10, 10), at(b) + QPoint(10, 10));
  EXPECT_EQ(a->selected + b->selected, 2);
  EXPECT_EQ(c->selected, 0);
  QTest::mouseClick(&view, Qt::LeftButton, Qt::NoModifier, at(b) + QPoint(-4, 4));
  EXPECT_EQ(b->selected, 0);
  QTest::keyClick(&view, Qt::Key_Escape);
  EXPECT_EQ(a->selected, 0);
  EXPECT_EQ(project.modified, 1);
  a->selected = 1;
  QTest::keyClick(&view, Qt::Key_Delete);
  EXPECT_EQ(project.model.points.count(), 2);
  QTest::keyClick(&view, Qt::Key_Return);
  EXPECT_EQ(project.model.points.count(), 2);
}

TEST_F(CadViewTest, ShiftCyclesTheAxisOncePerPress) {
  project.active_cad_view = 0;
  QTest::keyPress(&view, Qt::Key_Shift);
  EXPECT_EQ(view.current_axis(), 1);
  QTest::keyPress(&view, Qt::Key_Shift, Qt::ShiftModifier, -1);  // held: a repeat
  EXPECT_EQ(view.current_axis(), 1);
  QTest::keyRelease(&view, Qt::Key_Shift);
  QTest::keyClick(&view, Qt::Key_Shift);
  QTest::keyClick(&view, Qt::Key_Shift);
  EXPECT_EQ(view.current_axis(), 0);
  EXPECT_EQ(project.active_cad_view, 0);

  // SHIFT let go after the focus went elsewhere: the next press still counts.
  QTest::keyPress(&view, Qt::Key_Shift);
  QFocusEvent away(QEvent::FocusOut, Qt::MouseFocusReason);
  QApplication::sendEvent(&view, &away);
  QTest::keyPress(&view, Qt::Key_Shift);
  EXPECT_EQ(view.current_axis(), 2);
}

TEST_F(CadViewTest, MouseMovesReportTheCursorWithoutRedrawingTheModel) {
  scene.point(10, 10, 10);
  QApplication::processEvents();
  const int before = view.renders();
  scene.notifier.posted.clear();
  for (int x = 20; x < 120; x += 7) {
    QTest::mouseMove(&view, QPoint(x, 80));
    QApplication::processEvents();
  }
  EXPECT_EQ(view.renders(), before);
  EXPECT_EQ(project.cursor.window_x, 118);
  EXPECT_EQ(project.cursor.image_x, 118 - 150);
  EXPECT_EQ(project.cursor.image_y, 80 - 100);
  EXPECT_EQ(scene.notifier.posted.back().notification, Notification::CursorMoved);
  EXPECT_EQ(view.crosshair(), (Point2{118, 80}));
}

}  // namespace
}  // namespace plenvista
