#include "views/model_3d_scene.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <unordered_map>
#include <utility>

#include "views/view_picking.h"

namespace plenvista {
namespace {

// The frusta's depth: this share of the model's size, or of the spread of
// the cameras when there is no model.
constexpr double kFrustumShare = 0.15;

std::array<float, 3> relative(const Vec3& p, const Vec3& origin) {
  return {static_cast<float>(p.x - origin.x), static_cast<float>(p.y - origin.y), static_cast<float>(p.z - origin.z)};
}

std::array<float, 3> rgb(Colour c) {
  return {static_cast<float>(red_of(c)) / 255.0f, static_cast<float>(green_of(c)) / 255.0f,
          static_cast<float>(blue_of(c)) / 255.0f};
}

bool face_drawn(const ModelFace& face) {
  return face.shown && std::all_of(face.corners.begin(), face.corners.end(),
                                   [](const ModelPoint* p) { return p != nullptr && p->shown; });
}

bool has_coords(const ModelFace& face) {
  return face.material->texture_image != nullptr && std::all_of(face.texture_coords.begin(), face.texture_coords.end(),
                                                                [](const TextureCoord* t) { return t != nullptr; });
}

struct CornerHash {
  std::size_t operator()(const std::pair<const ModelPoint*, const TextureCoord*>& corner) const {
    const std::size_t point = std::hash<const void*>()(corner.first);
    return point ^ (std::hash<const void*>()(corner.second) + 0x9e3779b97f4a7c15ULL + (point << 6) + (point >> 2));
  }
};

class SceneBuilder {
 public:
  SceneBuilder(const ModelData& model, Model3dScene& scene) : model_(model), scene_(scene) {}

  void bounds() {
    for_each_face([this](const ModelFace& face) {
      for (const ModelPoint* p : face.corners) scene_.model_bounds.add(p->position());
    });
    for_each_point([this](const ModelPoint& p) { scene_.model_bounds.add(p.position()); });
    scene_.origin = scene_.model_bounds.empty ? Vec3{} : scene_.model_bounds.centre();
  }

  void faces() {
    for (const Material* material : model_.materials) {
      add_batches(material, model_.faces, false);
      if (mirrors()) add_batches(material, model_.mirror_faces, true);
    }
  }

  void points() {
    std::array<std::vector<std::pair<const ModelPoint*, ModelPoint*>>, 3> looks;
    const auto add = [&looks](const ModelPoint& p, ModelPoint* record) {
      const PointLook look = p.selected          ? PointLook::Selected
                             : p.picked_for_face ? PointLook::PickedForFace
                                                 : PointLook::Plain;
      looks[static_cast<std::size_t>(look)].emplace_back(&p, record);
    };
    for (ModelPoint* p : model_.points)
      if (p->shown) add(*p, p);
    if (mirrors())
      for (ModelPoint* p : model_.mirror_points)
        if (p->shown) add(*p, nullptr);
    for (const PointLook look : {PointLook::Plain, PointLook::PickedForFace, PointLook::Selected}) {
      const auto& points = looks[static_cast<std::size_t>(look)];
      if (points.empty()) continue;
      scene_.point_batches.push_back({look, static_cast<int>(scene_.points.size()), static_cast<int>(points.size())});
      for (const auto& [p, record] : points) {
        const Colour colour = p->layer != nullptr ? p->layer->colour : 0;
        scene_.points.push_back({relative(p->position(), scene_.origin), rgb(colour)});
        scene_.point_records.push_back(record);
      }
    }
  }

 private:
  bool mirrors() const { return model_.show_mirror_points != 0; }

  template <class Visit>
  void for_each_face(Visit&& visit) const {
    for (const ModelFace* face : model_.faces)
      if (face_drawn(*face)) visit(*face);
    if (mirrors())
      for (const ModelFace* face : model_.mirror_faces)
        if (face_drawn(*face)) visit(*face);
  }
  template <class Visit>
  void for_each_point(Visit&& visit) const {
    for (const ModelPoint* p : model_.points)
      if (p->shown) visit(*p);
    if (mirrors())
      for (const ModelPoint* p : model_.mirror_points)
        if (p->shown) visit(*p);
  }

