#include "views/image_view.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QFile>
#include <QPainter>
#include <QTemporaryDir>
#include <QTest>
#include <QWheelEvent>
#include <cmath>

#include "model/image_management.h"
#include "model/undo_commands.h"
#include "model/zoom_pan.h"
#include "photogrammetry/point_triangulation.h"
#include "views/view_test_scene.h"

namespace plenvista {
namespace {

class ImageViewTest : public ::testing::Test {
 protected:
  void SetUp() override {
    view.resize(800, 600);
    view.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&view));
  }
  // Where the view draws a point of the displayed image.
  QPoint at(const Vec3& world) const {
    const Point2 p = scene.client_of(world, *view.displayed_image());
    return {static_cast<int>(p.x), static_cast<int>(p.y)};
  }
  QPoint at(const ModelPoint* p) const { return at(p->position()); }
  void click(QPoint where, Qt::KeyboardModifiers keys = Qt::NoModifier) {
    QTest::mouseClick(&view, Qt::LeftButton, keys, where);
  }
  void drag(QPoint from, QPoint to) {
    QTest::mousePress(&view, Qt::LeftButton, Qt::NoModifier, from);
    QTest::mouseMove(&view, to);
    QTest::mouseRelease(&view, Qt::LeftButton, Qt::NoModifier, to);
  }
  void wheel(int delta) {
    QWheelEvent event(QPointF(300, 200), view.mapToGlobal(QPointF(300, 200)), QPoint(), QPoint(0, delta), Qt::NoButton,
                      Qt::NoModifier, Qt::NoScrollPhase, false);
    QApplication::sendEvent(&view, &event);
  }
  int selected_count() const {
    int n = 0;
    for (const ModelPoint* p : project.model.points) n += p->selected ? 1 : 0;
    return n;
  }
  // A grey photograph for `image`, so that the view draws.
  void give_photo(ProjectImage& image) {
    const QString path = dir.filePath(QString::number(image.id) + ".bmp");
    QImage grey(2272, 1704, QImage::Format_RGB32);
    grey.fill(qRgb(90, 90, 90));
    ASSERT_TRUE(grey.save(path, "BMP"));
    image.resolved_path = path.toStdString();
  }
  // A file of the test's own holding `bytes`.
  QString write_file(const char* name, const QByteArray& bytes) {
    QFile file(dir.filePath(QString::fromLatin1(name)));
    EXPECT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(bytes);
    return file.fileName();
  }
  QImage frame() {
    QImage image(view.size(), QImage::Format_RGB32);
    view.render(image);
    return image;
  }

  QTemporaryDir dir;
  test_support::ViewScene scene;
  Project& project = scene.project;
  ImageView view{project, nullptr};
};

TEST_F(ImageViewTest, WheelZoomsAboutTheMouseAndADeltaOfZeroZoomsOut) {
  QTest::mouseMove(&view, QPoint(300, 200));
  const ZoomPanState& state = scene.a->view;
  const Point2 under = client_to_image(state, scene.size, {300, 200});
  wheel(0);
  EXPECT_DOUBLE_EQ(state.zoom, 0.35 / 1.1);
  for (int delta : {120, 120, 120, -120, 240, 1}) {
    wheel(delta);
    const Point2 now = client_to_image(state, scene.size, {300, 200});
    EXPECT_NEAR(now.x, under.x, 1.0);
    EXPECT_NEAR(now.y, under.y, 1.0);
  }
  EXPECT_NEAR(state.zoom, 0.35 * std::pow(1.1, 3), 1e-12);  // -1 + 3 - 1 + 2 steps
}

