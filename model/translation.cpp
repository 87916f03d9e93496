#include "model/translation.h"

#include <cstdint>
#include <memory>
#include <vector>

#include "model/edit_actions.h"
#include "model/mirror.h"
#include "model/project_edit.h"

namespace plenvista {

bool translation_deletes_mirrored_side(const ModelData& model, MirrorPlane plane) {
  return plane != MirrorPlane::None && model.transform.mirror_plane == MirrorPlane::None;
}

void apply_translation(Project& project, const TranslationEdit& edit) {
  ModelData& model = project.model;
  ProjectEdit::clear_changed(project);
  model.transform.scale = edit.scale;
  model.transform.origin_offset = edit.origin_offset;
  model.transform.mirror_buffer = edit.mirror_buffer;
  model.show_mirror_points = edit.plane == MirrorPlane::None ? 0 : 1;
  project.post(Notification::ImagesChanged);
  if (translation_deletes_mirrored_side(model, edit.plane)) delete_mirrored_side(project, edit.plane);
  model.transform.mirror_plane = edit.plane;
  rebuild_mirror_lists(model);
  ProjectEdit::mark_changed(project);
  project.modified = true;
  project.refresh_single_selection();
  project.post(Notification::ModelChanged);
}

void delete_mirrored_side(Project& project, MirrorPlane plane) {
  if (plane == MirrorPlane::None) return;
  ModelData& model = project.model;
  project.clear_selection();
  const double offset = axis_value(model.transform.origin_offset, plane);
  const double buffer = model.transform.mirror_buffer;
  for (ModelPoint* p : model.points)
    if (axis_value(p->position(), plane) + offset < -buffer) p->selected = true;
  delete_points(project);
}

void commit_mirror(Project& project) {
  ModelData& model = project.model;
  if (!project.has_ids_for(std::int64_t{model.mirror_points.count()} + model.mirror_faces.count())) return;
  UndoHistory& history = project.undo;
  history.begin_action(kCommitMirrorAction);
  // The new point made from the mirror point at the same slot.
  std::vector<std::unique_ptr<ModelPoint>> made;
  made.reserve(static_cast<std::size_t>(model.mirror_points.count()));
  for (const ModelPoint* m : model.mirror_points) {
    auto p = std::make_unique<ModelPoint>();
    p->id = model.new_id();
    p->x = m->x;
    p->y = m->y;
    p->z = m->z;
    p->layer = model.current_layer;
    made.push_back(std::move(p));
  }
  std::vector<ModelPoint*> committed;
  committed.reserve(made.size());
  for (std::unique_ptr<ModelPoint>& p : made) {
    UndoEntry& e = history.record(UndoKind::AddPoint);
    e.record_id = p->id;
    e.x = p->x;
    e.y = p->y;
    e.z = p->z;
    e.layer_id = p->layer ? p->layer->id : -1;
    committed.push_back(model.points.insert(std::move(p)));
  }
  for (const ModelFace* mirror : model.mirror_faces) {
    auto f = std::make_unique<ModelFace>();
    f->id = model.new_id();
    f->material = model.current_material;
    f->shown = true;
    for (std::size_t k = 0; k < 3; ++k) {
      ModelPoint* corner = mirror->corners[k];
      const IdLookup found = corner ? model.mirror_points.lookup(corner->id) : IdLookup{};
      const bool mirrored = found.found() && model.mirror_points.at(found.slot) == corner;
      f->corners[k] = mirrored ? committed[static_cast<std::size_t>(found.slot)] : corner;
    }
    UndoEntry& e = history.record(UndoKind::AddFace);
    e.record_id = f->id;
    e.corner_ids = {f->corners[0]->id, f->corners[1]->id, f->corners[2]->id};
    e.material_id = f->material ? f->material->id : -1;
    model.faces.insert(std::move(f));
  }
  history.end_action();
  model.mirror_faces.clear();
  model.mirror_texture_coords.clear();
  model.mirror_points.clear();
  model.show_mirror_points = 0;
  project.post(Notification::ImagesChanged);
  model.transform.mirror_plane = MirrorPlane::None;
  rebuild_mirror_lists(model);
  ProjectEdit::mark_changed(project);
  project.note_change();
}

}  // namespace plenvista
