#include "model/model_data.h"

namespace plenvista {

void ModelData::clear() {
  // Faces and texture coordinates refer to points, and points to layers:
  // release the referring lists first.
  mirror_faces.clear();
  faces.clear();
  mirror_texture_coords.clear();
  texture_coords.clear();
  mirror_points.clear();
  points.clear();
  visible_layers.clear();
  visible_materials.clear();
  materials.clear();
  layers.clear();
  control_points.clear();
  tie_points.clear();
  next_id = 0;
  description = "";
  transform = ProjectTransform{0, {}, 10.0, 1.0, MirrorPlane::None};
  current_layer = nullptr;
  current_material = nullptr;
  show_mirror_points = 0;
  selection_size = SelectionSize::Small;
  selection_mode = SelectionMode::New;
  face_line_colour = 0;
  mirror_face_line_colour = 0;
  reference_point_colour = 0;
  image_directories = ".;";
}

namespace {

void refresh_points_and_faces(const ModelData& model, const IdList<ModelPoint>& points, const IdList<ModelFace>& faces,
                              bool set_face_shown) {
  for (ModelPoint* p : points) {
    p->shown = false;
    p->used_by_face = false;
    p->on_visible_layer = p->layer && model.visible_layers.find(p->layer->id);
  }
  for (ModelFace* f : faces) {
    for (ModelPoint* c : f->corners)
      if (c) c->used_by_face = true;
    const bool visible = f->material && model.visible_materials.find(f->material->id);
    if (set_face_shown) f->shown = visible;
    if (visible)
      for (ModelPoint* c : f->corners)
        if (c && c->on_visible_layer) c->shown = true;
  }
  for (ModelPoint* p : points)
    if (!p->used_by_face && p->on_visible_layer) p->shown = true;
}

}  // namespace

void refresh_visibility(ModelData& model) {
  refresh_points_and_faces(model, model.points, model.faces, true);
  refresh_points_and_faces(model, model.mirror_points, model.mirror_faces, false);
}

}  // namespace plenvista