  // The faces of one material on one side, in up to four batches: with
  // or without texture, selected or not.
  void add_batches(const Material* material, const IdList<ModelFace>& list, bool mirror) {
    std::array<std::vector<const ModelFace*>, 4> kinds;
    for (const ModelFace* face : list) {
      if (face->material != material || !face_drawn(*face)) continue;
      const bool selected = face->corners[0]->selected && face->corners[1]->selected && face->corners[2]->selected;
      kinds[(has_coords(*face) ? 2 : 0) + (selected ? 1 : 0)].push_back(face);
    }
    for (std::size_t kind = 0; kind < kinds.size(); ++kind) {
      if (kinds[kind].empty()) continue;
      const bool textured = kind >= 2;
      add_batch({material->face_colour, textured ? material->texture_image : nullptr, (kind & 1) != 0,
                 static_cast<int>(scene_.face_indices.size()), 0},
                kinds[kind], textured, mirror);
    }
  }

  void add_batch(FaceBatch batch, const std::vector<const ModelFace*>& faces, bool textured, bool mirror) {
    // A corner's vertex is shared by the batch's faces that have it with
    // the same texture coordinates.
    std::unordered_map<std::pair<const ModelPoint*, const TextureCoord*>, std::uint32_t, CornerHash> shared;
    shared.reserve(faces.size());
    for (const ModelFace* face : faces) {
      for (std::size_t i = 0; i < 3; ++i) {
        const ModelPoint* corner = face->corners[i];
        const TextureCoord* t = textured ? face->texture_coords[i] : nullptr;
        const auto [at, added] =
            shared.try_emplace({corner, t}, static_cast<std::uint32_t>(scene_.face_vertices.size()));
        if (added)
          scene_.face_vertices.push_back({relative(corner->position(), scene_.origin),
                                          t != nullptr
                                              ? std::array<float, 2>{static_cast<float>(t->u), static_cast<float>(t->v)}
                                              : std::array<float, 2>{0.0f, 0.0f}});
        scene_.face_indices.push_back(at->second);
      }
      scene_.face_records.push_back(mirror ? nullptr : face);
    }
    batch.count = static_cast<int>(scene_.face_indices.size()) - batch.first;
    scene_.batches.push_back(batch);
  }

