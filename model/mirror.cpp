#include "model/mirror.h"

#include <memory>

#include "model/id_index.h"

namespace plenvista {

namespace {

double& axis_ref(ModelPoint& p, MirrorPlane axis) {
  switch (axis) {
    case MirrorPlane::Y:
      return p.y;
    case MirrorPlane::Z:
      return p.z;
    default:
      return p.x;
  }
}

}  // namespace

void build_mirror_point(ModelData& model, const ModelPoint& point) {
  const ProjectTransform& t = model.transform;
  if (t.mirror_plane == MirrorPlane::None) return;
  const double offset = axis_value(t.origin_offset, t.mirror_plane);
  const double sum = axis_value(point.position(), t.mirror_plane) + offset;
  if (sum > -t.mirror_buffer && sum < t.mirror_buffer) return;
  auto mirror = std::make_unique<ModelPoint>();
  mirror->id = point.id;
  mirror->layer = point.layer;
  mirror->x = point.x;
  mirror->y = point.y;
  mirror->z = point.z;
  double& a = axis_ref(*mirror, t.mirror_plane);
  a = -a - 2.0 * offset;
  model.mirror_points.insert(std::move(mirror));
}

namespace {

// A copy of the coordinate whose point is the mirror point of the same id
// when there is one. `mirror_point` and `point` find records by id.
template <class FindMirror, class FindPoint>
void add_mirror_texture_coord(ModelData& model, const TextureCoord& coord, FindMirror mirror_point, FindPoint point) {
  auto mirror = std::make_unique<TextureCoord>();
  mirror->id = coord.id;
  mirror->u = coord.u;
  mirror->v = coord.v;
  if (coord.point) {
    ModelPoint* mirrored = mirror_point(coord.point->id);
    mirror->point = mirrored ? mirrored : point(coord.point->id);
  }
  model.mirror_texture_coords.insert(std::move(mirror));
}

// `mirror_point` and `mirror_coord` find mirror records by id.
template <class FindPoint, class FindCoord>
void add_mirror_face(ModelData& model, const ModelFace& face, FindPoint mirror_point, FindCoord mirror_coord) {
  auto mirror = std::make_unique<ModelFace>();
  mirror->id = model.new_id();
  mirror->material = face.material;
  mirror->shown = true;
  static constexpr std::size_t kOrder[3] = {0, 2, 1};
  for (std::size_t k = 0; k < 3; ++k) {
    ModelPoint* corner = face.corners[kOrder[k]];
    ModelPoint* mirrored = corner ? mirror_point(corner->id) : nullptr;
    mirror->corners[k] = mirrored ? mirrored : corner;
    TextureCoord* coord = face.texture_coords[kOrder[k]];
    TextureCoord* mirrored_coord = coord ? mirror_coord(coord->id) : nullptr;
    mirror->texture_coords[k] = mirrored_coord ? mirrored_coord : coord;
  }
  model.mirror_faces.insert(std::move(mirror));
}

// Lookups by id through an index made once for a whole rebuild.
template <class T>
auto through(const IdIndex<T>& index) {
  return [&index](int id) { return index.find(id); };
}

}  // namespace

void build_mirror_face(ModelData& model, const ModelFace& face) {
  add_mirror_face(
      model, face, [&](int id) { return model.mirror_points.find(id); },
      [&](int id) { return model.mirror_texture_coords.find(id); });
}

void rebuild_mirror_lists(ModelData& model) {
  const bool plane_set = model.transform.mirror_plane != MirrorPlane::None;
  model.mirror_points.clear();
  if (plane_set)
    for (const ModelPoint* p : model.points) build_mirror_point(model, *p);
  model.mirror_texture_coords.clear();
  if (plane_set) {
    const IdIndex<ModelPoint> mirror_points(model.mirror_points);
    const IdIndex<ModelPoint> points(model.points);
    for (const TextureCoord* t : model.texture_coords)
      add_mirror_texture_coord(model, *t, through(mirror_points), through(points));
  }
  rebuild_mirror_faces(model);
}

void rebuild_mirror_faces(ModelData& model) {
  model.mirror_faces.clear();
  if (model.transform.mirror_plane == MirrorPlane::None) return;
  const IdIndex<ModelPoint> mirror_points(model.mirror_points);
  const IdIndex<TextureCoord> mirror_coords(model.mirror_texture_coords);
  for (const ModelFace* f : model.faces) add_mirror_face(model, *f, through(mirror_points), through(mirror_coords));
}

}  // namespace plenvista
