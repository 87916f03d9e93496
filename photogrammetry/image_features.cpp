#include "photogrammetry/image_features.h"

#include <algorithm>

#include <opencv2/features2d.hpp>

#include "photogrammetry/grey_image.h"

namespace plenvista {

ImageFeatures detect_features(const RgbImage& photograph, const FeatureOptions& options) {
  ImageFeatures features;
  if (photograph.width() < 16 || photograph.height() < 16 || options.max_features <= 0) return features;
  GreyImage brightness = grey_image(photograph);
  const cv::Mat grey(brightness.height, brightness.width, CV_8U, brightness.pixels.data());
  // A threshold well below the detector's default of 0.001: smooth
  // renderings give few responses above it, and the tiles cap the rest.
  auto detector = cv::AKAZE::create(cv::AKAZE::DESCRIPTOR_MLDB, 0, 3, 0.0001f, 4, 4, cv::KAZE::DIFF_PM_G2);
  std::vector<cv::KeyPoint> keypoints;
  cv::Mat descriptors;
  try {
    detector->detectAndCompute(grey, cv::noArray(), keypoints, descriptors);
  } catch (const cv::Exception&) {
    return features;  // OpenCV could not work on this picture: no features
  }
  if (keypoints.empty() || descriptors.rows != static_cast<int>(keypoints.size())) return features;

  const int tiles_x = std::max(1, options.tiles_x);
  const int tiles_y = std::max(1, options.tiles_y);
  const std::size_t share =
      std::max<std::size_t>(1, static_cast<std::size_t>(options.max_features) / (tiles_x * tiles_y));
  std::vector<std::vector<int>> tiles(static_cast<std::size_t>(tiles_x * tiles_y));
  for (int i = 0; i < static_cast<int>(keypoints.size()); ++i) {
    const cv::Point2f p = keypoints[i].pt;
    const int tx = std::clamp(static_cast<int>(double{p.x} * tiles_x / photograph.width()), 0, tiles_x - 1);
    const int ty = std::clamp(static_cast<int>(double{p.y} * tiles_y / photograph.height()), 0, tiles_y - 1);
    tiles[static_cast<std::size_t>(ty * tiles_x + tx)].push_back(i);
  }
  // Each tile keeps its strongest share; what empty tiles (sky, a plain
  // wall) leave unused goes to the strongest of the rest, wherever they are.
  std::vector<int> kept, rest;
  for (auto& tile : tiles) {
    const std::size_t keep = std::min(share, tile.size());
    std::partial_sort(tile.begin(), tile.begin() + static_cast<std::ptrdiff_t>(keep), tile.end(),
                      [&](int a, int b) { return keypoints[a].response > keypoints[b].response; });
    kept.insert(kept.end(), tile.begin(), tile.begin() + static_cast<std::ptrdiff_t>(keep));
    rest.insert(rest.end(), tile.begin() + static_cast<std::ptrdiff_t>(keep), tile.end());
  }
  const std::size_t more =
      std::min(rest.size(), static_cast<std::size_t>(options.max_features) -
                                std::min(kept.size(), static_cast<std::size_t>(options.max_features)));
  std::partial_sort(rest.begin(), rest.begin() + static_cast<std::ptrdiff_t>(more), rest.end(),
                    [&](int a, int b) { return keypoints[a].response > keypoints[b].response; });
  kept.insert(kept.end(), rest.begin(), rest.begin() + static_cast<std::ptrdiff_t>(more));

  features.descriptor_bytes = descriptors.cols;
  for (int i : kept) {
    features.positions.push_back({keypoints[i].pt.x, keypoints[i].pt.y});
    const std::uint8_t* row = descriptors.ptr<std::uint8_t>(i);
    features.descriptors.insert(features.descriptors.end(), row, row + descriptors.cols);
  }
  return features;
}

}  // namespace plenvista
