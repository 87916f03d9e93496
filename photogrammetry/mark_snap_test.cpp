#include "photogrammetry/mark_snap.h"

#include <gtest/gtest.h>

#include <cmath>
#include <random>

#include "testing/synthetic_marks.h"

namespace plenvista {
namespace {

using namespace test_support;

double distance(Point2 a, Point2 b) { return std::hypot(a.x - b.x, a.y - b.y); }

// Shaded coloured spheres 20 to 30 pixels across on varied grounds, slightly
// blurred and noisy, each clicked up to 3 pixels from its centre.
TEST(MarkSnap, ShadedSpheresFromClicksWithinThreePixels) {
  std::mt19937 random(7);
  std::uniform_real_distribution<double> unit(0.0, 1.0);
  const Rgb colours[] = {{220, 40, 30}, {30, 170, 60}, {40, 60, 210}, {230, 210, 40}, {200, 120, 220}};
  const Rgb grounds[] = {{90, 90, 90}, {20, 20, 25}, {150, 140, 120}, {60, 80, 100}};
  int trials = 0, close = 0;
  double worst = 0.0;
  for (int k = 0; k < 40; ++k) {
    RgbImage photo(64, 64, grounds[k % 4]);
    const Point2 truth{32.0 + unit(random), 32.0 + unit(random)};
    draw_sphere(photo, truth, 10.0 + 5.0 * unit(random), colours[k % 5]);
    blur(photo, 0.5 + 0.3 * unit(random));
    add_noise(photo, 2.0, static_cast<unsigned>(k));
    for (int c = 0; c < 4; ++c) {
      const double angle = 6.283 * unit(random), off = 3.0 * std::sqrt(unit(random));
      const SnapResult snap = snap_mark(photo, {truth.x + off * std::cos(angle), truth.y + off * std::sin(angle)});
      ++trials;
      EXPECT_EQ(snap.kind, SnapKind::Target);
      const double error = distance(snap.position, truth);
      worst = std::max(worst, error);
      if (error <= 0.15) ++close;
    }
  }
  EXPECT_GE(close, trials * 95 / 100) << "worst " << worst;
}

TEST(MarkSnap, FlatDiscsBrightDarkAndColoured) {
  struct Case {
    Rgb ground, disc;
  };
  // The red disc has about the grey ground's luminance: only its colour sets it apart.
  const Case cases[] = {
      {{20, 20, 20}, {235, 235, 235}}, {{230, 230, 230}, {15, 15, 15}}, {{110, 110, 110}, {230, 60, 50}}};
  for (const Case& c : cases) {
    RgbImage photo(80, 60, c.ground);
    const Point2 truth{41.3, 27.8};
    draw_disc(photo, truth, 9.0, c.disc);
    blur(photo, 0.6);
    add_noise(photo, 1.5, 3);
    const SnapResult snap = snap_mark(photo, {39.5, 29.4});
    EXPECT_EQ(snap.kind, SnapKind::Target);
    EXPECT_LT(distance(snap.position, truth), 0.1);
    EXPECT_NEAR(snap.moved_px, distance(snap.position, {39.5, 29.4}), 1e-9);
    EXPECT_GT(snap.confidence, 0.5);
  }
}

// A disc much larger than the radius: the patch looked at grows to hold it.
TEST(MarkSnap, LargeDiscFromAClickNearItsMiddle) {
  RgbImage photo(200, 200, {30, 30, 30});
  const Point2 truth{97.6, 103.2};
  draw_disc(photo, truth, 40.0, {200, 200, 210});
  blur(photo, 0.6);
  const SnapResult snap = snap_mark(photo, {100.0, 101.0});
  EXPECT_EQ(snap.kind, SnapKind::Target);
  EXPECT_LT(distance(snap.position, truth), 0.1);
}

TEST(MarkSnap, DiscCutByThePhotographsEdge) {
  RgbImage photo(60, 50, {40, 40, 40});
  const Point2 truth{6.4, 30.2};  // a quarter of its width lies off the left edge
  draw_disc(photo, truth, 12.0, {240, 200, 30});
  blur(photo, 0.6);
  add_noise(photo, 1.5, 5);
  const SnapResult snap = snap_mark(photo, {8.0, 28.5});
  EXPECT_EQ(snap.kind, SnapKind::Target);
  EXPECT_LT(distance(snap.position, truth), 0.25);
}

TEST(MarkSnap, BlurredCornersOfSeveralAngles) {
  struct Case {
    double from, to;
  };
  const Case cases[] = {{0.0, M_PI / 2}, {0.3, 2.0}, {-0.4, 1.9}, {1.0, 3.5}};
  for (const Case& c : cases) {
    RgbImage photo(60, 60, {200, 190, 180});
    const Point2 truth{30.37, 29.71};
    draw_wedge(photo, truth, c.from, c.to, 40.0, {50, 40, 45});
    blur(photo, 0.8);
    add_noise(photo, 2.0, 11);
    const SnapResult snap = snap_mark(photo, {31.6, 28.2});
    EXPECT_EQ(snap.kind, SnapKind::Corner) << c.from;
    EXPECT_LT(distance(snap.position, truth), 0.3) << c.from;
  }
}

TEST(MarkSnap, NothingToFitLeavesTheClick) {
  const Point2 click{30.4, 25.6};
  RgbImage plain(60, 50, {120, 120, 120});
  add_noise(plain, 3.0, 9);
  RgbImage edge(60, 50, {200, 200, 200});  // one straight edge: no corner
  draw_wedge(edge, {30.0, 25.0}, -M_PI / 2, M_PI / 2, 40.0, {40, 40, 40});
  blur(edge, 0.7);
  RgbImage far(80, 60, {20, 20, 20});  // a disc, but beyond the radius
  draw_disc(far, {60.0, 25.6}, 6.0, {230, 230, 230});
  for (const RgbImage* photo : {&plain, &edge, &far}) {
    const SnapResult snap = snap_mark(*photo, click, 8.0);
    EXPECT_EQ(snap.kind, SnapKind::None);
    EXPECT_EQ(snap.position, click);
    EXPECT_EQ(snap.moved_px, 0.0);
    EXPECT_EQ(snap.confidence, 0.0);
  }
  // Clicks off the photograph, or on one without pixels.
  EXPECT_EQ(snap_mark(plain, {-1.0, 5.0}).kind, SnapKind::None);
  EXPECT_EQ(snap_mark(RgbImage(0, 0), {0.0, 0.0}).kind, SnapKind::None);
}

TEST(MarkSnap, RadiusFollowsTheZoom) {
  EXPECT_DOUBLE_EQ(snap_radius_for_zoom(1.0), kSnapRadius);
  EXPECT_DOUBLE_EQ(snap_radius_for_zoom(0.5), 2.0 * kSnapRadius);
  EXPECT_DOUBLE_EQ(snap_radius_for_zoom(8.0), 3.0);
  EXPECT_DOUBLE_EQ(snap_radius_for_zoom(0.01), 64.0);
}

}  // namespace
}  // namespace plenvista