TEST_F(ImageViewTest, ClicksInSelectModeToggleWithinTheStrictSquare) {
  project.select_mode = SelectMode::Select;
  project.model.selection_mode = SelectionMode::Remove;  // applies to rubber bands only
  ModelPoint* p = scene.point(0, 0, 0);
  ModelPoint* other = scene.point(200, 100, 0, true);
  const QPoint mark = at(p);
  click(mark + QPoint(5, 0));
  click(mark + QPoint(0, -5));
  EXPECT_EQ(p->selected, 0);
  click(mark + QPoint(4, -4));
  EXPECT_EQ(p->selected, 1);
  click(mark);
  EXPECT_EQ(p->selected, 0);
  EXPECT_EQ(other->selected, 1);

  project.model.selection_size = SelectionSize::Large;
  click(mark + QPoint(14, 0));
  EXPECT_EQ(p->selected, 1);
}

TEST_F(ImageViewTest, RubberBandFollowsTheSelectionMode) {
  project.select_mode = SelectMode::Select;
  ModelPoint* left = scene.point(-100, 0, 0, true);
  ModelPoint* middle = scene.point(0, 0, 0, true);
  ModelPoint* right = scene.point(200, 0, 0, true);
  const QPoint from = at(left) - QPoint(10, 10);
  const QPoint to = at(middle) + QPoint(10, 10);

  project.model.selection_mode = SelectionMode::Remove;  // remove from selection
  drag(to, from);
  EXPECT_EQ(left->selected, 0);
  EXPECT_EQ(middle->selected, 0);
  EXPECT_EQ(right->selected, 1);

  project.model.selection_mode = SelectionMode::New;  // new selection
  drag(from, to);
  EXPECT_EQ(left->selected, 1);
  EXPECT_EQ(middle->selected, 1);
  EXPECT_EQ(right->selected, 0);

  project.model.selection_mode = SelectionMode::Add;  // add to selection: a band of no width adds nothing
  drag(at(right) + QPoint(0, -10), at(right) + QPoint(0, 10));
  EXPECT_EQ(right->selected, 0);

  project.select_mode = SelectMode::Create;  // Create mode: bands never select
  drag(to + QPoint(300, 300), from);
  EXPECT_EQ(selected_count(), 2);
}

TEST_F(ImageViewTest, ThreePressesOnTheFaceTabMakeAFaceAndAFourthStartsAnew) {
  project.point_mode = PointMode::Faces;
  ModelPoint* p1 = scene.point(0, 0, 0);
  ModelPoint* p2 = scene.point(200, 0, 0);
  ModelPoint* p3 = scene.point(0, 200, 0);
  click(at(p1));
  click(at(p2));
  EXPECT_EQ(p2->picked_for_face, 1);
  EXPECT_EQ(view.face_picks(*scene.a), 2);
  click(at(p3));
  ASSERT_EQ(project.model.faces.count(), 1);
  const ModelFace* face = project.model.faces.first();
  EXPECT_EQ(face->corners[0], p1);
  EXPECT_EQ(face->corners[1], p2);
  EXPECT_EQ(face->corners[2], p3);
  EXPECT_EQ(view.face_picks(*scene.a), 0);
  EXPECT_EQ(p1->picked_for_face + p2->picked_for_face + p3->picked_for_face, 0);

  click(at(p3));
  EXPECT_EQ(view.face_picks(*scene.a), 1);
  EXPECT_EQ(p3->picked_for_face, 1);
  QTest::keyClick(&view, Qt::Key_Escape);
  EXPECT_EQ(view.face_picks(*scene.a), 0);
  EXPECT_EQ(p3->picked_for_face, 0);
  EXPECT_EQ(project.model.faces.count(), 1);
}

