#pragma once

// The bundle adjustment of the orientation (Ceres Solver): every oriented
// photograph's pose and every located point, residuals through the grid
// camera's projection exactly as project_to_image computes them (automatic
// derivatives through the lookup's cell, which is fixed by the point's
// position), a Cauchy loss so that a mark on the wrong feature cannot pull
// the others, and the sparse Schur solver.
//
// A pose is six numbers: the world-to-camera rotation as an angle-axis
// vector (radians) and the optical centre. The gauge is held by one
// photograph's pose and one coordinate of a second photograph's centre.

#include <array>
#include <memory>
#include <vector>

#include "base/vec3.h"
#include "model/camera_model.h"
#include "photogrammetry/orientation.h"

namespace plenvista::orientation_detail {

using PoseParameters = std::array<double, 6>;
using PointParameters = std::array<double, 3>;

struct AdjustedMark {
  int photo = 0;  // index into the photographs
  int point = 0;  // index into the points
  Point2 mark;    // centre-relative pixels
};

struct AdjustmentGauge {
  int fixed_photo = 0;
  int scale_photo = 1;
  int scale_axis = 0;  // the coordinate of scale_photo's centre that is held
};

class BundleAdjustment {
 public:
  // The parameters are adjusted in place and must outlive the adjustment.
  BundleAdjustment(const CameraModel& camera, const std::vector<OrientationPhotograph>& photographs,
                   std::vector<PoseParameters>& poses, std::vector<PointParameters>& points,
                   const std::vector<AdjustedMark>& marks, const AdjustmentGauge& gauge, double loss_scale_px);
  ~BundleAdjustment();
  BundleAdjustment(const BundleAdjustment&) = delete;
  BundleAdjustment& operator=(const BundleAdjustment&) = delete;

  // Up to `iterations` more solver iterations; true once the solver has
  // stopped (converged or given up). `done` receives the iterations run.
  bool iterate(int iterations, int& done);

  // The 3 x 3 covariance (row-major, unit variance factor) of each listed
  // point; false when the adjustment leaves some point undetermined.
  bool point_covariances(const std::vector<int>& points, std::vector<std::array<double, 9>>& out);

 private:
  struct Problem;
  std::unique_ptr<Problem> problem_;
  std::vector<PointParameters>& points_;
};

// The residual (projected minus marked, pixels) of one mark, through the
// same arithmetic as the adjustment.
Point2 adjusted_residual(const CameraModel& camera, const OrientationPhotograph& photograph, const PoseParameters& pose,
                         const PointParameters& point, Point2 mark);

}  // namespace plenvista::orientation_detail
