#include "model/edit_actions.h"

#include <algorithm>
#include <cstdint>
#include <memory>

#include "model/mirror.h"
#include "model/project_edit.h"

namespace plenvista {

namespace {

bool plane_set(const ModelData& model) { return model.transform.mirror_plane != MirrorPlane::None; }

bool all_corners_selected(const ModelFace& face) {
  for (const ModelPoint* c : face.corners)
    if (!c || !c->selected) return false;
  return true;
}

void record_point(UndoHistory& history, UndoKind kind, const ModelPoint& point, const Layer* layer) {
  UndoEntry& e = history.record(kind);
  e.record_id = point.id;
  e.x = point.x;
  e.y = point.y;
  e.z = point.z;
  e.layer_id = layer ? layer->id : -1;
}

void record_removal(UndoHistory& history, UndoKind kind, int id) { history.record(kind).record_id = id; }

std::array<int, 3> texture_ids(const ModelFace& face) {
  std::array<int, 3> ids{-1, -1, -1};
  for (std::size_t k = 0; k < 3; ++k)
    if (face.texture_coords[k]) ids[k] = face.texture_coords[k]->id;
  return ids;
}

ModelPoint* insert_point(ModelData& model, const Vec3& at, Layer* layer) {
  auto created = std::make_unique<ModelPoint>();
  created->id = model.new_id();
  created->x = at.x;
  created->y = at.y;
  created->z = at.z;
  created->layer = layer;
  ModelPoint* point = model.points.insert(std::move(created));
  if (plane_set(model)) build_mirror_point(model, *point);
  return point;
}

}  // namespace

void forget_point_picks(ModelData& model, const std::function<bool(const ModelPoint&)>& doomed) {
  bool picked_doomed = false;
  for (const ModelPoint* p : model.points) picked_doomed = picked_doomed || (p->picked_for_face && doomed(*p));
  if (!picked_doomed) return;
  for (ModelPoint* p : model.points) p->picked_for_face = false;
}

ModelPoint* add_point(Project& project, double x, double y, double z) {
  if (!project.has_ids_for(1)) return nullptr;
  ModelPoint* point = insert_point(project.model, {x, y, z}, project.model.current_layer);
  project.undo.begin_action(kAddPointAction);
  record_point(project.undo, UndoKind::AddPoint, *point, point->layer);
  project.undo.end_action();
  ProjectEdit::mark_changed(project);
  return point;
}

std::vector<ModelPoint*> add_points(Project& project, const std::vector<Vec3>& positions, Layer* layer) {
  if (!project.has_ids_for(static_cast<std::int64_t>(positions.size()))) return {};
  if (!layer) layer = project.model.current_layer;
  std::vector<ModelPoint*> made;
  project.undo.begin_action(kAddPointsAction);
  for (const Vec3& at : positions) {
    made.push_back(insert_point(project.model, at, layer));
    record_point(project.undo, UndoKind::AddPoint, *made.back(), layer);
  }
  project.undo.end_action();
  ProjectEdit::mark_changed(project);
  return made;
}

void edit_points(Project& project, double dx, double dy, double dz) {
  ModelData& model = project.model;
  project.undo.begin_action(kEditPointsAction);
  for (ModelPoint* p : model.points) {
    if (!p->selected) continue;
    p->x += dx;
    p->y += dy;
    p->z += dz;
    record_point(project.undo, UndoKind::SetPoint, *p, p->layer);
  }
  project.undo.end_action();
  // A moved point may enter or leave the buffer band: its mirror must follow.
  if (plane_set(model)) rebuild_mirror_lists(model);
  ProjectEdit::mark_changed(project);
}

void delete_points(Project& project) {
  ModelData& model = project.model;
  UndoHistory& history = project.undo;
  history.begin_action(kDeletePointsAction);
  for (ModelFace* f : model.faces) {
    f->delete_mark = false;
    for (const ModelPoint* c : f->corners)
      if (c && c->selected) f->delete_mark = true;
  }
  for (TextureCoord* t : model.texture_coords) t->delete_mark = t->point && t->point->selected;
  forget_point_picks(project.model, [](const ModelPoint& p) { return p.selected; });
  if (project.single_selected && project.single_selected->selected) project.single_selected = nullptr;

  bool removed = false;
  for (int i = model.faces.count() - 1; i >= 0; --i) {
    ModelFace* f = model.faces.at(i);
    if (!f->delete_mark) {
      // A face keeps no reference to a coordinate that is about to go.
      for (TextureCoord*& t : f->texture_coords)
        if (t && t->delete_mark) t = nullptr;
      continue;
    }
    record_removal(history, UndoKind::DeleteFace, f->id);
    model.faces.remove_at(i);
    removed = true;
  }
  for (int i = model.texture_coords.count() - 1; i >= 0; --i)
    if (model.texture_coords.at(i)->delete_mark) model.texture_coords.remove_at(i);
  for (int i = model.points.count() - 1; i >= 0; --i) {
    const ModelPoint* p = model.points.at(i);
    if (!p->selected) continue;
    record_removal(history, UndoKind::DeletePoint, p->id);
    model.points.remove_at(i);
    removed = true;
  }
  project.post(Notification::SelectionChanged, 0);
  rebuild_mirror_lists(model);
  history.end_action();
  if (removed) ProjectEdit::mark_changed(project);
}

ModelFace* add_face(Project& project, ModelPoint& first, ModelPoint& second, ModelPoint& third) {
  if (!project.has_ids_for(1)) return nullptr;
  ModelData& model = project.model;
  auto created = std::make_unique<ModelFace>();
  created->id = model.new_id();
  created->corners = {&first, &second, &third};
  created->material = model.current_material;
  created->shown = true;
  ModelFace* face = model.faces.insert(std::move(created));
  if (plane_set(model)) build_mirror_face(model, *face);
  project.undo.begin_action(kAddFaceAction);
  UndoEntry& e = project.undo.record(UndoKind::AddFace);
  e.record_id = face->id;
  e.corner_ids = {first.id, second.id, third.id};
  e.material_id = face->material ? face->material->id : -1;
  project.undo.end_action();
  ProjectEdit::mark_changed(project);
  return face;
}

void delete_faces(Project& project) {
  ModelData& model = project.model;
  project.undo.begin_action(kDeleteFacesAction);
  bool removed = false;
  for (int i = model.faces.count() - 1; i >= 0; --i) {
    const ModelFace* f = model.faces.at(i);
    if (!all_corners_selected(*f)) continue;
    record_removal(project.undo, UndoKind::DeleteFace, f->id);
    model.faces.remove_at(i);
    removed = true;
  }
  project.undo.end_action();
  rebuild_mirror_faces(model);
  if (removed) ProjectEdit::mark_changed(project);
}

void set_layer(Project& project) {
  ModelData& model = project.model;
  project.undo.begin_action(kSetLayerAction);
  for (ModelPoint* p : model.points) {
    if (!p->selected) continue;
    record_point(project.undo, UndoKind::SetPoint, *p, model.current_layer);
    p->layer = model.current_layer;
  }
  project.undo.end_action();
  // Mirror points carry their point's layer; refresh them so that none keeps
  // a layer that may be deleted now that no point uses it.
  if (plane_set(model)) rebuild_mirror_lists(model);
  ProjectEdit::mark_changed(project);
}

void set_material(Project& project) {
  ModelData& model = project.model;
  project.undo.begin_action(kSetMaterialAction);
  for (ModelFace* f : model.faces) {
    if (!all_corners_selected(*f)) continue;
    UndoEntry& e = project.undo.record(UndoKind::SetFace);
    e.record_id = f->id;
    e.corner_ids = {f->corners[0]->id, f->corners[1]->id, f->corners[2]->id};
    e.texture_ids = texture_ids(*f);
    e.material_id = model.current_material ? model.current_material->id : -1;
    f->material = model.current_material;
  }
  project.undo.end_action();
  // Likewise for the mirror faces' materials.
  rebuild_mirror_faces(model);
  for (ModelPoint* p : model.points) {
    p->selected = false;
    p->picked_for_face = false;
  }
  project.post(Notification::SelectionChanged, 0);
  ProjectEdit::mark_changed(project);
}

TextureCoord* TextureSink::create(ModelPoint& point, double u, double v) {
  auto coord = std::make_unique<TextureCoord>();
  coord->id = project_.model.new_id();
  coord->u = u;
  coord->v = v;
  coord->point = &point;
  TextureCoord* inserted = project_.model.texture_coords.insert(std::move(coord));
  UndoEntry& e = project_.undo.record(UndoKind::AddTextureCoord);
  e.record_id = inserted->id;
  e.u = u;
  e.v = v;
  e.point_id = point.id;
  return inserted;
}

void TextureSink::attach(ModelFace& face, const std::array<TextureCoord*, 3>& coords) {
  face.texture_coords = coords;
  UndoEntry& e = project_.undo.record(UndoKind::SetFaceTextureCoords);
  e.record_id = face.id;
  e.texture_ids = texture_ids(face);
}

void apply_texture(Project& project, const std::vector<Material*>& chosen, const TextureComputation& compute) {
  ModelData& model = project.model;
  // At most one new coordinate per point and textured material.
  const auto textured =
      std::count_if(chosen.begin(), chosen.end(), [](const Material* m) { return m && m->texture_image; });
  if (!project.has_ids_for(std::int64_t{model.points.count()} * textured)) return;
  ProjectEdit::clear_changed(project);
  project.undo.begin_action(kApplyTextureAction);
  project.undo.record(UndoKind::ClearTextureCoords);
  for (ModelFace* f : model.faces) f->texture_coords = {};
  model.texture_coords.clear();
  TextureSink sink(project);
  for (Material* material : chosen)
    if (material && material->texture_image) compute(*material, *material->texture_image, sink);
  rebuild_mirror_lists(model);
  project.undo.end_action();
  ProjectEdit::mark_changed(project);
  project.note_change();
}

void delete_selected(Project& project, ProjectImage* marks_image) {
  if (project.point_mode == PointMode::Points)
    delete_points(project);
  else
    delete_faces(project);
  if (marks_image) {
    IdList<ReferencePoint>& marks = marks_image->reference_points;
    for (int i = marks.count() - 1; i >= 0; --i)
      if (marks.at(i)->selected) marks.remove_at(i);
    marks_image->marks_changed = 1;
  }
  ProjectEdit::mark_changed(project);
  project.note_change();
}

void delete_command(Project& project) {
  const ImageSet& images = project.images();
  delete_selected(project, images.calibration_mode ? images.current : nullptr);
}

}  // namespace plenvista
