// Long seeded random sequences of edits, undos and redos: the model's
// invariants hold after every step, undoing everything gives back the
// baseline and redoing everything the state before.

#include <gtest/gtest.h>

#include <cstdint>
#include <random>
#include <vector>

#include "model/edit_actions.h"
#include "model/edit_test_support.h"
#include "model/layers_materials.h"
#include "model/mirror.h"
#include "model/translation.h"
#include "model/undo_commands.h"

namespace plenvista {
namespace {

using test_support::snapshot;

struct RandomEditor : test_support::EditFixture {
  std::mt19937 random;
  std::vector<Layer*> layers;
  std::vector<Material*> materials;
  test_support::ModelSnapshot baseline;

  int pick(int n) { return static_cast<int>(random() % static_cast<std::uint32_t>(n)); }
  double coordinate() { return static_cast<double>(pick(81) - 40) * 0.5; }
  ModelPoint* any_point() { return model.points.at(pick(model.points.count())); }

  void select_some(int percent) {
    for (ModelPoint* p : model.points) p->selected = pick(100) < percent;
  }

  void set_up(unsigned seed) {
    random.seed(seed);
    layers = {model.layers.first(), add_layer(project, "Second", 0x00FF00), add_layer(project, "Third", 0x0000FF)};
    materials = {model.materials.first(), add_material(project, "Second"), add_material(project, "Third")};
    for (int i = 0; i < 2; ++i) {
      ProjectImage* image = project.images().images.insert(std::make_unique<ProjectImage>());
      image->id = model.new_id();
      materials[static_cast<std::size_t>(i)]->texture_image = image;
    }
    baseline = snapshot(model);
  }

  void texture_from(Material& material, TextureSink& sink) {
    for (ModelFace* f : sink.model().faces) {
      if (f->material != &material || pick(4) == 0) continue;
      std::array<TextureCoord*, 3> coords{};
      for (std::size_t k = 0; k < 3; ++k)
        if (pick(5) != 0) coords[k] = sink.create(*f->corners[k], coordinate(), coordinate());
      sink.attach(*f, coords);
    }
  }

  void random_step() {
    switch (pick(14)) {
      case 0:
      case 1:
        model.current_layer = layers[static_cast<std::size_t>(pick(3))];
        add_point(project, coordinate(), coordinate(), coordinate());
        break;
      case 2:
      case 3:
        if (model.points.count() >= 3) {
          model.current_material = materials[static_cast<std::size_t>(pick(3))];
          add_face(project, *any_point(), *any_point(), *any_point());
        }
        break;
      case 4:
        select_some(30);
        edit_points(project, coordinate(), coordinate(), coordinate());
        break;
      case 5:
        select_some(10);
        delete_points(project);
        break;
      case 6:
        select_some(60);
        delete_faces(project);
        break;
      case 7:
        select_some(30);
        model.current_layer = layers[static_cast<std::size_t>(pick(3))];
        set_layer(project);
        break;
      case 8:
        select_some(70);
        model.current_material = materials[static_cast<std::size_t>(pick(3))];
        set_material(project);
        break;
      case 9: {
        std::vector<Material*> chosen;
        for (Material* m : materials)
          if (pick(2)) chosen.push_back(m);
        apply_texture(project, chosen, [&](Material& m, ProjectImage&, TextureSink& sink) { texture_from(m, sink); });
        break;
      }
      case 10:
      case 11:
        undo_command(project);
        break;
      case 12:
        redo_command(project);
        break;
      case 13:
        if (model.transform.mirror_plane != MirrorPlane::None && pick(2)) {
          commit_mirror(project);
        } else {
          TranslationEdit edit;
          edit.plane = static_cast<MirrorPlane>(pick(4));
          edit.origin_offset = {coordinate(), coordinate(), coordinate()};
          edit.mirror_buffer = static_cast<double>(pick(5));
          apply_translation(project, edit);
        }
        break;
    }
  }

  // Undo to the baseline and redo back to where the history stood.
  void round_trip() {
    const test_support::ModelSnapshot before = snapshot(model);
    const int position = project.undo.position;
    for (int i = 0; i < position; ++i) undo_command(project);
    ASSERT_EQ(snapshot(model), baseline);
    ASSERT_EQ(test_support::broken_invariant(model), "");
    for (int i = 0; i < position; ++i) redo_command(project);
    ASSERT_EQ(snapshot(model), before);
  }
};

using UndoRandomSequence = RandomEditor;

TEST_F(UndoRandomSequence, KeepsInvariantsAndRoundTripsExactly) {
  for (unsigned seed : {1u, 2u, 3u}) {
    SCOPED_TRACE(seed);
    project.new_project();
    set_up(seed);
    for (int step = 0; step < 1500; ++step) {
      random_step();
      ASSERT_EQ(test_support::broken_invariant(model), "") << "after step " << step;
      if (step % 100 == 99) round_trip();
      if (step % 500 == 499) {  // as a save would
        project.undo.reset_baseline(model);
        baseline = snapshot(model);
      }
    }
    round_trip();
  }
}

}  // namespace
}  // namespace plenvista
