#include "photogrammetry/tie_finder.h"

#include <algorithm>
#include <map>
#include <thread>

#include "photogrammetry/camera_rays.h"

namespace plenvista {

namespace {

// A track's marks in two photographs whose pair verified lie within this
// many times the check's tolerance of that pair's epipolar lines, or the
// track joined different points through other photographs.
constexpr double kTrackToleranceFactor = 2.0;

// What a pair that only the second pass verifies must show.
constexpr int kSecondPassMinVerified = 30;
constexpr double kSecondPassMinParallaxDegrees = 10.0;

// Runs work(0..count-1) on up to `threads` threads, this one included.
template <typename F>
void run_side_by_side(std::size_t count, int threads, F&& work) {
  std::vector<std::jthread> helpers;
  const std::size_t extra = std::min(count, static_cast<std::size_t>(std::max(1, threads))) - (count > 0 ? 1 : 0);
  for (std::size_t k = 1; k <= extra; ++k) helpers.emplace_back([&work, k] { work(k); });
  if (count > 0) work(0);
}

}  // namespace

bool may_overlap(const ProjectImage& a, const ProjectImage& b) {
  if (!a.pose_known || !b.pose_known) return true;
  const Vec3 axis_a = PoseFrame::of(a).rows[2];
  const Vec3 axis_b = PoseFrame::of(b).rows[2];
  return dot(axis_a, axis_b) > 0;
}

TieFinder::TieFinder(std::vector<const ProjectImage*> images, PhotographRead read, TieFinderOptions options)
    : images_(std::move(images)), read_(std::move(read)), options_(std::move(options)) {
  threads_ =
      options_.threads > 0 ? options_.threads : std::max(1, static_cast<int>(std::thread::hardware_concurrency()));
  features_.resize(images_.size());
  result_.features.assign(images_.size(), 0);
  if (images_.size() < 2) stage_ = Stage::Done;
}

double TieFinder::progress() const {
  // Features of one photograph cost about as much as the matches of two
  // pairs. The second pass, when it runs, costs about twice the first: the
  // first fills the first third.
  const double feature_work = 2.0 * static_cast<double>(images_.size());
  const double pair_work = static_cast<double>(images_.size() * (images_.size() - 1) / 2);
  double share = 1.0;
  switch (stage_) {
    case Stage::Features:
      share = 2.0 * static_cast<double>(next_) / (feature_work + pair_work);
      break;
    case Stage::Matches:
      share = (feature_work +
               static_cast<double>(next_) * pair_work / std::max(1.0, static_cast<double>(result_.pairs.size()))) /
              (feature_work + pair_work);
      break;
    case Stage::Done:
      return 1.0;
  }
  return result_.second_pass ? (1 + 2 * share) / 3 : share / 3;
}

bool TieFinder::all_connected() const {
  // Union-find over the photographs with features, joined by verified pairs.
  std::vector<int> parent(images_.size());
  for (std::size_t i = 0; i < parent.size(); ++i) parent[i] = static_cast<int>(i);
  const auto root = [&](int i) {
    while (parent[static_cast<std::size_t>(i)] != i) i = parent[static_cast<std::size_t>(i)];
    return i;
  };
  for (const PairReport& pair : result_.pairs)
    if (pair.verified > 0) parent[static_cast<std::size_t>(root(pair.image_a))] = root(pair.image_b);
  int groups = 0;
  for (std::size_t i = 0; i < images_.size(); ++i)
    if (features_[i].size() > 0 && root(static_cast<int>(i)) == static_cast<int>(i)) ++groups;
  return groups <= 1;
}

bool TieFinder::start_second_pass() {
  if (result_.second_pass || options_.second_pass_squeezed_views <= 0 || all_connected()) return false;
  // Guided pairs are matched along known epipolar lines: nothing to gain.
  if (std::any_of(result_.pairs.begin(), result_.pairs.end(), [](const PairReport& p) { return p.guided; }))
    return false;
  for (const PairReport& pair : result_.pairs)
    if (pair.verified > 0) first_verified_.emplace_back(pair.image_a, pair.image_b);
  result_.second_pass = true;
  result_.pairs.clear();
  matches_.clear();
  essentials_.clear();
  for (ImageFeatures& f : features_) f = {};
  stage_ = Stage::Features;
  next_ = 0;
  return true;
}

void TieFinder::plan_pairs() {
  for (int i = 0; i < static_cast<int>(images_.size()); ++i)
    for (int j = i + 1; j < static_cast<int>(images_.size()); ++j) {
      if (features_[static_cast<std::size_t>(i)].size() == 0 || features_[static_cast<std::size_t>(j)].size() == 0)
        continue;
      const ProjectImage& a = *images_[static_cast<std::size_t>(i)];
      const ProjectImage& b = *images_[static_cast<std::size_t>(j)];
      if (!may_overlap(a, b)) continue;
      PairReport pair;
      pair.image_a = i;
      pair.image_b = j;
      pair.guided = options_.guided && a.pose_known && b.pose_known;
      pair.features_a = result_.features[static_cast<std::size_t>(i)];
      pair.features_b = result_.features[static_cast<std::size_t>(j)];
      result_.pairs.push_back(pair);
    }
  matches_.resize(result_.pairs.size());
  essentials_.assign(result_.pairs.size(), std::nullopt);
}

PairMatches TieFinder::match_pair(PairReport& pair, std::optional<EssentialMatrix>& essential) const {
  const ImageFeatures& fa = features_[static_cast<std::size_t>(pair.image_a)];
  const ImageFeatures& fb = features_[static_cast<std::size_t>(pair.image_b)];
  const ProjectImage& a = *images_[static_cast<std::size_t>(pair.image_a)];
  const ProjectImage& b = *images_[static_cast<std::size_t>(pair.image_b)];
  PairMatches out{pair.image_a, pair.image_b, {}};
  if (pair.guided) {
    GuidedMatches guided = guided_match(fa, a, fb, b, options_.guided_matching);
    pair.candidates = guided.candidates;
    out.matches = std::move(guided.matches);
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
  for (std::size_t k = 0; k < result_.pairs.size(); ++k)
    if (essentials_[k]) essentials[{result_.pairs[k].image_a, result_.pairs[k].image_b}] = &*essentials_[k];
  const auto direction = [&](const TrackMark& mark) {
    const Point2 p = features_[static_cast<std::size_t>(mark.image)].positions[static_cast<std::size_t>(mark.feature)];
    return rays[static_cast<std::size_t>(mark.image)].direction(p);
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

bool TieFinder::step() {
  if (stage_ == Stage::Features) {
    const std::size_t count = std::min(images_.size() - next_, static_cast<std::size_t>(threads_));
    std::vector<std::string> errors(count);
    FeatureOptions feature_options = options_.features;
    if (result_.second_pass) feature_options.squeezed_views = options_.second_pass_squeezed_views;
    run_side_by_side(count, threads_, [&](std::size_t k) {
      // The second pass skips what the first could not read (its count
      // still holds until this batch is done).
      if (result_.second_pass && result_.features[next_ + k] == 0) return;
      const ProjectImage& image = *images_[next_ + k];
      if (std::optional<RgbImage> photograph = read_(image, errors[k]))
        features_[next_ + k] = detect_features(*photograph, feature_options);
    });
    for (std::size_t k = 0; k < count; ++k) {
      result_.features[next_ + k] = static_cast<int>(features_[next_ + k].size());
      if (!errors[k].empty()) result_.errors.push_back(errors[k]);
    }
    next_ += count;
    if (next_ == images_.size()) {
      plan_pairs();
      stage_ = Stage::Matches;
      next_ = 0;
    }
  } else if (stage_ == Stage::Matches) {
    const std::size_t count = std::min(result_.pairs.size() - next_, static_cast<std::size_t>(threads_));
    run_side_by_side(count, threads_, [&](std::size_t k) {
      matches_[next_ + k] = match_pair(result_.pairs[next_ + k], essentials_[next_ + k]);
    });
    next_ += count;
    if (next_ == result_.pairs.size()) {
      if (start_second_pass()) return true;
      std::vector<std::size_t> counts;
      for (const ImageFeatures& f : features_) counts.push_back(f.size());
      // One place found in several views is one feature for the tracks.
      for (PairMatches& pair : matches_)
        for (FeatureMatch& m : pair.matches) {
          const ImageFeatures& fa = features_[static_cast<std::size_t>(pair.image_a)];
          const ImageFeatures& fb = features_[static_cast<std::size_t>(pair.image_b)];
          if (!fa.same_place.empty()) m.a = fa.same_place[static_cast<std::size_t>(m.a)];
          if (!fb.same_place.empty()) m.b = fb.same_place[static_cast<std::size_t>(m.b)];
        }
      JoinedTracks joined = join_tracks(counts, matches_);
      result_.conflicts = joined.conflicts;
      drop_inconsistent(joined.tracks);
      for (const FeatureTrack& track : joined.tracks) {
        TiePointMarks tie;
        for (const TrackMark& mark : track) {
          tie.images.push_back(mark.image);
          tie.positions.push_back(
              features_[static_cast<std::size_t>(mark.image)].positions[static_cast<std::size_t>(mark.feature)]);
        }
        result_.ties.push_back(std::move(tie));
      }
      stage_ = Stage::Done;
    }
  }
  return stage_ != Stage::Done;
}

}  // namespace plenvista