  const ModelData& model_;
  Model3dScene& scene_;
};

void add_frusta(const ImageSet& images, Model3dScene& scene) {
  const std::vector<LocatedCamera> cameras = located_cameras(images);
  double size = scene.model_bounds.radius() * 2.0;
  if (size <= 0.0) {
    Bounds spread;
    for (const LocatedCamera& camera : cameras) spread.add(camera.position);
    size = spread.radius() * 2.0;
  }
  const double depth = size > 0.0 ? size * kFrustumShare : 1.0;
  for (const LocatedCamera& camera : cameras) {
    std::optional<Frustum> frustum = camera_frustum(camera, depth);
    if (!frustum) continue;
    frustum->image = images.images.find(camera.image_id);
    if (frustum->image == nullptr) continue;
    const auto colour = rgb(frustum->image == images.current ? kCurrentCameraColour : kCameraColour);
    const auto line = [&](const Vec3& a, const Vec3& b) {
      scene.lines.push_back({relative(a, scene.origin), colour});
      scene.lines.push_back({relative(b, scene.origin), colour});
    };
    for (std::size_t i = 0; i < 4; ++i) {
      line(frustum->apex, frustum->corners[i]);
      line(frustum->corners[i], frustum->corners[(i + 1) % 4]);
    }
    // A little triangle over the top edge shows which way is up.
    const Vec3 top_middle = (frustum->corners[0] + frustum->corners[1]) * 0.5;
    const Vec3 lift = (frustum->corners[0] - frustum->corners[3]) * 0.25;
    const Vec3 half = (frustum->corners[1] - frustum->corners[0]) * 0.15;
    line(top_middle - half, top_middle + lift);
    line(top_middle + lift, top_middle + half);
    scene.all_bounds.add(frustum->apex);
    for (const Vec3& corner : frustum->corners) scene.all_bounds.add(corner);
    scene.frusta.push_back(*frustum);
  }
}

}  // namespace

std::optional<Frustum> camera_frustum(const LocatedCamera& camera, double depth) {
  if (!(camera.focal_x > 0.0) || !(camera.focal_y > 0.0) || camera.width <= 0 || camera.height <= 0)
    return std::nullopt;
  const auto& m = camera.world_from_camera;
  const auto to_world = [&m](const Vec3& c) {
    return Vec3{m[0] * c.x + m[1] * c.y + m[2] * c.z + m[3], m[4] * c.x + m[5] * c.y + m[6] * c.z + m[7],
                m[8] * c.x + m[9] * c.y + m[10] * c.z + m[11]};
  };
  const auto corner = [&](double px, double py) {
    return to_world({(px - camera.principal_point.x) / camera.focal_x * depth,
                     -(py - camera.principal_point.y) / camera.focal_y * depth, -depth});
  };
  const double w = camera.width, h = camera.height;
  return Frustum{nullptr, to_world({}), {corner(0, 0), corner(w, 0), corner(w, h), corner(0, h)}};
}

Model3dScene build_scene(const ModelData& model, const ImageSet& images) {
  Model3dScene scene;
  SceneBuilder builder(model, scene);
  builder.bounds();
  builder.faces();
  builder.points();
  scene.all_bounds = scene.model_bounds;
  add_frusta(images, scene);
  return scene;
}

std::optional<double> ray_hits_triangle(const Ray& ray, const Vec3& a, const Vec3& b, const Vec3& c) {
  const Vec3 e1 = b - a, e2 = c - a;
  const Vec3 p = cross(ray.direction, e2);
  const double det = dot(e1, p);
  const double scale = length(e1) * length(e2);
  if (!(std::abs(det) > 1e-12 * scale)) return std::nullopt;
  const double inverse = 1.0 / det;
  const Vec3 s = ray.origin - a;
  const double u = dot(s, p) * inverse;
  if (u < 0.0 || u > 1.0) return std::nullopt;
  const Vec3 q = cross(s, e1);
  const double v = dot(ray.direction, q) * inverse;
  if (v < 0.0 || u + v > 1.0) return std::nullopt;
  const double t = dot(e2, q) * inverse;
  if (!(t > 0.0)) return std::nullopt;
  return t;
}

ScenePick pick(const Model3dScene& scene, const OrbitCamera& camera, Point2 mouse, int width, int height, int size) {
  const Ray ray = camera.ray(mouse, width, height);
  double nearest_face = std::numeric_limits<double>::infinity();
  const ModelFace* face = nullptr;
  for (std::size_t i = 0; i < scene.face_records.size(); ++i) {
    const Vec3 origin = scene.origin;
    const auto at = [&](std::size_t k) {
      const auto& p = scene.face_vertices[scene.face_indices[i * 3 + k]].position;
      return Vec3{p[0] + origin.x, p[1] + origin.y, p[2] + origin.z};
    };
    const std::optional<double> t = ray_hits_triangle(ray, at(0), at(1), at(2));
    if (!t || *t >= nearest_face) continue;
    nearest_face = *t;
    face = scene.face_records[i];
  }
  // A point on the face under the mouse (its corner) must not hide behind it.
  const double face_depth = nearest_face * dot(ray.direction, camera.forward());
  const double allowance = std::isfinite(face_depth) ? face_depth * 1e-3 : 0.0;
  ScenePick found;
  double nearest_point = std::numeric_limits<double>::infinity();
  for (std::size_t i = 0; i < scene.point_records.size(); ++i) {
    ModelPoint* record = scene.point_records[i];
    if (record == nullptr) continue;
    const std::optional<ScreenPoint> shown = camera.project(record->position(), width, height);
    if (!shown || !under_mouse(shown->client, mouse, size)) continue;
    if (shown->distance > face_depth + allowance || shown->distance >= nearest_point) continue;
    nearest_point = shown->distance;
    found.point = record;
  }
  if (found.point == nullptr) found.face = face;
  return found;
}

ProjectImage* pick_frustum(const Model3dScene& scene, const OrbitCamera& camera, Point2 mouse, int width, int height) {
  const Ray ray = camera.ray(mouse, width, height);
  double nearest = std::numeric_limits<double>::infinity();
  ProjectImage* found = nullptr;
  for (const Frustum& f : scene.frusta) {
    const auto& c = f.corners;
    const std::array<std::array<Vec3, 3>, 6> sides = {{{f.apex, c[0], c[1]},
                                                       {f.apex, c[1], c[2]},
                                                       {f.apex, c[2], c[3]},
                                                       {f.apex, c[3], c[0]},
                                                       {c[0], c[1], c[2]},
                                                       {c[0], c[2], c[3]}}};
    for (const auto& side : sides) {
      const std::optional<double> t = ray_hits_triangle(ray, side[0], side[1], side[2]);
      if (t && *t < nearest) {
        nearest = *t;
        found = f.image;
      }
    }
  }
  return found;
}

}  // namespace plenvista
