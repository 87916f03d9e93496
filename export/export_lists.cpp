#include "export/export_lists.h"

namespace plenvista {

namespace {

template <class T>
std::vector<T*> joined(const IdList<T>& list, const IdList<T>& mirror, bool use_mirror) {
  std::vector<T*> all;
  all.reserve(static_cast<std::size_t>(list.count() + (use_mirror ? mirror.count() : 0)));
  all.insert(all.end(), list.begin(), list.end());
  if (use_mirror) all.insert(all.end(), mirror.begin(), mirror.end());
  return all;
}

}  // namespace

ExportLists collect_export_lists(const ModelData& model, const ExportSettings& settings) {
  const bool use_mirror = settings.use_mirror == 1;
  return {joined(model.points, model.mirror_points, use_mirror),
          joined(model.texture_coords, model.mirror_texture_coords, use_mirror),
          joined(model.faces, model.mirror_faces, use_mirror),
          std::vector<Material*>(model.materials.begin(), model.materials.end())};
}

}  // namespace plenvista
