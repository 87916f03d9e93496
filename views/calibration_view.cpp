#include "views/calibration_view.h"

#include <QMouseEvent>
#include <QPainter>
#include <QWheelEvent>
#include <cmath>
#include <memory>
#include <utility>

#include "model/zoom_pan.h"
#include "platform/photograph_reader.h"
#include "views/closing_keys.h"
#include "views/photo_stretch.h"
#include "views/zoom_pan_mouse.h"

namespace plenvista {

namespace {
constexpr int kCircleRadius = 5;
}

CalibrationView::CalibrationView(CameraModel& camera, QWidget* parent) : QWidget(parent), camera_(camera) {
  setObjectName("CalibrationView");
  setMouseTracking(true);
  setFocusPolicy(Qt::StrongFocus);
  setAttribute(Qt::WA_OpaquePaintEvent);
}

void CalibrationView::set_photograph_path(std::optional<std::string> path) {
  path_ = std::move(path);
  picture_ = {};
  set_grid_photograph(photo_, camera_, nullptr);
  update();
}

bool CalibrationView::ensure_photograph() {
  if (!picture_.pixels.isNull()) return true;
  if (!path_) return false;
  std::optional<RgbImage> pixels = read_photograph_pixels(*path_);
  if (!pixels || pixels->width() <= 0 || pixels->height() <= 0) return false;
  picture_ = {to_qimage(*pixels), 1, pixels->width(), pixels->height()};
  set_grid_photograph(photo_, camera_, std::make_unique<RgbImage>(std::move(*pixels)));
  return true;
}

void CalibrationView::fit_to_window() {
  if (!ensure_photograph()) return;
  fit_box(view_, view_size(), {0.0, 0.0}, {double(picture_.width), double(picture_.height)});
  update();
}

void CalibrationView::paintEvent(QPaintEvent*) {
  QPainter painter(this);
  if (!ensure_photograph()) {
    painter.fillRect(rect(), Qt::black);
    return;
  }
  QImage frame(size(), QImage::Format_RGB32);
  stretch_photo(picture_, view_, frame);
  painter.drawImage(0, 0, frame);
  if (!camera_.has_tables() || camera_.rows < 1 || camera_.rows > kMaxGridCells || camera_.columns < 1 ||
      camera_.columns > kMaxGridCells)
    return;
  painter.setPen(QPen(Qt::black, 1));
  painter.setBrush(Qt::white);
  for (int i = 0; i <= camera_.rows; ++i) {
    for (int j = 0; j <= camera_.columns; ++j) {
      const Point2 c = image_to_client(view_, view_size(), camera_.corner(i, j));
      if (!std::isfinite(c.x) || !std::isfinite(c.y) || std::abs(c.x) > 1e6 || std::abs(c.y) > 1e6) continue;
      const QPoint centre(static_cast<int>(c.x), static_cast<int>(c.y));
      painter.drawEllipse(
          QRect(centre.x() - kCircleRadius, centre.y() - kCircleRadius, 2 * kCircleRadius, 2 * kCircleRadius));
    }
  }
}

void CalibrationView::mousePressEvent(QMouseEvent* event) {
  if (event->button() != Qt::LeftButton) return;
  mouse_.client = {event->position().x(), event->position().y()};
  const Point2 at = client_to_image(view_, view_size(), mouse_.client);
  ensure_photograph();
  if (pressed) pressed(at);
}

void CalibrationView::mouseReleaseEvent(QMouseEvent* event) {
  if (event->button() == Qt::LeftButton) mouse_.client = {event->position().x(), event->position().y()};
}

void CalibrationView::mouseMoveEvent(QMouseEvent* event) {
  setFocus();
  const QPointF p = event->position();
  if (mouse_move_pan(view_, view_size(), mouse_, event->modifiers().testFlag(Qt::ControlModifier), {p.x(), p.y()}))
    update();
}

void CalibrationView::wheelEvent(QWheelEvent* event) {
  if (wheel_zoom(view_, view_size(), mouse_, event->angleDelta().y(), isVisible())) update();
}

void CalibrationView::keyPressEvent(QKeyEvent* event) {
  if (event->key() == Qt::Key_Home) {
    fit_to_window();
    event->accept();
    return;
  }
  if (!swallow_closing_key(event)) QWidget::keyPressEvent(event);
}

}  // namespace plenvista
