#include "photogrammetry/image_features.h"

#include <algorithm>
#include <cmath>
#include <unordered_map>

#include <opencv2/features2d.hpp>
#include <opencv2/imgproc.hpp>

#include "photogrammetry/grey_image.h"

namespace plenvista {

namespace {

// Features of two views this close are taken for one place.
constexpr double kSamePlacePx = 0.7;

// Detects and describes the features of the photograph squeezed
// horizontally by `squeeze` (1: as it is) and appends them with their
// positions on the photograph as it is.
void detect_in(const cv::Mat& grey, double squeeze, std::vector<cv::KeyPoint>& keypoints, cv::Mat& descriptors) {
  // A threshold well below the detector's default of 0.001: smooth
  // renderings give few responses above it, and the tiles cap the rest.
  const auto detector = cv::AKAZE::create(cv::AKAZE::DESCRIPTOR_MLDB, 0, 3, 0.0001f, 4, 4, cv::KAZE::DIFF_PM_G2);
  cv::Mat view = grey;
  if (squeeze > 1) {
    // Blurred across first so that squeezing does not alias.
    cv::Mat blurred;
    cv::GaussianBlur(grey, blurred, cv::Size(0, 0), 0.8 * std::sqrt(squeeze * squeeze - 1), 0.01);
    cv::resize(blurred, view, cv::Size(static_cast<int>(std::lround(grey.cols / squeeze)), grey.rows), 0, 0,
               cv::INTER_LINEAR);
  }
  std::vector<cv::KeyPoint> found;
  cv::Mat described;
  detector->detectAndCompute(view, cv::noArray(), found, described);
  if (found.empty() || described.rows != static_cast<int>(found.size())) return;
  const double scale = static_cast<double>(grey.cols) / view.cols;
  for (cv::KeyPoint& k : found) {
    k.pt.x = static_cast<float>((k.pt.x + 0.5) * scale - 0.5);
    k.class_id = squeeze > 1 ? 1 : 0;
  }
  keypoints.insert(keypoints.end(), found.begin(), found.end());
  descriptors.push_back(described);
}

// For each position, a position within `radius` (under a pixel) of it
// (itself when none), found through one-pixel cells; those of the
// photograph as it is (`squeezed` false) first, as they are the more exact.
std::vector<int> same_places(const std::vector<Point2>& positions, const std::vector<bool>& squeezed, int width,
                             double radius) {
  std::unordered_map<long long, std::vector<int>> cells;
  const auto cell = [&](long long x, long long y) { return y * (width + 2) + x; };
  std::vector<int> order(positions.size());
  for (std::size_t i = 0; i < order.size(); ++i) order[i] = static_cast<int>(i);
  std::stable_partition(order.begin(), order.end(), [&](int i) { return !squeezed[static_cast<std::size_t>(i)]; });
  std::vector<int> out(positions.size());
  for (const int i : order) {
    const Point2 p = positions[static_cast<std::size_t>(i)];
    const long long cx = std::llround(p.x), cy = std::llround(p.y);
    out[static_cast<std::size_t>(i)] = i;
    for (long long y = cy - 1; y <= cy + 1 && out[static_cast<std::size_t>(i)] == i; ++y)
      for (long long x = cx - 1; x <= cx + 1; ++x) {
        const auto found = cells.find(cell(x, y));
        if (found == cells.end()) continue;
        const auto near = std::find_if(found->second.begin(), found->second.end(), [&](int j) {
          const Point2 q = positions[static_cast<std::size_t>(j)];
          return std::hypot(q.x - p.x, q.y - p.y) <= radius;
        });
        if (near != found->second.end()) {
          out[static_cast<std::size_t>(i)] = *near;
          break;
        }
      }
    if (out[static_cast<std::size_t>(i)] == i) cells[cell(cx, cy)].push_back(i);
  }
  return out;
}

}  // namespace

ImageFeatures detect_features(const RgbImage& photograph, const FeatureOptions& options) {
  ImageFeatures features;
  if (photograph.width() < 16 || photograph.height() < 16 || options.max_features <= 0) return features;
  GreyImage brightness = grey_image(photograph);
  const cv::Mat grey(brightness.height, brightness.width, CV_8U, brightness.pixels.data());
  std::vector<cv::KeyPoint> keypoints;
  cv::Mat descriptors;
  try {
    detect_in(grey, 1.0, keypoints, descriptors);
    for (int k = 1; k <= options.squeezed_views; ++k)
      detect_in(grey, std::pow(std::sqrt(2.0), k), keypoints, descriptors);
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
  if (options.squeezed_views > 0) {
    std::vector<bool> squeezed;
    for (int i : kept) squeezed.push_back(keypoints[i].class_id != 0);
    features.same_place = same_places(features.positions, squeezed, photograph.width(), kSamePlacePx);
  }
  return features;
}

}  // namespace plenvista
