#pragma once

// Layer and material management under the refusal rules: names are unique
// without regard to letter case, the last layer or material cannot be
// deleted, nor one still used by a point or face. Each change sets the
// project's `changed` flag; the caller then calls Note change.

#include <string>

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

// A new material with every colour 0 and no texture. Null when the name
// exists or no id is left.
Material* add_material(Project& project, const std::string& name);
// False when the slot is out of range, it is the only material, or a face uses it.
// A deleted current material is replaced by the first material.
bool delete_material(Project& project, int slot);

}  // namespace plenvista
