#include "shell/dialogs/reference_point_dialog.h"

#include <gtest/gtest.h>

#include <QComboBox>
#include <QLineEdit>
#include <QTest>

namespace plenvista {
namespace {

TEST(ReferencePointDialog, ShowsTwoDecimalsAndReadsTypedNumbersLocaleFree) {
  ReferencePointDialog dialog(Vec3{1.005, -2, 0}, nullptr);
  EXPECT_EQ(dialog.windowTitle(), "Reference Point");
  EXPECT_EQ(dialog.field(0)->text(), "1.00");
  EXPECT_EQ(dialog.field(1)->text(), "-2.00");
  EXPECT_EQ(dialog.field(2)->text(), "0.00");
  const char* typed[3] = {"12.5", "abc", "-3,7"};
  for (int i = 0; i < 3; ++i) {
    dialog.field(i)->clear();
    QTest::keyClicks(dialog.field(i), typed[i]);
  }
  dialog.accept();
  EXPECT_EQ(dialog.result(), QDialog::Accepted);
  EXPECT_EQ(dialog.position(), (Vec3{12.5, 0, -3}));
}

TEST(ReferencePointDialog, AControlPointTypedByLabelGivesItsExactPositionUntilAFieldChanges) {
  const std::vector<ControlPoint> points{{4, "A1", {1.25, 2, 3}}, {9, "B2", {10.5, -20.25, 0.001}}};
  ReferencePointDialog dialog(Vec3{}, nullptr, points);
  ASSERT_TRUE(dialog.control_points_box());
  EXPECT_EQ(dialog.control_points_box()->count(), 2);
  QTest::keyClicks(dialog.control_points_box()->lineEdit(), "b2");
  EXPECT_EQ(dialog.field(1)->text(), "-20.25");
  dialog.accept();
  EXPECT_EQ(dialog.position(), (Vec3{10.5, -20.25, 0.001}));  // not the two decimals shown
  EXPECT_EQ(dialog.control_point_id(), 9);

  ReferencePointDialog edited(Vec3{}, nullptr, points);
  QTest::keyClicks(edited.control_points_box()->lineEdit(), "A1");
  QTest::keyClicks(edited.field(2), "5");
  edited.accept();
  EXPECT_EQ(edited.position(), (Vec3{1.25, 2, 3.005}));
  EXPECT_EQ(edited.control_point_id(), 0);
}

TEST(ReferencePointDialog, ALabelWithEmptyFieldsMarksATiePoint) {
  const std::vector<ControlPoint> points{{4, "A1", {1.25, 2, 3}}};
  ReferencePointDialog tie(Vec3{}, nullptr, points, {"T1"});
  EXPECT_EQ(tie.control_points_box()->count(), 2);
  QTest::keyClicks(tie.control_points_box()->lineEdit(), "T7");
  for (int i = 0; i < 3; ++i) tie.field(i)->clear();
  tie.accept();
  EXPECT_EQ(tie.tie_label(), "T7");
  EXPECT_EQ(tie.control_point_id(), 0);

  // One coordinate given: a reference point, as before.
  ReferencePointDialog typed(Vec3{}, nullptr, points, {"T1"});
  QTest::keyClicks(typed.control_points_box()->lineEdit(), "T1");
  typed.field(0)->clear();
  typed.field(1)->clear();
  typed.accept();
  EXPECT_EQ(typed.tie_label(), "");
  EXPECT_EQ(typed.position(), (Vec3{}));

  // A control point's label with its fields emptied is no tie point.
  ReferencePointDialog control(Vec3{}, nullptr, points);
  QTest::keyClicks(control.control_points_box()->lineEdit(), "A1");
  for (int i = 0; i < 3; ++i) control.field(i)->clear();
  control.accept();
  EXPECT_EQ(control.tie_label(), "");
}

}  // namespace
}  // namespace plenvista
