#include "model/undo_history.h"

#include <algorithm>
#include <cassert>
#include <utility>
#include <vector>

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

// One list under reconstruction: records by ascending id in one contiguous
// array, a removed record leaving an empty slot. Lookups bisect the array
// without following a pointer per step, removal moves nothing, and the
// records go into the model's list in one pass at the end. The records of
// the model's list are taken over at the start and reused as storage.
template <class T>
class WorkingList {
 public:
  WorkingList(IdList<T>& current, int expected) {
    entries_.reserve(static_cast<std::size_t>(expected));
    spare_.reserve(static_cast<std::size_t>(current.count()));
    while (!current.empty()) spare_.push_back(current.take_at(current.count() - 1));
  }

  // A record with every field at its initial value.
  std::unique_ptr<T> make() {
    if (spare_.empty()) return std::make_unique<T>();
    std::unique_ptr<T> record = std::move(spare_.back());
    spare_.pop_back();
    *record = T{};
    return record;
  }

  T* find(int id) const {
    const auto it = position(id);
    return it != entries_.end() && it->first == id ? it->second.get() : nullptr;
  }

  T* insert(std::unique_ptr<T> record) {
    T* inserted = record.get();
    const int id = record->id;
    if (entries_.empty() || entries_.back().first < id)
      entries_.emplace_back(id, std::move(record));
    else
      entries_.emplace(position(id), id, std::move(record));
    return inserted;
  }

  void remove(int id) {
    auto it = position(id);
    if (it != entries_.end() && it->first == id) it->second.reset();
  }

  template <class Predicate>
  void remove_if(Predicate doomed) {
    for (auto& entry : entries_)
      if (entry.second && doomed(*entry.second)) entry.second.reset();
  }

  template <class Visit>
  void for_each(Visit visit) {
    for (auto& entry : entries_)
      if (entry.second) visit(*entry.second);
  }

  void clear() { entries_.clear(); }

  // Hands every remaining record to `list`, which must be empty.
  void move_into(IdList<T>& list) {
    for (auto& entry : entries_)
      if (entry.second) list.insert(std::move(entry.second));
    entries_.clear();
  }

 private:
  using Entries = std::vector<std::pair<int, std::unique_ptr<T>>>;
  typename Entries::iterator position(int id) {
    return std::lower_bound(entries_.begin(), entries_.end(), id,
                            [](const typename Entries::value_type& e, int wanted) { return e.first < wanted; });
  }
  typename Entries::const_iterator position(int id) const {
    return std::lower_bound(entries_.begin(), entries_.end(), id,
                            [](const typename Entries::value_type& e, int wanted) { return e.first < wanted; });
  }

  Entries entries_;
  std::vector<std::unique_ptr<T>> spare_;
};

template <class T>
int slot_of(const IdList<T>& list, int id) {
  const IdLookup found = list.lookup(id);
  return found.found() ? found.slot : -1;
}

// Null for -1; otherwise the coordinate found by id, or `kept` when absent.
TextureCoord* texture_by_id(const WorkingList<TextureCoord>& coords, int id, TextureCoord* kept) {
  if (id < 0) return nullptr;
  TextureCoord* found = coords.find(id);
  return found ? found : kept;
}

// The points, texture coordinates and faces rebuilt from the baseline and
// the replayed entries; ids that are not found are skipped.
class Rebuild {
 public:
  // The model's points, texture coordinates and faces are taken over; the
  // mirror lists, which refer to them, are emptied first.
  Rebuild(const UndoHistory& history, ModelData& model)
      : model_(release_mirrors(model)),
        faces_(model.faces, history.baseline_faces.count() + kRoom),
        coords_(model.texture_coords, history.baseline_texture_coords.count() + kRoom),
        points_(model.points, history.baseline_points.count() + kRoom) {
    std::vector<ModelPoint*> made_points;
    made_points.reserve(static_cast<std::size_t>(history.baseline_points.count()));
    for (const BaselinePoint* p : history.baseline_points)
      made_points.push_back(add_point(p->id, p->x, p->y, p->z, p->layer_id, p->reserved));
    std::vector<TextureCoord*> made_coords;
    made_coords.reserve(static_cast<std::size_t>(history.baseline_texture_coords.count()));
    for (const BaselineTextureCoord* t : history.baseline_texture_coords)
      made_coords.push_back(add_texture_coord(t->id, t->u, t->v, t->point_id));
    for (const BaselineFace* f : history.baseline_faces) {
      std::array<ModelPoint*, 3> corners{};
      std::array<TextureCoord*, 3> coords{};
      for (std::size_t k = 0; k < 3; ++k) {
        corners[k] = at_slot(made_points, f->corner_slots[k], f->corner_ids[k], points_);
        coords[k] = at_slot(made_coords, f->texture_slots[k], f->texture_ids[k], coords_);
      }
      add_face(f->id, f->material_id, corners, coords);
    }
  }

