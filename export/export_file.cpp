#include "export/export_file.h"

namespace plenvista {

WriteResult write_export_file(Project& project, const std::string& path, const std::function<void(TextOut&)>& write) {
  AtomicFileWriter file(path);
  if (!file.is_open()) {
    project.messages.show("Cannot Open Export File", "Error");
    return WriteResult::CannotOpen;
  }
  TextOut out([&file](std::string_view chunk) { return file.write(chunk); });
  write(out);
  out.finish();
  const WriteResult result = file.finish();
  if (result != WriteResult::Ok) project.messages.show("Cannot write export file (" + path + ")", "Error");
  return result;
}

}  // namespace plenvista
