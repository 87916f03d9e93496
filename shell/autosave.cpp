#include "shell/autosave.h"

#include <QDateTime>

namespace plenvista {

Autosaver::Autosaver(Project& project, std::string folder, ProcessIdentity self, int interval_minutes, QObject* parent)
    : QObject(parent),
      project_(project),
      folder_(std::move(folder)),
      self_(std::move(self)),
      started_ms_(QDateTime::currentMSecsSinceEpoch()),
      schedule_(interval_minutes) {
  connect(&timer_, &QTimer::timeout, this, [this] {
    if (schedule_.timer_due() && project_.modified) write_now();
  });
  set_interval(interval_minutes);
}

void Autosaver::set_interval(int minutes) {
  schedule_.set_interval(minutes);
  if (!active()) {
    timer_.stop();
    return;
  }
  timer_.setInterval(schedule_.interval_ms());
  timer_.start();
}

void Autosaver::edit_made() {
  if (schedule_.edit_made() && active()) write_now();
}

void Autosaver::write_now() {
  if (!active()) return;
  tell_failures();
  const std::string path = folder_ + "/" + recovery_file_name(project_.path, self_, started_ms_);
  if (!written_.empty() && written_ != path) writer_.remove(written_);
  writer_.write(prepare_recovery_copy(project_, path, self_, static_cast<double>(QDateTime::currentMSecsSinceEpoch())));
  written_ = path;
  schedule_.settled();
}

void Autosaver::discard() {
  schedule_.settled();
  if (written_.empty()) return;
  writer_.remove(written_);
  written_.clear();
}

void Autosaver::tell_failures() {
  if (failure_told_ || writer_.failures() == 0) return;
  failure_told_ = true;
  project_.messages.show("Cannot write the recovery copy in " + folder_ + ": unsaved changes are not kept safe",
                         "Autosave");
}

}  // namespace plenvista
