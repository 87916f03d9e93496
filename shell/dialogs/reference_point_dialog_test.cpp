#include "shell/dialogs/reference_point_dialog.h"

#include <gtest/gtest.h>

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

}  // namespace
}  // namespace plenvista
