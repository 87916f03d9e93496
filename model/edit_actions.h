#pragma once

// The eight named edit actions on the model's points, faces and texture
// coordinates. Each changes the model at once, records what it did as one
// action of the project's undo history and sets `changed`; the caller then
// calls Note change. Selection-based actions work on the points whose
// `selected` flag is set. Coordinates are model units. Mirror copies follow
// every change while a mirror plane is set. Nothing here fails; an action
// that finds nothing to do still records an empty action (and so drops the
// redo tail). The actions that create records are refused, with the
// project's out-of-ids message and nothing changed, when the id counter has
// too few ids left (add_point and add_face then give null).

#include <array>
#include <functional>
#include <string>
#include <vector>

#include "model/project.h"

namespace plenvista {

inline const std::string kAddPointAction = "Add Point";
inline const std::string kEditPointsAction = "Edit Points";
inline const std::string kDeletePointsAction = "Delete Points";
inline const std::string kAddFaceAction = "Add Face";
inline const std::string kDeleteFacesAction = "Delete Faces";
inline const std::string kSetLayerAction = "Set Layer";
inline const std::string kSetMaterialAction = "Set Material";
inline const std::string kApplyTextureAction = "Apply Texture";
inline const std::string kAddPointsAction = "Add Points";

// A new point with a new id in the current layer.
ModelPoint* add_point(Project& project, double x, double y, double z);
// New points with new ids at `positions` on `layer` (the current layer when
// null), recorded as one action; none when too few ids are left.
std::vector<ModelPoint*> add_points(Project& project, const std::vector<Vec3>& positions, Layer* layer = nullptr);
// Moves every selected point by (dx, dy, dz).
void edit_points(Project& project, double dx, double dy, double dz);
// Removes the selected points with their faces and texture coordinates.
// Posts SelectionChanged 0.
void delete_points(Project& project);
// A new face with a new id and the current material; corners in winding order.
ModelFace* add_face(Project& project, ModelPoint& first, ModelPoint& second, ModelPoint& third);
// Removes every face whose three corners are selected.
void delete_faces(Project& project);
// Gives every selected point the current layer.
void set_layer(Project& project);
// Gives every face whose three corners are selected the current material,
// then clears the selection (SelectionChanged 0).
void set_material(Project& project);

// What a texture computation may do while Apply Texture is under way.
class TextureSink {
 public:
  explicit TextureSink(Project& project) : project_(project) {}
  ModelData& model() { return project_.model; }
  // A new texture coordinate of `point` with a new id, inserted and recorded.
  TextureCoord* create(ModelPoint& point, double u, double v);
  // Sets the three corner texture coordinates of `face` (null for none) and
  // records them. The coordinates must be in the model's list.
  void attach(ModelFace& face, const std::array<TextureCoord*, 3>& coords);

 private:
  Project& project_;
};

// Computes the texture coordinates of the faces of one material from its
// texture image.
using TextureComputation = std::function<void(Material&, ProjectImage&, TextureSink&)>;

// Discards every texture coordinate, runs `compute` for each chosen material
// that has a texture image, rebuilds the mirror lists and notes the change.
// Undo brings back the earlier coordinates and attachments, redo the new ones.
void apply_texture(Project& project, const std::vector<Material*>& chosen, const TextureComputation& compute);

// Delete in a view: the selected points in point mode, else the faces whose
// corners are all selected, and the selected reference points of
// `marks_image` when it is given (its `marks_changed` becomes 1). Then the
// change is noted (`modified`, the single selection refreshed, ModelChanged
// posted).
void delete_selected(Project& project, ProjectImage* marks_image);
// The main window's Delete: delete_selected with the current image's marks
// in calibration mode.
void delete_command(Project& project);

// Before points for which `doomed` is true are freed: when one of them is
// picked for a face, every point loses picked-for-face, which ends the face
// pick lists the image view holds (model/face_picks.h).
void forget_point_picks(ModelData& model, const std::function<bool(const ModelPoint&)>& doomed);

}  // namespace plenvista
