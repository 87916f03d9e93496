#include "views/model_overlay.h"

#include <QPainter>
#include <QPen>
#include <array>
#include <cmath>
#include <utility>
#include <vector>

#include "views/frame_canvas.h"

namespace plenvista {
namespace {

constexpr int kArm = 5;

QRgb to_rgb(Colour c) { return qRgb(red_of(c), green_of(c), blue_of(c)); }

// Whole client pixels of a finite position; far positions are clamped so
// that the conversion stays defined (they are culled or clipped anyway).
QPoint pixel(Point2 p) {
  const auto whole = [](double v) { return static_cast<int>(std::trunc(std::clamp(v, -1e8, 1e8))); };
  return {whole(p.x), whole(p.y)};
}

class Culler {
 public:
  Culler(QSize client, int margin)
      : left_(-margin), top_(-margin), right_(client.width() + margin), bottom_(client.height() + margin) {}

  bool near(Point2 p) const { return p.x >= left_ && p.x <= right_ && p.y >= top_ && p.y <= bottom_; }
  // Whether a triangle may cross the area: false when all corners lie
  // beyond one of its edges.
  bool may_cross(const std::array<Point2, 3>& c) const {
    const auto all = [&c](auto beyond) { return beyond(c[0]) && beyond(c[1]) && beyond(c[2]); };
    return !(all([this](Point2 p) { return p.x < left_; }) || all([this](Point2 p) { return p.x > right_; }) ||
             all([this](Point2 p) { return p.y < top_; }) || all([this](Point2 p) { return p.y > bottom_; }));
  }

 private:
  double left_, top_, right_, bottom_;
};

bool corners_of(const ModelFace& face, const ProjectedPoints& first, const ProjectedPoints* second,
                std::array<Point2, 3>& out) {
  for (std::size_t i = 0; i < 3; ++i) {
    const ModelPoint* corner = face.corners[i];
    if (corner == nullptr || !corner->shown) return false;
    const Point2* p = first.find(corner);
    if (p == nullptr && second != nullptr) p = second->find(corner);
    if (p == nullptr || !is_finite(*p)) return false;
    out[i] = *p;
  }
  return true;
}

void outline(FrameCanvas& canvas, const std::array<Point2, 3>& c, QRgb colour, bool thick) {
  const QPoint a = pixel(c[0]), b = pixel(c[1]), d = pixel(c[2]);
  const auto draw = thick ? &FrameCanvas::thick_line : &FrameCanvas::line;
  (canvas.*draw)(a, b, colour);
  (canvas.*draw)(b, d, colour);
  (canvas.*draw)(d, a, colour);
}

// A cross of two 2-pixel bars with arms of 5 pixels.
void cross(FrameCanvas& canvas, QPoint at, QRgb colour) {
  canvas.fill_rect(at.x() - kArm, at.y() - 1, 2 * kArm + 1, 2, colour);
  canvas.fill_rect(at.x() - 1, at.y() - kArm, 2, 2 * kArm + 1, colour);
}

QRgb layer_colour(const ModelPoint& point) { return to_rgb(point.layer != nullptr ? point.layer->colour : 0); }

}  // namespace

void draw_model_overlay(QImage& frame, const ModelData& model, const ProjectedPoints& points,
                        const ProjectedPoints& mirror_points) {
  FrameCanvas canvas(frame);
  const Culler cull(frame.size(), 2 * kArm + 2);
  const bool mirrors = model.show_mirror_points != 0;

  const QRgb face_colour = to_rgb(model.face_line_colour);
  std::array<Point2, 3> c;
  for (const ModelFace* face : model.faces) {
    if (!face->shown || !corners_of(*face, points, nullptr, c) || !cull.may_cross(c)) continue;
    const bool selected = face->corners[0]->selected && face->corners[1]->selected && face->corners[2]->selected;
    outline(canvas, c, face_colour, selected);
  }
  if (mirrors) {
    const QRgb mirror_colour = to_rgb(model.mirror_face_line_colour);
    for (const ModelFace* face : model.mirror_faces)
      if (face->shown && corners_of(*face, mirror_points, &points, c) && cull.may_cross(c))
        outline(canvas, c, mirror_colour, false);
  }

  std::vector<std::pair<QPoint, QRgb>> circles;
  for (int i = 0; i < points.count(); ++i) {
    const ModelPoint& point = *points.list().at(i);
    const Point2 p = points.at(i);
    if (!point.shown || !is_finite(p) || !cull.near(p)) continue;
    const QPoint at = pixel(p);
    if (point.selected)
      circles.emplace_back(at, layer_colour(point));
    else if (point.picked_for_face)
      canvas.fill_rect(at.x() - kArm, at.y() - kArm, 2 * kArm, 2 * kArm, qRgb(0, 0, 255));
    else
      cross(canvas, at, layer_colour(point));
  }
  if (!circles.empty()) {
    QPainter painter(&frame);
    painter.setBrush(Qt::white);
    for (const auto& [at, colour] : circles) {
      painter.setPen(QPen(QColor(colour), 2));
      painter.drawEllipse(QRect(at.x() - kArm, at.y() - kArm, 2 * kArm, 2 * kArm));
    }
  }

  if (mirrors) {
    for (int i = 0; i < mirror_points.count(); ++i) {
      const ModelPoint& point = *mirror_points.list().at(i);
      const Point2 p = mirror_points.at(i);
      if (point.shown && is_finite(p) && cull.near(p)) cross(canvas, pixel(p), layer_colour(point));
    }
  }
}

}  // namespace plenvista
