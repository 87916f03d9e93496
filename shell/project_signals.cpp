#include "shell/project_signals.h"

#include <QMetaObject>

namespace plenvista {

void ProjectSignals::post(Notification notification, int argument) {
  QMetaObject::invokeMethod(
      this,
      [this, notification, argument] {
        switch (notification) {
          case Notification::DisplayChanged:
            emit displayChanged();
            break;
          case Notification::CursorMoved:
            emit cursorMoved();
            break;
          case Notification::ImagesChanged:
            emit imagesChanged();
            break;
          case Notification::ModelChanged:
            emit modelChanged();
            break;
          case Notification::SelectionChanged:
            emit selectionChanged(argument != 0);
            break;
          case Notification::RedrawViews:
            emit redrawViews();
            break;
        }
      },
      Qt::QueuedConnection);
}

}  // namespace plenvista
