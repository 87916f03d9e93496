#pragma once

// Orientation of photographs from points marked in several of them (tie
// points), with or without surveyed coordinates, through the project's grid
// camera. Plain inputs in, plain results out: the caller copies what it
// needs into the project.
//
// Units and frames:
//   marks      pixels from the photograph's centre (`centre_x`, `centre_y`),
//              x right, y down, exactly as ReferencePoint::image_position
//              holds them (a list's top-left pixel minus the centre);
//   world      model units (mm); surveyed coordinates, distances, point
//              coordinates and their standard deviations all in them;
//   poses      CameraPose as the program stores it (offset added, then
//              rotation about Z, X, Y in degrees; camera x right, y up,
//              looking along -z), so that project_to_image through the
//              returned pose lands on the marks;
//   residuals  pixels, the distance between a mark and the projection of
//              its point (normalised_error's raw pixels, no rescaling).
//
// Method: the pair of photographs with the most shared marks and a usable
// baseline is oriented from the marks' viewing directions (five-point
// essential matrix with RANSAC), further photographs are added one at a
// time (perspective-n-point with RANSAC on the located points), every point
// is triangulated from all its rays, and a bundle adjustment with a robust
// loss refines every pose and point through the grid camera's projection.
// Marks whose residual stays far beyond the rest are reported as outliers
// and left out of the final adjustment. A photograph's pose from the
// located points must also put most of its marks on points not located
// yet on the epipolar planes of their marks in oriented photographs (within
// the outlier threshold): a few located points in one small patch of a
// plane can give a pose far off that fits them alone. When it does not,
// the pose comes from the relative orientation with the oriented
// photograph sharing the most marks, the baseline's length from the
// located points, under the same check, and it must also put three in four
// of those located points on their rays (marks on one plane fit a twin pose
// as well); a photograph that fits neither is tried again once more
// photographs are oriented.
//
// Datum, in this order of preference: three or more located points with
// surveyed coordinates (a similarity fit; each one's residual reported);
// else the axes (ORIGIN at 0,0,0, XPOINT on +X, PLANEPOINT in the XY plane
// on the +Y side) and the distances (least-squares scale, each one's misfit
// reported), either alone or both; with none, an arbitrary frame (the first
// photograph of the starting pair at the origin, looking along -z, the
// pair's baseline 1000 units long) and a warning. Distances given alongside
// surveyed points are only checked (misfits reported).
//
// Precision: each point's standard deviation comes from the adjustment's
// covariance with the first photograph's pose and the pair's baseline held,
// turned and scaled into the datum's frame.
//
// Failures (OrientationFailure, with a message naming what is wrong): no
// camera grid, no pair of photographs sharing enough marks, marks that leave
// the poses undetermined (all on one line, or no baseline between the
// photographs), a distance or axes naming a label no point carries or that
// could not be located, a distance that is not positive or joins a label
// to itself, axes points on one line, surveyed points on one line, and an
// adjustment that does not give finite values. Photographs with too few
// marks on located points are left unoriented and listed; that alone is
// not a failure.
//
// Long work is stepped: OrientationRun::step() does a bounded amount of
// work and reports progress; dropping the run object cancels it.

#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "base/vec3.h"
#include "model/camera_model.h"
#include "model/camera_pose.h"

