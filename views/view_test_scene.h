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
#include "model/zoom_pan.h"
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
  ViewSize size;  // the size the views are given, client pixels

  explicit ViewScene(int view_width = 800, int view_height = 600, double zoom = 0.35) : size{view_width, view_height} {
    project.images().camera = pinhole_camera();
    for (ProjectImage** image : {&a, &b}) {
      auto added = std::make_unique<ProjectImage>();
      added->id = project.model.new_id();
      added->pose_known = 1;
      added->camera = &project.images().camera;
      added->centre_x = 1136;
      added->centre_y = 852;
      added->view.zoom = zoom;
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
  // Where a view of `size` shows a model position through `image`, in client pixels.
  Point2 client_of(const Vec3& world, const ProjectImage& image) const {
    return image_to_client(image.view, size, project_to_image(world, image, true));
  }
};

// The view scene with a square of two faces in z = 0, 100 units a side,
// textured from photograph a with u = x / 100 and v = 1 - y / 100 (so the
// photograph stands upright on it, seen from +Z), a lone point at
// (50, 50, 200) before its middle, and the material's colour (200, 100, 50).
struct SquareScene : ViewScene {
  std::array<ModelPoint*, 4> corners{};
  ModelPoint* lone = nullptr;
  std::array<ModelFace*, 2> faces{};

  SquareScene() {
    corners = {point(0, 0, 0), point(100, 0, 0), point(100, 100, 0), point(0, 100, 0)};
    lone = point(50, 50, 200);
    faces = {add_face(project, *corners[0], *corners[1], *corners[2]),
             add_face(project, *corners[0], *corners[2], *corners[3])};
    Material& material = *project.model.current_material;
    material.face_colour = make_colour(200, 100, 50);
    material.texture_image = a;
    apply_texture(project, {&material}, [](Material&, ProjectImage&, TextureSink& sink) {
      for (ModelFace* face : sink.model().faces) {
        std::array<TextureCoord*, 3> coords{};
        for (std::size_t i = 0; i < 3; ++i)
          coords[i] = sink.create(*face->corners[i], face->corners[i]->x / 100.0, 1.0 - face->corners[i]->y / 100.0);
        sink.attach(*face, coords);
      }
    });
    project.note_change();
    refresh_visibility(project.model);
  }
};

}  // namespace plenvista::test_support