TEST_F(ImageViewTest, PointFromTwoPhotographsWithShiftAndUndo) {
  const Vec3 corner{120, -40, 60};
  std::vector<PointFit> fits;
  view.set_point_listener([&](const ModelPoint&, const PointFit& fit) { fits.push_back(fit); });
  const QPoint in_a = at(corner);
  click(in_a);
  QTest::keyPress(&view, Qt::Key_Shift);
  ASSERT_EQ(view.displayed_image(), scene.b);
  QTest::keyPress(&view, Qt::Key_Shift);  // a repeat
  const QPoint in_b = at(corner);
  click(in_b, Qt::ShiftModifier);
  QTest::keyRelease(&view, Qt::Key_Shift);
  EXPECT_EQ(view.displayed_image(), scene.a);

  ASSERT_EQ(project.model.points.count(), 1);
  const ModelPoint* made = project.model.points.first();
  const auto photo = [this](const ProjectImage* image, QPoint p) {
    return client_to_image(image->view, scene.size, {double(p.x()), double(p.y())});
  };
  EXPECT_EQ(made->position(), point_triangulation(photo(scene.a, in_a), photo(scene.b, in_b), *scene.a, *scene.b));
  // The listener hears how well the point fits the two clicks.
  ASSERT_EQ(fits.size(), 1u);
  const Point2 back_b = project_to_image(made->position(), *scene.b, true);
  EXPECT_NEAR(fits[0].error_b, std::hypot(back_b.x - photo(scene.b, in_b).x, back_b.y - photo(scene.b, in_b).y), 1e-9);
  EXPECT_GT(fits[0].ray_angle, 30.0);
  // Clicks land on whole pixels of a view at zoom 0.35: a few photograph pixels.
  EXPECT_NEAR(made->x, corner.x, 15.0);
  EXPECT_NEAR(made->y, corner.y, 15.0);
  EXPECT_NEAR(made->z, corner.z, 15.0);
  EXPECT_EQ(project.modified, 1);
  undo_command(project);
  EXPECT_EQ(project.model.points.count(), 0);

  // Without a known pose in the partner nothing is made.
  scene.b->pose_known = 0;
  click(at(corner));
  QTest::keyPress(&view, Qt::Key_Shift);
  click(at(corner) + QPoint(10, 0), Qt::ShiftModifier);
  QTest::keyRelease(&view, Qt::Key_Shift);
  EXPECT_EQ(project.model.points.count(), 0);
}

TEST_F(ImageViewTest, ReferencePointsOnlyHidesTheModelAndClicksReachTheMarks) {
  give_photo(*scene.a);
  project.images().calibration_mode = 1;
  project.model.layers.first()->colour = make_colour(255, 0, 0);
  ModelPoint* p = scene.point(0, 0, 0);
  const QPoint mark = at(p);
  const Point2 photo = client_to_image(scene.a->view, scene.size, {double(mark.x()), double(mark.y())});
  auto* ref = add_reference_point(project, *scene.a, {1, 2, 3}, {photo.x - 1136, photo.y - 852});
  EXPECT_EQ(frame().pixel(mark + QPoint(3, 0)), qRgb(255, 0, 0));

  project.images().reference_points_only = 1;
  EXPECT_NE(frame().pixel(mark + QPoint(3, 0)), qRgb(255, 0, 0));
  click(mark);
  EXPECT_EQ(ref->selected, 1);
  EXPECT_EQ(p->selected, 0);

  project.images().reference_points_only = 0;
  click(mark);  // the model point comes first and deselects the marks
  EXPECT_EQ(p->selected, 1);
  EXPECT_EQ(ref->selected, 0);
}

TEST_F(ImageViewTest, ResidualLinesRunFromTheMarkTowardsTheProjectionScaled) {
  give_photo(*scene.a);
  project.images().calibration_mode = 1;
  // A mark 6 photograph pixels left of where the pose projects its point.
  const Vec3 world{30, 20, 10};
  const Point2 projected = project_to_image(world, *scene.a, false);
  add_reference_point(project, *scene.a, world, {projected.x - 6, projected.y});
  const Point2 mark = image_to_client(scene.a->view, scene.size, {projected.x - 6 + 1136, projected.y + 852});
  const QPoint beyond_cross(static_cast<int>(std::lround(mark.x)) + 12, static_cast<int>(std::lround(mark.y)));
  // Red over the grey photograph, however the smoothed line falls on the pixel rows.
  const auto reddish = [](QRgb c) { return qRed(c) > qGreen(c) + 50 && qRed(c) > qBlue(c) + 50; };
  // x10: 60 photograph pixels, 21 client pixels at zoom 0.35, red (5 or more).
  view.refresh();
  EXPECT_TRUE(reddish(frame().pixel(beyond_cross))) << std::hex << frame().pixel(beyond_cross);
  EXPECT_FALSE(reddish(frame().pixel(beyond_cross - QPoint(24, 0)))) << "the line points towards the projection";
  view.set_residual_scale(1);
  EXPECT_FALSE(reddish(frame().pixel(beyond_cross)));
  view.set_residual_scale(10);
  scene.a->pose_known = 0;  // no pose, no residual
  EXPECT_FALSE(reddish(frame().pixel(beyond_cross)));
}

