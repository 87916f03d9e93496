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
void detect_in(const cv::Mat& grey, double squeeze, DetectedFeatures& out) {
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
  if (found.empty() || described.rows != static_cast<int>(found.size()) || described.type() != CV_8U) return;
  if (out.descriptor_bytes != 0 && out.descriptor_bytes != described.cols) return;
  out.descriptor_bytes = described.cols;
  const double scale = static_cast<double>(grey.cols) / view.cols;
  for (std::size_t i = 0; i < found.size(); ++i) {
    out.positions.push_back({static_cast<float>((found[i].pt.x + 0.5) * scale - 0.5), found[i].pt.y});
    out.responses.push_back(found[i].response);
    out.squeezed.push_back(squeeze > 1 ? 1 : 0);
    const std::uint8_t* row = described.ptr<std::uint8_t>(static_cast<int>(i));
    out.descriptors.insert(out.descriptors.end(), row, row + described.cols);
  }
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

DetectedFeatures detect_views(const GreyImage& brightness, int first_view, int last_view) {
  DetectedFeatures out;
  if (brightness.width < 16 || brightness.height < 16) return out;
  // OpenCV only reads the pixels.
  const cv::Mat grey(brightness.height, brightness.width, CV_8U, const_cast<std::uint8_t*>(brightness.pixels.data()));
  try {
    for (int k = std::max(0, first_view); k <= last_view; ++k) detect_in(grey, std::pow(std::sqrt(2.0), k), out);
  } catch (const cv::Exception&) {
    return {};  // OpenCV could not work on this picture: no features
  }
  return out;
}

void append_features(DetectedFeatures& to, const DetectedFeatures& more) {
  if (more.positions.empty()) return;
  if (to.positions.empty()) {
    to = more;
    return;
  }
  if (more.descriptor_bytes != to.descriptor_bytes) return;
  to.positions.insert(to.positions.end(), more.positions.begin(), more.positions.end());
  to.responses.insert(to.responses.end(), more.responses.begin(), more.responses.end());
  to.squeezed.insert(to.squeezed.end(), more.squeezed.begin(), more.squeezed.end());
  to.descriptors.insert(to.descriptors.end(), more.descriptors.begin(), more.descriptors.end());
}

ImageFeatures choose_features(const DetectedFeatures& detected, int width, int height, const FeatureOptions& options) {
  ImageFeatures features;
  const std::size_t count = detected.positions.size();
  if (width < 16 || height < 16 || options.max_features <= 0 || count == 0 || detected.responses.size() != count ||
      detected.squeezed.size() != count || detected.descriptors.size() != count * detected.descriptor_bytes)
    return features;

  const int tiles_x = std::max(1, options.tiles_x);
  const int tiles_y = std::max(1, options.tiles_y);
  const std::size_t share =
      std::max<std::size_t>(1, static_cast<std::size_t>(options.max_features) / (tiles_x * tiles_y));
  std::vector<std::vector<int>> tiles(static_cast<std::size_t>(tiles_x * tiles_y));
  for (int i = 0; i < static_cast<int>(count); ++i) {
    const Point2 p = detected.positions[static_cast<std::size_t>(i)];
    const int tx = std::clamp(static_cast<int>(p.x * tiles_x / width), 0, tiles_x - 1);
    const int ty = std::clamp(static_cast<int>(p.y * tiles_y / height), 0, tiles_y - 1);
    tiles[static_cast<std::size_t>(ty * tiles_x + tx)].push_back(i);
  }
  const auto stronger = [&](int a, int b) {
    return detected.responses[static_cast<std::size_t>(a)] > detected.responses[static_cast<std::size_t>(b)];
  };
  // Each tile keeps its strongest share; what empty tiles (sky, a plain
  // wall) leave unused goes to the strongest of the rest, wherever they are.
  std::vector<int> kept, rest;
  for (auto& tile : tiles) {
    const std::size_t keep = std::min(share, tile.size());
    std::partial_sort(tile.begin(), tile.begin() + static_cast<std::ptrdiff_t>(keep), tile.end(), stronger);
    kept.insert(kept.end(), tile.begin(), tile.begin() + static_cast<std::ptrdiff_t>(keep));
    rest.insert(rest.end(), tile.begin() + static_cast<std::ptrdiff_t>(keep), tile.end());
  }
  const std::size_t more =
      std::min(rest.size(), static_cast<std::size_t>(options.max_features) -
                                std::min(kept.size(), static_cast<std::size_t>(options.max_features)));
  std::partial_sort(rest.begin(), rest.begin() + static_cast<std::ptrdiff_t>(more), rest.end(), stronger);
  kept.insert(kept.end(), rest.begin(), rest.begin() + static_cast<std::ptrdiff_t>(more));

  features.descriptor_bytes = detected.descriptor_bytes;
  for (int i : kept) {
    features.positions.push_back(detected.positions[static_cast<std::size_t>(i)]);
    const std::uint8_t* row = detected.descriptors.data() + static_cast<std::size_t>(i) * detected.descriptor_bytes;
    features.descriptors.insert(features.descriptors.end(), row, row + detected.descriptor_bytes);
  }
  if (options.squeezed_views > 0) {
    std::vector<bool> squeezed;
    for (int i : kept) squeezed.push_back(detected.squeezed[static_cast<std::size_t>(i)] != 0);
    features.same_place = same_places(features.positions, squeezed, width, kSamePlacePx);
  }
  return features;
}

ImageFeatures detect_features(const RgbImage& photograph, const FeatureOptions& options) {
  if (photograph.width() < 16 || photograph.height() < 16 || options.max_features <= 0) return {};
  return choose_features(detect_views(grey_image(photograph), 0, options.squeezed_views), photograph.width(),
                         photograph.height(), options);
}

}  // namespace plenvista
