#include "views/view_picking.h"

#include <algorithm>
#include <cmath>

namespace plenvista {

bool under_mouse(Point2 projected, Point2 mouse, int size) {
  const double mx = std::trunc(mouse.x);
  const double my = std::trunc(mouse.y);
  const double px = std::trunc(projected.x);
  const double py = std::trunc(projected.y);
  return px - size < mx && mx < px + size && py - size < my && my < py + size;
}

BandRect BandRect::between(QPoint a, QPoint b) {
  return {std::min(a.x(), b.x()), std::min(a.y(), b.y()), std::max(a.x(), b.x()), std::max(a.y(), b.y())};
}

QRegion BandRect::outline() const {
  const int w = right - left + 1;
  const int h = bottom - top + 1;
  QRegion r(left, top, w, 1);
  r += QRect(left, bottom, w, 1);
  r += QRect(left, top, 1, h);
  r += QRect(right, top, 1, h);
  return r;
}

void select_in_rectangle(Project& project, const ProjectedPoints& points, const BandRect& rect) {
  if (rect.empty() || project.select_mode != SelectMode::Select) return;
  const SelectionMode mode = project.model.selection_mode;
  if (mode == SelectionMode::New)
    for (int i = 0; i < points.count(); ++i) project.set_selection(i, false);
  for (int i = 0; i < points.count(); ++i)
    if (points.list().at(i)->shown && rect.contains(points.at(i)))
      project.set_selection(i, mode != SelectionMode::Remove);
  project.note_change();
}

void toggle_under_mouse(Project& project, const ProjectedPoints& points, Point2 mouse) {
  for (int i = 0; i < points.count(); ++i) {
    if (!points.list().at(i)->shown || !under_mouse(points.at(i), mouse, pixels(project.model.selection_size)))
      continue;
    project.toggle_selection(i);
    project.note_change();
  }
}

ModelPoint* first_under_mouse(const Project& project, const ProjectedPoints& points, Point2 mouse) {
  for (int i = 0; i < points.count(); ++i)
    if (points.list().at(i)->shown && under_mouse(points.at(i), mouse, pixels(project.model.selection_size)))
      return points.list().at(i);
  return nullptr;
}

}  // namespace plenvista