TEST_F(ImageViewTest, CalibrationClicksMarkReferencePoints) {
  project.images().calibration_mode = 1;
  int asked = 0;
  std::optional<Vec3> answer = Vec3{10, 20, 30};
  view.set_reference_asker([&](QWidget*) {
    ++asked;
    return answer;
  });
  const QPoint empty(400, 300);
  click(empty);
  ASSERT_EQ(scene.a->reference_points.count(), 1);
  const ReferencePoint* typed = scene.a->reference_points.first();
  const Point2 photo = client_to_image(scene.a->view, scene.size, {400, 300});
  EXPECT_EQ(typed->world_position, (Vec3{10, 20, 30}));
  EXPECT_EQ(typed->image_position, (Point2{photo.x - 1136, photo.y - 852}));
  EXPECT_EQ(scene.a->marks_changed, 1);

  answer.reset();  // Cancel
  click(QPoint(100, 100));
  EXPECT_EQ(scene.a->reference_points.count(), 1);
  EXPECT_EQ(asked, 2);

  // Select the mark, hold SHIFT, click in the partner: same world position.
  click(empty);
  EXPECT_EQ(typed->selected, 1);
  QTest::keyPress(&view, Qt::Key_Shift);
  click(QPoint(500, 250), Qt::ShiftModifier);
  QTest::keyRelease(&view, Qt::Key_Shift);
  ASSERT_EQ(scene.b->reference_points.count(), 1);
  EXPECT_EQ(scene.b->reference_points.first()->world_position, (Vec3{10, 20, 30}));
  EXPECT_EQ(asked, 2);

  // A drag from a model point marks the point's own position where it ends.
  ModelPoint* p = scene.point(50, 60, 70);
  drag(at(p), at(p) + QPoint(20, 5));
  ASSERT_EQ(scene.a->reference_points.count(), 2);
  EXPECT_EQ(scene.a->reference_points.last()->world_position, p->position());

  // DELETE removes the selected marks.
  click(empty);
  QTest::keyClick(&view, Qt::Key_Delete);
  EXPECT_EQ(scene.a->reference_points.count(), 1);
  EXPECT_EQ(asked, 2);

  // A point deleted between the press and the release is not marked: the
  // release is a plain click (asked, cancelled).
  ModelPoint* gone = scene.point(-50, 60, 70, true);
  const QPoint from = at(gone);
  QTest::mousePress(&view, Qt::LeftButton, Qt::NoModifier, from);
  delete_points(project);
  QTest::mouseRelease(&view, Qt::LeftButton, Qt::NoModifier, from + QPoint(20, 5));
  EXPECT_EQ(scene.a->reference_points.count(), 1);
  EXPECT_EQ(asked, 3);
}

TEST_F(ImageViewTest, DeleteRemovesSelectedPointsOrFacesByTab) {
  ModelPoint* p1 = scene.point(0, 0, 0, true);
  ModelPoint* p2 = scene.point(200, 0, 0, true);
  ModelPoint* p3 = scene.point(0, 200, 0, true);
  scene.point(300, 300, 0);
  add_face(project, *p1, *p2, *p3);
  project.point_mode = PointMode::Faces;
  QTest::keyClick(&view, Qt::Key_Delete);
  EXPECT_EQ(project.model.faces.count(), 0);
  EXPECT_EQ(project.model.points.count(), 4);
  project.point_mode = PointMode::Points;
  QTest::keyClick(&view, Qt::Key_Delete);
  EXPECT_EQ(project.model.points.count(), 1);
}

