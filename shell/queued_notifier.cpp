#include "shell/queued_notifier.h"

#include <QMetaObject>

namespace plenvista {

void QueuedNotifier::bind(QObject* receiver, Handler handler) {
  receiver_ = receiver;
  handler_ = std::move(handler);
}

void QueuedNotifier::post(Notification notification, int argument) {
  if (!receiver_ || !handler_) return;
  QMetaObject::invokeMethod(
      receiver_.data(),
      [this, guard = receiver_, notification, argument] {
        if (guard && handler_) handler_(notification, argument);
      },
      Qt::QueuedConnection);
}

}  // namespace plenvista
