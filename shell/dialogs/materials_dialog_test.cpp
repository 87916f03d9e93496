#include "shell/dialogs/materials_dialog.h"

#include <gtest/gtest.h>

#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>

#include "model/edit_actions.h"
#include "model/edit_test_support.h"
#include "model/layers_materials.h"
#include "shell/dialogs/dialog_test_support.h"
#include "shell/dialogs/material_edit_dialog.h"
#include "shell/dialogs/set_material_dialog.h"
#include "shell/dialogs/set_textures_dialog.h"
#include "shell/shell_test_doubles.h"

namespace plenvista {
namespace {

using test_support::click;
using test_support::texts_of;
using test_support::when_open;

struct MaterialDialogs : test_support::EditFixture {
  test_support::ScriptedChoosers choosers;
  test_support::ScriptedQuestions questions;
  ProjectImage* house = nullptr;
  Material* roof = nullptr;
  std::array<ModelPoint*, 3> corners{};

  void SetUp() override {
    for (const char* description : {"Garden", "House"}) {
      auto image = std::make_unique<ProjectImage>();
      image->id = model.new_id();
      image->description = description;
      image->file_name = std::string(description) == "House" ? "house.bmp" : "garden.bmp";
      house = project.images().images.insert(std::move(image));
    }
    roof = add_material(project, "Roof");
    roof->face_colour = 0xFF0000FFu;
    roof->specular_colour = 0x00010203u;
    roof->emissive_colour = 0x00FFFFFFu;
    roof->texture_image = house;
    corners = {add_point(project, 0, 0, 0), add_point(project, 1, 0, 0), add_point(project, 0, 1, 0)};
    model.current_material = roof;
    add_face(project, *corners[0], *corners[1], *corners[2]);
    model.current_material = model.materials.at(0);
    project.note_change();
    project.modified = 0;
  }
};

TEST_F(MaterialDialogs, ListTextsNameTheTexturePhotograph) {
  MaterialsDialog materials(project, choosers, questions, nullptr);
  EXPECT_EQ(texts_of(materials.list()),
            (std::vector<std::string>{"Default Material", "Roof - using House (house.bmp)"}));
  SetTexturesDialog textures(project, nullptr);
  EXPECT_EQ(texts_of(textures.list()),
            (std::vector<std::string>{"Default Material (no texture)", "Roof - using image house.bmp"}));
  EXPECT_EQ(textures.list()->item(0)->checkState(), Qt::Unchecked);
  EXPECT_EQ(textures.list()->item(1)->checkState(), Qt::Checked);
  roof->texture_image = nullptr;
  EXPECT_EQ(material_list_text(*roof), "Roof");
  EXPECT_EQ(texture_list_text(*roof), "Roof (no texture)");
}

TEST_F(MaterialDialogs, DeleteIsDisabledForAMaterialInUse) {
  MaterialsDialog dialog(project, choosers, questions, nullptr);
  dialog.show();
  EXPECT_TRUE(dialog.delete_button()->isEnabled());
  test_support::click_row(dialog.list(), 1);
  EXPECT_FALSE(dialog.delete_button()->isEnabled());
  EXPECT_TRUE(dialog.edit_button()->isEnabled());
}

TEST_F(MaterialDialogs, EditSetsColoursAndPhotographOnlyOnOk) {
  MaterialsDialog dialog(project, choosers, questions, nullptr);
  dialog.show();
  choosers.colours = {0x00ABCDEFu, 0x00102030u};
  when_open<MaterialEditDialog>([](MaterialEditDialog& edit) {
    EXPECT_EQ(edit.name_field()->text(), "Roof");
    EXPECT_EQ(edit.texture_list()->count(), 3);
    EXPECT_EQ(edit.texture_list()->itemText(0), "(none)");
    EXPECT_EQ(edit.texture_list()->itemText(2), "House");
    EXPECT_EQ(edit.texture_list()->currentIndex(), 2);
    click(edit.colour_field(MaterialEditDialog::Specular).button());
    test_support::choose(edit.texture_list(), 0);
    click(edit, "Cancel");
  });
  test_support::double_click_row(dialog.list(), 1);
  EXPECT_EQ(roof->specular_colour, 0x00010203u);
  EXPECT_EQ(roof->texture_image, house);

  when_open<MaterialEditDialog>([](MaterialEditDialog& edit) {
    click(edit.colour_field(MaterialEditDialog::Emissive).button());
    test_support::choose(edit.texture_list(), 1);
    click(edit, "OK");
  });
  click(dialog.edit_button());
  EXPECT_EQ(roof->face_colour, 0xFF0000FFu);
  EXPECT_EQ(roof->specular_colour, 0x00010203u);
  EXPECT_EQ(roof->emissive_colour, 0x00102030u);
  EXPECT_EQ(roof->texture_image, project.images().images.at(0));
  EXPECT_EQ(texts_of(dialog.list())[1], "Roof - using Garden (garden.bmp)");
  EXPECT_EQ(project.modified, 1);
}

TEST_F(MaterialDialogs, AddRefusesATakenNameAndStartsWithoutPhotograph) {
  MaterialsDialog dialog(project, choosers, questions, nullptr);
  dialog.show();
  when_open<MaterialEditDialog>([](MaterialEditDialog& edit) {
    EXPECT_EQ(edit.texture_list()->currentIndex(), 0);
    QTest::keyClicks(edit.name_field(), "ROOF");
    click(edit, "OK");
    EXPECT_TRUE(edit.isVisible());
    edit.name_field()->clear();
    QTest::keyClicks(edit.name_field(), "Wall");
    test_support::choose(edit.texture_list(), 2);
    click(edit, "OK");
  });
  click(dialog.add_button());
  ASSERT_EQ(questions.told.size(), 1u);
  EXPECT_EQ(questions.told[0].text, "There is already a material named \"Roof\".");
  ASSERT_EQ(model.materials.count(), 3);
  EXPECT_EQ(texts_of(dialog.list())[2], "Wall - using House (house.bmp)");
  EXPECT_EQ(model.materials.at(2)->face_colour, 0u);
}

TEST_F(MaterialDialogs, SetMaterialGivesSelectedFacesTheChosenMaterial) {
  select_only({corners[0], corners[1], corners[2]});
  SetMaterialDialog dialog(project, nullptr);
  dialog.show();
  EXPECT_EQ(dialog.list()->currentIndex(), 0);
  click(dialog, "OK");
  EXPECT_EQ(model.faces.at(0)->material, model.materials.at(0));
  EXPECT_EQ(corners[0]->selected, 0);
  EXPECT_EQ(project.modified, 1);
}

TEST_F(MaterialDialogs, UncheckingATexturedMaterialRemovesItsCoordinates) {
  apply_texture(project, {roof}, [](Material&, ProjectImage&, TextureSink& sink) {
    ModelFace& face = *sink.model().faces.at(0);
    std::array<TextureCoord*, 3> coords{};
    for (std::size_t k = 0; k < 3; ++k) coords[k] = sink.create(*face.corners[k], 0.5, 0.5);
    sink.attach(face, coords);
  });
  ASSERT_EQ(model.texture_coords.count(), 3);
  {
    SetTexturesDialog cancelled(project, nullptr);
    cancelled.show();
    click(cancelled, "Cancel");
    EXPECT_EQ(model.texture_coords.count(), 3);
  }
  SetTexturesDialog dialog(project, nullptr);
  dialog.show();
  QListWidget* list = dialog.list();
  const QRect row = list->visualItemRect(list->item(1));
  QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, QPoint(row.left() + row.height() / 2, row.center().y()));
  ASSERT_EQ(list->item(1)->checkState(), Qt::Unchecked);
  click(dialog, "OK");
  EXPECT_EQ(model.texture_coords.count(), 0);
  EXPECT_EQ(model.faces.at(0)->texture_coords, (std::array<TextureCoord*, 3>{}));
  EXPECT_EQ(roof->texture_image, house);
}

}  // namespace
}  // namespace plenvista
