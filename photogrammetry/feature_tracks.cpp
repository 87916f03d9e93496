#include "photogrammetry/feature_tracks.h"

#include <algorithm>
#include <numeric>

namespace plenvista {

namespace {

class DisjointSets {
 public:
  explicit DisjointSets(std::size_t n) : parent_(n) { std::iota(parent_.begin(), parent_.end(), std::size_t{0}); }
  std::size_t find(std::size_t x) {
    while (parent_[x] != x) {
      parent_[x] = parent_[parent_[x]];
      x = parent_[x];
    }
    return x;
  }
  void join(std::size_t a, std::size_t b) {
    a = find(a);
    b = find(b);
    if (a != b) parent_[std::max(a, b)] = std::min(a, b);
  }

 private:
  std::vector<std::size_t> parent_;
};

}  // namespace

JoinedTracks join_tracks(const std::vector<std::size_t>& feature_counts, const std::vector<PairMatches>& pairs) {
  std::vector<std::size_t> first(feature_counts.size() + 1, 0);
  for (std::size_t i = 0; i < feature_counts.size(); ++i) first[i + 1] = first[i] + feature_counts[i];
  const auto images = static_cast<int>(feature_counts.size());
  auto valid = [&](int image, int feature) {
    return image >= 0 && image < images && feature >= 0 &&
           static_cast<std::size_t>(feature) < feature_counts[static_cast<std::size_t>(image)];
  };
  DisjointSets sets(first.back());
  std::vector<bool> used(first.back(), false);
  for (const PairMatches& pair : pairs)
    for (const FeatureMatch& m : pair.matches) {
      if (pair.image_a == pair.image_b || !valid(pair.image_a, m.a) || !valid(pair.image_b, m.b)) continue;
      const std::size_t na = first[static_cast<std::size_t>(pair.image_a)] + static_cast<std::size_t>(m.a);
      const std::size_t nb = first[static_cast<std::size_t>(pair.image_b)] + static_cast<std::size_t>(m.b);
      used[na] = used[nb] = true;
      sets.join(na, nb);
    }

  // Gather by root; nodes are visited in image order, so marks are too.
  std::vector<int> track_of(first.back(), -1);
  std::vector<FeatureTrack> gathered;
  for (int image = 0; image < images; ++image)
    for (std::size_t f = 0; f < feature_counts[static_cast<std::size_t>(image)]; ++f) {
      const std::size_t node = first[static_cast<std::size_t>(image)] + f;
      if (!used[node]) continue;
      int& t = track_of[sets.find(node)];
      if (t < 0) {
        t = static_cast<int>(gathered.size());
        gathered.emplace_back();
      }
      gathered[static_cast<std::size_t>(t)].push_back({image, static_cast<int>(f)});
    }
  JoinedTracks out;
  for (FeatureTrack& track : gathered) {
    bool conflict = false;
    for (std::size_t k = 1; k < track.size(); ++k) conflict = conflict || track[k].image == track[k - 1].image;
    if (conflict)
      ++out.conflicts;
    else
      out.tracks.push_back(std::move(track));
  }
  return out;
}

}  // namespace plenvista
