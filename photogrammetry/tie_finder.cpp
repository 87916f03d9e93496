#include "photogrammetry/tie_finder.h"

#include <algorithm>
#include <map>
#include <thread>

#include "photogrammetry/camera_rays.h"
#include "photogrammetry/least_squares_matching.h"
#include "photogrammetry/patch_correlation.h"

namespace plenvista {

namespace {

// How far a track's mark may lie from where its first mark's point appears
// (features found at coarse scales are placed less exactly), pixels.
constexpr double kMarkReachPx = 3.0;
// How far around a mark the features whose matches give its patch's map
// may lie (pixels of a photograph up to 1200 px wide).
constexpr double kMapRadiusPx = 150.0;

// A track's marks in two photographs whose pair verified lie within this
// many times the check's tolerance of that pair's epipolar lines, or the
// track joined different points through other photographs.
constexpr double kTrackToleranceFactor = 2.0;

// What a pair that only the second pass verifies must show.
constexpr int kSecondPassMinVerified = 30;
constexpr double kSecondPassMinParallaxDegrees = 10.0;

}  // namespace

bool may_overlap(const ProjectImage& a, const ProjectImage& b) {
  if (!a.pose_known || !b.pose_known) return true;
  const Vec3 axis_a = PoseFrame::of(a).rows[2];
  const Vec3 axis_b = PoseFrame::of(b).rows[2];
  return dot(axis_a, axis_b) > 0;
}

TieFinder::TieFinder(std::vector<const ProjectImage*> images, PhotographRead read, TieFinderOptions options)
    : images_(std::move(images)), read_(std::move(read)), options_(std::move(options)) {
  threads_ = static_cast<std::size_t>(
      options_.threads > 0 ? options_.threads : std::max(1, static_cast<int>(std::thread::hardware_concurrency())));
  features_.resize(images_.size());
  greys_.resize(images_.size());
  self_likeness_.resize(images_.size());
  first_detected_.resize(images_.size());
  errors_.resize(images_.size());
  features_state_.assign(images_.size(), State::Waiting);
  result_.features.assign(images_.size(), 0);
  if (images_.size() < 2) {
    done_ = true;
    return;
  }
  plan_pairs();
  // Features of one photograph cost about as much as the matches of two pairs.
  work_ = 2.0 * static_cast<double>(images_.size()) + static_cast<double>(pairs_.size());
}

TieFinder::~TieFinder() {
  // The tasks signal through members declared after running_: wait for
  // them before those go.
  running_.clear();
}

double TieFinder::progress() const {
  if (done_) return 1.0;
  const double share = work_done_ / work_;
  return result_.second_pass ? (1 + 2 * share) / 3 : share / 3;
}

void TieFinder::plan_pairs() {
  for (int i = 0; i < static_cast<int>(images_.size()); ++i)
    for (int j = i + 1; j < static_cast<int>(images_.size()); ++j) {
      const ProjectImage& a = *images_[static_cast<std::size_t>(i)];
      const ProjectImage& b = *images_[static_cast<std::size_t>(j)];
      if (!may_overlap(a, b)) continue;
      PairReport pair;
      pair.image_a = i;
      pair.image_b = j;
      pair.guided = guided_between(i, j);
      pairs_.push_back(pair);
    }
  // Guided pairs compare grey levels alone: a photograph that takes part
  // in no other kind needs no descriptors.
  corners_only_.assign(images_.size(), false);
  for (std::size_t i = 0; i < images_.size(); ++i)
    corners_only_[i] =
        options_.guided && images_[i]->pose_known &&
        std::all_of(pairs_.begin(), pairs_.end(), [&](const PairReport& pair) {
          return pair.guided || (pair.image_a != static_cast<int>(i) && pair.image_b != static_cast<int>(i));
        });
  matches_.resize(pairs_.size());
  essentials_.assign(pairs_.size(), std::nullopt);
  pair_state_.assign(pairs_.size(), State::Waiting);
  // The costliest pairs first, so that the last to finish is a short one:
  // guided pairs cost the more the more alike their views (more to match
  // and check), descriptor matches about the same for every pair.
  std::vector<double> cost(pairs_.size(), 0.0);
  for (std::size_t p = 0; p < pairs_.size(); ++p)
    if (pairs_[p].guided) {
      const auto axis = [&](int i) { return PoseFrame::of(*images_[static_cast<std::size_t>(i)]).rows[2]; };
      cost[p] = 2 + dot(axis(pairs_[p].image_a), axis(pairs_[p].image_b));
    }
  pair_order_.resize(pairs_.size());
  for (std::size_t p = 0; p < pairs_.size(); ++p) pair_order_[p] = p;
  std::stable_sort(pair_order_.begin(), pair_order_.end(),
                   [&](std::size_t x, std::size_t y) { return cost[x] > cost[y]; });
  pair_skipped_.assign(pairs_.size(), false);
}

// Photographs first, in order, then the pairs whose photographs are done,
// the costliest first; a pair with a photograph that gave no features is
// passed over.
std::optional<TieFinder::Task> TieFinder::next_task() {
  for (std::size_t i = 0; i < images_.size(); ++i)
    if (features_state_[i] == State::Waiting) return Task{true, i};
  for (const std::size_t p : pair_order_) {
    if (pair_state_[p] != State::Waiting) continue;
    const auto a = static_cast<std::size_t>(pairs_[p].image_a), b = static_cast<std::size_t>(pairs_[p].image_b);
    if (features_state_[a] != State::Done || features_state_[b] != State::Done) continue;
    if (features_[a].size() == 0 || features_[b].size() == 0) {
      pair_state_[p] = State::Done;
      pair_skipped_[p] = true;
      work_done_ += 1;
      continue;
    }
    pairs_[p].features_a = result_.features[a];
    pairs_[p].features_b = result_.features[b];
    return Task{false, p};
  }
  return std::nullopt;
}

void TieFinder::run(Task task) {
  if (task.features) {
    const GreyImage& grey = greys_[task.index];
    if (result_.second_pass) {
      // Only the squeezed views the first pass did not look at are new.
      FeatureOptions second = options_.features;
      second.squeezed_views = options_.second_pass_squeezed_views;
      DetectedFeatures detected = std::move(first_detected_[task.index]);
      const int from = detected.positions.empty() ? 0 : options_.features.squeezed_views + 1;
      append_features(detected, detect_views(grey, from, second.squeezed_views));
      features_[task.index] = choose_features(detected, grey.width, grey.height, second);
    } else if (std::optional<RgbImage> photograph = read_(*images_[task.index], errors_[task.index])) {
      greys_[task.index] = grey_image(*photograph);
      photograph.reset();
      if (corners_only_[task.index]) {
        features_[task.index] = detect_corners(grey, options_.features);
      } else {
        DetectedFeatures detected = detect_views(grey, 0, options_.features.squeezed_views);
        features_[task.index] = choose_features(detected, grey.width, grey.height, options_.features);
        if (!options_.guided && options_.second_pass_squeezed_views > options_.features.squeezed_views)
          first_detected_[task.index] = std::move(detected);
      }
    }
    if (options_.guided && images_[task.index]->pose_known)
      self_likeness_[task.index] =
          std::make_unique<SelfLikeness>(features_[task.index].size(), patch_spacing(grey, grey));
  } else {
    matches_[task.index] = match_pair(pairs_[task.index], essentials_[task.index]);
  }
  const std::lock_guard lock(finished_mutex_);
  finished_.push_back(task);
  finished_signal_.notify_one();
}

void TieFinder::start_ready_tasks() {
  while (running_.size() < threads_) {
    const std::optional<Task> task = next_task();
    if (!task) return;
    (task->features ? features_state_[task->index] : pair_state_[task->index]) = State::Started;
    Running& slot = running_.emplace_back();
    slot.task = *task;
    slot.thread = std::jthread([this, t = *task] { run(t); });
  }
}

bool TieFinder::step() {
  if (done_) return false;
  start_ready_tasks();
  if (!running_.empty()) {
    std::vector<Task> finished;
    {
      std::unique_lock lock(finished_mutex_);
      finished_signal_.wait(lock, [&] { return !finished_.empty(); });
      finished.swap(finished_);
    }
    for (const Task& task : finished) {
      running_.remove_if(
          [&](const Running& r) { return r.task.features == task.features && r.task.index == task.index; });
      if (task.features) {
        features_state_[task.index] = State::Done;
        result_.features[task.index] = static_cast<int>(features_[task.index].size());
        work_done_ += 2;
      } else {
        pair_state_[task.index] = State::Done;
        work_done_ += 1;
      }
    }
    // Keep the cores busy while the caller shows the progress.
    start_ready_tasks();
  }
  if (running_.empty() && !start_second_pass()) finish();
  return !done_;
}

bool TieFinder::all_connected() const {
  // Union-find over the photographs with features, joined by verified pairs.
  std::vector<int> parent(images_.size());
  for (std::size_t i = 0; i < parent.size(); ++i) parent[i] = static_cast<int>(i);
  const auto root = [&](int i) {
    while (parent[static_cast<std::size_t>(i)] != i) i = parent[static_cast<std::size_t>(i)];
    return i;
  };
  for (const PairReport& pair : pairs_)
    if (pair.verified > 0) parent[static_cast<std::size_t>(root(pair.image_a))] = root(pair.image_b);
  int groups = 0;
  for (std::size_t i = 0; i < images_.size(); ++i)
    if (features_[i].size() > 0 && root(static_cast<int>(i)) == static_cast<int>(i)) ++groups;
  return groups <= 1;
}

bool TieFinder::start_second_pass() {
  if (result_.second_pass || options_.second_pass_squeezed_views <= 0 || all_connected()) return false;
  // Guided pairs are matched along known epipolar lines: nothing to gain.
  if (std::any_of(pairs_.begin(), pairs_.end(), [](const PairReport& p) { return p.guided; })) return false;
  for (const PairReport& pair : pairs_)
    if (pair.verified > 0) first_verified_.emplace_back(pair.image_a, pair.image_b);
  result_.second_pass = true;
  pairs_.clear();
  matches_.clear();
  plan_pairs();
  // What the first pass could not read is not read again.
  for (std::size_t i = 0; i < images_.size(); ++i) {
    features_state_[i] = result_.features[i] > 0 ? State::Waiting : State::Done;
    features_[i] = {};
  }
  work_done_ = 0;
  return true;
}

Point2 TieFinder::position_of(const TrackMark& mark) const {
  return features_[static_cast<std::size_t>(mark.image)].positions[static_cast<std::size_t>(mark.feature)];
}

bool TieFinder::guided_between(int a, int b) const {
  return options_.guided && images_[static_cast<std::size_t>(a)]->pose_known &&
         images_[static_cast<std::size_t>(b)]->pose_known;
}

std::optional<TiePointMarks> TieFinder::place_marks(const FeatureTrack& track, const Correspondences& nearby,
                                                    const GuidedPlaces& guided) const {
  const auto position = [&](const TrackMark& mark) { return position_of(mark); };
  TiePointMarks tie;
  const TrackMark& first = track.front();
  const ProjectImage& anchor = *images_[static_cast<std::size_t>(first.image)];
  const GreyImage& anchor_grey = greys_[static_cast<std::size_t>(first.image)];
  for (const TrackMark& mark : track) {
    Point2 at = position(mark);
    const ProjectImage& image = *images_[static_cast<std::size_t>(mark.image)];
    const GreyImage& grey = greys_[static_cast<std::size_t>(mark.image)];
    // The marks are placed where the first mark's point appears, or left
    // out: guided pairs by correlation along the epipolar line, others by
    // least-squares matching from the map of the features around it.
    if (&mark != &first) {
      std::optional<Point2> moved;
      if (const auto known = guided.find({first.image, first.feature, mark.image, mark.feature});
          known != guided.end()) {
        moved = known->second;
      } else if (guided_between(first.image, mark.image)) {
        const PatchCorrelator correlator(anchor_grey, anchor, grey, image);
        const auto point = correlator.usable() ? correlator.triangulate(position(first), at) : std::nullopt;
        const auto match = point ? correlator.refine(position(first), *point, at, kMarkReachPx) : std::nullopt;
        if (match && match->score >= options_.guided_matching.min_refined_score) moved = match->position;
      } else {
        const double spacing = patch_spacing(anchor_grey, grey);
        const auto found = nearby.find({first.image, mark.image});
        const auto map =
            found == nearby.end() ? std::nullopt : local_affine(found->second, position(first), kMapRadiusPx * spacing);
        LeastSquaresOptions lsm;
        lsm.spacing = spacing;
        lsm.reach_px = kMarkReachPx;
        const auto match = map ? match_least_squares(anchor_grey, position(first), grey, at, *map, lsm) : std::nullopt;
        if (match) moved = match->position;
      }
      if (!moved) continue;
      at = *moved;
    }
    tie.images.push_back(mark.image);
    tie.positions.push_back(at);
  }
  if (tie.images.size() < 2) return std::nullopt;
  return tie;
}

// Every task has run: the pairs' reports and the tracks across them.
void TieFinder::finish() {
  std::vector<PairMatches> matches;
  for (std::size_t p = 0; p < pairs_.size(); ++p) {
    if (pair_skipped_[p]) continue;
    result_.pairs.push_back(pairs_[p]);
    matches.push_back(std::move(matches_[p]));
  }
  for (const std::string& error : errors_)
    if (!error.empty()) result_.errors.push_back(error);
  std::vector<std::size_t> counts;
  for (const ImageFeatures& f : features_) counts.push_back(f.size());
  // One place found in several views is one feature for the tracks. A
  // guided pair's match already places the mark of its second feature
  // where the first's point appears (as place_marks would again), unless
  // its features stood for others.
  GuidedPlaces guided;
  for (PairMatches& pair : matches)
    for (std::size_t k = 0; k < pair.matches.size(); ++k) {
      FeatureMatch& m = pair.matches[k];
      const ImageFeatures& fa = features_[static_cast<std::size_t>(pair.image_a)];
      const ImageFeatures& fb = features_[static_cast<std::size_t>(pair.image_b)];
      const FeatureMatch found = m;
      if (!fa.same_place.empty()) m.a = fa.same_place[static_cast<std::size_t>(m.a)];
      if (!fb.same_place.empty()) m.b = fb.same_place[static_cast<std::size_t>(m.b)];
      if (k < pair.positions_b.size() && m == found)
        guided[{pair.image_a, m.a, pair.image_b, m.b}] = pair.positions_b[k];
    }
  JoinedTracks joined = join_tracks(counts, matches);
  result_.conflicts = joined.conflicts;
  drop_inconsistent(joined.tracks);
  // Where the tracks put each photograph's features in every other, for
  // the marks that least-squares matching places.
  Correspondences nearby;
  for (const FeatureTrack& track : joined.tracks)
    for (const TrackMark& from : track)
      for (const TrackMark& to : track)
        if (from.image != to.image && !guided_between(from.image, to.image))
          nearby[{from.image, to.image}].emplace_back(position_of(from), position_of(to));
  // The marks placed on every core: the tracks dealt out in turn.
  std::vector<std::optional<TiePointMarks>> placed(joined.tracks.size());
  {
    const auto place_every = [&](std::size_t from) {
      for (std::size_t t = from; t < placed.size(); t += threads_)
        placed[t] = place_marks(joined.tracks[t], nearby, guided);
    };
    std::vector<std::jthread> helpers;
    for (std::size_t from = 1; from < threads_; ++from) helpers.emplace_back(place_every, from);
    place_every(0);
  }
  for (std::optional<TiePointMarks>& tie : placed)
    if (tie) result_.ties.push_back(std::move(*tie));
  greys_.clear();
  self_likeness_.clear();
  first_detected_.clear();
  done_ = true;
}

PairMatches TieFinder::match_pair(PairReport& pair, std::optional<EssentialMatrix>& essential) const {
  const ImageFeatures& fa = features_[static_cast<std::size_t>(pair.image_a)];
  const ImageFeatures& fb = features_[static_cast<std::size_t>(pair.image_b)];
  const ProjectImage& a = *images_[static_cast<std::size_t>(pair.image_a)];
  const ProjectImage& b = *images_[static_cast<std::size_t>(pair.image_b)];
  PairMatches out{pair.image_a, pair.image_b, {}, {}};
  if (pair.guided) {
    GuidedMatches guided = guided_match({fa, a, greys_[static_cast<std::size_t>(pair.image_a)],
                                         self_likeness_[static_cast<std::size_t>(pair.image_a)].get()},
                                        {fb, b, greys_[static_cast<std::size_t>(pair.image_b)],
                                         self_likeness_[static_cast<std::size_t>(pair.image_b)].get()},
                                        options_.guided_matching);
    pair.candidates = guided.candidates;
    out.matches = std::move(guided.matches);
    out.positions_b = std::move(guided.positions_b);
  } else {
    const std::vector<FeatureMatch> candidates = match_descriptors(fa, fb);
    pair.candidates = static_cast<int>(candidates.size());
    // A pair that only the squeezed views verify must show more: the sides
    // of a symmetric building that look alike, photographed from places
    // that look alike, give consistent wrong matches meeting at a few
    // degrees, and pairs that close verify in the first pass.
    EssentialMatrix found{};
    const bool vetted =
        !result_.second_pass || std::find(first_verified_.begin(), first_verified_.end(),
                                          std::pair{pair.image_a, pair.image_b}) != first_verified_.end();
    out.matches = verify_by_essential(fa, CameraRays(a), fb, CameraRays(b), candidates, options_.verify_tolerance_px,
                                      vetted ? kMinVerifiedMatches : kSecondPassMinVerified,
                                      vetted ? kMinParallaxDegrees : kSecondPassMinParallaxDegrees, &found);
    if (!out.matches.empty()) essential = found;
  }
  pair.verified = static_cast<int>(out.matches.size());
  return out;
}

void TieFinder::drop_inconsistent(std::vector<FeatureTrack>& tracks) {
  std::vector<CameraRays> rays;
  for (const ProjectImage* image : images_) rays.emplace_back(*image);
  std::map<std::pair<int, int>, const EssentialMatrix*> essentials;
  for (std::size_t k = 0; k < pairs_.size(); ++k)
    if (essentials_[k]) essentials[{pairs_[k].image_a, pairs_[k].image_b}] = &*essentials_[k];
  const auto direction = [&](const TrackMark& mark) {
    return rays[static_cast<std::size_t>(mark.image)].direction(position_of(mark));
  };
  const double tolerance = kTrackToleranceFactor * options_.verify_tolerance_px;
  result_.inconsistent = static_cast<int>(std::erase_if(tracks, [&](const FeatureTrack& track) {
    if (track.size() < 3) return false;  // its one pair verified it
    for (std::size_t i = 0; i < track.size(); ++i)
      for (std::size_t j = i + 1; j < track.size(); ++j) {
        const auto found = essentials.find({track[i].image, track[j].image});
        if (found == essentials.end()) continue;
        const auto da = direction(track[i]), db = direction(track[j]);
        const double focal = rays[static_cast<std::size_t>(track[i].image)].focal_px();
        if (!da || !db || !(essential_distance_px(*found->second, *da, *db, focal) <= tolerance)) return true;
      }
    return false;
  }));
}

}  // namespace plenvista
