#pragma once

// Finding tie points automatically: features in each photograph, matches
// between every pair of photographs that can overlap, tracks across them.
//
// Long work stepped by its caller. The work is a task per photograph (its
// features) and a task per pair (its matches, ready once both photographs'
// features are); as many tasks run side by side on their own threads as the
// machine has cores. Each step() waits until at least one task has
// finished, starts what has become ready in its place (so the cores keep
// working while the caller draws its progress) and returns whether work
// remains; progress() is the share done, 0..1 (the first pass fills a
// third; a second pass, when one runs, the rest). A caller cancels by no
// longer stepping and destroying the finder, which waits for the tasks
// running then (the features of one photograph at most).
//
// Pairs: with both poses known (and `guided` set) a pair is matched along
// its epipolar lines by correlation (guided_match); otherwise by
// descriptors and checked through an essential matrix
// (verify_by_essential). A photograph whose pairs are all guided needs no
// descriptors and takes corners (detect_corners, a small fraction of
// detect_features' time). Each photograph's grey levels are kept, 1 byte
// a pixel, until the tracks are made. A track's marks are placed where
// its first mark's point appears: in two oriented photographs of a guided
// search by correlation along the epipolar line, otherwise by
// least-squares matching (least_squares_matching.h) from the map that the
// tracks around it give; a mark is left out where that fails (a detector's
// position is a pixel or two off on a surface seen obliquely, which
// least-squares matching brings within a tenth). Two oriented photographs
// whose optical axes are more than 90 degrees apart cannot show the same
// side of anything and are not matched.
//
// Second pass: when no pair is guided and the verified pairs leave the
// photographs with features in more than one group (photographs 40 degrees
// apart around an object: their plain descriptors no longer match), the
// features of every photograph are also looked for on
// `second_pass_squeezed_views` squeezed views (image_features.h; the first
// pass's detection and grey levels are kept for it, so the photograph is
// neither read nor detected as it is again) and every pair is matched
// again; the result is the second pass's alone
// (`second_pass`). A pair that verified in the first pass verifies as
// before; one that only the second pass verifies needs at least 30
// matches meeting at a median angle of at least 10 degrees, because the
// extra views also make look-alike sides of a symmetric building match
// consistently, and those wrong pairs meet at a few degrees. Matches of
// one place found in several views join one track. In either pass, a
// track of three or more marks two of which lie more than twice the
// check's tolerance off the epipolar lines of their own verified pair
// joined different points through other photographs and is dropped
// (`inconsistent`). Measured on 4-megapixel renderings, in CPU seconds:
// the first pass 1.6 a photograph and 0.35 a pair, the second 1.0 a
// photograph (only the narrower squeezed views) and 0.25 a pair. When the
// photographs stay apart even so, the tracks are what the second pass
// found; the orientation then leaves out the photographs it cannot join.
//
// Photographs are read through `read`, called from the worker threads;
// one that cannot be read is reported in `errors` (by the reader's message)
// and takes part no further. Positions in the result are absolute
// photograph pixels (x right, y down).

#include <array>
#include <condition_variable>
#include <functional>
#include <list>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <thread>
#include <utility>
#include <vector>

#include "model/image_records.h"
#include "photogrammetry/feature_matching.h"
#include "photogrammetry/feature_tracks.h"
#include "photogrammetry/grey_image.h"
#include "photogrammetry/image_features.h"
#include "photogrammetry/pixel_source.h"

namespace plenvista {

using PhotographRead = std::function<std::optional<RgbImage>(const ProjectImage&, std::string& error)>;

struct TieFinderOptions {
  bool guided = false;
  FeatureOptions features;
  double verify_tolerance_px = 1.0;
  GuidedOptions guided_matching;  // known_points: the tie points already placed
  int threads = 0;                // 0: one per core
  // The second pass's views squeezed horizontally (FeatureOptions); 0: no
  // second pass.
  int second_pass_squeezed_views = 2;
};

struct PairReport {
  int image_a = 0;  // indices into the images given
  int image_b = 0;
  bool guided = false;
  int features_a = 0;
  int features_b = 0;
  int candidates = 0;
  int verified = 0;
};

struct TiePointMarks {
  std::vector<int> images;        // indices into the images given, ascending
  std::vector<Point2> positions;  // one per image
};

struct TieFinderResult {
  std::vector<int> features;  // per image; 0 when it could not be read
  std::vector<PairReport> pairs;
  std::vector<TiePointMarks> ties;
  int conflicts = 0;     // tracks dropped for holding two features of one photograph
  int inconsistent = 0;  // tracks dropped for marks off their pair's epipolar lines
  std::vector<std::string> errors;
  bool second_pass = false;  // features, pairs and ties are the second pass's
};

class TieFinder {
 public:
  TieFinder(std::vector<const ProjectImage*> images, PhotographRead read, TieFinderOptions options);
  TieFinder(const TieFinder&) = delete;  // the running tasks hold `this`
  TieFinder& operator=(const TieFinder&) = delete;
  ~TieFinder();

