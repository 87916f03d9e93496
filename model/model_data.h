#pragma once

// ModelData: the 3D model of a project with its lists, its id counter, the
// transform and mirror lists, the visibility lists and display options.
//
// Invariants every operation keeps: every point has a layer and every face a
// material and three corners that are in the points list; the visible lists
// hold only records of the layers and materials lists; the current layer and
// material are members of their lists; there is at least one layer and one
// material once defaults are applied; all lists are in ascending id order.

#include <cstdint>
#include <limits>
#include <string>

#include "base/colour.h"
#include "base/text.h"
#include "model/control_point.h"
#include "model/id_list.h"
#include "model/model_records.h"
#include "model/project_transform.h"
#include "model/tie_point.h"

namespace plenvista {

// How near the mouse a point must be to be clicked: within this many
// pixels ("Small Selection", "Large Selection"). The project file stores the
// number.
enum class SelectionSize : int { Small = 5, Large = 15 };
inline int pixels(SelectionSize size) { return static_cast<int>(size); }

// What a rubber band does to the selection ("New Selection", "Add to
// Selection", "Remove from Selection"). The project file stores the number.
enum class SelectionMode : int { New = 0, Add = 1, Remove = 2 };

struct ModelData {
  StoredText description = "";
  int next_id = 0;
  StoredText image_directories = ".;";
  IdList<ModelPoint> points{100, 100};
  IdList<ModelPoint> mirror_points{100, 100};
  IdList<ModelFace> faces{100, 100};
  IdList<ModelFace> mirror_faces{100, 100};
  IdList<Material> materials{10, 10};
  IdList<Layer> layers{10, 10};
  ProjectTransform transform{0, {}, 10.0, 1.0, MirrorPlane::None};
  IdList<TextureCoord> texture_coords{100, 100};
  IdList<TextureCoord> mirror_texture_coords{100, 100};
  // Kept beside the project file (persistence/control_points_file.h), not in it.
  IdList<ControlPoint> control_points{10, 10};
  IdList<TiePoint> tie_points{10, 10};  // kept beside the project file too
  IdList<Layer> visible_layers{10, 10, ListOrder::Sorted, ListOwnership::Borrowed};
  IdList<Material> visible_materials{10, 10, ListOrder::Sorted, ListOwnership::Borrowed};
  Material* current_material = nullptr;
  Layer* current_layer = nullptr;
  int show_mirror_points = 0;
  SelectionSize selection_size = SelectionSize::Small;
  SelectionMode selection_mode = SelectionMode::New;
  Colour face_line_colour = 0;
  Colour mirror_face_line_colour = 0;
  Colour reference_point_colour = 0;

  // How many more ids the counter can give: it stops at the largest int and
  // never wraps. Edits that create saved records ask the project first
  // (Project::has_ids_for) and are refused when too few are left.
  std::int64_t ids_left() const { return std::int64_t{std::numeric_limits<int>::max()} - next_id; }
  // Takes the id counter's value and increments it. With no id left it gives
  // the largest int again without counting on: only derived mirror faces,
  // never saved, are made after the counter ran out.
  int new_id() { return next_id < std::numeric_limits<int>::max() ? next_id++ : next_id; }

  Pen face_line_pen() const { return {face_line_colour, 1}; }
  Pen selected_face_line_pen() const { return {face_line_colour, 2}; }
  Pen mirror_face_line_pen() const { return {mirror_face_line_colour, 1}; }
  Pen reference_point_pen() const { return {reference_point_colour, 1}; }

  // Empties every list, resets the counter, description, transform
  // (buffer 10.0), options, colours and directories ".;".
  void clear();
};

// Derived flags: a point is shown when its layer is visible and it belongs to
// no face or to at least one face of a visible material. Mirror faces keep
// their own shown flag.
void refresh_visibility(ModelData& model);

}  // namespace plenvista
