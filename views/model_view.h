#pragma once

// ModelView: what the image view and the CAD view share. A frame the size
// of the window (client pixels) is drawn off-screen by the view's render()
// and copied to the window; it is drawn anew only after refresh() or when
// the whole window is to be painted, so a rubber band or a crosshair moving
// over it costs a copy of the pixels it touched. HOME is View > Fit to
// Window's key (the main window's command). The rubber band is drawn
// inverted over the frame. SHIFT, ESC, DELETE and ENTER go to the view's
// own actions (views/view_keys.h); other keys go on. The view takes the
// keyboard focus when clicked and follows the mouse without a button held.
// The view's size and the mouse (its position, a CTRL-drag) are the view's
// own; the records hold only the zoom and scroll the project file keeps.

#include <QImage>
#include <QWidget>

#include "model/zoom_pan.h"
#include "views/view_keys.h"
#include "views/view_picking.h"
#include "views/zoom_pan_mouse.h"

class QPainter;
class QPaintEvent;

namespace plenvista {

class ModelView : public QWidget {
 public:
  // Draws the next paint anew.
  void refresh();
  // Draws everything a paint shows except what is drawn over the frame
  // (rubber band, crosshair) into `frame` (Format_RGB32, the client size).
  virtual void render(QImage& frame) = 0;
  // Zooms and scrolls so that everything the view shows (the photograph,
  // the model) is in view, and redraws. A change of view only: the project
  // is not marked modified.
  virtual void fit_to_window() = 0;
  // The client area the zoom and scroll are applied to.
  ViewSize view_size() const { return {width(), height()}; }

 protected:
  ModelView(ViewKeys::Actions keys, QWidget* parent);

  // Brings the frame up to date for `event` and copies the parts of it that
  // the event repaints.
  void paint_frame(QPainter& painter, const QPaintEvent& event);
  void paint_band(QPainter& painter) const;

  void keyPressEvent(QKeyEvent* event) override;
  void keyReleaseEvent(QKeyEvent* event) override;
  void focusOutEvent(QFocusEvent* event) override;
  // A key went up in another widget: the next press here is a first one.
  void key_released_elsewhere(const QKeyEvent& event) { keys_.release(event); }

  RubberBand band_;
  ZoomPanMouse mouse_;

 private:
  QImage frame_;
  bool frame_stale_ = true;
  ViewKeys keys_;
};

}  // namespace plenvista
