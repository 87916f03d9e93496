#pragma once

// Measuring the model: the distance between points, the angle at a point,
// the area and normal of faces.
//
// Everything is measured on the coordinates as the program shows them, the
// model transform applied (scale * (coordinate + offset)), so lengths are in
// the shown units and areas in their square; the origin offset cancels out
// and angles and normals do not depend on the transform.
//
// Points are measured in the order given: the distance from the first to
// the second (components second minus first); with a third point also the
// distance from the second to the third and the angle at the second one,
// between the rays to the first and the third (0..180 degrees; none when a
// ray has no length). Faces: the sum of their areas, and for exactly one
// face its unit normal by its winding ((p1 - p0) x (p2 - p0); none for a
// face without area). Faces with a missing corner are not measured.

#include <optional>
#include <span>
#include <string>
#include <vector>

#include "base/vec3.h"
#include "model/model_data.h"
#include "model/model_records.h"
#include "model/project_transform.h"

namespace plenvista {

struct Leg {
  double distance = 0.0;
  Vec3 components;  // to minus from
};

struct PointMeasurement {
  Leg first;                        // first point to second
  std::optional<Leg> second;        // second to third, with three points
  std::optional<double> angle_deg;  // at the second point, with three points
};

struct FaceMeasurement {
  int faces = 0;
  double area = 0.0;
  std::optional<Vec3> normal;  // one face only
};

// Two or three points; none for another count.
std::optional<PointMeasurement> measure_points(std::span<const ModelPoint* const> points,
                                               const ProjectTransform& transform);
FaceMeasurement measure_faces(std::span<const ModelFace* const> faces, const ProjectTransform& transform);

// The model's faces whose three corners are selected.
std::vector<const ModelFace*> selected_faces(const ModelData& model);

// The order in which points were selected: update() takes the ids of the
// points selected now (in any order); ids still selected keep their places,
// newly selected ones follow, in the order given.
class SelectionOrder {
 public:
  void update(const std::vector<int>& selected_ids);
  const std::vector<int>& ids() const { return ids_; }

 private:
  std::vector<int> ids_;
};

// The report shown to the user and printed by the command-line tool, one
// line each, numbers with six decimals locale-independently:
//   "Distance : 1.000000"  "Components : (0.600000, 0.800000, 0.000000)"
//   "Distance 2-3 : ..."   "Components 2-3 : (...)"  "Angle : 90.000000 deg"
//   "Faces : 2"  "Area : 12.500000"  "Normal : (0.000000, 0.000000, 1.000000)"
std::vector<std::string> measurement_lines(const std::optional<PointMeasurement>& points,
                                           const std::optional<FaceMeasurement>& faces);

}  // namespace plenvista
