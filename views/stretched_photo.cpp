#include "views/stretched_photo.h"

#include <QPainter>
#include <algorithm>
#include <cmath>
#include <cstring>

#include "model/zoom_pan.h"

namespace plenvista {

QImage to_qimage(const RgbImage& photograph) {
  QImage image(photograph.width(), photograph.height(), QImage::Format_RGB888);
  const auto row_bytes = static_cast<std::size_t>(photograph.width()) * 3;
  for (int y = 0; y < photograph.height(); ++y)
    std::memcpy(image.scanLine(y), photograph.row(y), row_bytes);
  return image;
}

void draw_stretched_photo(QPainter& painter, const QImage& photograph, const ZoomPanState& view, QSize client) {
  painter.fillRect(QRect(QPoint(0, 0), client), Qt::black);
  if (photograph.isNull()) return;
  const Point2 span = visible_span(view);
  if (!(span.x > 0) || !(span.y > 0) || !std::isfinite(span.x) || !std::isfinite(span.y)) return;
  // The part of the source rectangle that lies on the photograph, drawn
  // where image_to_client puts it.
  const double left = std::trunc(view.scroll_x);
  const double top = std::trunc(view.scroll_y);
  const double x0 = std::max(left, 0.0);
  const double y0 = std::max(top, 0.0);
  const double x1 = std::min(left + span.x, static_cast<double>(photograph.width()));
  const double y1 = std::min(top + span.y, static_cast<double>(photograph.height()));
  if (x0 >= x1 || y0 >= y1) return;
  const Point2 a = image_to_client(view, {x0, y0});
  const Point2 b = image_to_client(view, {x1, y1});
  painter.setRenderHint(QPainter::SmoothPixmapTransform, false);
  painter.drawImage(QRectF(a.x, a.y, b.x - a.x, b.y - a.y), photograph, QRectF(x0, y0, x1 - x0, y1 - y0));
}

}  // namespace plenvista
