#include "cli/cli_session.h"

#include <ostream>

#include "base/number_text.h"
#include "persistence/project_file.h"

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

bool CliSession::save() { return save_project(project_); }

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
