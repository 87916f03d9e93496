#pragma once

// Finding a photograph's camera pose from its reference points: a
// derivative-free pattern search over the six pose values at once. Every
// step tries all 729 combinations of -1, 0, +1 steps of the six values from
// the pose on entry and keeps the best; steps shrink by half when nothing
// improves. Position steps are (S/50)/r model units and rotation steps 1/r
// degrees, S being `model_size` and r the step divisor (0.1, 0.2, ...).
//
// The working values live in a SearchState the caller keeps for the length
// of one search (never in the image, never saved): S, the lowest summed
// error found so far (-1 none), the error at the end of the last improving
// step (-1 none) and the divisor. Errors are normalised
// reprojection errors in pixels of a 2272 x 1704 photograph (raw pixels while
// the photograph's size is unknown). Nothing here fails: a poor fit shows as
// a low score and as outlier flags. There is no depth test, so a pose that
// puts reference points behind the camera is as good as any other.

#include "model/image_records.h"

namespace plenvista {

struct SearchState {
  double model_size = 0.0;
  double best_error = -1.0;
  double accepted_error = -1.0;
  double step_divisor = 0.1;
};

// S: per axis the difference of the absolute values of the largest and the
// smallest coordinate, made positive, summed over the three axes. An axis
// whose range is symmetric about 0 contributes 0. 0 without reference points.
double model_size(const ProjectImage& image);

// Sum over the reference points of the normalised error between the
// projection of the world position and the marked image position.
double summed_error(const ProjectImage& image);

// The summed error of the pose stored in `pose`, and whether every
// reference point has a positive depth under it.
double summed_error_at(const ProjectImage& image, const CameraPose& pose);
bool all_in_front(const ProjectImage& image, const CameraPose& pose);

// Starts the search state afresh: best and accepted error -1, divisor 0.1.
void reset_search(SearchState& state);

// Stores S and tries ten viewpoints at distance S around the origin, each
// refined by up to 30 steps; leaves the pose at the starting values of the
// best one (the earliest on ties) and the search state reset.
void initial_scan(ProjectImage& image, SearchState& state);

// One step from the current pose; leaves the pose at the best candidate
// (earliest in nesting order on ties). Returns whether the search has
// finished: a step without improvement doubles the divisor, and the search
// finishes when it exceeds 1000.
bool refine_step(ProjectImage& image, SearchState& state);

// The score for a summed error over n reference points (n = 0 counts as 1):
// 100 - (error / n)^2, at least 0.
double search_score_for(double summed, int reference_point_count);

// Ends a search: clears `marks_changed`, stores every reference point's
// projected position and outlier flag (error above 15), the score from
// the state's `best_error`, and sets `pose_known`.
void finish_search(ProjectImage& image, const SearchState& state);

}  // namespace plenvista
