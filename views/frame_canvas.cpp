#include "views/frame_canvas.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>

namespace plenvista {
namespace {

// Liang-Barsky: cuts the segment a-b to the rectangle [0, w-1] x [0, h-1];
// false when nothing of it is inside.
bool clip(QPointF& a, QPointF& b, double w, double h) {
  const double dx = b.x() - a.x();
  const double dy = b.y() - a.y();
  double t0 = 0.0, t1 = 1.0;
  const auto edge = [&](double p, double q) {
    if (p == 0.0) return q >= 0.0;
    const double r = q / p;
    if (p < 0.0) {
      if (r > t1) return false;
      t0 = std::max(t0, r);
    } else {
      if (r < t0) return false;
      t1 = std::min(t1, r);
    }
    return true;
  };
  if (!edge(-dx, a.x()) || !edge(dx, w - 1 - a.x()) || !edge(-dy, a.y()) || !edge(dy, h - 1 - a.y())) return false;
  const QPointF start = a;
  a = start + QPointF(dx, dy) * t0;
  b = start + QPointF(dx, dy) * t1;
  return true;
}

}  // namespace

void FrameCanvas::fill_rect(int x, int y, int w, int h, QRgb colour) {
  const int left = std::max(x, 0), right = std::min(x + w, width_);
  const int top = std::max(y, 0), bottom = std::min(y + h, height_);
  if (left >= right) return;
  for (int row = top; row < bottom; ++row)
    std::fill(bits_ + row * stride_ + left, bits_ + row * stride_ + right, colour);
}

void FrameCanvas::line(QPoint a, QPoint b, QRgb colour) {
  if (inside(a) && inside(b)) {
    inner_line(a, b, colour);
    return;
  }
  QPointF from(a), to(b);
  if (!clip(from, to, width_, height_)) return;
  const auto whole = [](QPointF p) { return QPoint(static_cast<int>(p.x() + 0.5), static_cast<int>(p.y() + 0.5)); };
  const QPoint c = whole(from), d = whole(to);
  if (inside(c) && inside(d)) inner_line(c, d, colour);
}

void FrameCanvas::thick_line(QPoint a, QPoint b, QRgb colour) {
  line(a, b, colour);
  const QPoint beside = std::abs(b.x() - a.x()) >= std::abs(b.y() - a.y()) ? QPoint(0, -1) : QPoint(-1, 0);
  line(a + beside, b + beside, colour);
}

void FrameCanvas::inner_line(QPoint a, QPoint b, QRgb colour) {
  int x = a.x(), y = a.y();
  const int dx = std::abs(b.x() - x), dy = std::abs(b.y() - y);
  const int sx = x < b.x() ? 1 : -1;
  const qsizetype sy = y < b.y() ? stride_ : -stride_;
  QRgb* p = bits_ + y * stride_ + x;
  if (dx >= dy) {  // one pixel per column
    int error = 2 * dy - dx;
    for (int i = 0; i <= dx; ++i, p += sx) {
      *p = colour;
      if (error > 0) {
        p += sy;
        error -= 2 * dx;
      }
      error += 2 * dy;
    }
  } else {  // one pixel per row
    int error = 2 * dx - dy;
    for (int i = 0; i <= dy; ++i, p += sy) {
      *p = colour;
      if (error > 0) {
        p += sx;
        error -= 2 * dy;
      }
      error += 2 * dx;
    }
  }
}

}  // namespace plenvista
