#pragma once

// The geometric pieces of the orientation: viewing directions of marks
// through the grid camera, the relative orientation of two photographs, the
// pose of one photograph from located points, and the triangulation of a
// point from its rays.
//
// Frames: the program's camera frame (x right, y up, looking along -z). A
// pose is a world-to-camera rotation R (row-major) and the optical centre C:
// a world point X sits at R (X - C) in the camera frame. A viewing
// direction (a, b) is the camera-frame point (a, b, -1) scaled by its depth.
//
// Marks are pixels from the photograph's centre, x right, y down, as the
// projection gives them (absolute false).

#include <array>
#include <optional>
#include <vector>

#include "base/vec3.h"
#include "model/camera_model.h"
#include "photogrammetry/orientation.h"

namespace plenvista::orientation_detail {

using Matrix3 = std::array<double, 9>;  // row-major

struct Pose {
  Matrix3 rotation{1, 0, 0, 0, 1, 0, 0, 0, 1};
  Vec3 centre;
};

Vec3 rotate(const Matrix3& r, const Vec3& v);
Vec3 rotate_back(const Matrix3& r, const Vec3& v);  // by the transpose

// The usable camera: tables present, counts in range, positive finite
// sizes and distance. Derives the cell table of the copy when needed.
bool camera_usable(CameraModel& camera);

// Pixels per unit of x/depth across the grid (the pinhole fit's focal
// length), for thresholds given in pixels.
double focal_pixels(const CameraModel& camera);

// The viewing direction whose projection lands on the mark, found by
// Newton steps on the grid lookup from the pinhole fit's guess; nullopt when
// the grid gives no finite answer or the mark maps from no direction.
std::optional<Point2> viewing_direction(const CameraModel& camera, const OrientationPhotograph& photo, Point2 mark);

// Whether the directions lie on one line (or are fewer than three); a pose
// from them is undetermined.
bool directions_on_one_line(const std::vector<Point2>& directions);

// Whether turning the camera about its centre explains nearly all pairs of
// directions to within `threshold` (direction units): then the two
// photographs have no baseline.
bool rotation_explains(const std::vector<Point2>& first, const std::vector<Point2>& second, double threshold);

// The relative orientation of a pair from matching viewing directions
// (five-point essential matrix with RANSAC): the second photograph's pose
// with the first at the origin (identity rotation), baseline of length 1.
// `inlier` tells which pairs agree. nullopt with fewer than five pairs or
// no consistent solution. `threshold` is in direction units.
struct RelativePose {
  Pose second;
  std::vector<bool> inlier;
};
std::optional<RelativePose> relative_pose(const std::vector<Point2>& first, const std::vector<Point2>& second,
                                          double threshold, int iterations);

// A photograph's pose from located points and their viewing directions
// (perspective-n-point with RANSAC; OpenCV's SQPnP, which holds where the
// points lie on one plane, as the first tie points on a floor or a wall
// do). Only points in front of the pose count as inliers. nullopt with
// fewer than four points or no consistent solution.
std::optional<Pose> absolute_pose(const std::vector<Vec3>& world, const std::vector<Point2>& directions,
                                  double threshold, int iterations, std::vector<bool>& inlier);

// The world point nearest to every ray in the least-squares sense; nullopt
// with fewer than two rays, rays that do not meet in front of every camera,
// or (near-)parallel rays. `max_angle_deg` receives the largest angle
// between two rays.
struct Ray {
  Vec3 origin;
  Vec3 direction;  // unit, world frame
};
Ray world_ray(const Pose& pose, Point2 direction);
std::optional<Vec3> triangulate(const std::vector<Ray>& rays, double& max_angle_deg);

}  // namespace plenvista::orientation_detail
