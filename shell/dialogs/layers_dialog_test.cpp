#include "shell/dialogs/layers_dialog.h"

#include <gtest/gtest.h>

#include <QLineEdit>
#include <QPushButton>

#include "model/edit_actions.h"
#include "model/edit_test_support.h"
#include "model/layers_materials.h"
#include "model/undo_commands.h"
#include "shell/dialogs/dialog_test_support.h"
#include "shell/dialogs/layer_edit_dialog.h"
#include "shell/dialogs/set_layer_dialog.h"
#include "shell/shell_test_doubles.h"

namespace plenvista {
namespace {

using test_support::click;
using test_support::texts_of;
using test_support::when_open;

struct LayerDialogs : test_support::EditFixture {
  test_support::ScriptedChoosers choosers;
  test_support::ScriptedQuestions questions;
  Layer* walls = nullptr;
  ModelPoint* point = nullptr;

  void SetUp() override {
    walls = add_layer(project, "Walls", 0xFF123456u);  // a high byte read from a file is kept
    model.current_layer = walls;
    point = add_point(project, 1, 2, 3);
    model.current_layer = model.layers.at(0);
    project.note_change();
    project.modified = 0;
    notifier.posted.clear();
  }
  bool images_changed_posted() const {
    for (const auto& p : notifier.posted)
      if (p.notification == Notification::ImagesChanged) return true;
    return false;
  }
};

TEST_F(LayerDialogs, DeleteIsDisabledForALayerInUseAndDeletesAnUnusedOne) {
  LayersDialog dialog(project, choosers, questions, nullptr);
  dialog.show();
  EXPECT_EQ(texts_of(dialog.list()), (std::vector<std::string>{"Default Layer", "Walls"}));
  EXPECT_EQ(dialog.selected_slot(), 0);
  EXPECT_TRUE(dialog.edit_button()->isEnabled());
  EXPECT_TRUE(dialog.delete_button()->isEnabled());
  test_support::click_row(dialog.list(), 1);
  EXPECT_FALSE(dialog.delete_button()->isEnabled());  // the point is on "Walls"
  test_support::click_row(dialog.list(), 0);
  click(dialog.delete_button());
  EXPECT_EQ(texts_of(dialog.list()), (std::vector<std::string>{"Walls"}));
  EXPECT_EQ(model.current_layer, walls);
  EXPECT_EQ(project.modified, 1);
  EXPECT_FALSE(dialog.delete_button()->isEnabled());
  click(dialog, "OK");
  EXPECT_EQ(dialog.result(), QDialog::Accepted);
  EXPECT_TRUE(images_changed_posted());
}

TEST_F(LayerDialogs, AddedLayerStaysAfterCancelAndATakenNameIsRefusedWithAMessage) {
  LayersDialog dialog(project, choosers, questions, nullptr);
  dialog.show();
  // "default layer" is taken: the user is told and the Layer dialog stays open.
  when_open<LayerEditDialog>([this](LayerEditDialog& edit) {
    QTest::keyClicks(edit.name_field(), "default layer");
    click(edit, "OK");
    EXPECT_TRUE(edit.isVisible());
    click(edit, "Cancel");
  });
  click(dialog.add_button());
  ASSERT_EQ(questions.told.size(), 1u);
  EXPECT_EQ(questions.told[0].text, "There is already a layer named \"Default Layer\".");
  EXPECT_EQ(model.layers.count(), 2);

  choosers.colours = {std::nullopt, 0x00336699u};
  when_open<LayerEditDialog>([](LayerEditDialog& edit) {
    QTest::keyClicks(edit.name_field(), "Roof");
    click(edit.colour_field().button());  // cancelled: stays black
    EXPECT_EQ(edit.colour(), 0u);
    click(edit.colour_field().button());
    click(edit, "OK");
  });
  click(dialog.add_button());
  EXPECT_EQ(texts_of(dialog.list()), (std::vector<std::string>{"Default Layer", "Walls", "Roof"}));
  EXPECT_EQ(choosers.colours_offered, (std::vector<Colour>{0u, 0u}));
  click(dialog, "Cancel");
  ASSERT_EQ(model.layers.count(), 3);
  EXPECT_EQ(model.layers.at(2)->name, "Roof");
  EXPECT_EQ(model.layers.at(2)->colour, 0x00336699u);
  EXPECT_EQ(project.modified, 1);
  EXPECT_FALSE(images_changed_posted());  // the layer page is not refreshed after Cancel
}

TEST_F(LayerDialogs, EditRenamesOntoATakenNameAndKeepsOrDiscardsTheColour) {
  LayersDialog dialog(project, choosers, questions, nullptr);
  dialog.show();
  when_open<LayerEditDialog>([](LayerEditDialog& edit) {
    EXPECT_EQ(edit.name_field()->text(), "Walls");
    edit.name_field()->clear();
    QTest::keyClicks(edit.name_field(), "Default Layer");
    click(edit, "OK");
  });
  test_support::double_click_row(dialog.list(), 1);
  EXPECT_EQ(texts_of(dialog.list()), (std::vector<std::string>{"Default Layer", "Default Layer"}));
  EXPECT_EQ(walls->colour, 0xFF123456u);  // unchanged colour kept bit for bit
  EXPECT_TRUE(questions.told.empty());

  choosers.colours = {0x00FFFFFFu};
  when_open<LayerEditDialog>([](LayerEditDialog& edit) {
    click(edit.colour_field().button());
    click(edit, "Cancel");
  });
  test_support::click_row(dialog.list(), 1);
  click(dialog.edit_button());
  EXPECT_EQ(choosers.colours_offered, (std::vector<Colour>{0xFF123456u}));
  EXPECT_EQ(walls->colour, 0xFF123456u);
}

TEST_F(LayerDialogs, SetLayerWithoutSelectionChangesTheCurrentLayerAndIsUndoable) {
  {
    SetLayerDialog dialog(project, nullptr);
    dialog.show();
    EXPECT_EQ(dialog.list()->currentIndex(), 0);
    test_support::choose(dialog.list(), 1);
    click(dialog, "Cancel");
    EXPECT_EQ(model.current_layer, model.layers.at(0));
  }
  SetLayerDialog none_selected(project, nullptr);
  none_selected.show();
  test_support::choose(none_selected.list(), 1);
  click(none_selected, "OK");
  EXPECT_EQ(model.current_layer, walls);
  EXPECT_EQ(project.modified, 1);
  EXPECT_TRUE(images_changed_posted());

  ModelPoint* other = nullptr;
  model.current_layer = model.layers.at(0);
  other = add_point(project, 4, 5, 6);
  select_only({point, other});
  SetLayerDialog selected(project, nullptr);
  selected.show();
  EXPECT_EQ(selected.list()->currentIndex(), 0);
  click(selected, "OK");
  EXPECT_EQ(point->layer, model.layers.at(0));
  EXPECT_EQ(other->layer, model.layers.at(0));
  undo_command(project);
  EXPECT_EQ(point->layer, walls);
}

}  // namespace
}  // namespace plenvista
