#include "views/texture_levels.h"

#include <algorithm>

namespace plenvista {
namespace {

constexpr int kChannels = 4;

QImage half_of(const QImage& level) {
  const int width = std::max(1, level.width() / 2), height = std::max(1, level.height() / 2);
  QImage half(width, height, QImage::Format_RGBA8888);
  // A side of 1 pixel is averaged with itself.
  const int step_x = level.width() > 1 ? kChannels : 0;
  const int step_y = level.height() > 1 ? 1 : 0;
  for (int y = 0; y < height; ++y) {
    const uchar* upper = level.constScanLine(2 * y);
    const uchar* lower = level.constScanLine(2 * y + step_y);
    uchar* out = half.scanLine(y);
    for (int x = 0; x < width; ++x) {
      const int at = 2 * x * kChannels;
      for (int c = 0; c < kChannels; ++c)
        *out++ = static_cast<uchar>(
            (upper[at + c] + upper[at + step_x + c] + lower[at + c] + lower[at + step_x + c] + 2) / 4);
    }
  }
  return half;
}

}  // namespace

std::vector<QImage> texture_levels(const QImage& photograph) {
  std::vector<QImage> levels;
  if (photograph.isNull()) return levels;
  levels.push_back(photograph.convertToFormat(QImage::Format_RGBA8888));
  while (levels.back().width() > 1 || levels.back().height() > 1) levels.push_back(half_of(levels.back()));
  return levels;
}

}  // namespace plenvista
