#include "shell/dialogs/translation_editor_dialog.h"

#include <gtest/gtest.h>

#include <QLineEdit>
#include <QRadioButton>

#include "shell/shell_test_doubles.h"

namespace plenvista {
namespace {

using test_support::ScriptedQuestions;

const QString kQuestion =
    "Applying a mirror will cause all points and faces on the mirrored side to be deleted, continue ?";

TEST(TranslationEditorDialog, ShowsTheTransformWithTwoDecimals) {
  ScriptedQuestions questions;
  const ProjectTransform t{0, {1.5, -2.25, 1000.0}, 4.0, 0.125, MirrorPlane::Y};
  TranslationEditorDialog dialog(t, questions, nullptr);
  using F = TranslationEditorDialog;
  EXPECT_EQ(dialog.windowTitle(), "Translation Editor");
  EXPECT_EQ(dialog.field(F::OriginX)->text(), "1.50");
  EXPECT_EQ(dialog.field(F::OriginY)->text(), "-2.25");
  EXPECT_EQ(dialog.field(F::OriginZ)->text(), "1000.00");
  EXPECT_EQ(dialog.field(F::Scale)->text(), "0.12");
  EXPECT_EQ(dialog.field(F::Buffer)->text(), "4.00");
  EXPECT_TRUE(dialog.plane_button(2)->isChecked());
  EXPECT_EQ(dialog.plane_button(0)->text(), "None");
  EXPECT_EQ(dialog.plane_button(1)->text(), "X Plane");
  EXPECT_EQ(dialog.plane_button(3)->text(), "Z Plane");
}

TEST(TranslationEditorDialog, FirstPlaneAsksAndNoKeepsTheDialogOpen) {
  ScriptedQuestions questions;
  TranslationEditorDialog dialog(ProjectTransform{}, questions, nullptr);
  dialog.plane_button(1)->setChecked(true);
  dialog.field(TranslationEditorDialog::OriginX)->setText("2,5");
  questions.answers = {QMessageBox::No};
  dialog.accept();
  EXPECT_EQ(dialog.result(), QDialog::Rejected);
  ASSERT_EQ(questions.asked.size(), 1u);
  EXPECT_EQ(questions.asked[0].text, kQuestion);
  EXPECT_EQ(questions.asked[0].caption, "Warning");
  EXPECT_EQ(questions.asked[0].buttons, QMessageBox::Yes | QMessageBox::No);
  EXPECT_EQ(dialog.edit().plane, MirrorPlane::None);  // nothing read yet

  questions.answers = {QMessageBox::Yes};
  dialog.accept();
  EXPECT_EQ(dialog.result(), QDialog::Accepted);
  EXPECT_EQ(dialog.edit().plane, MirrorPlane::X);
  EXPECT_DOUBLE_EQ(dialog.edit().origin_offset.x, 2.0);  // the leading number of "2,5"
}

TEST(TranslationEditorDialog, NoQuestionWhenAPlaneIsAlreadySetOrNoneIsChosen) {
  ScriptedQuestions questions;
  TranslationEditorDialog mirrored(ProjectTransform{0, {}, 4.0, 1.0, MirrorPlane::X}, questions, nullptr);
  mirrored.plane_button(3)->setChecked(true);
  mirrored.field(TranslationEditorDialog::Scale)->setText(" 2.5e1 ");
  mirrored.field(TranslationEditorDialog::Buffer)->setText("wide");
  mirrored.field(TranslationEditorDialog::OriginZ)->setText("-0.75");
  mirrored.accept();
  EXPECT_EQ(mirrored.result(), QDialog::Accepted);
  EXPECT_EQ(mirrored.edit().plane, MirrorPlane::Z);
  EXPECT_DOUBLE_EQ(mirrored.edit().scale, 25.0);
  EXPECT_DOUBLE_EQ(mirrored.edit().mirror_buffer, 0.0);
  EXPECT_DOUBLE_EQ(mirrored.edit().origin_offset.z, -0.75);

  TranslationEditorDialog plain(ProjectTransform{}, questions, nullptr);
  plain.accept();
  EXPECT_EQ(plain.result(), QDialog::Accepted);
  EXPECT_EQ(plain.edit().plane, MirrorPlane::None);
  EXPECT_DOUBLE_EQ(plain.edit().scale, 1.0);
  EXPECT_DOUBLE_EQ(plain.edit().mirror_buffer, 4.0);
  EXPECT_TRUE(questions.asked.empty());
}

}  // namespace
}  // namespace plenvista
