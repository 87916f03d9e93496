#pragma once

// CadView: one orthographic model view window, bound for its lifetime to one
// of the project's three CadViewState records. It draws every shown point
// and face along its current axis (0 Z: u = X, v = -Y; 1 X: u = -Z, v = -Y;
// 2 Y: u = X, v = Z) through that axis's zoom and scroll (model units, one
// unit per pixel at zoom 1), on grey, with a crosshair at the mouse that
// moves without redrawing the model. It selects points by click and rubber
// band, moves the selected points by dragging one of them ("Edit Points"),
// deletes with DELETE, clears the selection with ESC and cycles its axis
// with SHIFT. A sub-view whose zoom and scroll are the untouched 1 and
// (0, 0) (a new one, or one reset to them) is centred at the next paint, so
// the model origin starts in the middle of the window; any other is left
// where the user or the project file put it. fit_to_window()
// brings every shown point (mirror points included) into view along the
// current axis with a margin of a tenth of the model's size each side; a
// model without points is centred on its origin.
//
// The main window places it (client pixels), shows or hides it and chooses
// its axis; it calls refresh() after changes of the model. The record keeps
// what the project file stores; the mouse, the crosshair and a press are
// the view's, and a press names its point by id, so a point deleted before
// the release is simply no longer there.

#include "model/cad_view_state.h"
#include "model/project.h"
#include "views/model_view.h"

namespace plenvista {

// The view coordinates (u, v) of a model position along an axis (0 Z, 1 X, 2 Y).
Point2 axis_projection(int axis, const Vec3& p);

class CadView : public ModelView {
 public:
  CadView(Project& project, CadViewState& state, QWidget* parent);

  CadViewState& state() { return state_; }
  // Makes `axis` (0 Z, 1 X, 2 Y; anything else is ignored) the current axis;
  // its zoom and scroll state come with it.
  void set_current_axis(int axis);
  int current_axis() const { return state_.current_axis; }

  // Draws the model, after centring the sub-views that need it.
  void render(QImage& frame) override;
  void fit_to_window() override;
  // How many times the model was drawn: a mouse move must not add one.
  int renders() const { return renders_; }
  // Where the crosshair is to be drawn, client pixels; (0, 0): none.
  Point2 crosshair() const { return crosshair_mouse_; }

 protected:
  void paintEvent(QPaintEvent* event) override;
  void wheelEvent(QWheelEvent* event) override;
  void mouseMoveEvent(QMouseEvent* event) override;
  void mousePressEvent(QMouseEvent* event) override;
  void mouseReleaseEvent(QMouseEvent* event) override;

 private:
  void centre_sub_views();
  // Makes `axis` current; a CTRL-drag ends with the axis it held on to.
  void switch_axis(int axis);
  ProjectedPoints project_points(const IdList<ModelPoint>& list);
  QRegion crosshair_pixels(Point2 at) const;
  void cycle_axis();
  void clear_selection();
  void delete_selection();

  Project& project_;
  CadViewState& state_;
  int renders_ = 0;
  Point2 crosshair_mouse_;  // client pixels
  Point2 crosshair_drawn_;  // (0, 0): none drawn
  int pressed_point_ = 0;   // id of the point the last press landed on; 0: none
  Point2 press_position_;   // that press, in the current axis's view units
};

}  // namespace plenvista
