#include "photogrammetry/feature_tracks.h"

#include <gtest/gtest.h>

namespace plenvista {
namespace {

TEST(FeatureTracks, JoinChainsAndDropConflicts) {
  const std::vector<std::size_t> counts = {10, 10, 10};
  const std::vector<PairMatches> pairs = {
      // 0:1 - 1:2 - 2:3 is one point seen three times.
      {0, 1, {{1, 2}, {5, 5}, {6, 7}}, {}},
      {1, 2, {{2, 3}, {7, 8}}, {}},
      // 0:5 - 1:5 and 0:6 - 1:7 - 2:8 - 0:9: the second holds two features
      // of photograph 0 and cannot be one point.
      {0, 2, {{9, 8}, {42, 1}}, {}},
  };
  const JoinedTracks joined = join_tracks(counts, pairs);
  EXPECT_EQ(joined.conflicts, 1);
  ASSERT_EQ(joined.tracks.size(), 2u);
  EXPECT_EQ(joined.tracks[0], (FeatureTrack{{0, 1}, {1, 2}, {2, 3}}));
  EXPECT_EQ(joined.tracks[1], (FeatureTrack{{0, 5}, {1, 5}}));
}

}  // namespace
}  // namespace plenvista
