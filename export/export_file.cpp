#include "export/export_file.h"

namespace plenvista {

WriteResult write_export_file(Project& project, const std::string& path, std::string_view text) {
  const WriteResult result = write_file_atomically(path, text);
  if (result == WriteResult::CannotOpen) project.messages.show("Cannot Open Export File", "Error");
  else if (result == WriteResult::WriteFailed) project.messages.show("Cannot write export file (" + path + ")", "Error");
  return result;
}

}  // namespace plenvista
