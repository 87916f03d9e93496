#include "photogrammetry/texture_mapping.h"

#include <gtest/gtest.h>

#include <cmath>
#include <memory>

#include "model/edit_actions.h"
#include "model/edit_test_support.h"
#include "model/undo_commands.h"
#include "photogrammetry/projection.h"
#include "testing/bitmap_headers.h"
#include "testing/cameras.h"
#include "testing/temp_dir.h"

namespace plenvista {
namespace {

struct Texturing : test_support::EditFixture {
  test_support::TempDir tmp;
  ProjectImage* image = nullptr;
  Material* other = nullptr;
  std::array<ModelPoint*, 4> points{};

  void SetUp() override {
    project.set_path(tmp.dir("project") + "p.op2");
    project.images().camera = test_support::pinhole_camera();
    auto added = std::make_unique<ProjectImage>();
    added->id = model.new_id();
    added->file_name = "photo.bmp";
    added->camera = &project.images().camera;
    added->centre_x = 1136;
    added->centre_y = 852;
    added->pose = {{-50, -50, -1500}, {2, -3, 1}};
    image = project.images().images.insert(std::move(added));
    tmp.write("project/photo.bmp", test_support::bitmap_headers(2272, 1704));

    const Vec3 corners[4] = {{0, 0, 0}, {100, 0, 0}, {100, 100, 0}, {0, 100, 20}};
    for (std::size_t k = 0; k < 4; ++k) points[k] = add_point(project, corners[k].x, corners[k].y, corners[k].z);
    model.current_material->texture_image = image;
    add_face(project, *points[0], *points[1], *points[2]);
    add_face(project, *points[0], *points[2], *points[3]);
    auto second = std::make_unique<Material>();
    second->id = model.new_id();
    second->name = "Second";
    other = model.materials.insert(std::move(second));
    other->texture_image = image;
    model.current_material = other;
    add_face(project, *points[2], *points[3], *points[1]);
    project.note_change();
  }

  Material* first_material() const { return model.faces.at(0)->material; }
  ModelFace& face(int slot) const { return *model.faces.at(slot); }
};

using AssignTexture = Texturing;

TEST_F(AssignTexture, FacesOfAMaterialShareTheCoordinatesOfSharedPoints) {
  apply_textures(project, {first_material()});
  EXPECT_EQ(model.texture_coords.count(), 4);
  EXPECT_EQ(face(0).texture_coords[0], face(1).texture_coords[0]);
  EXPECT_EQ(face(0).texture_coords[2], face(1).texture_coords[1]);
  EXPECT_EQ(face(2).texture_coords, (std::array<TextureCoord*, 3>{}));
  for (std::size_t k = 0; k < 3; ++k) {
    const TextureCoord& t = *face(0).texture_coords[k];
    const Point2 pixel = project_to_image(face(0).corners[k]->position(), *image, true);
    EXPECT_EQ(t.point, face(0).corners[k]);
    EXPECT_DOUBLE_EQ(t.u, pixel.x / 2272);
    EXPECT_DOUBLE_EQ(t.v, pixel.y / 1704);
  }
  EXPECT_EQ(image->pixel_width, 2272);
}

TEST_F(AssignTexture, EachMaterialGetsItsOwnCoordinates) {
  apply_textures(project, {first_material(), other});
  EXPECT_EQ(model.texture_coords.count(), 4 + 3);
  EXPECT_NE(face(2).texture_coords[0], face(0).texture_coords[2]);
  EXPECT_EQ(face(2).texture_coords[0]->point, face(0).texture_coords[2]->point);
  // Choosing only one material drops the other's coordinates.
  apply_textures(project, {other});
  EXPECT_EQ(model.texture_coords.count(), 3);
  EXPECT_EQ(face(0).texture_coords, (std::array<TextureCoord*, 3>{}));
}

TEST_F(AssignTexture, PhotographOfAnotherSizeUsesItsOwnPixels) {
  tmp.write("project/photo.bmp", test_support::bitmap_headers(1136, 852));
  image->size_differs = 1;
  image->texture_scale = 0.5;
  image->texture_centre_x = 568;
  image->texture_centre_y = 426;
  apply_textures(project, {first_material()});
  const TextureCoord& t = *face(0).texture_coords[1];
  image->size_differs = 0;
  const Point2 native = project_to_image(t.point->position(), *image, true);
  EXPECT_NEAR(t.u, (native.x - 1136) * 0.5 / 1136 + 0.5, 1e-12);
  EXPECT_NEAR(t.v, (native.y - 852) * 0.5 / 852 + 0.5, 1e-12);
}

TEST_F(AssignTexture, UnreadablePhotographGivesNoCoordinatesAndAWarning) {
  std::filesystem::remove(tmp.path / "project/photo.bmp");
  apply_textures(project, {first_material(), other});
  EXPECT_EQ(model.texture_coords.count(), 0);
  ASSERT_EQ(messages.shown.size(), 2u);
  EXPECT_EQ(messages.shown[0].caption, "Warning");
  EXPECT_NE(messages.shown[0].text.find("photo.bmp"), std::string::npos);
  EXPECT_NE(messages.shown[1].text.find("Second"), std::string::npos);
  for (const ModelFace* f : model.faces) EXPECT_EQ(f->texture_coords, (std::array<TextureCoord*, 3>{}));
}

TEST_F(AssignTexture, UndoAndRedoRestoreTheCoordinates) {
  apply_textures(project, {first_material()});
  const test_support::ModelSnapshot textured = test_support::snapshot(model);
  apply_textures(project, {other});
  const test_support::ModelSnapshot retextured = test_support::snapshot(model);
  undo_command(project);
  EXPECT_EQ(test_support::snapshot(model), textured);
  undo_command(project);
  EXPECT_EQ(model.texture_coords.count(), 0);
  redo_command(project);
  redo_command(project);
  EXPECT_EQ(test_support::snapshot(model), retextured);
}

}  // namespace
}  // namespace plenvista
