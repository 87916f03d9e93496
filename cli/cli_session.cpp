#include "cli/cli_session.h"

#include <ostream>

#include "base/number_text.h"
#include "persistence/project_file.h"
#include "persistence/project_lock.h"
#include "platform/this_process.h"

namespace plenvista {

void StreamMessages::show(const std::string& text, const std::string& caption) {
  err_ << caption << ": " << text << '\n';
}

CliSession::CliSession(std::ostream& err) : messages_(err), project_(settings_, notifier_, messages_) {}

bool CliSession::open(const std::string& path) {
  project_.path = path;
  switch (open_project(project_)) {
    case OpenResult::Opened:
      return true;
    // A file of another kind is refused without a word by the reader.
    case OpenResult::NotAProject:
      error("Not a project file: " + path);
      return false;
    case OpenResult::CannotOpen:
    case OpenResult::Damaged:
      return false;
  }
  return false;
}

bool CliSession::save() {
  if (!project_.path) return save_project(project_);
  // A project open in a window would later be saved over this change (or
  // this change over the window's): refuse while its lock is held.
  const std::string path = *project_.path;
  const ProcessIdentity self = current_process();
  const LockAttempt attempt = acquire_project_lock(path, self, process_alive);
  if (attempt.state == LockState::HeldByOther) {
    std::string text = path;
    text.append(" is open in Plenvista")
        .append(lock_owner_text(attempt.owner))
        .append(" and was not changed; close it there and run the command again");
    error(text);
    return false;
  }
  const bool saved = save_project(project_);
  if (attempt.state == LockState::Acquired) release_project_lock(path, self);
  return saved;
}

ProjectImage* find_image(CliSession& session, int id) {
  if (ProjectImage* image = session.project().images().images.find(id)) return image;
  session.error("No image with id " + std::to_string(id));
  return nullptr;
}

std::string vec_text(const Vec3& v, int decimals) {
  std::string text = "(";
  text += format_fixed(v.x, decimals);
  text += ", ";
  text += format_fixed(v.y, decimals);
  text += ", ";
  text += format_fixed(v.z, decimals);
  text += ')';
  return text;
}

}  // namespace plenvista
