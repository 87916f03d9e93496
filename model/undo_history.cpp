#include "model/undo_history.h"

namespace plenvista {

void UndoHistory::reset_baseline(const ModelData& model) {
  baseline_points.clear();
  baseline_faces.clear();
  baseline_texture_coords.clear();
  for (const ModelPoint* p : model.points) {
    baseline_points.insert(std::make_unique<BaselinePoint>(
        BaselinePoint{p->id, p->x, p->y, p->z, p->layer ? p->layer->id : -1, p->reserved}));
  }
  for (const TextureCoord* t : model.texture_coords) {
    baseline_texture_coords.insert(std::make_unique<BaselineTextureCoord>(
        BaselineTextureCoord{t->id, t->u, t->v, t->point ? t->point->id : -1}));
  }
  for (const ModelFace* f : model.faces) {
    auto copy = std::make_unique<BaselineFace>();
    copy->id = f->id;
    copy->material_id = f->material ? f->material->id : -1;
    for (std::size_t k = 0; k < 3; ++k) {
      copy->corner_ids[k] = f->corners[k] ? f->corners[k]->id : -1;
      copy->texture_ids[k] = f->texture_coords[k] ? f->texture_coords[k]->id : -1;
    }
    baseline_faces.insert(std::move(copy));
  }
  recording = nullptr;
  actions.clear();
  position = 0;
}

}  // namespace plenvista
