#include "shell/dialogs/form.h"

#include <gtest/gtest.h>

#include <QCheckBox>
#include <QFormLayout>
#include <QLineEdit>
#include <QWidget>
#include <limits>

namespace plenvista {
namespace {

TEST(Form, ShowsBoundValuesAndReadsThemBackLocaleFree) {
  QWidget dialog;
  double offset = -2.125;
  int count = 7;
  std::string name = "Hütte";
  bool flag = false;
  Form form(&dialog);
  QLineEdit* offset_field = form.add_double("Offset:", offset, 3);
  QLineEdit* count_field = form.add_int("Count:", count, 23);
  QLineEdit* name_field = form.add_text("Name:", name);
  QCheckBox* flag_box = form.add_check("Flag", flag);
  dialog.setLayout(form.layout());
  EXPECT_EQ(offset_field->text(), "-2.125");
  EXPECT_EQ(count_field->text(), "7");
  EXPECT_EQ(count_field->maxLength(), 23);
  EXPECT_EQ(name_field->text(), QString::fromUtf8("Hütte"));
  EXPECT_EQ(name_field->maxLength(), Form::kTextLength);
  EXPECT_FALSE(flag_box->isChecked());

  // Nothing is written before read().
  offset_field->setText(" 2,5");
  count_field->setText("12.9 cm");
  name_field->setText(QString::fromUtf8("Haus ä"));
  flag_box->setChecked(true);
  EXPECT_DOUBLE_EQ(offset, -2.125);
  form.read();
  EXPECT_DOUBLE_EQ(offset, 2.0);
  EXPECT_EQ(count, 12);
  EXPECT_EQ(name, "Haus ä");
  EXPECT_TRUE(flag);

  offset_field->setText("wide");
  count_field->setText("-1e30");
  form.read();
  EXPECT_DOUBLE_EQ(offset, 0.0);
  EXPECT_EQ(count, std::numeric_limits<int>::min());
  count_field->setText("x");
  form.read();
  EXPECT_EQ(count, 0);

  // show() puts values changed by the caller back into the fields.
  offset = 10.5;
  count = 14;
  name = "Hof";
  flag = false;
  form.show();
  EXPECT_EQ(offset_field->text(), "10.500");
  EXPECT_EQ(count_field->text(), "14");
  EXPECT_EQ(name_field->text(), "Hof");
  EXPECT_FALSE(flag_box->isChecked());
}

}  // namespace
}  // namespace plenvista
