#pragma once

// Autosaver: keeps a recovery copy of the window's project while it is
// modified: after every kEditsPerAutosave edits and at each tick of the
// autosave interval (minutes; 0 turns autosave off) when something changed
// since the last copy. The project is encoded on the GUI thread and the
// copy written by a RecoveryWriter on its worker thread. The copy is named
// after the project's current path; when the path changes, the next write
// replaces the old copy. Save and a normal close discard the copy. A
// failed write is told once per window, through the project's messages.

#include <QObject>
#include <QTimer>
#include <cstdint>
#include <string>

#include "base/process_identity.h"
#include "model/project.h"
#include "persistence/recovery.h"
#include "persistence/recovery_writer.h"

namespace plenvista {

class Autosaver : public QObject {
 public:
  // `folder` empty: nothing is ever written.
  Autosaver(Project& project, std::string folder, ProcessIdentity self, int interval_minutes,
            QObject* parent = nullptr);

  // An edit was made to the project.
  void edit_made();
  // Writes a copy of the project as it is now.
  void write_now();
  // The user chose another interval (minutes; 0 turns autosave off). A copy
  // already written stays until Save or close.
  void set_interval(int minutes);
  // The project was saved, closed or replaced: its copy goes.
  void discard();
  // Makes an existing copy (one just recovered) the project's copy: the
  // next write replaces it and discard removes it.
  void adopt(const std::string& path) { written_ = path; }
  // Waits until the worker has done everything asked so far.
  void wait_idle() { writer_.wait_idle(); }
  // The copy on disk (or on its way there); empty when there is none.
  const std::string& copy_path() const { return written_; }

 private:
  bool active() const { return !folder_.empty() && schedule_.enabled(); }
  void tell_failures();

  Project& project_;
  std::string folder_;
  ProcessIdentity self_;
  std::int64_t started_ms_;
  AutosaveSchedule schedule_;
  QTimer timer_;
  RecoveryWriter writer_;
  std::string written_;
  bool failure_told_ = false;
};

}  // namespace plenvista
