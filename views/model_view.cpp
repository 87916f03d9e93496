#include "views/model_view.h"

#include <QFocusEvent>
#include <QPaintEvent>
#include <QPainter>

namespace plenvista {

ModelView::ModelView(ViewKeys::Actions keys, QWidget* parent) : QWidget(parent), keys_(std::move(keys)) {
  setAttribute(Qt::WA_OpaquePaintEvent);
  setMouseTracking(true);
  setFocusPolicy(Qt::ClickFocus);
}

void ModelView::refresh() {
  frame_stale_ = true;
  update();
}

void ModelView::paint_frame(QPainter& painter, const QPaintEvent& event) {
  const QRegion& region = event.region();
  const bool whole = region.rectCount() == 1 && region.boundingRect() == rect();
  if (frame_stale_ || whole || frame_.size() != size()) {
    if (frame_.size() != size()) frame_ = QImage(size(), QImage::Format_RGB32);
    render(frame_);
    frame_stale_ = false;
  }
  for (const QRect& r : region) painter.drawImage(r, frame_, r);
}

void ModelView::paint_band(QPainter& painter) const {
  if (!band_.active) return;
  // The band inverts what it covers.
  painter.setCompositionMode(QPainter::RasterOp_NotDestination);
  for (const QRect& r : band_.rect.outline()) painter.fillRect(r, Qt::black);
}

void ModelView::keyPressEvent(QKeyEvent* event) {
  if (!keys_.press(*event)) QWidget::keyPressEvent(event);
}

void ModelView::keyReleaseEvent(QKeyEvent* event) {
  keys_.release(*event);
  QWidget::keyReleaseEvent(event);
}

void ModelView::focusOutEvent(QFocusEvent* event) {
  keys_.forget();
  QWidget::focusOutEvent(event);
}

}  // namespace plenvista
