#include "photogrammetry/feature_matching.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <string>

#include "photogrammetry/orientation.h"
#include "photogrammetry/tie_finder.h"
#include "testing/textured_scene.h"

namespace plenvista {
namespace {

using test_support::Paint;
using test_support::TexturedScene;

constexpr double kPitch = 60;  // a 1200 x 840 frame, focal length 600 px

struct ScenePair {
  CameraModel camera = test_support::scene_camera(kPitch);
  TexturedScene scene;
  ProjectImage a, b;
  ImageFeatures fa, fb;
  GreyImage grey_a, grey_b;

  ScenePair(Paint paint, const Vec3& eye_a, const Vec3& eye_b) {
    scene.paint = paint;
    // The dots on the ground alone, filling the photographs: the box's
    // outline and the ground's edge against the sky would give features
    // that are not on the pattern.
    if (paint == Paint::Dots) {
      scene.box_high.y = 0;
      scene.ground_half = 5000;
    }
    a = test_support::scene_image(camera, eye_a, {0, 60, 0});
    b = test_support::scene_image(camera, eye_b, {0, 60, 0});
    const RgbImage picture_a = scene.render(a, kPitch), picture_b = scene.render(b, kPitch);
    fa = detect_features(picture_a);
    fb = detect_features(picture_b);
    grey_a = grey_image(picture_a);
    grey_b = grey_image(picture_b);
  }

  GuidedMatches guided(const ProjectImage& pose_a, const ProjectImage& pose_b, const GuidedOptions& options) const {
    return guided_match({fa, pose_a, grey_a, nullptr}, {fb, pose_b, grey_b, nullptr}, options);
  }

  // Distance in pixels of B's mark from the epipolar line of A's mark
  // under the true poses (the camera is an ideal pinhole).
  double epipolar_distance(const FeatureMatch& m) const {
    return test_support::epipolar_distance(a, fa.positions[static_cast<std::size_t>(m.a)], b,
                                           fb.positions[static_cast<std::size_t>(m.b)]);
  }

  // Distance in pixels of B's mark from where A's mark's surface point
  // really appears in B.
  double transfer_error(const FeatureMatch& m) const {
    const CameraRays rays(a);
    const PoseFrame frame_a = PoseFrame::of(a);
    const Vec3 da = frame_a.to_world_direction(*rays.direction(fa.positions[static_cast<std::size_t>(m.a)]));
    const auto surface = scene.hit(frame_a.centre, da);
    if (!surface) return INFINITY;
    const Point2 in_b = project_to_image(*surface, b, true);
    const Point2 p = fb.positions[static_cast<std::size_t>(m.b)];
    return std::hypot(in_b.x - p.x, in_b.y - p.y);
  }

