#pragma once

// Picking shared by the image view and the CAD view: the hit test, the
// rubber band and the selections it makes. Positions are client pixels.

#include <QPoint>
#include <QRect>
#include <QRegion>

#include "model/project.h"
#include "views/projected_points.h"

namespace plenvista {

// Whether a projected position is under the mouse: both are cut to whole
// pixels, as the marks are drawn, and the position must lie strictly within
// `size` pixels of the mouse in x and in y, a square of 2 size - 1 pixels
// around the drawn mark.
bool under_mouse(Point2 projected, Point2 mouse, int size);

// A rectangle by its edges, both included; normalised (left <= right,
// top <= bottom).
struct BandRect {
  int left = 0;
  int top = 0;
  int right = 0;
  int bottom = 0;
  static BandRect between(QPoint a, QPoint b);
  bool empty() const { return left == right || top == bottom; }
  bool contains(Point2 p) const { return p.x >= left && p.x <= right && p.y >= top && p.y <= bottom; }
  // The pixels of its 1-pixel outline.
  QRegion outline() const;
};

// The rubber band of a view: anchored at the press, following the mouse.
struct RubberBand {
  bool active = false;
  QPoint anchor;
  BandRect rect;

  void start(QPoint at) {
    active = true;
    anchor = at;
    rect = BandRect::between(at, at);
  }
  // Moves the free corner; returns the pixels to repaint (old and new outline).
  QRegion follow(QPoint to) {
    const QRegion old = rect.outline();
    rect = BandRect::between(anchor, to);
    return old + rect.outline();
  }
};

// The rubber band's selection, applied when it ends: nothing for an empty
// rectangle or outside select mode; in selection mode 0 every point is
// deselected first; each shown point inside (borders included) is selected
// in modes 0 and 1 and deselected in mode 2. Then Note change.
void select_in_rectangle(Project& project, const ProjectedPoints& points, const BandRect& rect);

// Toggles the selection of every shown point under the mouse, each toggle
// followed by Note change.
void toggle_under_mouse(Project& project, const ProjectedPoints& points, Point2 mouse);

// The first shown point under the mouse, in model order, or null.
ModelPoint* first_under_mouse(const Project& project, const ProjectedPoints& points, Point2 mouse);

}  // namespace plenvista
