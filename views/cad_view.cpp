#include "views/cad_view.h"

#include <QKeyEvent>
#include <QMouseEvent>
#include <QPaintEvent>
#include <QPainter>
#include <QWheelEvent>
#include <algorithm>
#include <limits>
#include <utility>

#include "model/edit_actions.h"
#include "model/zoom_pan.h"
#include "views/model_overlay.h"
#include "views/zoom_pan_mouse.h"

namespace plenvista {
namespace {

Point2 to_point(QPointF p) { return {p.x(), p.y()}; }

}  // namespace

Point2 axis_projection(int axis, const Vec3& p) {
  switch (axis) {
    case 1:
      return {-p.z, -p.y};
    case 2:
      return {p.x, p.z};
    default:
      return {p.x, -p.y};
  }
}

CadView::CadView(Project& project, CadViewState& state, QWidget* parent)
    : ModelView({[this] { cycle_axis(); }, [this] { clear_selection(); }, [this] { delete_selection(); }}, parent),
      project_(project),
      state_(state) {
  state_.bound_value = 2;
}

void CadView::set_current_axis(int axis) {
  if (axis < 0 || axis > 2 || axis == state_.current_axis) return;
  switch_axis(axis);
}

void CadView::switch_axis(int axis) {
  state_.current_axis = axis;
  mouse_.dragging = false;
  refresh();
}

void CadView::centre_sub_views() {
  for (ZoomPanState& sub : state_.sub_views) {
    if (!sub.untouched()) continue;
    sub.scroll_x = -(width() / 2);
    sub.scroll_y = -(height() / 2);
  }
}

void CadView::fit_to_window() {
  refresh_visibility(project_.model);
  const int axis = state_.current_axis;
  Point2 low{std::numeric_limits<double>::infinity(), std::numeric_limits<double>::infinity()};
  Point2 high{-low.x, -low.y};
  for (const IdList<ModelPoint>* list : {&project_.model.points, &project_.model.mirror_points}) {
    for (const ModelPoint* point : *list) {
      if (!point->shown) continue;
      const Point2 p = axis_projection(axis, point->position());
      low = {std::min(low.x, p.x), std::min(low.y, p.y)};
      high = {std::max(high.x, p.x), std::max(high.y, p.y)};
    }
  }
  if (low.x > high.x) low = high = Point2{};
  const double margin = 0.1 * std::max(high.x - low.x, high.y - low.y);
  if (!fit_box(state_.current(), view_size(), {low.x - margin, low.y - margin}, {high.x + margin, high.y + margin}))
    return;
  refresh();
}

ProjectedPoints CadView::project_points(const IdList<ModelPoint>& list) {
  const ZoomPanState& view = state_.current();
  const ViewSize size = view_size();
  const int axis = state_.current_axis;
  ProjectedPoints points;
  points.build(list,
               [&view, size, axis](const Vec3& p) { return image_to_client(view, size, axis_projection(axis, p)); });
  return points;
}

void CadView::render(QImage& frame) {
  ++renders_;
  centre_sub_views();
  frame.fill(QColor(160, 160, 160));
  ModelData& model = project_.model;
  refresh_visibility(model);
  draw_model_overlay(frame, model, project_points(model.points), project_points(model.mirror_points));
}

QRegion CadView::crosshair_pixels(Point2 at) const {
  if (at == Point2{}) return {};
  const int x = static_cast<int>(at.x);
  const int y = static_cast<int>(at.y);
  return QRegion(0, y, width(), 1) + QRegion(x, 0, 1, height());
}

void CadView::paintEvent(QPaintEvent* event) {
  QPainter painter(this);
  paint_frame(painter, *event);
  // The crosshair and the band are drawn over the model each time: what
  // they covered before has just been copied back from the frame.
  painter.setCompositionMode(QPainter::RasterOp_SourceXorDestination);
  for (const QRect& r : crosshair_pixels(crosshair_mouse_)) painter.fillRect(r, QColor(100, 100, 100));
  crosshair_drawn_ = crosshair_mouse_;
  paint_band(painter);
}

// ------------------------------------------------------------------- mouse

void CadView::wheelEvent(QWheelEvent* event) {
  event->accept();
  if (wheel_zoom(state_.current(), view_size(), mouse_, event->angleDelta().y(), isVisible())) refresh();
}

void CadView::mouseMoveEvent(QMouseEvent* event) {
  setFocus();
  if (band_.active) update(band_.follow(event->position().toPoint()));
  ZoomPanState& view = state_.current();
  const Point2 client = to_point(event->position());
  const bool panned = mouse_move_pan(view, view_size(), mouse_, event->modifiers() & Qt::ControlModifier, client);
  const Point2 at = client_to_image(view, view_size(), client);
  project_.cursor = {at.x, at.y, client.x, client.y};
  project_.post(Notification::CursorMoved);
  update(crosshair_pixels(crosshair_drawn_) + crosshair_pixels(client));
  crosshair_mouse_ = client;
  if (panned) refresh();
}

void CadView::mousePressEvent(QMouseEvent* event) {
  if (event->button() != Qt::LeftButton) return;
  const Point2 mouse = to_point(event->position());
  mouse_.client = mouse;
  press_position_ = client_to_image(state_.current(), view_size(), mouse);
  refresh_visibility(project_.model);
  const ModelPoint* pressed = first_under_mouse(project_, project_points(project_.model.points), mouse);
  pressed_point_ = pressed != nullptr ? pressed->id : 0;
  band_.start(event->position().toPoint());
  update(band_.rect.outline());
}

void CadView::mouseReleaseEvent(QMouseEvent* event) {
  if (event->button() != Qt::LeftButton) return;
  const Point2 mouse = to_point(event->position());
  const ModelPoint* const pressed = project_.model.points.find(std::exchange(pressed_point_, 0));
  if (band_.active) {
    update(band_.rect.outline());
    band_.active = false;
    if (pressed == nullptr) {
      refresh_visibility(project_.model);
      select_in_rectangle(project_, project_points(project_.model.points), band_.rect);
    }
  }
  mouse_.client = mouse;
  const Point2 at = client_to_image(state_.current(), view_size(), mouse);
  const double du = at.x - press_position_.x;
  const double dv = at.y - press_position_.y;
  if (pressed != nullptr && (du != 0.0 || dv != 0.0)) {
    switch (state_.current_axis) {
      case 1:
        edit_points(project_, 0.0, -dv, -du);
        break;
      case 2:
        edit_points(project_, du, 0.0, dv);
        break;
      default:
        edit_points(project_, du, -dv, 0.0);
        break;
    }
    project_.note_change();
  } else if (project_.select_mode == SelectMode::Select && !project_.images().reference_points_only) {
    refresh_visibility(project_.model);
    toggle_under_mouse(project_, project_points(project_.model.points), mouse);
  }
  refresh();
}

// -------------------------------------------------------------------- keys

void CadView::cycle_axis() { switch_axis((state_.current_axis + 1) % 3); }

void CadView::clear_selection() {
  project_.clear_selection();
  project_.note_change();
  refresh();
}

void CadView::delete_selection() {
  delete_selected(project_, nullptr);
  refresh();
}

}  // namespace plenvista
