#include "photogrammetry/project_camera.h"

#include "model/find_file.h"
#include "model/image_management.h"
#include "photogrammetry/camera_file.h"

namespace plenvista {

namespace {

class DiscardedMessages : public MessageSink {
 public:
  void show(const std::string&, const std::string&) override {}
};

}  // namespace

bool set_camera_file(Project& project, const std::string& name) {
  project.camera_file_name = name;
  project.camera_file_path =
      find_file_along_directories(shown(project.model.image_directories), project.directory, name);
  if (!project.camera_file_path) return false;
  DiscardedMessages quiet;
  if (!load_camera(*project.camera_file_path, project.images().camera, quiet)) return false;
  attach_camera_to_images(project.images());
  return true;
}

}  // namespace plenvista
