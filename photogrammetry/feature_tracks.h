#pragma once

// Tracks: the features seen as one point across several photographs,
// joined from the verified matches of every pair (union-find). A track
// holding two different features of one photograph cannot be one point, so
// it is dropped whole; `conflicts` counts the tracks dropped so.
//
// Images are numbered 0..n-1 in the order of `feature_counts`; every match
// names features within those counts (others are ignored). Tracks come out
// with their marks in image order, ordered by their first mark.

#include <cstddef>
#include <vector>

#include "photogrammetry/feature_matching.h"

namespace plenvista {

struct PairMatches {
  int image_a = 0;
  int image_b = 0;
  std::vector<FeatureMatch> matches;
  // Guided pairs: per match, where A's feature appears in B (empty otherwise).
  std::vector<Point2> positions_b;
};

struct TrackMark {
  int image = 0;
  int feature = 0;
  friend bool operator==(const TrackMark&, const TrackMark&) = default;
};

using FeatureTrack = std::vector<TrackMark>;

struct JoinedTracks {
  std::vector<FeatureTrack> tracks;
  int conflicts = 0;
};

JoinedTracks join_tracks(const std::vector<std::size_t>& feature_counts, const std::vector<PairMatches>& pairs);

}  // namespace plenvista