  void replay(const UndoEntry& e) {
    switch (e.kind) {
      case UndoKind::AddPoint:
        add_point(e.record_id, e.x, e.y, e.z, e.layer_id, 0);
        break;
      case UndoKind::DeletePoint:
        if (const ModelPoint* p = points_.find(e.record_id)) {
          coords_.remove_if([p](const TextureCoord& t) { return t.point == p; });
          points_.remove(e.record_id);
        }
        break;
      case UndoKind::SetPoint:
        if (ModelPoint* p = points_.find(e.record_id)) {
          p->x = e.x;
          p->y = e.y;
          p->z = e.z;
          p->layer = layer_or_current(model_, e.layer_id);
        }
        break;
      case UndoKind::AddFace:
        add_face(e.record_id, e.material_id,
                 {points_.find(e.corner_ids[0]), points_.find(e.corner_ids[1]), points_.find(e.corner_ids[2])}, {});
        break;
      case UndoKind::DeleteFace:
        faces_.remove(e.record_id);
        break;
      case UndoKind::SetFace:
        if (ModelFace* f = faces_.find(e.record_id)) {
          f->material = material_or_current(model_, e.material_id);
          for (std::size_t k = 0; k < 3; ++k)
            if (ModelPoint* c = points_.find(e.corner_ids[k])) f->corners[k] = c;
          set_texture_coords(*f, e.texture_ids);
        }
        break;
      case UndoKind::AddTextureCoord:
        add_texture_coord(e.record_id, e.u, e.v, e.point_id);
        break;
      case UndoKind::ClearTextureCoords:
        faces_.for_each([](ModelFace& f) { f.texture_coords = {}; });
        coords_.clear();
        break;
      case UndoKind::SetFaceTextureCoords:
        if (ModelFace* f = faces_.find(e.record_id)) set_texture_coords(*f, e.texture_ids);
        break;
      case UndoKind::SetControlPoint:
        if (ControlPoint* c = model_.control_points.find(e.record_id)) c->position = {e.x, e.y, e.z};
        break;
    }
  }

  // Fills the model's points, texture coordinates and faces.
  void finish() {
    points_.move_into(model_.points);
    coords_.move_into(model_.texture_coords);
    faces_.move_into(model_.faces);
  }

 private:
  static constexpr int kRoom = 1000;  // for records added by the replay

  static ModelData& release_mirrors(ModelData& model) {
    model.mirror_faces.clear();
    model.mirror_texture_coords.clear();
    model.mirror_points.clear();
    return model;
  }

  ModelPoint* add_point(int id, double x, double y, double z, int layer_id, int reserved) {
    auto point = points_.make();
    point->id = id;
    point->x = x;
    point->y = y;
    point->z = z;
    point->reserved = reserved;
    point->layer = layer_or_current(model_, layer_id);
    return points_.insert(std::move(point));
  }

  TextureCoord* add_texture_coord(int id, double u, double v, int point_id) {
    auto coord = coords_.make();
    coord->id = id;
    coord->u = u;
    coord->v = v;
    coord->point = points_.find(point_id);
    return coords_.insert(std::move(coord));
  }

  // The record made for a baseline slot when it has the id, else the one
  // found by id; null for id -1.
  template <class T>
  static T* at_slot(const std::vector<T*>& made, int slot, int id, const WorkingList<T>& list) {
    if (id < 0) return nullptr;
    if (slot >= 0 && static_cast<std::size_t>(slot) < made.size() && made[static_cast<std::size_t>(slot)]->id == id)
      return made[static_cast<std::size_t>(slot)];
    return list.find(id);
  }

  // A face with a corner that was not found is not created.
  void add_face(int id, int material_id, const std::array<ModelPoint*, 3>& corners,
                const std::array<TextureCoord*, 3>& coords) {
    for (const ModelPoint* c : corners)
      if (!c) return;
    auto face = faces_.make();
    face->id = id;
    face->corners = corners;
    face->texture_coords = coords;
    face->material = material_or_current(model_, material_id);
    face->shown = true;
    faces_.insert(std::move(face));
  }

  void set_texture_coords(ModelFace& face, const std::array<int, 3>& ids) {
    for (std::size_t k = 0; k < 3; ++k) face.texture_coords[k] = texture_by_id(coords_, ids[k], face.texture_coords[k]);
  }

  ModelData& model_;
  WorkingList<ModelFace> faces_;
  WorkingList<TextureCoord> coords_;
  WorkingList<ModelPoint> points_;
};

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
    baseline_texture_coords.insert(
        std::make_unique<BaselineTextureCoord>(BaselineTextureCoord{t->id, t->u, t->v, t->point ? t->point->id : -1}));
  }
  for (const ModelFace* f : model.faces) {
    auto copy = std::make_unique<BaselineFace>();
    copy->id = f->id;
    copy->material_id = f->material ? f->material->id : -1;
    for (std::size_t k = 0; k < 3; ++k) {
      if (const ModelPoint* c = f->corners[k]) {
        copy->corner_ids[k] = c->id;
        copy->corner_slots[k] = slot_of(model.points, c->id);
      }
      if (const TextureCoord* t = f->texture_coords[k]) {
        copy->texture_ids[k] = t->id;
        copy->texture_slots[k] = slot_of(model.texture_coords, t->id);
      }
    }
    baseline_faces.insert(std::move(copy));
  }
  baseline_control_points.clear();
  for (const ControlPoint* c : model.control_points)
    baseline_control_points.insert(std::make_unique<BaselineControlPoint>(BaselineControlPoint{c->id, c->position}));
  recording = nullptr;
  actions.clear();
  position = 0;
}

void UndoHistory::note_control_point(const ControlPoint& point, bool present) {
  const IdLookup found = baseline_control_points.lookup(point.id);
  if (found.found()) baseline_control_points.remove_at(found.slot);
  if (present)
    baseline_control_points.insert(std::make_unique<BaselineControlPoint>(BaselineControlPoint{point.id, point.position}));
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

bool UndoHistory::move(ModelData& model, int delta) {
  if (!can_move(delta)) {
    position = delta < 0 ? 0 : actions.count();
    return false;
  }
  position += delta;
  for (const BaselineControlPoint* b : baseline_control_points)
    if (ControlPoint* c = model.control_points.find(b->id)) c->position = b->position;
  Rebuild rebuild(*this, model);
  for (int i = 0; i < position; ++i)
    for (const UndoEntry* entry : actions.at(i)->entries) rebuild.replay(*entry);
  rebuild.finish();
  return true;
}

}  // namespace plenvista
