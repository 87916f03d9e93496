#include "cli/residual_plot.h"

#include <QPainter>
#include <QPen>
#include <algorithm>
#include <cmath>

#include "photogrammetry/residuals.h"

namespace plenvista {

namespace {

QColor grade_colour(double length) {
  const Colour c = residual_colour(length);
  return QColor(red_of(c), green_of(c), blue_of(c));
}

}  // namespace

QImage residual_plot(const ProjectImage& image, const QImage& photograph, double scale) {
  QImage plot;
  if (!photograph.isNull()) {
    plot = photograph.convertToFormat(QImage::Format_RGB32);
  } else {
    const int width = image.camera ? image.camera->native_width : 2272;
    const int height = image.camera ? image.camera->native_height : 1704;
    plot = QImage(std::clamp(width, 1, 20000), std::clamp(height, 1, 20000), QImage::Format_RGB32);
    plot.fill(QColor(90, 90, 90));
  }
  QPainter painter(&plot);
  painter.fillRect(plot.rect(), QColor(0, 0, 0, 170));
  painter.setRenderHint(QPainter::Antialiasing);
  // Lines and marks keep their width on large photographs.
  const double width = std::max(2.0, plot.width() / 600.0);
  const double ring = 4 * width;
  for (const ReferenceResidual& r : image_residuals(image).points) {
    const QPointF mark(r.point->image_position.x + image.centre_x, r.point->image_position.y + image.centre_y);
    const QColor colour = grade_colour(r.length);
    painter.setPen(QPen(QColor(255, 255, 255), width));
    painter.drawEllipse(mark, ring, ring);
    if (std::isfinite(r.length)) {
      painter.setPen(QPen(colour, width * 1.5, Qt::SolidLine, Qt::RoundCap));
      painter.drawLine(mark, mark + QPointF(r.delta.x * scale, r.delta.y * scale));
    }
    if (r.outlier) {
      painter.setPen(QPen(QColor(255, 60, 40), width));
      painter.drawLine(mark + QPointF(-2 * ring, -2 * ring), mark + QPointF(2 * ring, 2 * ring));
      painter.drawLine(mark + QPointF(-2 * ring, 2 * ring), mark + QPointF(2 * ring, -2 * ring));
    }
  }
  return plot;
}

}  // namespace plenvista
