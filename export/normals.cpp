#include "export/normals.h"

#include <cmath>

namespace plenvista {

void copy_transform(ExportSettings& settings, const ProjectTransform& transform) {
  settings.origin_offset = transform.origin_offset;
  settings.scale = transform.scale;
}

Vec3 export_position(const ModelPoint& point, const ExportSettings& settings) {
  Vec3 p{point.x + settings.origin_offset.x, point.y + settings.origin_offset.y,
         point.z + settings.origin_offset.z};
  if (settings.reverse_z == 0) p.z = p.z * -1.0;
  if (settings.use_scaling == 1) {
    p.x *= settings.scale;
    p.y *= settings.scale;
    p.z *= settings.scale;
  }
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
  for (ModelFace* face : faces)
    for (ModelPoint* corner : face->corners)
      if (corner) corner->normal = {};

  for (ModelFace* face : faces) {
    const auto& c = face->corners;
    if (!c[0] || !c[1] || !c[2]) {
      face->normal = {};
      continue;
    }
    const Vec3 a{c[0]->x - c[1]->x, c[0]->y - c[1]->y, c[0]->z - c[1]->z};
    const Vec3 b{c[2]->x - c[0]->x, c[2]->y - c[0]->y, c[2]->z - c[0]->z};
    Vec3 n{a.y * b.z - a.z * b.y, a.z * b.x - a.x * b.z, a.x * b.y - a.y * b.x};
    if (settings.reverse_z == 0) n.z = -n.z;
    face->normal = n;
    for (ModelPoint* corner : c) {
      corner->normal.x += n.x;
      corner->normal.y += n.y;
      corner->normal.z += n.z;
    }
  }

  for (ModelPoint* point : points) {
    if (!point) continue;
    Vec3& n = point->normal;
    const double length = std::sqrt(n.x * n.x + n.y * n.y + n.z * n.z);
    if (length > 0.0) {
      n.x /= length;
      n.y /= length;
      n.z /= length;
    }
  }
}

}  // namespace plenvista
