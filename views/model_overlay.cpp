#include "views/model_overlay.h"

#include <QColor>
#include <QLineF>
#include <QPen>
#include <QRect>
#include <array>
#include <cmath>
#include <utility>
#include <vector>

namespace plenvista {
namespace {

constexpr int kArm = 5;

QColor to_qcolor(Colour c) { return QColor(red_of(c), green_of(c), blue_of(c)); }

// Whole client pixels of a finite position; far positions are clamped so
// that the conversion stays defined (they are culled anyway).
QPoint pixel(Point2 p) {
  const auto clamp = [](double v) { return static_cast<int>(std::trunc(std::clamp(v, -1e8, 1e8))); };
  return {clamp(p.x), clamp(p.y)};
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

// Face outlines, gathered so that each pen draws all its lines at once.
void add_outline(std::vector<QLineF>& lines, const std::array<Point2, 3>& c) {
  const QPointF a(pixel(c[0])), b(pixel(c[1])), d(pixel(c[2]));
  lines.emplace_back(a, b);
  lines.emplace_back(b, d);
  lines.emplace_back(d, a);
}

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

void draw_lines(QPainter& painter, const std::vector<QLineF>& lines, Colour colour, int width) {
  if (lines.empty()) return;
  QPen pen(to_qcolor(colour));
  pen.setWidth(width == 1 ? 0 : width);  // width 0: the fast one-pixel pen
  painter.setPen(pen);
  painter.drawLines(lines.data(), static_cast<int>(lines.size()));
}

// Crosses of one colour as two 2-pixel bars each.
struct CrossBatch {
  Colour colour;
  std::vector<QRect> bars;
};

void add_cross(std::vector<CrossBatch>& batches, Colour colour, QPoint at) {
  if (batches.empty() || batches.back().colour != colour) {
    auto same = std::find_if(batches.begin(), batches.end(), [colour](const CrossBatch& b) { return b.colour == colour; });
    if (same == batches.end()) {
      batches.push_back({colour, {}});
    } else {
      std::iter_swap(same, batches.end() - 1);
    }
  }
  std::vector<QRect>& bars = batches.back().bars;
  bars.emplace_back(at.x() - kArm, at.y() - 1, 2 * kArm + 1, 2);
  bars.emplace_back(at.x() - 1, at.y() - kArm, 2, 2 * kArm + 1);
}

void draw_crosses(QPainter& painter, const std::vector<CrossBatch>& batches) {
  painter.setPen(Qt::NoPen);
  for (const CrossBatch& batch : batches) {
    painter.setBrush(to_qcolor(batch.colour));
    painter.drawRects(batch.bars.data(), static_cast<int>(batch.bars.size()));
  }
  painter.setBrush(Qt::NoBrush);
}

}  // namespace

void draw_model_overlay(QPainter& painter, const ModelData& model, const ProjectedPoints& points,
                        const ProjectedPoints& mirror_points, QSize client) {
  painter.save();
  painter.setRenderHint(QPainter::Antialiasing, false);
  const Culler cull(client, 2 * kArm + 2);
  const bool mirrors = model.show_mirror_points != 0;

  std::vector<QLineF> thin, thick;
  thin.reserve(static_cast<std::size_t>(model.faces.count()) * 3);
  std::array<Point2, 3> c;
  for (const ModelFace* face : model.faces) {
    if (!face->shown || !corners_of(*face, points, nullptr, c) || !cull.may_cross(c)) continue;
    const bool selected = face->corners[0]->selected && face->corners[1]->selected && face->corners[2]->selected;
    add_outline(selected ? thick : thin, c);
  }
  draw_lines(painter, thin, model.face_line_colour, 1);
  draw_lines(painter, thick, model.face_line_colour, 2);

  if (mirrors) {
    thin.clear();
    for (const ModelFace* face : model.mirror_faces)
      if (face->shown && corners_of(*face, mirror_points, &points, c) && cull.may_cross(c)) add_outline(thin, c);
    draw_lines(painter, thin, model.mirror_face_line_colour, 1);
  }

  std::vector<CrossBatch> crosses;
  std::vector<std::pair<QPoint, Colour>> circles;
  std::vector<QRect> squares;
  for (int i = 0; i < points.count(); ++i) {
    const ModelPoint& point = *points.list().at(i);
    const Point2 p = points.at(i);
    if (!point.shown || !is_finite(p) || !cull.near(p)) continue;
    const Colour colour = point.layer != nullptr ? point.layer->colour : 0;
    if (point.selected)
      circles.emplace_back(pixel(p), colour);
    else if (point.picked_for_face)
      squares.emplace_back(pixel(p).x() - kArm, pixel(p).y() - kArm, 2 * kArm, 2 * kArm);
    else
      add_cross(crosses, colour, pixel(p));
  }
  draw_crosses(painter, crosses);
  painter.setBrush(Qt::white);
  for (const auto& [at, colour] : circles) {
    painter.setPen(QPen(to_qcolor(colour), 2));
    painter.drawEllipse(QRect(at.x() - kArm, at.y() - kArm, 2 * kArm, 2 * kArm));
  }
  painter.setPen(Qt::NoPen);
  painter.setBrush(QColor(0, 0, 255));
  painter.drawRects(squares.data(), static_cast<int>(squares.size()));

  if (mirrors) {
    crosses.clear();
    for (int i = 0; i < mirror_points.count(); ++i) {
      const ModelPoint& point = *mirror_points.list().at(i);
      const Point2 p = mirror_points.at(i);
      if (point.shown && is_finite(p) && cull.near(p))
        add_cross(crosses, point.layer != nullptr ? point.layer->colour : 0, pixel(p));
    }
    draw_crosses(painter, crosses);
  }
  painter.restore();
}

}  // namespace plenvista
