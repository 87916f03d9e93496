#pragma once

// CalibrationView: the Camera Editor's view of the grid photograph. It shows
// the photograph zoomed and scrolled like the image view (mouse wheel zooms
// about the mouse, moving with CTRL held pans), draws every intersection of
// the edited camera's corner table as a small white circle, and reports each
// left press as a photograph position (pixels, x right, y down) converted
// with the zoom and scroll in force at that moment.
//
// The view owns the calibration's GridPhoto. The photograph is decoded as a
// BMP file at the first paint (or press) after its path is set; a missing or
// unreadable file leaves the view black, without circles or a message, and
// is tried again at the next paint. Loading sets the camera's native size.
// ENTER and ESC pressed in the view are swallowed, so they never reach the
// dialog around it; HOME fits the whole photograph to the view
// (fit_to_window).

#include <QWidget>
#include <functional>
#include <optional>
#include <string>

#include "base/vec3.h"
#include "model/camera_model.h"
#include "model/zoom_pan.h"
#include "model/zoom_pan_state.h"
#include "photogrammetry/grid_photo.h"
#include "platform/photograph_reader.h"
#include "views/zoom_pan_mouse.h"

namespace plenvista {

class CalibrationView : public QWidget {
 public:
  // `camera` is the editor's camera; it must outlive the view.
  CalibrationView(CameraModel& camera, QWidget* parent);

  // Replaces the photograph's path (none: no photograph); the next paint
  // loads the new photograph.
  void set_photograph_path(std::optional<std::string> path);
  const std::optional<std::string>& photograph_path() const { return path_; }

  // Loads the photograph now if it is due; whether one is loaded.
  bool ensure_photograph();

  // The whole photograph in view, centred; nothing without one.
  void fit_to_window();

  GridPhoto& grid_photo() { return photo_; }
  ZoomPanState& zoom_pan() { return view_; }
  // The client area the zoom and scroll are applied to.
  ViewSize view_size() const { return {width(), height()}; }

  // Called with the photograph position of each left press.
  std::function<void(Point2)> pressed;

 protected:
  void paintEvent(QPaintEvent* event) override;
  void mousePressEvent(QMouseEvent* event) override;
  void mouseReleaseEvent(QMouseEvent* event) override;
  void mouseMoveEvent(QMouseEvent* event) override;
  void wheelEvent(QWheelEvent* event) override;
  void keyPressEvent(QKeyEvent* event) override;

 private:
  CameraModel& camera_;
  std::optional<std::string> path_;
  DrawnPhotograph picture_;  // null pixels until the photograph is loaded
  GridPhoto photo_;
  ZoomPanState view_;
  ZoomPanMouse mouse_;
};

}  // namespace plenvista
