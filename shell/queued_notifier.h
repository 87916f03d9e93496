#pragma once

// QueuedNotifier: the GUI's Notifier. Each post is queued on the receiver's
// event loop and handed to the handler after the posting code has returned,
// in posting order. Posts made before a handler is set, or after the
// receiver is gone, are dropped.

#include <QObject>
#include <QPointer>
#include <functional>

#include "model/notifications.h"

namespace plenvista {

class QueuedNotifier : public Notifier {
 public:
  using Handler = std::function<void(Notification, int)>;

  // Delivers to `handler` on `receiver`'s thread while `receiver` lives.
  void bind(QObject* receiver, Handler handler);
  void post(Notification notification, int argument) override;

 private:
  QPointer<QObject> receiver_;
  Handler handler_;
};

}  // namespace plenvista