TEST_F(ImageViewTest, MouseMovesReportTheCursor) {
  scene.notifier.posted.clear();
  QTest::mouseMove(&view, QPoint(123, 45));
  EXPECT_EQ(project.cursor.window_x, 123);
  EXPECT_EQ(project.cursor.window_y, 45);
  const Point2 photo = client_to_image(scene.a->view, scene.size, {123, 45});
  EXPECT_EQ(project.cursor.image_x, photo.x);
  EXPECT_EQ(project.cursor.image_y, photo.y);
  ASSERT_FALSE(scene.notifier.posted.empty());
  EXPECT_EQ(scene.notifier.posted.back().notification, Notification::CursorMoved);
}

TEST_F(ImageViewTest, CtrlDragPansTheGrabbedPointWithTheMouse) {
  const Point2 grabbed = client_to_image(scene.a->view, scene.size, {120, 100});
  QMouseEvent move(QEvent::MouseMove, QPointF(120, 100), view.mapToGlobal(QPointF(120, 100)), Qt::NoButton,
                   Qt::NoButton, Qt::ControlModifier);
  QApplication::sendEvent(&view, &move);
  QMouseEvent on(QEvent::MouseMove, QPointF(220, 160), view.mapToGlobal(QPointF(220, 160)), Qt::NoButton, Qt::NoButton,
                 Qt::ControlModifier);
  QApplication::sendEvent(&view, &on);
  const Point2 now = client_to_image(scene.a->view, scene.size, {220, 160});
  EXPECT_NEAR(now.x, grabbed.x, 1.0 / 0.35 + 1);
  EXPECT_NEAR(now.y, grabbed.y, 1.0 / 0.35 + 1);
}

// The photograph is drawn pixel for pixel; an image whose camera has no grid
// shows no marks; a file that cannot be decoded leaves the view black and
// working, with the reader's message in the middle rather than a message
// box, and is tried again at the next paint.
TEST_F(ImageViewTest, PhotographAndFailures) {
  const QString path = dir.filePath("photo.bmp");
  QImage photo(2272, 1704, QImage::Format_RGB32);
  for (int y = 0; y < photo.height(); ++y)
    for (int x = 0; x < photo.width(); ++x) photo.setPixel(x, y, qRgb(x % 256, y % 256, 77));
  ASSERT_TRUE(photo.save(path, "BMP"));
  scene.a->view.zoom = 1.0;
  scene.a->view.scroll_x = 700.7;
  scene.a->view.scroll_y = 500;
  scene.a->resolved_path = path.toStdString();
  QImage shown = frame();
  EXPECT_EQ(shown.pixel(0, 0), photo.pixel(700, 500));
  EXPECT_EQ(shown.pixel(799, 599), photo.pixel(1499, 1099));
  EXPECT_EQ(scene.a->pixel_width, 2272);
  EXPECT_EQ(scene.a->pixel_height, 1704);

  project.model.layers.first()->colour = make_colour(255, 0, 0);
  ModelPoint* p = scene.point(0, 0, 0);
  const QPoint mark = at(p);
  EXPECT_EQ(frame().pixel(mark + QPoint(3, 0)), qRgb(255, 0, 0));
  project.images().camera = CameraModel{};  // no grid
  shown = frame();
  EXPECT_EQ(shown.pixel(mark + QPoint(3, 0)), photo.pixel(mark.x() + 3 + 700, mark.y() + 500));

  const QString broken = write_file("broken.bmp", "BM not really a bitmap");
  scene.b->resolved_path = broken.toStdString();
  project.images().current = scene.b;
  shown = frame();
  EXPECT_EQ(shown.pixel(2, 2), qRgb(0, 0, 0));
  EXPECT_TRUE(view.message().startsWith("Cannot read the photograph " + broken + ": ")) << view.message().toStdString();
  EXPECT_EQ(scene.b->pixel_width, 0);
  project.images().calibration_mode = 1;
  view.set_reference_asker([](QWidget*) { return Vec3{1, 1, 1}; });
  click(QPoint(400, 300));
  EXPECT_EQ(scene.b->reference_points.count(), 1);
  EXPECT_TRUE(scene.messages.shown.empty());
  ASSERT_TRUE(QFile::remove(broken));
  ASSERT_TRUE(QFile::copy(path, broken));
  frame();
  EXPECT_EQ(scene.b->pixel_width, 2272);
  EXPECT_TRUE(view.message().isEmpty());
}

