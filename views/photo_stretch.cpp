#include "views/photo_stretch.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <vector>

namespace plenvista {

QImage to_qimage(const RgbImage& photograph) {
  QImage image(photograph.width(), photograph.height(), QImage::Format_RGB888);
  const auto row_bytes = static_cast<std::size_t>(photograph.width()) * 3;
  for (int y = 0; y < photograph.height(); ++y) std::memcpy(image.scanLine(y), photograph.row(y), row_bytes);
  return image.convertToFormat(QImage::Format_RGB32);
}
namespace {

constexpr QRgb kBlack = 0xFF000000u;

// For each of `count` client pixels, the photograph pixel under its centre,
// or -1 outside the photograph's `size` pixels.
std::vector<int> source_indices(int count, double scroll, double zoom, int size) {
  std::vector<int> indices(static_cast<std::size_t>(count), -1);
  const double span = std::trunc(count / zoom);
  const double first = std::trunc(scroll);
  if (!std::isfinite(span) || !std::isfinite(first) || span < 1) return indices;
  const double step = span / count;
  for (int i = 0; i < count; ++i) {
    const double source = std::floor(first + (i + 0.5) * step);
    if (source >= 0 && source < size) indices[static_cast<std::size_t>(i)] = static_cast<int>(source);
  }
  return indices;
}

}  // namespace

int reduction_for_zoom(double zoom) {
  if (!std::isfinite(zoom) || zoom <= 0) return 1;
  int reduction = 1;
  while (reduction < 8 && zoom * reduction * 2 <= 1) reduction *= 2;
  return reduction;
}

void stretch_photo(const DrawnPhotograph& photo, const ZoomPanState& view, QImage& target) {
  const int width = target.width();
  const int height = target.height();
  if (width <= 0 || height <= 0 || photo.pixels.isNull() || photo.reduction < 1) return;
  std::vector<int> columns = source_indices(width, view.scroll_x, view.zoom, photo.width);
  std::vector<int> rows = source_indices(height, view.scroll_y, view.zoom, photo.height);
  const int last_column = photo.pixels.width() - 1;
  const int last_row = photo.pixels.height() - 1;
  for (int& c : columns)
    if (c >= 0) c = std::min(c / photo.reduction, last_column);
  for (int& r : rows)
    if (r >= 0) r = std::min(r / photo.reduction, last_row);
  for (int y = 0; y < height; ++y) {
    auto* out = reinterpret_cast<QRgb*>(target.scanLine(y));
    const int row = rows[static_cast<std::size_t>(y)];
    if (row < 0) {
      std::fill(out, out + width, kBlack);
      continue;
    }
    if (y > 0 && rows[static_cast<std::size_t>(y) - 1] == row) {  // a repeated row
      std::copy_n(reinterpret_cast<const QRgb*>(target.constScanLine(y - 1)), width, out);
      continue;
    }
    const auto* in = reinterpret_cast<const QRgb*>(photo.pixels.constScanLine(row));
    for (int x = 0; x < width; ++x) {
      const int column = columns[static_cast<std::size_t>(x)];
      out[x] = column >= 0 ? in[column] : kBlack;
    }
  }
}

}  // namespace plenvista
