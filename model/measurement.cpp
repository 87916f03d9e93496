#include "model/measurement.h"

#include <algorithm>
#include <cmath>

#include "base/number_text.h"

namespace plenvista {

namespace {

constexpr double kDegreesPerRadian = 57.29577951308232;

Leg leg(const Vec3& from, const Vec3& to) {
  const Vec3 d = to - from;
  return {length(d), d};
}

std::string vector_text(const Vec3& v) {
  std::string text(1, '(');
  text.append(format_fixed(v.x, 6)).append(", ").append(format_fixed(v.y, 6)).append(", ");
  text.append(format_fixed(v.z, 6)).push_back(')');
  return text;
}

}  // namespace

std::optional<PointMeasurement> measure_points(std::span<const ModelPoint* const> points,
                                               const ProjectTransform& transform) {
  if (points.size() != 2 && points.size() != 3) return std::nullopt;
  std::vector<Vec3> shown;
  for (const ModelPoint* p : points) shown.push_back(transformed(p->position(), transform));
  PointMeasurement m;
  m.first = leg(shown[0], shown[1]);
  if (shown.size() == 3) {
    m.second = leg(shown[1], shown[2]);
    const Vec3 to_first = shown[0] - shown[1];
    const Vec3 to_third = m.second->components;
    const double lengths = length(to_first) * length(to_third);
    if (lengths > 0) {
      // atan2 of the cross and dot products stays exact near 0 and 180 degrees.
      m.angle_deg = std::atan2(length(cross(to_first, to_third)), dot(to_first, to_third)) * kDegreesPerRadian;
    }
  }
  return m;
}

FaceMeasurement measure_faces(std::span<const ModelFace* const> faces, const ProjectTransform& transform) {
  FaceMeasurement m;
  for (const ModelFace* f : faces) {
    if (!f->corners[0] || !f->corners[1] || !f->corners[2]) continue;
    const Vec3 p0 = transformed(f->corners[0]->position(), transform);
    const Vec3 n = cross(transformed(f->corners[1]->position(), transform) - p0,
                         transformed(f->corners[2]->position(), transform) - p0);
    const double twice_area = length(n);
    ++m.faces;
    m.area += twice_area / 2;
    if (faces.size() == 1 && twice_area > 0) m.normal = Vec3{n.x / twice_area, n.y / twice_area, n.z / twice_area};
  }
  return m;
}

std::vector<const ModelFace*> selected_faces(const ModelData& model) {
  std::vector<const ModelFace*> faces;
  for (const ModelFace* f : model.faces)
    if (std::all_of(f->corners.begin(), f->corners.end(), [](const ModelPoint* p) { return p && p->selected; }))
      faces.push_back(f);
  return faces;
}

void SelectionOrder::update(const std::vector<int>& selected_ids) {
  std::erase_if(ids_,
                [&](int id) { return std::find(selected_ids.begin(), selected_ids.end(), id) == selected_ids.end(); });
  for (const int id : selected_ids)
    if (std::find(ids_.begin(), ids_.end(), id) == ids_.end()) ids_.push_back(id);
}

std::vector<std::string> measurement_lines(const std::optional<PointMeasurement>& points,
                                           const std::optional<FaceMeasurement>& faces) {
  std::vector<std::string> lines;
  if (points) {
    lines.push_back("Distance : " + format_fixed(points->first.distance, 6));
    lines.push_back("Components : " + vector_text(points->first.components));
    if (points->second) {
      lines.push_back("Distance 2-3 : " + format_fixed(points->second->distance, 6));
      lines.push_back("Components 2-3 : " + vector_text(points->second->components));
      lines.push_back("Angle : " + (points->angle_deg ? format_fixed(*points->angle_deg, 6) + " deg" : "none"));
    }
  }
  if (faces && faces->faces > 0) {
    lines.push_back("Faces : " + std::to_string(faces->faces));
    lines.push_back("Area : " + format_fixed(faces->area, 6));
    if (faces->normal) lines.push_back("Normal : " + vector_text(*faces->normal));
  }
  return lines;
}

}  // namespace plenvista
