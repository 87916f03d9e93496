#pragma once

// Texture coordinates of a material's faces, projected from its texture
// photograph: u = x / width, v = y / height of the face corner's absolute
// pixel position (x right, y down; neither flipped nor clamped, so a corner
// projected outside the photograph gets a value outside 0..1). Points are
// projected at their stored model coordinates, not translated, scaled or
// mirrored. Within one material faces sharing a point share its texture
// coordinate; another material gets its own.
//
// Failure: a photograph whose pixel size is unknown (its headers cannot be
// read and no size was known before) gives the material no texture
// coordinates and a "Warning" message naming the photograph and the
// material, instead of dividing by zero.

#include <vector>

#include "model/edit_actions.h"
#include "model/project.h"

namespace plenvista {

// Refreshes the image's pixel size from its photograph, then gives every
// face of the material a texture coordinate per corner through the sink.
// Returns false, creating nothing, when the size is unknown.
bool assign_texture(Project& project, ProjectImage& image, Material& material, TextureSink& sink);

// The "Apply Texture" action with assign_texture for each chosen material
// that has a texture image: every earlier texture coordinate is discarded
// first, the mirror copies are rebuilt, the change is noted; undoable.
void apply_textures(Project& project, const std::vector<Material*>& chosen);

}  // namespace plenvista
