#include "model/undo_history.h"

#include <algorithm>
#include <cassert>
#include <unordered_set>
#include <utility>
#include <vector>

#include "model/id_index.h"
#include "model/read_ahead.h"

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

  // Takes the record with that id out, leaving its entry empty; null when
  // there is none.
  std::unique_ptr<T> take(int id) {
    auto it = position(id);
    return it != entries_.end() && it->first == id ? std::move(it->second) : nullptr;
  }

  void remove(int id) { take(id).reset(); }

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
    // The list reads each record's id: ask for records a little ahead.
    constexpr std::size_t kAhead = 8;
    for (std::size_t i = 0; i < entries_.size(); ++i) {
      if (i + kAhead < entries_.size()) __builtin_prefetch(entries_[i + kAhead].second.get());
      if (entries_[i].second) list.insert(std::move(entries_[i].second));
    }
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
    const std::span<const int> point_ids = history.baseline_points.ids();
    const std::span<const int> coord_ids = history.baseline_texture_coords.ids();
    const IdList<BaselineFace>& faces = history.baseline_faces;
    for (int i = 0; i < faces.count(); ++i) {
      // The slots of a face lie anywhere: ask for those of a face a little
      // ahead, so that the reads overlap.
      if (const BaselineFace* ahead = faces.at(i + kReadAhead)) {
        for (std::size_t k = 0; k < 3; ++k) {
          prefetch_slot(made_points, point_ids, ahead->corner_slots[k]);
          prefetch_slot(made_coords, coord_ids, ahead->texture_slots[k]);
        }
      }
      const BaselineFace* f = faces.at(i);
      std::array<ModelPoint*, 3> corners{};
      std::array<TextureCoord*, 3> coords{};
      for (std::size_t k = 0; k < 3; ++k) {
        corners[k] = at_slot(made_points, point_ids, f->corner_slots[k], f->corner_ids[k], points_);
        coords[k] = at_slot(made_coords, coord_ids, f->texture_slots[k], f->texture_ids[k], coords_);
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
        if (std::unique_ptr<ModelPoint> p = points_.take(e.record_id)) {
          deleted_.insert(p.get());
          deleted_points_.push_back(std::move(p));
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
        deleted_.clear();
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
    if (!deleted_.empty()) coords_.remove_if([this](const TextureCoord& t) { return of_deleted_point(t); });
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

  // The record made for a baseline slot when that slot has the id, else the
  // one found by id; null for id -1. `made` holds the records made for the
  // baseline slots whose ids are `ids`, so the test reads no record.
  template <class T>
  static T* at_slot(const std::vector<T*>& made, std::span<const int> ids, int slot, int id,
                    const WorkingList<T>& list) {
    if (id < 0) return nullptr;
    const auto at = static_cast<std::size_t>(slot);
    if (slot >= 0 && at < made.size() && ids[at] == id) return made[at];
    return list.find(id);
  }

  template <class T>
  static void prefetch_slot(const std::vector<T*>& made, std::span<const int> ids, int slot) {
    const auto at = static_cast<std::size_t>(slot);
    if (slot < 0 || at >= made.size()) return;
    __builtin_prefetch(&made[at]);
    __builtin_prefetch(&ids[at]);
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

  // Texture coordinates of a deleted point count as deleted with it.
  bool of_deleted_point(const TextureCoord& t) const { return t.point && deleted_.contains(t.point); }

  // Null for -1; otherwise the coordinate found by id, or `kept` when absent.
  TextureCoord* texture_by_id(int id, TextureCoord* kept) const {
    if (id < 0) return nullptr;
    TextureCoord* found = coords_.find(id);
    return found && !of_deleted_point(*found) ? found : kept;
  }

  void set_texture_coords(ModelFace& face, const std::array<int, 3>& ids) {
    for (std::size_t k = 0; k < 3; ++k) face.texture_coords[k] = texture_by_id(ids[k], face.texture_coords[k]);
  }

  ModelData& model_;
  WorkingList<ModelFace> faces_;
  WorkingList<TextureCoord> coords_;
  WorkingList<ModelPoint> points_;
  // Points deleted by the replay stay allocated until the rebuild is over,
  // so that no record made meanwhile takes the address of one. Their texture
  // coordinates are dropped in one pass at the end rather than one pass per
  // deleted point; until then lookups pass over them.
  std::vector<std::unique_ptr<ModelPoint>> deleted_points_;
  std::unordered_set<const ModelPoint*> deleted_;
};

// Fills `list` with one record per record of `source`, made by `copy`. The
// records the list held are reused, in slot order.
template <class T, class Source, class Copy>
void refill(IdList<T>& list, const IdList<Source>& source, Copy copy) {
  std::vector<std::unique_ptr<T>> spare;
  spare.reserve(static_cast<std::size_t>(list.count()));
  while (!list.empty()) spare.push_back(list.take_at(list.count() - 1));
  for (const Source* record : source) {
    std::unique_ptr<T> made;
    if (spare.empty()) {
      made = std::make_unique<T>();
    } else {
      made = std::move(spare.back());
      spare.pop_back();
    }
    *made = copy(*record);
    list.insert(std::move(made));
  }
}

}  // namespace

void UndoHistory::reset_baseline(const ModelData& model) {
  refill(baseline_points, model.points, [](const ModelPoint& p) {
    return BaselinePoint{p.id, p.x, p.y, p.z, p.layer ? p.layer->id : -1, p.reserved};
  });
  refill(baseline_texture_coords, model.texture_coords, [](const TextureCoord& t) {
    return BaselineTextureCoord{t.id, t.u, t.v, t.point ? t.point->id : -1};
  });
  const IdIndex<ModelPoint, int> point_slots(model.points);
  const IdIndex<TextureCoord, int> coord_slots(model.texture_coords);
  const IdList<ModelFace>& faces = model.faces;
  int next = 0;
  refill(baseline_faces, faces, [&](const ModelFace& f) {
    prefetch_references(faces.at(next++ + kReadAhead));
    BaselineFace copy;
    copy.id = f.id;
    copy.material_id = f.material ? f.material->id : -1;
    for (std::size_t k = 0; k < 3; ++k) {
      if (const ModelPoint* c = f.corners[k]) {
        copy.corner_ids[k] = c->id;
        copy.corner_slots[k] = point_slots.find(c->id);
      }
      if (const TextureCoord* t = f.texture_coords[k]) {
        copy.texture_ids[k] = t->id;
        copy.texture_slots[k] = coord_slots.find(t->id);
      }
    }
    return copy;
  });
  refill(baseline_control_points, model.control_points, [](const ControlPoint& c) {
    return BaselineControlPoint{c.id, c.position};
  });
  recording = nullptr;
  actions.clear();
  position = 0;
}

void UndoHistory::note_control_point(const ControlPoint& point, bool present) {
  const IdLookup found = baseline_control_points.lookup(point.id);
  if (found.found()) baseline_control_points.remove_at(found.slot);
  if (present)
    baseline_control_points.insert(
        std::make_unique<BaselineControlPoint>(BaselineControlPoint{point.id, point.position}));
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
