#pragma once

// ImageView: the main window's photograph view. It shows the displayed image
// (the current image, or its partner while partner mode is on) stretched
// through the image's own zoom and scroll, overlays the model projected
// through the image's camera pose and, in calibration mode, the image's
// reference points; it turns the user's mouse and keys into edits of the
// project (new points from two photographs, faces from three picks,
// selections, reference points). Every edit ends with the project's Note
// change; the view repaints itself after its own changes and whenever
// refresh() is called. Where a click becomes a mark (a reference mark, or
// one of the two clicks that make a point) it is snapped onto the target
// or corner under it, unless ALT is held (views/mark_snapper.h).
//
// Positions are client pixels of this view, photograph pixels (x right, y
// down) of the displayed image, or model units. The view holds no model
// data: only the decoded photographs (the last few shown, reloaded when an
// image's path changes or when zooming in needs a finer decoding than the
// reduced one of a zoomed-out view), the drawn frame, the rubber band, the
// last key, the mouse and each photograph's picking state (ImagePicking:
// never saved, naming points by id, so a point deleted or re-created by
// undo is never reached through it).
// A photograph shown for the first time since the view was made, whose
// zoom and scroll are still the untouched 1 and (0, 0), is fitted to the
// view first (fit_to_window); a view state the user set is left alone.
// Fitting changes no saved record, so the project is not marked modified.
//
// A photograph that cannot be shown leaves the view black with a centred
// message naming the file and why (not found along the project's
// directories, or the reader's refusal: platform/photograph_problem.h); it
// is tried again at the next paint. SHIFT on an image without a partner
// shows the hint kNoPartnerHint in the same way. An image without a known
// pose, or one whose projection fails (no camera grid, a point at depth 0),
// shows no model marks.
//
// In calibration mode a located image's reference points also show their
// residuals: a line from each mark towards where the pose projects it,
// residual_scale() times as long as the residual (10 unless set), green,
// yellow or red by the residual's size in photograph pixels. Marks of tie
// points not yet placed show as crosses (the user's cyan, those found
// automatically magenta); a mark the last orientation reported as an
// outlier as a large red cross with a red residual line. While a control or
// tie point is the marking point (the "Tie Points" dock's current row) its
// mark is ringed in yellow, and a click in calibration mode marks it there
// without a dialog, moving the mark the photograph has of it already.

#include <QCursor>
#include <QImage>
#include <functional>
#include <map>
#include <optional>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include "model/face_picks.h"
#include "model/project.h"
#include "photogrammetry/residuals.h"
#include "platform/photograph_reader.h"
#include "views/mark_snapper.h"
#include "views/model_view.h"

namespace plenvista {

// The X, Y, Z of a new reference point and the control point they were
// taken from (0 when typed); or, with `tie_label` set, the label of the tie
// point the click marks (made when new).
struct ReferenceChoice {
  ReferenceChoice(const Vec3& world_position, int control_point = 0, std::string tie = {})
      : world(world_position), control_point_id(control_point), tie_label(std::move(tie)) {}
  Vec3 world;
  int control_point_id = 0;
  std::string tie_label;
};

// The image view's clicks in one photograph.
struct ImagePicking {
  int pressed_point = 0;  // the model point a calibration-mode press landed on (id; 0: none)
  Point2 last_press;      // photograph pixels
  Point2 last_release;    // photograph pixels, where the release marks (snapped)
  FacePicks face;         // corners picked for a new face
};

// What the view shows in partner mode while the current image has no partner.
inline constexpr const char* kNoPartnerHint =
    "No partner photograph: choose one with SHIFT held in the list, or with Use as Partner";

class ImageView : public ModelView {
 public:
  // Asks the X, Y, Z of a new reference point, starting from (0, 0, 0);
  // none when the user cancels.
  using ReferenceAsker = std::function<std::optional<ReferenceChoice>(QWidget* parent)>;

  ImageView(Project& project, QWidget* parent);

  // Told after a point has been made from two photographs, with how well
  // it fits the two clicks.
  using PointListener = std::function<void(const ModelPoint& point, const PointFit& fit)>;

  Project& project() { return project_; }
  void set_reference_asker(ReferenceAsker ask) { ask_reference_ = std::move(ask); }
  void set_point_listener(PointListener listener) { point_made_ = std::move(listener); }
  double residual_scale() const { return residual_scale_; }
  // The control or tie point that clicks mark (0: none, clicks ask); the
  // view redraws.
  void set_marking_point(int id);
  int marking_point() const { return marking_point_; }
  // Lines `scale` times the residual; the view redraws.
  void set_residual_scale(double scale);

  // The image that paints and clicks address, or null.
  ProjectImage* displayed_image() const;
  // Draws the photograph and the marks over it.
  void render(QImage& frame) override;
  // The whole displayed photograph in view, centred.
  void fit_to_window() override;
  // The message the view shows instead of a photograph; empty when it
  // shows one.
  const QString& message() const { return message_; }
  // How many face corners picked in `image` still count (model/face_picks.h).
  int face_picks(const ProjectImage& image);

 protected:
  void paintEvent(QPaintEvent* event) override;
  void wheelEvent(QWheelEvent* event) override;
  void mouseMoveEvent(QMouseEvent* event) override;
  void mousePressEvent(QMouseEvent* event) override;
  void mouseReleaseEvent(QMouseEvent* event) override;
  void keyReleaseEvent(QKeyEvent* event) override;
  // While partner mode is on: SHIFT released anywhere in the program ends
  // it (the user may have clicked the photograph list meanwhile).
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  struct LoadedPhoto {
    int image_id = 0;
    std::string path;
    DrawnPhotograph photo;
  };

  // Null, with the reader's message in `problem`, when it cannot be decoded.
  const DrawnPhotograph* photo_for(ProjectImage& image, std::string& problem);
  // Fits from the photograph's size (from its headers when not yet known).
  bool fit_photograph(ProjectImage& image);
  ImagePicking& picking_of(const ProjectImage& image) { return picking_[image.id]; }
  // Forgets the picking of photographs no longer in the project.
  void forget_vanished_picking();
  bool model_drawn(const ProjectImage& image) const;
  ProjectedPoints project_points(ProjectImage& image) const;
  void draw_reference_points(QPainter& painter, const ProjectImage& image) const;
  void draw_residuals(QPainter& painter, const ProjectImage& image) const;
  void add_point_from_clicks();

  void pick_face_corners(ProjectImage& image, Point2 mouse);
  void clear_picks(ProjectImage& image);
  // `at`: the photograph position under the mouse; `marked`: the one a new
  // mark takes.
  void calibration_release(ProjectImage& image, Point2 mouse, Point2 at, Point2 marked);
  void add_reference_at_last_click(ProjectImage& image, const Vec3& world, int control_point_id = 0);
  void shift_down();
  void shift_up();
  void escape();
  void delete_selection();
  void update_cursor();

  Project& project_;
  ReferenceAsker ask_reference_;
  PointListener point_made_;
  MarkSnapper snapper_;
  double residual_scale_ = 10.0;
  int marking_point_ = 0;
  std::vector<LoadedPhoto> photos_;  // most recently loaded last
  // The images (id and file) shown since the view was made.
  std::set<std::pair<int, std::string>> shown_;
  std::map<int, ImagePicking> picking_;  // by image id
  QString message_;
  QCursor small_selection_;
  QCursor large_selection_;
  QCursor face_picking_;
};

}  // namespace plenvista
