#pragma once

// The records of the 3D model: points, faces, texture coordinates, layers
// and materials. Records refer to each other by pointer in memory and by id
// in files. Coordinates are model units; colours are red-low 32-bit values.
// Every record's first field is its id, shared with every other kind through
// the model's single `next_id` counter.

#include <array>
#include <string>

#include "base/colour.h"
#include "base/text.h"
#include "base/vec3.h"

namespace plenvista {

struct Layer;
struct Material;
struct TextureCoord;
struct ProjectImage;

// A vertex of the model.
struct ModelPoint {
  int id = 0;
  double x = 0.0;
  double y = 0.0;
  double z = 0.0;
  int reserved = 0;  // copied by the undo baseline, never saved
  bool selected = false;
  bool picked_for_face = false;   // one of the corners being picked for a new face
  bool shown = false;             // derived by the visibility refresh
  bool on_visible_layer = false;  // derived
  bool used_by_face = false;      // derived
  Layer* layer = nullptr;         // never null for a point in the points list
  Vec3 normal;                    // the exporters' vertex normal, never saved

  Vec3 position() const { return {x, y, z}; }
};

// A triangle, corners in winding order.
struct ModelFace {
  int id = 0;
  std::array<ModelPoint*, 3> corners{};
  std::array<TextureCoord*, 3> texture_coords{};  // per corner, null until texture is applied
  Material* material = nullptr;                   // never null
  bool delete_mark = false;                       // used only during point deletion
  Vec3 normal;                                    // the exporters' face normal, never saved
  bool shown = true;                              // derived
};

// The texture position of one model point in its material's photograph.
struct TextureCoord {
  int id = 0;
  bool delete_mark = false;
  double u = 0.0;
  double v = 0.0;
  ModelPoint* point = nullptr;
};

struct Layer {
  int id = 0;
  int attribute1 = 0;  // saved and loaded, not otherwise used
  int attribute2 = 1;  // saved and loaded, not otherwise used
  Colour colour = 0;
  StoredText name = "";  // unique within the project, compared without letter case
  int reserved = 0;

  Pen pen() const { return {colour, 2}; }
};

struct Material {
  int id = 0;
  Colour face_colour = 0;  // exported as the diffuse colour
  double attribute = 0.0;  // saved and loaded
  Colour specular_colour = 0;
  Colour emissive_colour = 0;
  StoredText name = "";  // unique within the project, compared without letter case
  ProjectImage* texture_image = nullptr;
};

}  // namespace plenvista
