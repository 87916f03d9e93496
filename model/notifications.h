#pragma once

// Notifications that model operations, views and panels post to the main
// window. They are queued and handled after the posting handler returns, in
// posting order; the numbers are the application message numbers.

namespace plenvista {

enum class Notification : int {
  DisplayChanged = 0x8005,
  CursorMoved = 0x8008,
  ImagesChanged = 0x800A,
  ModelChanged = 0x800B,
  SelectionChanged = 0x800C,
  RedrawViews = 0x800D,
};

class Notifier {
 public:
  virtual ~Notifier() = default;
  virtual void post(Notification notification, int argument) = 0;
};

}  // namespace plenvista
