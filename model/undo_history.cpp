#include "model/undo_history.h"

#include <cassert>

namespace plenvista {

namespace {

// A recorded layer or material that was deleted since is replaced by the
// current one.
Layer* layer_or_current(const ModelData& model, int id) {
  Layer* layer = model.layers.find(id);
  return layer ? layer : model.current_layer;
}

Material* material_or_current(const ModelData& model, int id) {
  Material* material = model.materials.find(id);
  return material ? material : model.current_material;
}

template <class T>
void remove_id(IdList<T>& list, int id) {
  const IdLookup found = list.lookup(id);
  if (found.found()) list.remove_at(found.slot);
}

// Null for -1; otherwise the coordinate found by id, or `kept` when absent.
TextureCoord* texture_by_id(const ModelData& model, int id, TextureCoord* kept) {
  if (id < 0) return nullptr;
  TextureCoord* found = model.texture_coords.find(id);
  return found ? found : kept;
}

// The three corners by id; false when one of them is not a model point.
bool find_corners(const ModelData& model, const std::array<int, 3>& ids,
                  std::array<ModelPoint*, 3>& corners) {
  for (std::size_t k = 0; k < 3; ++k) {
    corners[k] = model.points.find(ids[k]);
    if (!corners[k]) return false;
  }
  return true;
}

void insert_face(ModelData& model, int id, int material_id, const std::array<int, 3>& corner_ids,
                 const std::array<int, 3>& texture_ids) {
  std::array<ModelPoint*, 3> corners{};
  if (!find_corners(model, corner_ids, corners)) return;
  auto face = std::make_unique<ModelFace>();
  face->id = id;
  face->corners = corners;
  face->material = material_or_current(model, material_id);
  for (std::size_t k = 0; k < 3; ++k) face->texture_coords[k] = texture_by_id(model, texture_ids[k], nullptr);
  face->shown = 1;
  model.faces.insert(std::move(face));
}

void insert_texture_coord(ModelData& model, int id, double u, double v, int point_id) {
  auto coord = std::make_unique<TextureCoord>();
  coord->id = id;
  coord->u = u;
  coord->v = v;
  coord->point = model.points.find(point_id);
  model.texture_coords.insert(std::move(coord));
}

void insert_point(ModelData& model, int id, double x, double y, double z, int layer_id, int reserved) {
  auto point = std::make_unique<ModelPoint>();
  point->id = id;
  point->x = x;
  point->y = y;
  point->z = z;
  point->reserved = reserved;
  point->layer = layer_or_current(model, layer_id);
  model.points.insert(std::move(point));
}

void restore_baseline(const UndoHistory& history, ModelData& model) {
  // Faces and texture coordinates refer to points: release them first.
  model.mirror_faces.clear();
  model.mirror_texture_coords.clear();
  model.mirror_points.clear();
  model.faces.clear();
  model.texture_coords.clear();
  model.points.clear();
  for (const BaselinePoint* p : history.baseline_points)
    insert_point(model, p->id, p->x, p->y, p->z, p->layer_id, p->reserved);
  for (const BaselineTextureCoord* t : history.baseline_texture_coords)
    insert_texture_coord(model, t->id, t->u, t->v, t->point_id);
  for (const BaselineFace* f : history.baseline_faces)
    insert_face(model, f->id, f->material_id, f->corner_ids, f->texture_ids);
}

void remove_point(ModelData& model, int id) {
  const IdLookup found = model.points.lookup(id);
  if (!found.found()) return;
  const ModelPoint* point = model.points.at(found.slot);
  for (int i = model.texture_coords.count() - 1; i >= 0; --i)
    if (model.texture_coords.at(i)->point == point) model.texture_coords.remove_at(i);
  model.points.remove_at(found.slot);
}

void replay(ModelData& model, const UndoEntry& e) {
  switch (e.kind) {
    case UndoKind::AddPoint:
      insert_point(model, e.record_id, e.x, e.y, e.z, e.layer_id, 0);
      break;
    case UndoKind::DeletePoint:
      remove_point(model, e.record_id);
      break;
    case UndoKind::SetPoint:
      if (ModelPoint* p = model.points.find(e.record_id)) {
        p->x = e.x;
        p->y = e.y;
        p->z = e.z;
        p->layer = layer_or_current(model, e.layer_id);
      }
      break;
    case UndoKind::AddFace:
      insert_face(model, e.record_id, e.material_id, e.corner_ids, {-1, -1, -1});
      break;
    case UndoKind::DeleteFace:
      remove_id(model.faces, e.record_id);
      break;
    case UndoKind::SetFace:
      if (ModelFace* f = model.faces.find(e.record_id)) {
        f->material = material_or_current(model, e.material_id);
        for (std::size_t k = 0; k < 3; ++k) {
          if (ModelPoint* c = model.points.find(e.corner_ids[k])) f->corners[k] = c;
          f->texture_coords[k] = texture_by_id(model, e.texture_ids[k], f->texture_coords[k]);
        }
      }
      break;
    case UndoKind::AddTextureCoord:
      insert_texture_coord(model, e.record_id, e.u, e.v, e.point_id);
      break;
    case UndoKind::ClearTextureCoords:
      for (ModelFace* f : model.faces) f->texture_coords = {};
      model.texture_coords.clear();
      break;
    case UndoKind::SetFaceTextureCoords:
      if (ModelFace* f = model.faces.find(e.record_id))
        for (std::size_t k = 0; k < 3; ++k)
          f->texture_coords[k] = texture_by_id(model, e.texture_ids[k], f->texture_coords[k]);
      break;
  }
}

}  // namespace

void UndoHistory::reset_baseline(const ModelData& model) {
  baseline_points.clear();
  baseline_faces.clear();
  baseline_texture_coords.clear();
  for (const ModelPoint* p : model.points) {
    baseline_points.insert(std::make_unique<BaselinePoint>(
        BaselinePoint{p->id, p->x, p->y, p->z, p->layer ? p->layer->id : -1, p->reserved}));
  }
  for (const TextureCoord* t : model.texture_coords) {
    baseline_texture_coords.insert(std::make_unique<BaselineTextureCoord>(
        BaselineTextureCoord{t->id, t->u, t->v, t->point ? t->point->id : -1}));
  }
  for (const ModelFace* f : model.faces) {
    auto copy = std::make_unique<BaselineFace>();
    copy->id = f->id;
    copy->material_id = f->material ? f->material->id : -1;
    for (std::size_t k = 0; k < 3; ++k) {
      copy->corner_ids[k] = f->corners[k] ? f->corners[k]->id : -1;
      copy->texture_ids[k] = f->texture_coords[k] ? f->texture_coords[k]->id : -1;
    }
    baseline_faces.insert(std::move(copy));
  }
  recording = nullptr;
  actions.clear();
  position = 0;
}

UndoAction& UndoHistory::begin_action(const std::string& name) {
  while (actions.count() > position) actions.remove_at(actions.count() - 1);
  auto action = std::make_unique<UndoAction>();
  action->name = name;
  recording = actions.insert(std::move(action));
  position = actions.count();
  return *recording;
}

UndoEntry& UndoHistory::record(UndoKind kind) {
  assert(recording && "an entry is recorded only while an action is under way");
  auto entry = std::make_unique<UndoEntry>();
  entry->kind = kind;
  return *recording->entries.insert(std::move(entry));
}

bool UndoHistory::can_move(int delta) const {
  const long long wanted = static_cast<long long>(position) + delta;
  return wanted >= 0 && wanted <= actions.count();
}

int UndoHistory::move(ModelData& model, int delta) {
  if (!can_move(delta)) {
    position = delta < 0 ? 0 : actions.count();
    return 0;
  }
  position += delta;
  restore_baseline(*this, model);
  for (int i = 0; i < position; ++i)
    for (const UndoEntry* entry : actions.at(i)->entries) replay(model, *entry);
  return 1;
}

}  // namespace plenvista
