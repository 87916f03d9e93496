#pragma once

// Shared by the edit, undo and mirror tests: a project with recorders, a
// value snapshot of the points, texture coordinates and faces (by id) and a
// check of the model's invariants.

#include <gtest/gtest.h>

#include <array>
#include <ostream>
#include <string>
#include <tuple>
#include <vector>

#include "model/project.h"
#include "testing/recorders.h"

namespace plenvista::test_support {

struct EditFixture : ::testing::Test {
  MemorySettingsStore store;
  RecordingNotifier notifier;
  RecordingMessages messages;
  Project project{store, notifier, messages};
  ModelData& model = project.model;

  void select_only(std::initializer_list<ModelPoint*> points) {
    for (ModelPoint* p : model.points) p->selected = false;
    for (ModelPoint* p : points) p->selected = true;
  }
};

struct ModelSnapshot {
  std::vector<std::tuple<int, double, double, double, int>> points;                 // id, x, y, z, layer id
  std::vector<std::tuple<int, double, double, int>> texture_coords;                 // id, u, v, point id
  std::vector<std::tuple<int, int, std::array<int, 3>, std::array<int, 3>>> faces;  // id, material, corners, coords
  friend bool operator==(const ModelSnapshot&, const ModelSnapshot&) = default;
};

inline void PrintTo(const ModelSnapshot& s, std::ostream* out) {
  *out << s.points.size() << " points, " << s.texture_coords.size() << " texture coordinates, " << s.faces.size()
       << " faces";
}

inline int id_or_none(const auto* record) { return record ? record->id : -1; }

inline ModelSnapshot snapshot(const ModelData& m) {
  ModelSnapshot s;
  for (const ModelPoint* p : m.points) s.points.emplace_back(p->id, p->x, p->y, p->z, id_or_none(p->layer));
  for (const TextureCoord* t : m.texture_coords) s.texture_coords.emplace_back(t->id, t->u, t->v, id_or_none(t->point));
  for (const ModelFace* f : m.faces) {
    std::array<int, 3> corners{};
    std::array<int, 3> coords{};
    for (std::size_t k = 0; k < 3; ++k) {
      corners[k] = id_or_none(f->corners[k]);
      coords[k] = id_or_none(f->texture_coords[k]);
    }
    s.faces.emplace_back(f->id, id_or_none(f->material), corners, coords);
  }
  return s;
}

template <class T>
bool sorted_by_id(const IdList<T>& list) {
  for (int i = 1; i < list.count(); ++i)
    if (list.at(i - 1)->id > list.at(i)->id) return false;
  return true;
}

// The first broken invariant, or empty.
inline std::string broken_invariant(const ModelData& m) {
  if (!sorted_by_id(m.points) || !sorted_by_id(m.faces) || !sorted_by_id(m.texture_coords) || !sorted_by_id(m.layers) ||
      !sorted_by_id(m.materials) || !sorted_by_id(m.mirror_points) || !sorted_by_id(m.mirror_faces) ||
      !sorted_by_id(m.mirror_texture_coords))
    return "a list is out of id order";
  for (const ModelPoint* p : m.points)
    if (!p->layer || !m.layers.contains(p->layer)) return "point " + std::to_string(p->id) + " has no listed layer";
  for (const ModelFace* f : m.faces) {
    if (!f->material || !m.materials.contains(f->material))
      return "face " + std::to_string(f->id) + " has no listed material";
    for (std::size_t k = 0; k < 3; ++k) {
      if (!f->corners[k] || !m.points.contains(f->corners[k]))
        return "face " + std::to_string(f->id) + " has a corner outside the points";
      if (f->texture_coords[k] && !m.texture_coords.contains(f->texture_coords[k]))
        return "face " + std::to_string(f->id) + " has a texture coordinate outside the list";
    }
  }
  for (const TextureCoord* t : m.texture_coords)
    if (t->point && !m.points.contains(t->point))
      return "texture coordinate " + std::to_string(t->id) + " lost its point";
  for (const ModelFace* f : m.mirror_faces)
    for (const ModelPoint* c : f->corners)
      if (!c || (!m.points.contains(c) && !m.mirror_points.contains(c))) return "a mirror face has a stale corner";
  for (const ModelPoint* p : m.mirror_points)
    if (!m.layers.contains(p->layer)) return "a mirror point has no listed layer";
  for (const Layer* l : m.visible_layers)
    if (!m.layers.contains(l)) return "a visible layer is not listed";
  for (const Material* mat : m.visible_materials)
    if (!m.materials.contains(mat)) return "a visible material is not listed";
  if (!m.layers.contains(m.current_layer) || !m.materials.contains(m.current_material))
    return "the current layer or material is not listed";
  return {};
}

}  // namespace plenvista::test_support
