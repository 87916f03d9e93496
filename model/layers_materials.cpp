#include "model/layers_materials.h"

#include <algorithm>

#include "base/text.h"

namespace plenvista {

namespace {

template <class T>
bool name_taken(const IdList<T>& list, const std::string& name) {
  return std::any_of(list.begin(), list.end(), [&](const T* r) { return equal_ignoring_case(shown(r->name), name); });
}

}  // namespace

Layer* add_layer(Project& project, const std::string& name, Colour colour) {
  ModelData& model = project.model;
  if (name_taken(model.layers, name) || !project.has_ids_for(1)) return nullptr;
  auto layer = std::make_unique<Layer>();
  layer->id = model.new_id();
  layer->name = name;
  set_layer_colour(*layer, colour);
  project.changed = true;
  return model.layers.insert(std::move(layer));
}

bool delete_layer(Project& project, int slot) {
  ModelData& model = project.model;
  Layer* layer = model.layers.at(slot);
  if (!layer || model.layers.count() == 1) return false;
  if (std::any_of(model.points.begin(), model.points.end(), [&](const ModelPoint* p) { return p->layer == layer; }))
    return false;
  model.visible_layers.remove_at(model.visible_layers.index_of(layer));
  const bool was_current = model.current_layer == layer;
  model.layers.remove_at(slot);
  if (was_current) model.current_layer = model.layers.first();
  project.changed = true;
  return true;
}

void set_layer_colour(Layer& layer, Colour colour) { layer.colour = colour; }

Material* add_material(Project& project, const std::string& name) {
  ModelData& model = project.model;
  if (name_taken(model.materials, name) || !project.has_ids_for(1)) return nullptr;
  auto material = std::make_unique<Material>();
  material->id = model.new_id();
  material->name = name;
  project.changed = true;
  return model.materials.insert(std::move(material));
}

bool delete_material(Project& project, int slot) {
  ModelData& model = project.model;
  Material* material = model.materials.at(slot);
  if (!material || model.materials.count() == 1) return false;
  if (std::any_of(model.faces.begin(), model.faces.end(), [&](const ModelFace* f) { return f->material == material; }))
    return false;
  model.visible_materials.remove_at(model.visible_materials.index_of(material));
  const bool was_current = model.current_material == material;
  model.materials.remove_at(slot);
  if (was_current) model.current_material = model.materials.first();
  project.changed = true;
  return true;
}

}  // namespace plenvista
