#pragma once

// The whole camera position search of one photograph, run in batches that a
// caller steps (the "Searching ..." dialog once per timer tick, the
// command-line tool and the tests in a loop).
//
// First the plain search: the initial scan of ten viewpoints around the
// origin, then refinement steps. A batch of it ends at the first step that
// improves the summed error, or at the end; the search ends when a step
// finishes it or, failing that, after more than 2000 steps.
//
// A plain search that ends with a score of 99.9 or more and every
// reference point in front is kept exactly as it ended. Otherwise the pose
// computed in closed form from the reference points (closed_form_pose.h)
// is polished through the grid camera by least squares, refined by steps
// from small moves and polished again; of the two results the lower summed
// error with every reference point in front is kept. When the world origin
// lies inside the reference points' box the ten viewpoints stand among
// them and the plain search cannot end well: the closed-form start is then
// refined alone, without the plain search.
//
// When the closed-form start fails (points nearly on one plane, or a
// solution with points behind the camera), the search goes on from further
// viewpoints looking at the reference points' centroid
// from around and above them at several distances in proportion to their
// extent, each refined by up to 12 steps; the three most promising (all
// points in front first, then the lowest error) are refined by up to 300
// more steps and then by a least-squares (Levenberg-Marquardt) polish of
// the six pose values, kept where it lowers the summed error. Of
// all results, the plain one included, the lowest summed error with every
// reference point in front is kept, else the lowest summed error. A plain
// search that ended well is kept as it is. Batches of this part run a fixed
// number of steps. The total work is bounded by the step counts.
//
// At the end finish_search runs on the kept pose (score, outliers,
// projected positions, `pose_known`, `marks_changed` cleared). Abandoning
// an ImageSearch leaves `marks_changed` set.
//
// Reference points on one line or at one place fix no camera position: the
// search ends at once with the pose unchanged, a score of 0, `pose_known`
// as it was, `marks_changed` cleared and problem() telling why.

#include <cstddef>
#include <optional>
#include <vector>

#include "model/image_records.h"
#include "photogrammetry/camera_search.h"

namespace plenvista {

// The pose of a camera at `eye` (world units) looking at `target` with its
// image's up as close to `up` as the view allows (no roll about the view
// axis when `up` is world +Y). `up` must not be parallel to the view.
CameraPose pose_looking_at(const Vec3& eye, const Vec3& target, const Vec3& up);

// Viewpoints looking at the centroid of the image's reference points with
// the image's up along world +Y where that is defined: eight around them
// level, eight around them from 40 degrees above, one straight above and
// one straight below, each at 2.5, 5 and 10 times the largest
// distance of a reference point from the centroid. None without reference
// points or when they all coincide.
std::vector<CameraPose> starts_around_reference_points(const ProjectImage& image);

class ImageSearch {
 public:
  // Runs the initial scan on the image, which must outlive the search.
  explicit ImageSearch(ProjectImage& image);

  // One batch; true once the search has ended and been finished.
  bool run_batch();
  bool ended() const { return phase_ == Phase::Ended; }

  // The summed error behind the score shown while running: the plain
  // search's best error, then the best result kept so far.
  double shown_error() const;
  // Refinement steps run since the initial scan (the scan not counted).
  int steps() const { return steps_; }
  // The pattern search's working values (camera_search.h).
  const SearchState& state() const { return state_; }
  // Whether the viewpoints around the reference points were tried.
  bool tried_more_starts() const { return !starts_.empty(); }
  // Whether the pose computed in closed form was refined.
  bool tried_closed_form() const { return tried_closed_form_; }
  // Why no pose could be found, or null.
  const char* problem() const { return problem_; }

  static constexpr const char* kDegenerateMessage =
      "The reference points lie on one line or at one place; they cannot fix the camera position";

 private:
  enum class Phase { Plain, ClosedForm, Scan, Polish, Ended };
  struct Result {
    CameraPose pose;
    SearchState state;
    bool in_front = false;
  };

  void run_plain_batch();
  void end_plain_search();
  void begin_closed_form();
  void run_closed_form_batch();
  void polish();
  void begin_more_starts();
  void run_more_starts_batch();
  void scan_step();
  void polish_step();
  Result current_result() const;
  void end_degenerate();
  void conclude();

  ProjectImage& image_;
  SearchState state_;
  Phase phase_ = Phase::Plain;
  int steps_ = 0;
  int steps_without_finish_ = 0;
  double current_error_ = 0.0;
  double previous_error_ = 0.0;
  const char* problem_ = nullptr;

  std::optional<CameraPose> closed_form_;
  bool tried_closed_form_ = false;

  std::vector<CameraPose> starts_;
  std::size_t next_start_ = 0;
  int steps_in_trial_ = 0;
  std::vector<Result> scanned_;
  std::vector<Result> finalists_;
  std::size_t next_finalist_ = 0;
  std::vector<Result> results_;
};

}  // namespace plenvista