  std::vector<FeatureMatch> unguided() const {
    return verify_by_essential(fa, CameraRays(a), fb, CameraRays(b), match_descriptors(fa, fb));
  }
};

double share_within(const ScenePair& pair, const std::vector<FeatureMatch>& matches, double tolerance) {
  const auto good = std::count_if(matches.begin(), matches.end(),
                                  [&](const FeatureMatch& m) { return pair.epipolar_distance(m) <= tolerance; });
  return static_cast<double>(good) / static_cast<double>(matches.size());
}

// The same for guided matches, whose marks in B are the refined positions.
double share_within(const ScenePair& pair, const GuidedMatches& guided, double tolerance) {
  int good = 0;
  for (std::size_t k = 0; k < guided.matches.size(); ++k)
    good += test_support::epipolar_distance(pair.a, pair.fa.positions[static_cast<std::size_t>(guided.matches[k].a)],
                                            pair.b, guided.positions_b[k]) <= tolerance;
  return static_cast<double>(good) / static_cast<double>(guided.matches.size());
}

// A textured plane and box seen 25 degrees apart: the pair verifies without
// its poses, its marks lie on the true epipolar lines, and matching along
// the known epipolar lines finds more, as exactly.
TEST(FeatureMatching, TexturedSceneUnguidedThenGuided) {
  const ScenePair pair(Paint::Noise, {-300, 900, 650}, {60, 950, 720});
  ASSERT_GT(pair.fa.size(), 1000u);

  const std::vector<FeatureMatch> unguided = pair.unguided();
  ASSERT_GT(unguided.size(), 100u);
  EXPECT_GE(share_within(pair, unguided, 1.5), 0.98);

  GuidedOptions options;
  options.known_points = {{-150, 0, 150}, {150, 220, -150}, {400, 0, -300}};
  const GuidedMatches guided = pair.guided(pair.a, pair.b, options);
  EXPECT_GT(guided.matches.size(), unguided.size());
  EXPECT_GE(guided.candidates, static_cast<int>(guided.matches.size()));
  EXPECT_GE(share_within(pair, guided, 1.5), 0.98);

  // B's pose off by 0.4 degrees, as when oriented from a few hand-placed
  // marks: several pixels on the epipolar lines. The wide band and the
  // pair's corrected geometry still find matches on the true lines; the
  // narrow band of the poses alone finds fewer.
  CameraModel camera = test_support::scene_camera(kPitch);
  ProjectImage off = test_support::scene_image(camera, {60, 950, 720}, {0, 60, 0});
  off.pose.rotation.x += 0.4;
  const GuidedMatches corrected = pair.guided(pair.a, off, options);
  EXPECT_GT(corrected.matches.size(), unguided.size());
  EXPECT_GE(share_within(pair, corrected, 1.5), 0.98);
  GuidedOptions narrow = options;
  narrow.search_px = narrow.tolerance_px;
  EXPECT_LT(pair.guided(pair.a, off, narrow).matches.size(), corrected.matches.size() / 2);

  // Without poses there is nothing to guide by.
  ProjectImage loose = test_support::scene_image(camera, {80, 460, 760}, {0, 60, 0});
  loose.pose_known = 0;
  EXPECT_TRUE(pair.guided(pair.a, loose, {}).matches.empty());
}

// Views 40 degrees apart, B's pose a few tenths of a degree off: the
// descriptors change too much between them (none verify unguided; the
// descriptor-guided match found 12-25 on such pairs), the correlation of
// the grey levels through the surface's local map does not, and the
// refined marks lie on the true epipolar lines.
TEST(FeatureMatching, GuidedAcrossFortyDegrees) {
  const double angle = 40 * kDegreesToRadians;
  const Vec3 eye_b{900 * std::sin(angle), 520, 900 * std::cos(angle)};
  ScenePair pair(Paint::Noise, {0, 520, 900}, eye_b);
  CameraModel camera = test_support::scene_camera(kPitch);
  ProjectImage off = test_support::scene_image(camera, eye_b, {0, 60, 0});
  off.pose.rotation.x += 0.3;
  off.pose.rotation.y -= 0.2;
  GuidedOptions options;
  options.known_points = {{-150, 0, 150}, {150, 220, -150}, {400, 0, -300}};
  EXPECT_LT(pair.unguided().size(), 15u);
  const GuidedMatches guided = pair.guided(pair.a, off, options);
  EXPECT_GT(guided.matches.size(), 150u);
  EXPECT_GE(share_within(pair, guided, 1.5), 0.98);

  // Corners without descriptors serve guided matching as well.
  pair.fa = detect_corners(pair.grey_a);
  pair.fb = detect_corners(pair.grey_b);
  EXPECT_TRUE(match_descriptors(pair.fa, pair.fb).empty());
  const GuidedMatches from_corners = pair.guided(pair.a, off, options);
  EXPECT_GT(from_corners.matches.size(), 150u);
  EXPECT_GE(share_within(pair, from_corners, 1.5), 0.98);
}

// A repeated pattern of dots: the ratio tests and the geometric check leave
// no match on the wrong dot, with or without the poses.
TEST(FeatureMatching, RepeatedPatternGivesNoWrongMatches) {
  const ScenePair pair(Paint::Dots, {-200, 1000, 300}, {100, 1000, 380});
  ASSERT_GT(pair.fa.size(), 500u);
  const std::vector<FeatureMatch> unguided = pair.unguided();
  for (const FeatureMatch& m : unguided) EXPECT_LT(pair.transfer_error(m), 3.0);
  GuidedOptions options;
  options.known_points = {{-150, 0, 150}, {150, 220, -150}, {400, 0, -300}};
  const GuidedMatches guided = pair.guided(pair.a, pair.b, options);
  for (const FeatureMatch& m : guided.matches) EXPECT_LT(pair.transfer_error(m), 3.0);
}

// Three photographs through the stepped finder: every pair is matched and
// the tracks join marks of all three; an unreadable photograph is reported.
// Guided matching is asked for, but one oriented photograph alone pairs
// only unguided: it keeps the descriptors those need.
TEST(TieFinder, StepsThroughPhotographsToTracks) {
  CameraModel camera = test_support::scene_camera(kPitch);
  const TexturedScene scene;
  std::vector<ProjectImage> images;
  for (const Vec3& eye : {Vec3{-250, 900, 650}, Vec3{0, 950, 700}, Vec3{230, 920, 650}, Vec3{0, 950, -700}})
    images.push_back(test_support::scene_image(camera, eye, {0, 60, 0}));
  for (ProjectImage& image : images) image.pose_known = &image == &images[0];
  images[3].file_name = "missing.jpg";
  std::vector<const ProjectImage*> given;
  for (const ProjectImage& image : images) given.push_back(&image);
  TieFinderOptions options;
  options.guided = true;
  TieFinder finder(
      given,
      [&](const ProjectImage& image, std::string& error) -> std::optional<RgbImage> {
        if (&image == &images[3]) {
          error = "Cannot read the photograph missing.jpg";
          return std::nullopt;
        }
        return scene.render(image, kPitch);
      },
      options);
  double progress = 0;
  int steps = 0;
  while (finder.step()) {
    EXPECT_GE(finder.progress(), progress);
    progress = finder.progress();
    ASSERT_LT(++steps, 100);
  }
  EXPECT_EQ(finder.progress(), 1.0);
  const TieFinderResult& result = finder.result();
  EXPECT_EQ(result.errors, std::vector<std::string>{"Cannot read the photograph missing.jpg"});
  EXPECT_EQ(result.features[3], 0);
  ASSERT_EQ(result.pairs.size(), 3u);
  for (const PairReport& report : result.pairs) {
    EXPECT_GT(report.verified, 50);
    EXPECT_GE(report.candidates, report.verified);
  }
  const auto threefold = std::count_if(result.ties.begin(), result.ties.end(),
                                       [](const TiePointMarks& tie) { return tie.images.size() == 3; });
  EXPECT_GT(threefold, 20);
}

// Three photographs 40 degrees apart, guided with poses a few tenths of a
// degree off: the tracks' marks, placed from their first, lie on each
// other's true epipolar lines in every photograph of the track.
TEST(TieFinder, GuidedTracksLieOnTrueEpipolarLines) {
  CameraModel camera = test_support::scene_camera(kPitch);
  const TexturedScene scene;
  std::vector<ProjectImage> truth, given_poses;
  for (int k = -1; k <= 1; ++k) {
    const double angle = k * 40 * kDegreesToRadians;
    const Vec3 eye{900 * std::sin(angle), 520, 900 * std::cos(angle)};
    truth.push_back(test_support::scene_image(camera, eye, {0, 60, 0}));
    given_poses.push_back(test_support::scene_image(camera, eye, {0, 60, 0}));
    given_poses.back().pose.rotation.x += 0.2 * k;
    given_poses.back().pose.rotation.y += 0.15;
  }
  std::vector<const ProjectImage*> given;
  for (const ProjectImage& image : given_poses) given.push_back(&image);
  TieFinderOptions options;
  options.guided = true;
  options.guided_matching.known_points = {{-150, 0, 150}, {150, 220, -150}, {400, 0, -300}};
  TieFinder finder(
      given,
      [&](const ProjectImage& image, std::string&) -> std::optional<RgbImage> {
        return scene.render(truth[static_cast<std::size_t>(&image - given_poses.data())], kPitch);
      },
      options);
  while (finder.step()) {
  }
  const TieFinderResult& result = finder.result();
  ASSERT_EQ(result.pairs.size(), 3u);
  EXPECT_GT(result.pairs[0].verified, 150);  // the neighbours 40 degrees apart
  EXPECT_GT(result.pairs[2].verified, 150);
  int marks = 0, on_lines = 0;
  for (const TiePointMarks& tie : result.ties)
    for (std::size_t m = 0; m < tie.images.size(); ++m) {
      bool on_all = true;
      for (std::size_t n = 0; n < tie.images.size(); ++n)
        on_all = on_all && (m == n || test_support::epipolar_distance(
                                          truth[static_cast<std::size_t>(tie.images[n])], tie.positions[n],
                                          truth[static_cast<std::size_t>(tie.images[m])], tie.positions[m]) <= 1.5);
      ++marks;
      on_lines += on_all;
    }
  EXPECT_GT(marks, 300);
  EXPECT_GE(on_lines, 0.98 * marks);
}

// Four photographs 40 degrees apart around the scene: plain features do not
// join them all, the second pass's squeezed views join every neighbour,
// and the marks still lie on the true epipolar lines.
TEST(TieFinder, SecondPassJoinsPhotographsFortyDegreesApart) {
  CameraModel camera = test_support::scene_camera(kPitch);
  const TexturedScene scene;
  std::vector<ProjectImage> images;
  for (int k = 0; k < 4; ++k) {
    const double angle = (k - 1.5) * 40 * kDegreesToRadians;
    images.push_back(
        test_support::scene_image(camera, {900 * std::sin(angle), 520, 900 * std::cos(angle)}, {0, 60, 0}));
  }
  std::vector<RgbImage> pictures;
  std::vector<const ProjectImage*> given;
  for (const ProjectImage& image : images) {
    pictures.push_back(scene.render(image, kPitch));
    given.push_back(&image);
  }
  const auto run = [&](int squeezed_views) {
    TieFinderOptions options;
    options.second_pass_squeezed_views = squeezed_views;
    TieFinder finder(
        given,
        [&](const ProjectImage& image, std::string&) {
          return std::optional<RgbImage>(pictures[static_cast<std::size_t>(&image - images.data())]);
        },
        options);
    double progress = 0;
    while (finder.step()) {
      EXPECT_GE(finder.progress(), progress);
      progress = finder.progress();
    }
    return finder.result();
  };
  const auto neighbours_verified = [](const TieFinderResult& result) {
    int joined = 0;
    for (const PairReport& pair : result.pairs) joined += pair.image_b == pair.image_a + 1 && pair.verified > 0;
    return joined;
  };

  const TieFinderResult plain = run(0);
  EXPECT_FALSE(plain.second_pass);
  EXPECT_LT(neighbours_verified(plain), 3);

  const TieFinderResult result = run(2);
  EXPECT_TRUE(result.second_pass);
  EXPECT_EQ(neighbours_verified(result), 3);
  // Least-squares matching places the marks far closer than the features'
  // own positions.
  const auto share_on_lines = [&](double tolerance) {
    int marks = 0, on_lines = 0;
    for (const TiePointMarks& tie : result.ties)
      for (std::size_t i = 0; i < tie.images.size(); ++i) {
        bool on = true;
        for (std::size_t j = 0; j < tie.images.size(); ++j)
          if (j != i && !(test_support::epipolar_distance(
                              images[static_cast<std::size_t>(tie.images[j])], tie.positions[j],
                              images[static_cast<std::size_t>(tie.images[i])], tie.positions[i]) <= tolerance))
            on = false;
        ++marks;
        on_lines += on;
      }
    return marks > 200 ? static_cast<double>(on_lines) / marks : 0.0;
  };
  EXPECT_GE(share_on_lines(1.5), 0.98);
  EXPECT_GE(share_on_lines(0.5), 0.95);

  // The ties alone orient every photograph, each at its true angle to the
  // others (a pose from a few located points in one patch of the ground
  // can fit them and be far off).
  OrientationInput input;
  input.camera = camera;
  for (std::size_t k = 0; k < images.size(); ++k)
    input.photographs.push_back(
        {static_cast<int>(k), images[k].centre_x, images[k].centre_y, camera.native_width, camera.native_height});
  for (std::size_t t = 0; t < result.ties.size(); ++t)
    for (std::size_t i = 0; i < result.ties[t].images.size(); ++i) {
      const ProjectImage& image = images[static_cast<std::size_t>(result.ties[t].images[i])];
      input.marks.push_back(
          {result.ties[t].images[i],
           "auto-" + std::to_string(t + 1),
           {result.ties[t].positions[i].x - image.centre_x, result.ties[t].positions[i].y - image.centre_y}});
    }
  const OrientationResult oriented = orient_photographs(std::move(input));
  ASSERT_TRUE(oriented.ok()) << oriented.message;
  ASSERT_EQ(oriented.photographs.size(), images.size());
  const auto axis = [&](const CameraPose& pose) {
    ProjectImage image;
    image.camera = &camera;
    image.pose = pose;
    return PoseFrame::of(image).rows[2];
  };
  for (std::size_t i = 0; i < images.size(); ++i) {
    ASSERT_TRUE(oriented.photographs[i].oriented) << i;
    for (std::size_t j = 0; j < i; ++j) {
      const double found =
          std::acos(std::clamp(dot(axis(oriented.photographs[i].pose), axis(oriented.photographs[j].pose)), -1.0, 1.0));
      const double truth =
          std::acos(std::clamp(dot(PoseFrame::of(images[i]).rows[2], PoseFrame::of(images[j]).rows[2]), -1.0, 1.0));
      EXPECT_NEAR(found / kDegreesToRadians, truth / kDegreesToRadians, 1.0) << i << "-" << j;
    }
  }
}

}  // namespace
}  // namespace plenvista