// A JPEG seen whole is decoded reduced, which blurs a one-pixel checkerboard
// to grey; zooming in with the wheel decodes it again at full size and the
// squares show.
TEST_F(ImageViewTest, ZoomingInDecodesAReducedJpegAgainAtFullSize) {
  QImage board(2272, 1704, QImage::Format_RGB32);
  for (int y = 0; y < board.height(); ++y)
    for (int x = 0; x < board.width(); ++x) board.setPixel(x, y, (x + y) % 2 ? qRgb(255, 255, 255) : qRgb(0, 0, 0));
  const QString path = dir.filePath("board.jpg");
  ASSERT_TRUE(board.save(path, "JPEG", 100));
  scene.a->resolved_path = path.toStdString();
  const ZoomPanState& state = scene.a->view;
  ASSERT_LT(state.zoom, 0.5);
  const QPoint inside = at(Vec3{0, 0, 0});
  EXPECT_NEAR(qGray(frame().pixel(inside)), 128, 40);
  EXPECT_EQ(scene.a->pixel_width, 2272);
  EXPECT_EQ(scene.a->pixel_height, 1704);

  QTest::mouseMove(&view, QPoint(300, 200));
  for (int i = 0; i < 20 && state.zoom <= 0.5; ++i) wheel(120);
  ASSERT_GT(state.zoom, 0.5);
  const int grey = qGray(frame().pixel(at(Vec3{0, 0, 0})));
  EXPECT_TRUE(grey < 30 || grey > 225) << grey;
}

// Round red targets on grey in the photograph: a reference mark clicked two
// view pixels off one lands on its centre, at zoom 1 and at zoom 0.5; with
// ALT held it stays where the mouse was.
TEST_F(ImageViewTest, MarksSnapOntoTheTargetUnlessAltIsHeld) {
  const QPointF targets[] = {{1000.3, 800.6}, {1300.7, 500.2}, {700.4, 1100.9}};
  QImage photo(2272, 1704, QImage::Format_RGB32);
  photo.fill(qRgb(90, 90, 90));
  QPainter painter(&photo);
  painter.setRenderHint(QPainter::Antialiasing);
  painter.setPen(Qt::NoPen);
  painter.setBrush(QColor(220, 40, 30));
  for (const QPointF& centre : targets) painter.drawEllipse(centre, 12.0, 12.0);
  painter.end();
  const QString path = dir.filePath("targets.bmp");
  ASSERT_TRUE(photo.save(path, "BMP"));
  scene.a->resolved_path = path.toStdString();
  project.images().calibration_mode = 1;
  view.set_reference_asker([](QWidget*) { return std::optional<ReferenceChoice>(Vec3{1, 2, 3}); });
  ZoomPanState& state = scene.a->view;
  // Clicks 2 view pixels right of `target` at `zoom`; gives the new mark's
  // photograph position and the click's.
  const auto mark_beside = [&](QPointF target, double zoom, Qt::KeyboardModifiers keys) {
    state.zoom = zoom;
    state.scroll_x = target.x() - 300.0 / zoom;
    state.scroll_y = target.y() - 200.0 / zoom;
    const Point2 c = image_to_client(state, scene.size, {target.x(), target.y()});
    const QPoint where(static_cast<int>(std::lround(c.x)) + 2, static_cast<int>(std::lround(c.y)));
    const int before = scene.a->reference_points.count();
    click(where, keys);
    EXPECT_EQ(scene.a->reference_points.count(), before + 1);
    const Point2 mark = scene.a->reference_points.last()->image_position;
    return std::pair{Point2{mark.x + 1136, mark.y + 852},
                     client_to_image(state, scene.size, {double(where.x()), double(where.y())})};
  };
  for (const auto& [target, zoom] : {std::pair{targets[0], 1.0}, std::pair{targets[1], 0.5}}) {
    const auto [mark, clicked] = mark_beside(target, zoom, Qt::NoModifier);
    EXPECT_NEAR(mark.x, target.x(), 0.1) << zoom;
    EXPECT_NEAR(mark.y, target.y(), 0.1) << zoom;
    EXPECT_GT(std::hypot(clicked.x - target.x(), clicked.y - target.y()), 1.5) << zoom;
  }
  const auto [raw, clicked] = mark_beside(targets[2], 1.0, Qt::AltModifier);
  EXPECT_EQ(raw, clicked);
}

