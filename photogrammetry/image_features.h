#pragma once

// Distinctive features of a photograph for matching between photographs.
//
// The detector is OpenCV's AKAZE (nonlinear scale space, binary descriptors
// compared by Hamming distance), with a threshold well below its default.
// Measured against OpenCV's SIFT (contrast threshold lowered to 0.01, its
// strongest 4000 kept) on five 4-megapixel renderings and the sample's
// four photographs: AKAZE keeps 1.4 times SIFT's features on renderings and
// 3.5 times on the photographs, in half SIFT's CPU time (about 1.6 against
// 3.5 s a photograph); SIFT's descriptors verify more matches on renderings
// (20 degrees apart: 2265 against 469 over the ten pairs), but SIFT also
// verified a wrong pair of the sample's photographs, which AKAZE did not,
// and its float descriptors cost more to match. Neither joins renderings
// 40 degrees apart; the squeezed views below do.
//
// To have every part of the photograph contribute, the photograph is
// divided into tiles each of which keeps only its strongest features, up
// to an equal share of `max_features`; a plain wall then keeps its few
// features while a textured lawn cannot crowd them out. The shares that
// tiles without features leave go to the strongest remaining features
// anywhere.
//
// Squeezed views (`squeezed_views` > 0): the features are also detected on
// the photograph squeezed horizontally by the square root of two, then by
// two, ..., as a surface turned 45 or 60 degrees further from the camera
// about an upright axis would appear; walking around an object, the next
// photograph then finds its features among them although the descriptors
// of the photograph as it is no longer match across 40 degrees. Their
// positions are mapped back onto the photograph as it is, each view's
// features compete in the same tiles, and one place found in several views
// is recorded in `same_place`. Each view costs about what its share of the
// photograph's width costs the plain detection (two views: some 1.6 times
// the plain detection alone, measured on 4-megapixel renderings).
//
// Positions are absolute photograph pixels, x right, y down, with the
// centre of the top-left pixel at (0, 0) as in the pixel source. A
// photograph smaller than 16 x 16 pixels gives no features.

#include <cstdint>
#include <vector>

#include "base/vec3.h"
#include "photogrammetry/grey_image.h"
#include "photogrammetry/pixel_source.h"

namespace plenvista {

struct FeatureOptions {
  int max_features = 4000;
  int tiles_x = 8;
  int tiles_y = 6;
  int squeezed_views = 0;  // views squeezed horizontally besides the photograph as it is
};

struct ImageFeatures {
  std::vector<Point2> positions;
  int descriptor_bytes = 0;
  std::vector<std::uint8_t> descriptors;  // descriptor_bytes per feature, in the order of positions
  // With squeezed views, per feature: the first feature within a pixel of
  // it (one place found in several views), itself when none. Empty: every
  // feature is its own.
  std::vector<int> same_place;

  std::size_t size() const { return positions.size(); }
  const std::uint8_t* descriptor(std::size_t i) const { return descriptors.data() + i * descriptor_bytes; }
};

ImageFeatures detect_features(const RgbImage& photograph, const FeatureOptions& options = {});
ImageFeatures detect_features(const GreyImage& photograph, const FeatureOptions& options = {});

// The same in two steps, so that a later search with squeezed views need
// not detect the photograph as it is again: what the detector finds on
// views `first_view` to `last_view` (0: the photograph as it is; k: squeezed
// by the square root of two to the k), then the tiles' choice among them.
struct DetectedFeatures {
  std::vector<Point2> positions;
  std::vector<float> responses;
  std::vector<std::uint8_t> squeezed;  // per feature: 1 when found on a squeezed view
  int descriptor_bytes = 0;
  std::vector<std::uint8_t> descriptors;
};
DetectedFeatures detect_views(const GreyImage& grey, int first_view, int last_view);
void append_features(DetectedFeatures& to, const DetectedFeatures& more);
// `width` and `height` are the photograph's; `options.squeezed_views` > 0
// finds the same places among the views.
ImageFeatures choose_features(const DetectedFeatures& detected, int width, int height, const FeatureOptions& options);

// Places for guided matching alone, which compares grey levels and needs
// no descriptors: corners (local maxima of the smaller eigenvalue of the
// grey levels' structure tensor, at least 4 pixels apart) on the
// photograph's whole pixels, a photograph wider than 2400 pixels reduced
// to that first, kept through the same tiles and `max_features`
// (`squeezed_views` unused).
// About a tenth of detect_features' time (4-megapixel photograph: some
// 0.1 against 1.6 CPU seconds). No descriptors: such features cannot be
// matched by match_descriptors.
ImageFeatures detect_corners(const GreyImage& photograph, const FeatureOptions& options = {});

}  // namespace plenvista
