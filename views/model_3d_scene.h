#pragma once

// The 3D view's scene: the shown faces, points and located cameras of a
// project as vertex lists ready for the GPU, and picking on them. No
// OpenGL here, so all of it is testable without a context.
//
// Positions are model units (the stored, untransformed coordinates, as the
// other views draw them), kept as floats relative to `origin` (the middle of
// the model) so that models far from the world origin keep their precision.
// Faces come as indexed triangles grouped into batches, in the materials'
// list order, one batch per material, mirror side, texture use and
// selection, whose faces share their corners' vertices (the renderer shades
// them flat, from the triangle itself). A face is drawn when it and its three corners are shown (the
// visibility refresh must have run: hidden layers and materials are left
// out); its texture coordinates are the ones export writes (u right, v down
// in the photograph, in 0..1 over the photograph), used when its material
// has a texture photograph and all three corners have coordinates. The
// mirror copies of points and faces are in the scene while mirror points
// are shown.
//
// A located photograph's camera is a pyramid ("frustum"): its apex at the
// optical centre, its base the photograph's four corners seen `depth` model
// units in front of it.

#include <array>
#include <cstdint>
#include <optional>
#include <vector>

#include "base/colour.h"
#include "model/image_set.h"
#include "model/located_camera.h"
#include "model/model_data.h"
#include "views/orbit_camera.h"

namespace plenvista {

// A corner as the faces of one batch share it: its position and its
// texture coordinates (0, 0 in a batch without texture).
struct FaceVertex {
  std::array<float, 3> position;
  std::array<float, 2> uv;
};

// What a point looks like: as in the other views, a selected point is a
// white disc ringed in its layer colour, a point picked for a new face a
// blue square, any other a dot in its layer colour.
enum class PointLook { Plain = 0, Selected = 1, PickedForFace = 2 };

struct PointVertex {
  std::array<float, 3> position;
  std::array<float, 3> colour;  // 0..1
};

// Points of one look, drawn together.
struct PointBatch {
  PointLook look = PointLook::Plain;
  int first = 0;  // first vertex
  int count = 0;  // vertices
};

struct LineVertex {
  std::array<float, 3> position;
  std::array<float, 3> colour;
};

struct FaceBatch {
  Colour colour = 0;                      // the material's face colour
  const ProjectImage* texture = nullptr;  // its texture photograph, or null for faces drawn in the colour
  bool selected = false;                  // all three corners of each of its faces are selected
  int first = 0;                          // first index
  int count = 0;                          // indices
};

struct Frustum {
  ProjectImage* image = nullptr;
  Vec3 apex;
  std::array<Vec3, 4> corners;  // top-left, top-right, bottom-right, bottom-left of the photograph
};

struct Model3dScene {
  Vec3 origin;
  Bounds model_bounds;  // the shown points and face corners
  Bounds all_bounds;    // with the frusta
  std::vector<FaceVertex> face_vertices;
  std::vector<std::uint32_t> face_indices;  // three a triangle, into face_vertices
  std::vector<FaceBatch> batches;
  std::vector<const ModelFace*> face_records;  // per triangle; null for a mirror copy
  std::vector<PointVertex> points;
  std::vector<ModelPoint*> point_records;  // per point vertex; null for a mirror copy
  std::vector<PointBatch> point_batches;   // plain, picked for a face, selected, those present
  std::vector<LineVertex> lines;
  std::vector<Frustum> frusta;
};

// The colours of the frusta: the current photograph's and the others'.
inline constexpr Colour kCurrentCameraColour = make_colour(255, 200, 0);
inline constexpr Colour kCameraColour = make_colour(40, 60, 160);

// Builds the scene of `model` (its visibility refreshed) and the located
// photographs of `images`.
Model3dScene build_scene(const ModelData& model, const ImageSet& images);

// The frustum of a located camera, its base `depth` units in front of it;
// none when the camera has no usable focal length or size.
std::optional<Frustum> camera_frustum(const LocatedCamera& camera, double depth);

// The distance along `ray` at which it meets the triangle (either side), or
// none.
std::optional<double> ray_hits_triangle(const Ray& ray, const Vec3& a, const Vec3& b, const Vec3& c);

// What is under a client position.
struct ScenePick {
  ModelPoint* point = nullptr;      // a model point, nearest the eye
  const ModelFace* face = nullptr;  // else the nearest model face
};

// The point within `size` pixels of `mouse` (the views' strict square rule)
// that no face hides, nearest the eye; else the nearest face under it.
// Mirror copies hide what lies behind them but are never picked.
ScenePick pick(const Model3dScene& scene, const OrbitCamera& camera, Point2 mouse, int width, int height, int size);

// The photograph whose frustum is nearest under `mouse`, or null.
ProjectImage* pick_frustum(const Model3dScene& scene, const OrbitCamera& camera, Point2 mouse, int width, int height);

}  // namespace plenvista