// A photograph shown for the first time with the untouched view state is
// fitted whole into the view, without marking the project modified; a
// state the user set is kept, and so is a zoom chosen after the fit.
TEST_F(ImageViewTest, FirstShowingFitsAnUntouchedPhotographOnly) {
  for (ProjectImage* image : {scene.a, scene.b}) {
    image->view = ZoomPanState{};
    give_photo(*image);
  }
  scene.b->view.scroll_x = 40;  // set by the user and saved
  project.modified = false;
  frame();
  const ZoomPanState& fitted = scene.a->view;
  EXPECT_LT(fitted.zoom, 0.36);
  EXPECT_GT(fitted.zoom, 0.3);
  const Point2 top_left = image_to_client(fitted, scene.size, {0, 0});
  const Point2 bottom_right = image_to_client(fitted, scene.size, {2272, 1704});
  EXPECT_GE(top_left.x, 0);
  EXPECT_GE(top_left.y, 0);
  EXPECT_LE(bottom_right.x, 800);
  EXPECT_LE(bottom_right.y, 600);
  EXPECT_FALSE(project.modified);

  QTest::mouseMove(&view, QPoint(300, 200));
  wheel(120);
  const double chosen = scene.a->view.zoom;
  project.images().current = scene.b;
  frame();
  EXPECT_EQ(scene.b->view.zoom, 1.0);
  EXPECT_EQ(scene.b->view.scroll_x, 40);
  project.images().current = scene.a;
  frame();
  EXPECT_EQ(scene.a->view.zoom, chosen);
}

// Why nothing shows: the file not found along the directories, a file that
// is not a photograph, or SHIFT without a partner; the text is drawn.
TEST_F(ImageViewTest, SaysWhyNoPhotographShows) {
  scene.a->file_name = "front.jpg";
  frame();
  EXPECT_EQ(view.message(), "The photograph front.jpg is not in any of the project's directories");
  const QImage blank = [] {
    QImage black(800, 600, QImage::Format_RGB32);
    black.fill(Qt::black);
    return black;
  }();
  EXPECT_NE(frame(), blank);

  const QString fake = write_file("fake.jpg", "GARBAGE");
  scene.a->resolved_path = fake.toStdString();
  frame();
  EXPECT_TRUE(view.message().startsWith("Cannot read the photograph " + fake + ": ")) << view.message().toStdString();

  give_photo(*scene.a);
  scene.a->partner = nullptr;
  view.setFocus();
  QTest::keyPress(&view, Qt::Key_Shift);
  frame();
  EXPECT_EQ(view.message(), kNoPartnerHint);
  QTest::keyRelease(&view, Qt::Key_Shift);
  frame();
  EXPECT_TRUE(view.message().isEmpty());
}

}  // namespace
}  // namespace plenvista