namespace plenvista {

// One photograph: its id, its centre and size, and how a photograph of
// another size than the camera's maps onto it (ProjectImage's fields of the
// same names).
struct OrientationPhotograph {
  int id = 0;
  double centre_x = 0.0;
  double centre_y = 0.0;
  int pixel_width = 0;
  int pixel_height = 0;
  bool size_differs = false;
  double texture_centre_x = 0.0;
  double texture_centre_y = 0.0;
  double texture_scale = 1.0;
};

// A point marked in one photograph, centre-relative pixels (see above).
struct OrientationMark {
  int photograph_id = 0;
  std::string label;
  Point2 position;
};

// A label whose world coordinates were surveyed.
struct SurveyedPoint {
  std::string label;
  Vec3 position;
};

struct DatumDistance {
  std::string from;
  std::string to;
  double length = 0.0;  // model units
};

struct DatumAxes {
  std::string origin;
  std::string x_point;
  std::string plane_point;
};

struct OrientationSettings {
  // Residual (px) at which the robust loss starts to discount a mark.
  double loss_scale_px = 1.0;
  // A mark is an outlier when its residual exceeds both this many pixels and
  // outlier_factor times the robust RMS of all residuals.
  double outlier_threshold_px = 4.0;
  double outlier_factor = 5.0;
  // Marks a photograph needs on located points to be added.
  int min_marks = 5;
  // Limits that keep every run bounded.
  int max_adjustment_iterations = 100;
  int ransac_iterations = 200;
};

struct OrientationInput {
  CameraModel camera;  // the project's grid camera, with its tables
  std::vector<OrientationPhotograph> photographs;
  std::vector<OrientationMark> marks;
  std::vector<SurveyedPoint> surveyed;
  std::vector<DatumDistance> distances;
  std::optional<DatumAxes> axes;
  OrientationSettings settings;
};

enum class OrientationFailure {
  None,
  NoCamera,
  TooFewSharedMarks,
  PosesUndetermined,
  UnknownLabel,
  LabelNotLocated,
  InvalidDistance,
  AxesOnOneLine,
  SurveyedOnOneLine,
  AdjustmentFailed,
};

// The failure's fixed text, for the message when no detail applies.
const char* orientation_failure_text(OrientationFailure failure);

struct OrientedPhotograph {
  int id = 0;
  bool oriented = false;
  CameraPose pose;      // meaningful only when oriented
  double rms_px = 0.0;  // over its marks that are not outliers
  int marks = 0;        // its marks in the input
};

struct OrientedPoint {
  std::string label;
  bool located = false;
  Vec3 position;               // in the datum's frame
  Vec3 sigma;                  // standard deviations in X, Y, Z, model units
  int rays = 0;                // oriented photographs marking it (outliers excluded)
  double max_angle_deg = 0.0;  // largest angle between two of its rays
  bool surveyed = false;       // it has surveyed coordinates
  Vec3 surveyed_residual;      // adjusted minus surveyed, when surveyed and the datum
};

struct OrientationOutlier {
  std::string label;
  int photograph_id = 0;
  double residual_px = 0.0;
};

struct DistanceMisfit {
  DatumDistance distance;
  double measured = 0.0;  // in the final frame
  double misfit = 0.0;    // measured minus given
};

enum class DatumKind { Surveyed, AxesAndScale, AxesOnly, ScaleOnly, Arbitrary };

struct OrientationResult {
  OrientationFailure failure = OrientationFailure::None;
  std::string message;                          // the failure's text with its detail; empty on success
  std::vector<OrientedPhotograph> photographs;  // input order
  std::vector<OrientedPoint> points;            // sorted by label
  std::vector<OrientationOutlier> outliers;
  std::vector<int> too_few_marks;  // photographs left unoriented, ids
  double rms_px = 0.0;             // over every mark that is not an outlier
  DatumKind datum = DatumKind::Arbitrary;
  std::string datum_description;
  double scale = 1.0;  // datum frame units per unit of the adjusted frame
  std::vector<DistanceMisfit> distance_misfits;
  std::vector<std::string> warnings;

  bool ok() const { return failure == OrientationFailure::None; }
};

enum class OrientationPhase { StartingPair, AddingPhotographs, Adjusting, Outliers, Datum, Precision, Done };

struct OrientationProgress {
  OrientationPhase phase = OrientationPhase::StartingPair;
  int iteration = 0;  // adjustment iterations so far
  double rms_px = 0.0;
  int oriented = 0;
  int photographs = 0;
};

class OrientationRun {
 public:
  explicit OrientationRun(OrientationInput input);
  ~OrientationRun();
  OrientationRun(const OrientationRun&) = delete;
  OrientationRun& operator=(const OrientationRun&) = delete;

  // Does a bounded piece of work; returns false once the run is finished
  // (successfully or not), after which result() is complete.
  bool step();
  bool finished() const;
  OrientationProgress progress() const;
  const OrientationResult& result() const;

 private:
  struct State;
  std::unique_ptr<State> state_;
};

// Runs an orientation to its end.
OrientationResult orient_photographs(OrientationInput input);

}  // namespace plenvista
