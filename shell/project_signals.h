#pragma once

// ProjectSignals: the GUI's Notifier. Each post is queued on the event loop
// and emitted as the signal of its kind after the posting code has
// returned, in posting order; a post made while a signal is being handled
// waits behind those already queued. Panels and views connect to the
// signals they need. Posts still queued when the object is destroyed are
// dropped.

#include <QObject>

#include "model/notifications.h"

namespace plenvista {

class ProjectSignals : public QObject, public Notifier {
  Q_OBJECT

 public:
  using QObject::QObject;

  void post(Notification notification, int argument) override;

 signals:
  // Which views the display mode and the shown panel page call for.
  void displayChanged();
  // The project's cursor position.
  void cursorMoved();
  // Photographs, their marks or the model's display settings.
  void imagesChanged();
  // Points or faces after an edit.
  void modelChanged();
  // `single_point` while exactly one point is selected.
  void selectionChanged(bool single_point);
  void redrawViews();
};

}  // namespace plenvista
