#pragma once

// Test doubles that record what the core posts and shows.

#include <string>
#include <utility>
#include <vector>

#include "model/notifications.h"
#include "model/user_messages.h"

namespace plenvista::test_support {

struct Posted {
  Notification notification;
  int argument;
  friend bool operator==(const Posted&, const Posted&) = default;
};

class RecordingNotifier : public Notifier {
 public:
  void post(Notification notification, int argument) override { posted.push_back({notification, argument}); }
  std::vector<Posted> posted;
};

struct Shown {
  std::string text;
  std::string caption;
  friend bool operator==(const Shown&, const Shown&) = default;
};

class RecordingMessages : public MessageSink {
 public:
  void show(const std::string& text, const std::string& caption) override { shown.push_back({text, caption}); }
  std::vector<Shown> shown;
};

}  // namespace plenvista::test_support