  bool step();
  double progress() const;
  bool done() const { return done_; }
  const TieFinderResult& result() const { return result_; }

 private:
  // A photograph's features (index into images_) or a pair's matches
  // (index into pairs_).
  struct Task {
    bool features = true;
    std::size_t index = 0;
  };
  struct Running {
    Task task;
    std::jthread thread;
  };
  enum class State { Waiting, Started, Done };

  void plan_pairs();
  std::optional<Task> next_task();
  void start_ready_tasks();
  void run(Task task);
  // Whether the verified pairs join every photograph with features.
  bool all_connected() const;
  // Starts the second pass when it is wanted; false when it is not.
  bool start_second_pass();
  void finish();
  // Matches one planned pair and fills in its counts.
  PairMatches match_pair(PairReport& pair, std::optional<EssentialMatrix>& essential) const;
  // Drops the tracks of three or more marks two of which miss the
  // epipolar lines of their pair's essential matrix.
  void drop_inconsistent(std::vector<FeatureTrack>& tracks);
  // A track mark's feature's position in its photograph.
  Point2 position_of(const TrackMark& mark) const;
  // Whether two photographs (indices into images_) are matched, and their
  // track marks placed, along known epipolar lines.
  bool guided_between(int a, int b) const;
  // Per ordered pair of photographs: the positions of the tracks' features
  // in the first and in the second.
  using Correspondences = std::map<std::pair<int, int>, std::vector<std::pair<Point2, Point2>>>;
  // Where guided matching put a feature of one photograph in another:
  // (photograph, feature, other photograph, other's feature) to position.
  using GuidedPlaces = std::map<std::array<int, 4>, Point2>;
  // A track's marks; none when fewer than two are left.
  std::optional<TiePointMarks> place_marks(const FeatureTrack& track, const Correspondences& nearby,
                                           const GuidedPlaces& guided) const;

  std::vector<const ProjectImage*> images_;
  PhotographRead read_;
  TieFinderOptions options_;
  std::size_t threads_ = 1;
  bool done_ = false;
  double work_ = 1;       // features count 2, a pair 1
  double work_done_ = 0;  // of which finished
  std::vector<ImageFeatures> features_;
  std::vector<bool> corners_only_;  // per photograph: all its pairs guided (detect_corners)
  std::vector<GreyImage> greys_;    // until the tracks are placed
  // Per guided photograph: its features' self-likeness, for all its pairs.
  std::vector<std::unique_ptr<SelfLikeness>> self_likeness_;
  // The first pass's detections, unguided, until a second pass takes them.
  std::vector<DetectedFeatures> first_detected_;
  std::vector<std::string> errors_;  // per photograph
  std::vector<State> features_state_;
  std::vector<PairReport> pairs_;        // every pair that may overlap
  std::vector<std::size_t> pair_order_;  // indices into pairs_ in the order they are started
  std::vector<PairMatches> matches_;
  std::vector<std::optional<EssentialMatrix>> essentials_;  // per pair, when it verified by one
  std::vector<std::pair<int, int>> first_verified_;         // the first pass's verified pairs
  std::vector<State> pair_state_;
  std::vector<bool> pair_skipped_;  // a photograph of the pair gave no features
  TieFinderResult result_;

  std::list<Running> running_;
  std::mutex finished_mutex_;
  std::condition_variable finished_signal_;
  std::vector<Task> finished_;  // by the task threads, taken by step()
};

// Two oriented photographs whose optical axes are within 90 degrees.
bool may_overlap(const ProjectImage& a, const ProjectImage& b);

}  // namespace plenvista
