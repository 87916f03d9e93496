#include "photogrammetry/least_squares_matching.h"

#include <gtest/gtest.h>

#include <cmath>
#include <random>

namespace plenvista {
namespace {

// Smooth random texture: noise averaged over 5 x 5 pixels.
GreyImage texture(int width, int height, unsigned seed) {
  std::mt19937 rng(seed);
  std::uniform_int_distribution<int> level(0, 255);
  std::vector<int> noise(static_cast<std::size_t>(width * height));
  for (int& v : noise) v = level(rng);
  GreyImage out{width, height, std::vector<std::uint8_t>(noise.size())};
  for (int y = 0; y < height; ++y)
    for (int x = 0; x < width; ++x) {
      int sum = 0, n = 0;
      for (int dy = -2; dy <= 2; ++dy)
        for (int dx = -2; dx <= 2; ++dx)
          if (x + dx >= 0 && y + dy >= 0 && x + dx < width && y + dy < height) {
            sum += noise[static_cast<std::size_t>((y + dy) * width + x + dx)];
            ++n;
          }
      out.pixels[static_cast<std::size_t>(y * width + x)] = static_cast<std::uint8_t>(sum / n);
    }
  return out;
}

// A seen through `map` about pa, which lands at pb, darker and with less
// contrast: B(pb + M d) = 0.7 A(pa + d) + 20.
GreyImage warped(const GreyImage& a, Point2 pa, Point2 pb, const AffineMap& m) {
  const double det = m[0] * m[3] - m[1] * m[2];
  GreyImage out{a.width, a.height, std::vector<std::uint8_t>(a.pixels.size(), 0)};
  for (int y = 0; y < a.height; ++y)
    for (int x = 0; x < a.width; ++x) {
      const double dx = x - pb.x, dy = y - pb.y;
      const double u = (m[3] * dx - m[1] * dy) / det, v = (-m[2] * dx + m[0] * dy) / det;
      const float value = a.sample(pa.x + u, pa.y + v);
      if (!std::isnan(value))
        out.pixels[static_cast<std::size_t>(y * a.width + x)] =
            static_cast<std::uint8_t>(std::lround(0.7 * value + 20));
    }
  return out;
}

TEST(LeastSquaresMatching, FollowsAForeshortenedTurnedPatchToAFractionOfAPixel) {
  const GreyImage a = texture(160, 160, 5);
  const Point2 pa{80.3, 79.6}, pb{75.7, 84.2};
  // Foreshortened to two thirds across and turned by 10 degrees.
  const double c = std::cos(0.17), s = std::sin(0.17);
  const AffineMap map{0.67 * c, -s, 0.67 * s, c};
  const GreyImage b = warped(a, pa, pb, map);

  // The map at pa from matched features around it, as the tracks give them.
  std::vector<std::pair<Point2, Point2>> nearby;
  for (int k = 0; k < 12; ++k) {
    const Point2 d{30 * std::cos(k * 0.9), 25 * std::sin(k * 1.7)};
    nearby.push_back(
        {{pa.x + d.x, pa.y + d.y}, {pb.x + map[0] * d.x + map[1] * d.y, pb.y + map[2] * d.x + map[3] * d.y}});
  }
  const std::optional<AffineMap> start = local_affine(nearby, pa, 60);
  ASSERT_TRUE(start);
  for (std::size_t i = 0; i < 4; ++i) EXPECT_NEAR((*start)[i], map[i], 1e-9);

  // Started as far off as a coarse feature's position.
  const auto match = match_least_squares(a, pa, b, {pb.x + 1.6, pb.y - 1.1}, *start);
  ASSERT_TRUE(match);
  EXPECT_NEAR(match->position.x, pb.x, 0.05);
  EXPECT_NEAR(match->position.y, pb.y, 0.05);
  EXPECT_GT(match->score, 0.95);

  // Too few neighbours, or all on one line, give no map; a blank patch or
  // a start beyond the reach, no match.
  EXPECT_FALSE(local_affine(nearby, {pa.x + 200, pa.y}, 60));
  std::vector<std::pair<Point2, Point2>> line;
  for (int k = 0; k < 12; ++k) line.push_back({{pa.x + k, pa.y + 2.0 * k}, {pb.x + k, pb.y + k}});
  EXPECT_FALSE(local_affine(line, pa, 60));
  const GreyImage blank{160, 160, std::vector<std::uint8_t>(160 * 160, 128)};
  EXPECT_FALSE(match_least_squares(blank, pa, b, pb, *start));
  EXPECT_FALSE(match_least_squares(a, pa, b, {pb.x + 6, pb.y}, *start));
}

}  // namespace
}  // namespace plenvista
