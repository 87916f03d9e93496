#include "photogrammetry/tie_finder.h"

#include <algorithm>
#include <thread>

#include "photogrammetry/camera_rays.h"
#include "photogrammetry/patch_correlation.h"

namespace plenvista {

namespace {

// How far a track's mark may lie from where its first mark's point appears
// (features found at coarse scales are placed less exactly), pixels.
constexpr double kMarkReachPx = 3.0;

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
  greys_.resize(images_.size());
  result_.features.assign(images_.size(), 0);
  if (images_.size() < 2) stage_ = Stage::Done;
}

double TieFinder::progress() const {
  // Features of one photograph cost about as much as the matches of two pairs.
  const double feature_work = 2.0 * static_cast<double>(images_.size());
  const double pair_work = static_cast<double>(images_.size() * (images_.size() - 1) / 2);
  switch (stage_) {
    case Stage::Features:
      return 2.0 * static_cast<double>(next_) / (feature_work + pair_work);
    case Stage::Matches:
      return (feature_work +
              static_cast<double>(next_) * pair_work / std::max(1.0, static_cast<double>(result_.pairs.size()))) /
             (feature_work + pair_work);
    case Stage::Done:
      break;
  }
  return 1.0;
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
}

PairMatches TieFinder::match_pair(PairReport& pair) const {
  const ImageFeatures& fa = features_[static_cast<std::size_t>(pair.image_a)];
  const ImageFeatures& fb = features_[static_cast<std::size_t>(pair.image_b)];
  const ProjectImage& a = *images_[static_cast<std::size_t>(pair.image_a)];
  const ProjectImage& b = *images_[static_cast<std::size_t>(pair.image_b)];
  PairMatches out{pair.image_a, pair.image_b, {}};
  if (pair.guided) {
    GuidedMatches guided =
        guided_match({fa, a, greys_[static_cast<std::size_t>(pair.image_a)]},
                     {fb, b, greys_[static_cast<std::size_t>(pair.image_b)]}, options_.guided_matching);
    pair.candidates = guided.candidates;
    out.matches = std::move(guided.matches);
  } else {
    const std::vector<FeatureMatch> candidates = match_descriptors(fa, fb);
    pair.candidates = static_cast<int>(candidates.size());
    out.matches = verify_by_essential(fa, CameraRays(a), fb, CameraRays(b), candidates, options_.verify_tolerance_px);
  }
  pair.verified = static_cast<int>(out.matches.size());
  return out;
}

std::optional<TiePointMarks> TieFinder::place_marks(const FeatureTrack& track) const {
  const auto position = [&](const TrackMark& mark) {
    return features_[static_cast<std::size_t>(mark.image)].positions[static_cast<std::size_t>(mark.feature)];
  };
  TiePointMarks tie;
  const TrackMark& first = track.front();
  const ProjectImage& anchor = *images_[static_cast<std::size_t>(first.image)];
  const GreyImage& anchor_grey = greys_[static_cast<std::size_t>(first.image)];
  for (const TrackMark& mark : track) {
    Point2 at = position(mark);
    const ProjectImage& image = *images_[static_cast<std::size_t>(mark.image)];
    const GreyImage& grey = greys_[static_cast<std::size_t>(mark.image)];
    // Guided pairs each placed B's mark where A's feature's point appears;
    // across a track the marks are placed from its first alike, or left out.
    if (&mark != &first && anchor_grey.width > 0 && grey.width > 0) {
      const PatchCorrelator correlator(anchor_grey, anchor, grey, image);
      const auto point = correlator.usable() ? correlator.triangulate(position(first), at) : std::nullopt;
      const auto moved = point ? correlator.refine(position(first), *point, at, kMarkReachPx) : std::nullopt;
      if (!moved || moved->score < options_.guided_matching.min_refined_score) continue;
      at = moved->position;
    }
    tie.images.push_back(mark.image);
    tie.positions.push_back(at);
  }
  if (tie.images.size() < 2) return std::nullopt;
  return tie;
}

bool TieFinder::step() {
  if (stage_ == Stage::Features) {
    const std::size_t count = std::min(images_.size() - next_, static_cast<std::size_t>(threads_));
    std::vector<std::string> errors(count);
    run_side_by_side(count, threads_, [&](std::size_t k) {
      const ProjectImage& image = *images_[next_ + k];
      if (std::optional<RgbImage> photograph = read_(image, errors[k])) {
        features_[next_ + k] = detect_features(*photograph, options_.features);
        if (options_.guided && image.pose_known) greys_[next_ + k] = grey_image(*photograph);
      }
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
    run_side_by_side(count, threads_,
                     [&](std::size_t k) { matches_[next_ + k] = match_pair(result_.pairs[next_ + k]); });
    next_ += count;
    if (next_ == result_.pairs.size()) {
      std::vector<std::size_t> counts;
      for (const ImageFeatures& f : features_) counts.push_back(f.size());
      JoinedTracks joined = join_tracks(counts, matches_);
      result_.conflicts = joined.conflicts;
      for (const FeatureTrack& track : joined.tracks)
        if (std::optional<TiePointMarks> tie = place_marks(track)) result_.ties.push_back(std::move(*tie));
      greys_.clear();
      stage_ = Stage::Done;
    }
  }
  return stage_ != Stage::Done;
}

}  // namespace plenvista
