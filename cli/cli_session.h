#pragma once

// What every command of the command-line tool works with: the output
// streams, a project created the way the main window creates it (defaults
// and the user's preferences, read only), and a message sink that writes
// "caption: text" lines to the error stream.
//
// A command opens its project, works on it in memory and saves it only
// once the whole command has succeeded; Save writes a temporary file beside
// the project file and renames it over it, so a failed command leaves the
// file as it was.

#include <iosfwd>
#include <string>

#include "model/notifications.h"
#include "model/project.h"
#include "model/user_messages.h"
#include "platform/qt_settings_store.h"

namespace plenvista {

inline constexpr int kExitSuccess = 0;
inline constexpr int kExitFailure = 1;
inline constexpr int kExitUsage = 2;

struct CliIo {
  std::ostream& out;
  std::ostream& err;
  bool progress = false;  // show progress of long work on `err`
};

class StreamMessages final : public MessageSink {
 public:
  explicit StreamMessages(std::ostream& err) : err_(err) {}
  void show(const std::string& text, const std::string& caption) override;

 private:
  std::ostream& err_;
};

// The tool has no window to notify.
class DiscardedNotifications final : public Notifier {
 public:
  void post(Notification, int) override {}
};

class CliSession {
 public:
  explicit CliSession(std::ostream& err);
  CliSession(const CliSession&) = delete;
  CliSession& operator=(const CliSession&) = delete;

  Project& project() { return project_; }
  MessageSink& messages() { return messages_; }

  // Opens the project file at `path` (relative to the working directory).
  // False when it cannot be read; the reason has been told.
  bool open(const std::string& path);
  // Saves the project at its path, holding its lock meanwhile. False when it
  // could not be written or another running Plenvista holds the project
  // open (told; the file is then left as it was).
  bool save();

  // "Error: text" and "Warning: text" lines.
  void error(const std::string& text) { messages_.show(text, "Error"); }
  void warning(const std::string& text) { messages_.show(text, "Warning"); }

 private:
  StreamMessages messages_;
  DiscardedNotifications notifier_;
  QtSettingsStore settings_;
  Project project_;
};

// The image of that id, or null with "No image with id N" told.
ProjectImage* find_image(CliSession& session, int id);

// "(x, y, z)" with that many decimals, locale-free.
std::string vec_text(const Vec3& v, int decimals);

}  // namespace plenvista
