#include "views/image_view.h"

#include <QCoreApplication>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPaintEvent>
#include <QPainter>
#include <QPixmap>
#include <QWheelEvent>
#include <algorithm>
#include <cmath>

#include "base/text.h"
#include "model/auto_ties.h"
#include "model/edit_actions.h"
#include "model/image_management.h"
#include "model/tie_points.h"
#include "model/zoom_pan.h"
#include "photogrammetry/point_triangulation.h"
#include "photogrammetry/projection.h"
#include "platform/photograph_problem.h"
#include "platform/photograph_reader.h"
#include "views/centred_message.h"
#include "views/model_overlay.h"
#include "views/photo_stretch.h"
#include "views/zoom_pan_mouse.h"

namespace plenvista {
namespace {

constexpr std::size_t kPhotosKept = 3;

Point2 to_point(QPointF p) { return {p.x(), p.y()}; }

// A square outline of `size` pixels around a small cross: the selection
// cursors show how far a click reaches.
QCursor selection_cursor(int size) {
  QPixmap picture(32, 32);
  picture.fill(Qt::transparent);
  QPainter p(&picture);
  p.setPen(Qt::black);
  p.drawRect(16 - size, 16 - size, 2 * size, 2 * size);
  p.drawLine(16, 12, 16, 20);
  p.drawLine(12, 16, 20, 16);
  p.end();
  return QCursor(picture, 16, 16);
}

// A cross with a small triangle beside it.
QCursor face_cursor() {
  QPixmap picture(32, 32);
  picture.fill(Qt::transparent);
  QPainter p(&picture);
  p.setPen(Qt::black);
  p.drawLine(16, 8, 16, 24);
  p.drawLine(8, 16, 24, 16);
  const QPoint triangle[3] = {{20, 4}, {30, 4}, {25, 12}};
  p.drawPolygon(triangle, 3);
  p.end();
  return QCursor(picture, 16, 16);
}

void draw_cross(QPainter& p, QPoint at, int arm, int offset) {
  p.drawLine(at.x() - arm, at.y() + offset, at.x() + arm, at.y() + offset);
  p.drawLine(at.x() + offset, at.y() - arm, at.x() + offset, at.y() + arm);
}

}  // namespace

ImageView::ImageView(Project& project, QWidget* parent)
    : ModelView({[this] { shift_down(); }, [this] { escape(); }, [this] { delete_selection(); }}, parent),
      project_(project),
      small_selection_(selection_cursor(5)),
      large_selection_(selection_cursor(15)),
      face_picking_(face_cursor()) {
  setObjectName("ImageView");
}

ProjectImage* ImageView::displayed_image() const { return plenvista::displayed_image(project_.images()); }

int ImageView::face_picks(const ProjectImage& image) { return held_face_picks(project_.model, picking_of(image).face); }

void ImageView::forget_vanished_picking() {
  std::erase_if(picking_, [this](const auto& entry) { return project_.images().images.find(entry.first) == nullptr; });
}

bool ImageView::model_drawn(const ProjectImage& image) const {
  return image.pose_known && !project_.images().reference_points_only;
}

const DrawnPhotograph* ImageView::photo_for(ProjectImage& image, std::string& problem) {
  const std::string& path = *image.resolved_path;
  // Zoomed out, a reduced decoding is all the screen can show; zooming in
  // past it decodes again, finer. A finer one already held is kept.
  const int reduction = reduction_for_zoom(image.view.zoom);
  const auto loaded = std::find_if(photos_.begin(), photos_.end(), [&](const LoadedPhoto& held) {
    return held.image_id == image.id && held.path == path && held.photo.reduction <= reduction;
  });
  if (loaded != photos_.end()) return &loaded->photo;
  // The photograph let go (this image's coarser one, else the one shown
  // longest ago once the view holds its fill) lends its memory.
  auto dropped =
      std::find_if(photos_.begin(), photos_.end(), [&](const LoadedPhoto& held) { return held.image_id == image.id; });
  if (dropped == photos_.end() && photos_.size() >= kPhotosKept) dropped = photos_.begin();
  QImage recycled;
  if (dropped != photos_.end()) {
    recycled = std::move(dropped->photo.pixels);
    photos_.erase(dropped);
  }
  DrawnPhotograph photo = read_photograph_for_drawing(path, reduction, &problem, std::move(recycled));
  if (photo.pixels.isNull()) return nullptr;
  image.pixel_width = photo.width;
  image.pixel_height = photo.height;
  photos_.push_back({image.id, path, std::move(photo)});
  return &photos_.back().photo;
}

ProjectedPoints ImageView::project_points(ProjectImage& image) const {
  const PreparedPose pose(image);
  ProjectedPoints points;
  const ViewSize size = view_size();
  points.build(project_.model.points, [&pose, &image, size](const Vec3& world) {
    return image_to_client(image.view, size, pose.project(world, true));
  });
  return points;
}

bool ImageView::fit_photograph(ProjectImage& image) {
  if (image.pixel_width <= 0 || image.pixel_height <= 0) {
    const std::optional<BitmapSize> size = read_photograph_size(*image.resolved_path);
    if (!size) return false;
    image.pixel_width = size->width;
    image.pixel_height = size->height;
  }
  return fit_box(image.view, view_size(), {0.0, 0.0}, {double(image.pixel_width), double(image.pixel_height)});
}

void ImageView::fit_to_window() {
  ProjectImage* image = displayed_image();
  if (image != nullptr && image->resolved_path && fit_photograph(*image)) refresh();
}

void ImageView::render(QImage& frame) {
  frame.fill(Qt::black);
  message_.clear();
  forget_vanished_picking();
  const ImageSet& images = project_.images();
  ProjectImage* image = displayed_image();
  if (image == nullptr && images.partner_mode && images.current != nullptr) message_ = kNoPartnerHint;
  if (image != nullptr && !image->resolved_path)
    message_ = QString::fromStdString(not_in_directories_message(shown(image->file_name)));
  if (image == nullptr || !image->resolved_path) {
    if (!message_.isEmpty()) draw_centred_message(frame, message_);
    return;
  }
  if (shown_.insert({image->id, *image->resolved_path}).second && image->view.untouched()) fit_photograph(*image);
  std::string problem;
  const DrawnPhotograph* photo = photo_for(*image, problem);
  if (photo == nullptr) {
    message_ = QString::fromStdString(problem);
    draw_centred_message(frame, message_);
    return;
  }
  stretch_photo(*photo, image->view, frame);

  if (project_.images().calibration_mode) {
    QPainter painter(&frame);
    if (image->pose_known) draw_residuals(painter, *image);
    draw_reference_points(painter, *image);
  }
  if (model_drawn(*image)) {
    ModelData& model = project_.model;
    refresh_visibility(model);
    const PreparedPose pose(*image);
    const ViewSize size = view_size();
    const auto project = [&pose, image, size](const Vec3& world) {
      return image_to_client(image->view, size, pose.project(world, true));
    };
    ProjectedPoints points, mirror_points;
    points.build(model.points, project);
    mirror_points.build(model.mirror_points, project);
    draw_model_overlay(frame, model, points, mirror_points);
  }
}

void ImageView::draw_reference_points(QPainter& painter, const ProjectImage& image) const {
  const Colour c = project_.model.reference_point_colour;
  const QColor reference_colour(red_of(c), green_of(c), blue_of(c));
  const auto client_of = [&image, size = view_size()](const ReferencePoint& mark) -> std::optional<QPoint> {
    const Point2 p = image_to_client(image.view, size, mark_pixel(image, mark));
    if (!is_finite(p) || std::abs(p.x) > 1e6 || std::abs(p.y) > 1e6) return std::nullopt;
    return QPoint(static_cast<int>(p.x), static_cast<int>(p.y));
  };
  painter.setBrush(Qt::white);
  for (const ReferencePoint* mark : image.reference_points) {
    const std::optional<QPoint> at = client_of(*mark);
    if (!at) continue;
    painter.setPen(QPen(mark->orientation_outlier ? QColor(Qt::red) : reference_colour, 0));
    if (mark->selected) {
      painter.drawEllipse(QRect(at->x() - 5, at->y() - 5, 10, 10));
    } else if (mark->outlier || mark->orientation_outlier) {
      for (int offset = -1; offset <= 1; ++offset) draw_cross(painter, *at, 15, offset);
    } else {
      draw_cross(painter, *at, 5, 0);
    }
  }
  painter.setBrush(Qt::NoBrush);
  for (const ReferencePoint* mark : image.tie_marks) {
    const std::optional<QPoint> at = client_of(*mark);
    if (!at) continue;
    const bool automatic = is_automatic_label(mark_label(project_.model, *mark));
    painter.setPen(QPen(automatic ? QColor(230, 0, 230) : QColor(0, 200, 255), 0));
    draw_cross(painter, *at, 6, 0);
  }
  if (marking_point_ == 0) return;
  if (const ReferencePoint* mark = find_mark_of(image, marking_point_))
    if (const std::optional<QPoint> at = client_of(*mark)) {
      painter.setPen(QPen(QColor(255, 230, 0), 2));
      painter.drawEllipse(*at, 9, 9);
    }
}

void ImageView::set_marking_point(int id) {
  marking_point_ = id;
  refresh();
}

void ImageView::set_residual_scale(double scale) {
  residual_scale_ = scale;
  refresh();
}

void ImageView::draw_residuals(QPainter& painter, const ProjectImage& image) const {
  painter.setRenderHint(QPainter::Antialiasing);
  for (const ReferenceResidual& r : image_residuals(image).points) {
    const Point2 mark{r.point->image_position.x + image.centre_x, r.point->image_position.y + image.centre_y};
    const Point2 from = image_to_client(image.view, view_size(), mark);
    const Point2 to = image_to_client(image.view, view_size(),
                                      {mark.x + r.delta.x * residual_scale_, mark.y + r.delta.y * residual_scale_});
    if (!is_finite(from) || !is_finite(to) || std::abs(from.x) > 1e6 || std::abs(from.y) > 1e6 ||
        std::abs(to.x) > 1e6 || std::abs(to.y) > 1e6)
      continue;
    const Colour c = residual_colour(r.length);
    const QColor colour = r.point->orientation_outlier ? QColor(Qt::red) : QColor(red_of(c), green_of(c), blue_of(c));
    painter.setPen(QPen(colour, 2, Qt::SolidLine, Qt::RoundCap));
    painter.drawLine(QPointF(from.x, from.y), QPointF(to.x, to.y));
  }
  painter.setRenderHint(QPainter::Antialiasing, false);
}

void ImageView::paintEvent(QPaintEvent* event) {
  QPainter painter(this);
  paint_frame(painter, *event);
  paint_band(painter);
}

// ------------------------------------------------------------------- mouse

void ImageView::wheelEvent(QWheelEvent* event) {
  event->accept();
  ProjectImage* image = displayed_image();
  if (image == nullptr) return;
  if (wheel_zoom(image->view, view_size(), mouse_, event->angleDelta().y(), isVisible())) refresh();
}

void ImageView::mouseMoveEvent(QMouseEvent* event) {
  setFocus();
  update_cursor();
  if (band_.active) update(band_.follow(event->position().toPoint()));
  ProjectImage* image = displayed_image();
  if (image == nullptr) return;
  const Point2 client = to_point(event->position());
  if (mouse_move_pan(image->view, view_size(), mouse_, event->modifiers() & Qt::ControlModifier, client)) refresh();
  const Point2 at = client_to_image(image->view, view_size(), client);
  project_.cursor = {at.x, at.y, client.x, client.y};
  project_.post(Notification::CursorMoved);
}

void ImageView::mousePressEvent(QMouseEvent* event) {
  if (event->button() != Qt::LeftButton) return;
  ProjectImage* image = displayed_image();
  if (image == nullptr) return;
  const Point2 mouse = to_point(event->position());
  mouse_.client = mouse;
  if (project_.images().calibration_mode) {
    ImagePicking& picking = picking_of(*image);
    picking.last_press = client_to_image(image->view, view_size(), mouse);
    picking.pressed_point = 0;
    if (model_drawn(*image)) {
      refresh_visibility(project_.model);
      if (const ModelPoint* pressed = first_under_mouse(project_, project_points(*image), mouse))
        picking.pressed_point = pressed->id;
    }
    return;
  }
  if (project_.point_mode == PointMode::Faces) pick_face_corners(*image, mouse);
  band_.start(event->position().toPoint());
  update(band_.rect.outline());
}

void ImageView::pick_face_corners(ProjectImage& image, Point2 mouse) {
  if (!model_drawn(image)) return;
  refresh_visibility(project_.model);
  const ProjectedPoints points = project_points(image);
  FacePicks& picks = picking_of(image).face;
  for (int i = 0; i < points.count(); ++i) {
    ModelPoint* point = points.list().at(i);
    if (!point->shown || !under_mouse(points.at(i), mouse, pixels(project_.model.selection_size))) continue;
    pick_face_corner(project_, picks, *point);
    project_.note_change();
    if (picks.count == 3) {
      add_picked_face(project_, image, picks);
      project_.note_change();
    }
  }
  refresh();
}

void ImageView::mouseReleaseEvent(QMouseEvent* event) {
  if (event->button() != Qt::LeftButton) return;
  ProjectImage* image = displayed_image();
  if (image == nullptr) return;
  const Point2 mouse = to_point(event->position());
  if (band_.active) {
    update(band_.rect.outline());
    band_.active = false;
    if (model_drawn(*image)) {
      refresh_visibility(project_.model);
      select_in_rectangle(project_, project_points(*image), band_.rect);
    }
  }
  mouse_.client = mouse;
  const Point2 at = client_to_image(image->view, view_size(), mouse);
  const Point2 marked = snapper_.mark_at(project_, *image, at, event->modifiers() & Qt::AltModifier);
  picking_of(*image).last_release = marked;
  refresh_visibility(project_.model);
  const ImageSet& images = project_.images();
  if (images.calibration_mode) {
    calibration_release(*image, mouse, at, marked);
  } else {
    if (model_drawn(*image) && project_.select_mode == SelectMode::Select && project_.point_mode == PointMode::Points)
      toggle_under_mouse(project_, project_points(*image), mouse);
    if (project_.select_mode == SelectMode::Create && project_.point_mode == PointMode::Points && images.partner_mode)
      add_point_from_clicks();
  }
  refresh();
}

void ImageView::add_point_from_clicks() {
  const ProjectImage* a = project_.images().current;
  if (a == nullptr || a->partner == nullptr) return;
  const ProjectImage& b = *a->partner;
  const Point2 click_a = picking_of(*a).last_release;
  const Point2 click_b = picking_of(b).last_release;
  const ModelPoint* point = add_point_from_partner_clicks(project_, click_a, click_b);
  if (point == nullptr || !point_made_) return;
  point_made_(*point, point_fit(point->position(), click_a, click_b, *a, b));
}

void ImageView::calibration_release(ProjectImage& image, Point2 mouse, Point2 at, Point2 marked) {
  ImageSet& images = project_.images();
  const ImagePicking& picking = picking_of(image);
  // A drag from a model point marks that point's position here.
  const ModelPoint* pressed = project_.model.points.find(picking.pressed_point);
  if (pressed != nullptr && !(at == picking.last_press)) {
    images.last_clicked = marked;
    add_reference_at_last_click(image, pressed->position());
    return;
  }
  if (marking_point_ != 0) {
    images.last_clicked = marked;
    mark_point_at(project_, image, marking_point_, marked);
    project_.note_change();
    return;
  }
  if (model_drawn(image)) {
    const ProjectedPoints points = project_points(image);
    bool hit = false;
    for (int i = 0; i < points.count(); ++i) {
      const bool under =
          points.list().at(i)->shown && under_mouse(points.at(i), mouse, pixels(project_.model.selection_size));
      project_.set_selection(i, under ? 1 : 0);
      hit = hit || under;
    }
    if (hit) {
      for (ReferencePoint* mark : image.reference_points) mark->selected = 0;
      project_.note_change();
      return;
    }
  }
  ReferencePoint* hit = nullptr;
  for (ReferencePoint* mark : image.reference_points) {
    const Point2 p = image_to_client(
        image.view, view_size(), {mark->image_position.x + image.centre_x, mark->image_position.y + image.centre_y});
    if (under_mouse(p, mouse, pixels(project_.model.selection_size))) {
      hit = mark;
      break;
    }
  }
  select_reference_point(project_, image, hit);
  project_.note_change();
  if (hit != nullptr) return;
  images.last_clicked = marked;
  if (images.pending_world_position) {
    add_reference_at_last_click(image, *images.pending_world_position, images.pending_control_point_id);
    return;
  }
  if (!ask_reference_) return;
  const std::optional<ReferenceChoice> choice = ask_reference_(this);
  if (!choice) return;
  if (choice->tie_label.empty()) {
    add_reference_at_last_click(image, choice->world, choice->control_point_id);
    return;
  }
  const TiePoint* tie = find_tie_point(project_.model, choice->tie_label);
  if (!tie) tie = add_tie_point(project_, choice->tie_label);
  if (tie) mark_point_at(project_, image, tie->id, images.last_clicked);
  project_.note_change();
}

void ImageView::add_reference_at_last_click(ProjectImage& image, const Vec3& world, int control_point_id) {
  ImageSet& images = project_.images();
  add_reference_point(project_, image, world,
                      {images.last_clicked.x - image.centre_x, images.last_clicked.y - image.centre_y},
                      control_point_id);
  images.pending_world_position.reset();
  project_.note_change();
}

void ImageView::clear_picks(ProjectImage& image) { clear_picks_and_selections(project_, image); }

// -------------------------------------------------------------------- keys

void ImageView::keyReleaseEvent(QKeyEvent* event) {
  ModelView::keyReleaseEvent(event);
  if (!event->isAutoRepeat() && event->key() == Qt::Key_Shift) shift_up();
}

bool ImageView::eventFilter(QObject* watched, QEvent* event) {
  if (event->type() == QEvent::KeyRelease && watched != this) {
    const auto* key = static_cast<QKeyEvent*>(event);
    if (!key->isAutoRepeat() && key->key() == Qt::Key_Shift) {
      key_released_elsewhere(*key);
      shift_up();
    }
  }
  return false;
}

void ImageView::shift_down() {
  ImageSet& images = project_.images();
  images.pending_world_position.reset();
  images.pending_control_point_id = 0;
  if (images.calibration_mode && images.current != nullptr) {
    for (const ReferencePoint* mark : images.current->reference_points) {
      if (mark->selected) {
        images.pending_world_position = mark->world_position;
        images.pending_control_point_id = mark->control_point_id;
        break;
      }
    }
    if (!images.pending_world_position) {
      for (const ModelPoint* point : project_.model.points) {
        if (point->selected) {
          images.pending_world_position = point->position();
          break;
        }
      }
    }
    clear_picks(*images.current);
  }
  images.partner_mode = 1;
  mouse_.dragging = false;  // another photograph shows: a CTRL-drag starts anew
  QCoreApplication::instance()->installEventFilter(this);
  update_cursor();
  refresh();
}

void ImageView::shift_up() {
  ImageSet& images = project_.images();
  images.pending_world_position.reset();
  if (images.calibration_mode)
    if (ProjectImage* image = displayed_image()) clear_picks(*image);
  images.partner_mode = 0;
  mouse_.dragging = false;
  QCoreApplication::instance()->removeEventFilter(this);
  refresh();
}

void ImageView::escape() {
  cancel_picks(project_, displayed_image());
  project_.note_change();
  refresh();
}

void ImageView::delete_selection() {
  delete_selected(project_, project_.images().calibration_mode ? displayed_image() : nullptr);
  refresh();
}

void ImageView::update_cursor() {
  if (project_.select_mode == SelectMode::Select)
    setCursor(project_.model.selection_size == SelectionSize::Small ? small_selection_ : large_selection_);
  else
    setCursor(project_.point_mode == PointMode::Points ? QCursor(Qt::CrossCursor) : face_picking_);
}

}  // namespace plenvista
