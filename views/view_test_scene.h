#pragma once

// A project for the view tests and benchmarks: an ideal pinhole camera
// (testing/cameras.h), two located photographs of the same scene partnered
// with each other, each shown through an 800 x 600 view at zoom 0.35, and
// helpers that add model points and find where a view shows them. World
// units are mm; the scene lies around the origin, about 2 m from both
// cameras.

#include <memory>

#include "base/settings_store.h"
#include "model/edit_actions.h"
#include "model/project.h"
#include "photogrammetry/projection.h"
#include "testing/cameras.h"
#include "testing/recorders.h"

namespace plenvista::test_support {

struct ViewScene {
  MemorySettingsStore store;
  RecordingNotifier notifier;
  RecordingMessages messages;
  Project project{store, notifier, messages};
  ProjectImage* a = nullptr;
  ProjectImage* b = nullptr;

  explicit ViewScene(int view_width = 800, int view_height = 600, double zoom = 0.35) {
    project.images().camera = pinhole_camera();
    for (ProjectImage** image : {&a, &b}) {
      auto added = std::make_unique<ProjectImage>();
      added->id = project.model.new_id();
      added->pose_known = 1;
      added->camera = &project.images().camera;
      added->centre_x = 1136;
      added->centre_y = 852;
      added->view.zoom = zoom;
      added->view.view_width = view_width;
      added->view.view_height = view_height;
      *image = project.images().images.insert(std::move(added));
    }
    a->pose = {{-100, -50, -2000}, {0, 0, 0}};
    b->pose = {{-1300, -50, -1700}, {0, -37, 2}};
    a->partner = b;
    b->partner = a;
    project.images().current = a;
  }

  ModelPoint* point(double x, double y, double z, bool selected = false) {
    ModelPoint* p = add_point(project, x, y, z);
    p->selected = selected ? 1 : 0;
    project.note_change();
    return p;
  }
  // Where `image`'s view shows a model position, in client pixels.
  static Point2 client_of(const Vec3& world, const ProjectImage& image) {
    return project_to_image(world, image, true, true);
  }
};

}  // namespace plenvista::test_support
