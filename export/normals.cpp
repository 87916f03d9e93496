#include "export/normals.h"

#include "model/read_ahead.h"

namespace plenvista {

void copy_transform(ExportSettings& settings, const ProjectTransform& transform) {
  settings.origin_offset = transform.origin_offset;
  settings.scale = transform.scale;
}

Vec3 export_position(const ModelPoint& point, const ExportSettings& settings) {
  Vec3 p = point.position() + settings.origin_offset;
  if (settings.reverse_z == 0) p.z = p.z * -1.0;
  if (settings.use_scaling == 1) p *= settings.scale;
  return p;
}

int corner_order(int k, const ExportSettings& settings) {
  if (settings.reverse_z != 1 || k == 0) return k;
  return 3 - k;
}

void compute_normals(std::span<ModelFace* const> faces, std::span<ModelPoint* const> points,
                     const ExportSettings& settings) {
  for (ModelPoint* point : points)
    if (point) point->normal = {};
  auto ahead = [&faces](std::size_t i) {
    if (i + kReadAhead < faces.size()) prefetch_references(faces[i + kReadAhead]);
  };
  for (std::size_t i = 0; i < faces.size(); ++i) {
    ahead(i);
    for (ModelPoint* corner : faces[i]->corners)
      if (corner) corner->normal = {};
  }

  for (std::size_t i = 0; i < faces.size(); ++i) {
    ahead(i);
    ModelFace* face = faces[i];
    const auto& c = face->corners;
    if (!c[0] || !c[1] || !c[2]) {
      face->normal = {};
      continue;
    }
    Vec3 n = cross(c[0]->position() - c[1]->position(), c[2]->position() - c[0]->position());
    if (settings.reverse_z == 0) n.z = -n.z;
    face->normal = n;
    for (ModelPoint* corner : c) corner->normal += n;
  }

  for (ModelPoint* point : points) {
    if (!point) continue;
    Vec3& n = point->normal;
    const double size = length(n);
    if (size > 0.0) {
      n.x /= size;
      n.y /= size;
      n.z /= size;
    }
  }
}

}  // namespace plenvista
