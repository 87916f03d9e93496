#pragma once

// Layer and material management under the refusal rules: names are unique
// without regard to letter case, the last layer or material cannot be
// deleted, nor one still used by a point or face. Each change sets the
// project's `changed` flag; the caller then calls Note change.

#include <string>
#include <vector>

#include "base/colour.h"
#include "model/project.h"

namespace plenvista {

// A new layer (attributes 0 and 1), appended to the layers but not to the
// visible layers. Null when a layer of that name exists or no id is left.
Layer* add_layer(Project& project, const std::string& name, Colour colour);
// False when the slot is out of range, it is the only layer, or a point uses it.
// A deleted current layer is replaced by the first layer.
bool delete_layer(Project& project, int slot);
void set_layer_colour(Layer& layer, Colour colour);
// The Layer dialog's OK on an existing layer (the name is not checked).
void edit_layer(Project& project, Layer& layer, const std::string& name, Colour colour);
// The layer new points go to.
void set_current_layer(Project& project, Layer& layer);
// Shows the layers checked by list position (more or fewer marks than
// layers are fine), refreshes what is shown and posts ImagesChanged; sets
// `changed` and gives true unless none is checked.
bool set_visible_layers(Project& project, const std::vector<bool>& checked);

// A new material with every colour 0 and no texture. Null when the name
// exists or no id is left.
Material* add_material(Project& project, const std::string& name);
// False when the slot is out of range, it is the only material, or a face uses it.
// A deleted current material is replaced by the first material.
bool delete_material(Project& project, int slot);

// What the Material dialog sets besides the name.
struct MaterialLook {
  Colour face_colour = 0;
  Colour specular_colour = 0;
  Colour emissive_colour = 0;
  ProjectImage* texture_image = nullptr;
};
void edit_material(Project& project, Material& material, const std::string& name, const MaterialLook& look);
// The material new faces get. Choosing it alone is no edit of the project
// (`changed` stays as it is), as opposed to choosing the current layer.
void set_current_material(Project& project, Material& material);
// As set_visible_layers.
bool set_visible_materials(Project& project, const std::vector<bool>& checked);

}  // namespace plenvista
