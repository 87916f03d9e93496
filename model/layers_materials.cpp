#include "model/layers_materials.h"

#include <algorithm>
#include <memory>

#include "base/text.h"
#include "model/project_edit.h"

namespace plenvista {

namespace {

template <class T>
bool name_taken(const IdList<T>& list, const std::string& name) {
  return std::any_of(list.begin(), list.end(), [&](const T* r) { return equal_ignoring_case(shown(r->name), name); });
}

// A new record of a unique name with the next id, appended to `all`.
template <class T>
T* add_named(Project& project, IdList<T>& all, const std::string& name) {
  if (name_taken(all, name) || !project.has_ids_for(1)) return nullptr;
  auto record = std::make_unique<T>();
  record->id = project.model.new_id();
  record->name = name;
  ProjectEdit::mark_changed(project);
  return all.insert(std::move(record));
}

// Deletes the record at `slot` unless it is the only one or `in_use` says
// something refers to it; a deleted current record is replaced by the first.
template <class T, class InUse>
bool delete_unused(Project& project, IdList<T>& all, IdList<T>& visible, T*& current, int slot, InUse in_use) {
  T* record = all.at(slot);
  if (!record || all.count() == 1 || in_use(record)) return false;
  visible.remove_at(visible.index_of(record));
  const bool was_current = current == record;
  all.remove_at(slot);
  if (was_current) current = all.first();
  ProjectEdit::mark_changed(project);
  return true;
}

// Refills `visible` with the records checked by position; true when any is.
template <class T>
bool show_checked(Project& project, const IdList<T>& all, IdList<T>& visible, const std::vector<bool>& checked) {
  visible.clear();
  bool any = false;
  for (int slot = 0; slot < all.count() && slot < static_cast<int>(checked.size()); ++slot) {
    if (!checked[static_cast<std::size_t>(slot)]) continue;
    visible.insert(all.at(slot));
    any = true;
  }
  refresh_visibility(project.model);
  project.post(Notification::ImagesChanged);
  if (any) ProjectEdit::mark_changed(project);
  return any;
}

}  // namespace

Layer* add_layer(Project& project, const std::string& name, Colour colour) {
  Layer* layer = add_named(project, project.model.layers, name);
  if (layer) set_layer_colour(*layer, colour);
  return layer;
}

bool delete_layer(Project& project, int slot) {
  ModelData& model = project.model;
  return delete_unused(project, model.layers, model.visible_layers, model.current_layer, slot, [&](const Layer* layer) {
    return std::any_of(model.points.begin(), model.points.end(),
                       [&](const ModelPoint* p) { return p->layer == layer; });
  });
}

void set_layer_colour(Layer& layer, Colour colour) { layer.colour = colour; }

void edit_layer(Project& project, Layer& layer, const std::string& name, Colour colour) {
  layer.name = name;
  set_layer_colour(layer, colour);
  ProjectEdit::mark_changed(project);
}

void set_current_layer(Project& project, Layer& layer) {
  project.model.current_layer = &layer;
  ProjectEdit::mark_changed(project);
}

bool set_visible_layers(Project& project, const std::vector<bool>& checked) {
  return show_checked(project, project.model.layers, project.model.visible_layers, checked);
}

Material* add_material(Project& project, const std::string& name) {
  return add_named(project, project.model.materials, name);
}

bool delete_material(Project& project, int slot) {
  ModelData& model = project.model;
  return delete_unused(project, model.materials, model.visible_materials, model.current_material, slot,
                       [&](const Material* material) {
                         return std::any_of(model.faces.begin(), model.faces.end(),
                                            [&](const ModelFace* f) { return f->material == material; });
                       });
}

void edit_material(Project& project, Material& material, const std::string& name, const MaterialLook& look) {
  material.name = name;
  material.face_colour = look.face_colour;
  material.specular_colour = look.specular_colour;
  material.emissive_colour = look.emissive_colour;
  material.texture_image = look.texture_image;
  ProjectEdit::mark_changed(project);
}

void set_current_material(Project& project, Material& material) { project.model.current_material = &material; }

bool set_visible_materials(Project& project, const std::vector<bool>& checked) {
  return show_checked(project, project.model.materials, project.model.visible_materials, checked);
}

}  // namespace plenvista
